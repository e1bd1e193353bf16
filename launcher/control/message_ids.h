#pragma once

// Ids of the launcher's texts (launcher/resources/messages.def holds the texts themselves).
namespace veltharn::msg {

inline constexpr int kDirectXMissing = 500;
inline constexpr int kCaptionError = 501;
inline constexpr int kSizeTooBig = 502;
inline constexpr int kInvalidVersion = 503;
inline constexpr int kUpdateClientInvalid = 504;
inline constexpr int kInstalledNewerThanServer = 505;
inline constexpr int kDatabaseError = 506;
inline constexpr int kNoFileOnServer = 507;
inline constexpr int kNoFile = 508;
inline constexpr int kCannotCreateFile = 509;
inline constexpr int kDecompressionFailed = 510;
inline constexpr int kRegistryWriteFailed = 511;
inline constexpr int kCannotCreateFolder = 512;
inline constexpr int kWinsockMissing = 513;
inline constexpr int kSocketVersionTooLow = 514;
inline constexpr int kInvalidSocket = 515;
inline constexpr int kGameStartFailed = 517;
inline constexpr int kCaptionAnnouncement = 550;
inline constexpr int kServerNotResponding = 551;
inline constexpr int kConnectionTerminated = 552;
inline constexpr int kWindowTitle = 603;
inline constexpr int kTotalProgressLabel = 604;
inline constexpr int kFileDownloadLabel = 606;
inline constexpr int kFileInspected = 650;
inline constexpr int kServerDown = 651;
inline constexpr int kDownloadingFile = 652;
inline constexpr int kFileCreationFailed = 653;
inline constexpr int kPatchFailure = 654;
inline constexpr int kPatchFailedDownloadAll = 655;
inline constexpr int kPatchStarted = 656;
inline constexpr int kCompleted = 657;
inline constexpr int kDecompressionStarted = 658;
inline constexpr int kDecompressionFinished = 659;
inline constexpr int kErrorSuffix = 660;
inline constexpr int kAllFilesUpdated = 661;
inline constexpr int kConnectedToServer = 662;
inline constexpr int kConnectionFailureCode = 663;
inline constexpr int kConnectionFailure = 664;
inline constexpr int kVerificationStarted = 665;
inline constexpr int kOkButton = 700;
inline constexpr int kAcceptCheckBox = 701;
inline constexpr int kAgentLibraryFailed = 702;
inline constexpr int kWindowsUpdateInstalled = 703;
inline constexpr int kWindowsUpdateMissing = 704;
inline constexpr int kAgentChecking = 707;
inline constexpr int kAgreementTitle = 710;
inline constexpr int kDisagreeButton = 711;

}  // namespace veltharn::msg
