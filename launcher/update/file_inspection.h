#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "launcher/update/exchange.h"

namespace veltharn {

class ReadableFile;

// What the server learns of one client file.
struct FileDescription {
  int32_t size = 0;  // low 32 bits; 0 for a file of 16 bytes or less
  uint32_t word0 = 0;
  uint32_t word1 = 0;
  uint32_t checksum = 0;  // the stored one in quick mode, the computed one in full mode
};

// Describes the open `file`, closing it: its size and the trailer words of its last 16 bytes, and
// in full mode (`quick` false) the CRC-32 of `checksumPath` without its last 20 bytes, read with
// a pumped message per block.
FileDescription InspectLocalFile(ExchangeHost& host, std::unique_ptr<ReadableFile> file,
                                 const std::string& checksumPath, bool quick);

// Handlers of InspectFile, InspectStagedFile and SpecialFileQuery.
void OnInspectFile(ExchangeHost& host, std::span<const std::byte> payload);
void OnInspectStagedFile(ExchangeHost& host, std::span<const std::byte> payload);
void OnSpecialFileQuery(ExchangeHost& host, std::span<const std::byte> payload);

// The special files by index, and the index that marks the end of the list.
inline constexpr int kSpecialFileEnd = 7;
const char* SpecialFilePath(int index);

}  // namespace veltharn
