#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "launcher/link/packet_codec.h"

namespace veltharn {

class FileSystem;
class Notices;
class PatchEngine;
class Processes;
class ServerConnection;

// The launcher's own version, sent in ClientHello and VersionReport; word 0 of its program
// file's trailer carries the same number.
inline constexpr int32_t kLauncherVersion = 61;

// The controller's state that an update exchange reads and writes.
struct ExchangeFlags {
  bool connected = false;           // ClientHello sent; drives KeepAlive
  bool fullCheckRequested = false;  // Full Check pressed, not yet answered by VersionInfo
  bool quickCheck = false;          // inspections report the stored checksum
  // Kept for the life of the program, across exchanges: the same file inspected twice in a row
  // advances the overall progress once.
  std::u16string lastInspectedName;
  std::u16string lastStagedName;
};

// What the protocol handlers need of the controller that runs them.
class ExchangeHost {
 public:
  virtual ~ExchangeHost() = default;
  virtual Notices& notices() = 0;
  virtual FileSystem& files() = 0;
  virtual ExchangeFlags& flags() = 0;
  // The current connection record; null before the first connect.
  virtual ServerConnection* connection() = 0;
  [[nodiscard]] virtual int32_t installedGlobalVersion() const = 0;
  [[nodiscard]] virtual int32_t installedSeparateVersion() const = 0;
  // Records new installed versions in memory and in the registry (box 511 when that fails).
  virtual void StoreVersions(int32_t global, int32_t separate) = 0;
  // Moves what the staging folder holds into the client folder (CommitStaging of
  // update/staging_commit.h, on the current directory).
  virtual void CommitStaging() = 0;
  // The launcher's own process: the single-instance guard, and its replacement by a new launcher.
  virtual Processes& processes() = 0;
  // The outside binary-patch engine that applies patch transfers.
  virtual PatchEngine& patchEngine() = 0;
  // The security-patch agent step that follows a completed exchange.
  virtual void StartAgentCheck() = 0;
  // Sends one packet on the current connection (nothing when it has no socket). False when the
  // send failed: the link is closed, the user told and the launcher ending, so the caller
  // returns at once without another step.
  [[nodiscard]] virtual bool Reply(std::string_view format,
                                   std::initializer_list<PackValue> values) = 0;
  // True once the launcher is ending: handlers reached by a pumped message do nothing more.
  [[nodiscard]] virtual bool ending() const = 0;
};

}  // namespace veltharn
