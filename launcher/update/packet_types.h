#pragma once

#include <cstdint>

namespace veltharn {

// Packets from the update server, by type byte.
enum ServerPacket : uint8_t {
  kServerNone = 0,
  kInspectFile = 1,
  kServerError = 2,
  kFileTransfer = 3,
  kUpdateComplete = 4,
  kVersionInfo = 5,
  kSpecialFileQuery = 6,
  kInspectStagedFile = 7,
  kFileCount = 8,
};

// Packets to the update server, by type byte.
enum ClientPacket : uint8_t {
  kClientHello = 0,
  kVersionReport = 1,
  kInspectResult = 2,
  kTransferResult = 3,
  kSpecialFileResult = 4,
  kKeepAlive = 5,
  kStagedInspectResult = 6,
  kStagedTransferResult = 7,
};

// Status of TransferResult and StagedTransferResult.
enum TransferStatus : int32_t { kTransferDone = 0, kTransferNotStored = 1, kTransferNotApplied = 3 };

// Kinds of FileTransfer.
enum TransferKind : int32_t {
  kPatchInPlace = 0,
  kWholeFile = 1,
  kRemoveFile = 2,
  kSelfUpdate = 3,
  kCompressedFile = 4,
  kSpecialFile = 5,
  kStagedCompressedFile = 6,
  kStagedPatch = 7,
  kStagedUnchanged = 8,
};

// Names sent by the server are read into 520-byte buffers: 259 characters and the terminator.
inline constexpr int kServerNameUnits = 260;

}  // namespace veltharn
