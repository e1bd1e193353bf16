#pragma once
// Result codes of the exported operations.
namespace pellorix::result {

inline constexpr int kSuccess = 0;
inline constexpr int kBusy = 3;                // an agent program runs already
inline constexpr int kNotInstalled = 11;       // or the portal installer cannot be fetched or started
inline constexpr int kNotCompleted = 12;       // install started, completion not observed in time
inline constexpr int kUpdaterFailed = 13;      // legacy updater cannot be fetched or started
inline constexpr int kMonitorNotRunning = 14;  // portal agent installed, tavmon.exe not running
inline constexpr int kUnreadable = 15;         // uninstall key unreadable, or tavupd.exe missing
inline constexpr int kNotKorean = 17;          // system UI language is not Korean
inline constexpr int kPlaceholder = 1;

}  // namespace pellorix::result
