#pragma once
// The portal agent's launch file "PInfo.dat": a profile-style text in the user's low-integrity
// application-data folder, read by the resident monitor.
#include <cstdint>
#include <string>

#include "ports/file_system.h"
#include "ports/user_notice.h"

namespace pellorix {

struct LaunchOrder {
  std::int32_t window = 0;
  std::string serviceUrl;
  int pst = 0;
  int launcher = 0;
  std::string appFullPath;  // no AppFullPath line when empty
  std::string userName;
};

// "AppData\LocalLow\Kelvaro\PortalQel" under the user profile.
std::string PortalUserFolder(const std::string& userProfile);

// The service address enciphered with SEED, as two-digit hex groups joined by ",".
std::string EncodeServerUrl2(const std::string& serviceUrl);

// The file's bytes. The agent has always read it as written through the C runtime's text mode,
// so every LF of the logical text is stored as CR LF and "\r\n" line ends become CR CR LF; the
// same bytes are produced on every platform.
std::string BuildLaunchFileBytes(const LaunchOrder& order);

// Replaces the launch file. A file that cannot be deleted is reported once with
// "PInfo Delete Failed" and then overwritten; a file that cannot be written is left alone, as
// the callers go on whatever happened.
void WriteLaunchFile(FileSystem& files, UserNotice& notice, const std::string& userProfile,
                     const LaunchOrder& order);

}  // namespace pellorix
