#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "launcher/update/file_transfer.h"
#include "launcher/update/packet_types.h"
#include "launcher/update/update_protocol.h"
#include "tests/update/exchange_test_host.h"

namespace veltharn::test {

// A client whose server announces transfers and then sends their bytes; one per test case.
class TransferClient {
 public:
  TransferClient() { host.notices().SetFileRange(ProgressBarModel::kPercentScale); }

  // FileTransfer (id, kind, size, name) as the dispatcher hands it on.
  void Announce(int32_t id, int32_t kind, int32_t size, std::u16string_view name) {
    DispatchPacket(host, host.link,
                   ExchangeTestHost::MakePacket(
                       kFileTransfer, wire::Body().Int(id).Int(kind).Int(size).Wide(name)));
  }
  // `bytes` arrive on the socket and a read notification is handled.
  void Arrive(const std::string& bytes) {
    host.socket().incoming += bytes;
    OnFileData(host, host.link);
  }
  // Announces and sends a whole transfer.
  void Transfer(int32_t id, int32_t kind, std::u16string_view name, const std::string& bytes) {
    Announce(id, kind, static_cast<int32_t>(bytes.size()), name);
    if (!bytes.empty()) Arrive(bytes);
  }

  // The replies sent, as (type, ints...).
  std::vector<std::vector<int32_t>> Replies() {
    std::vector<std::vector<int32_t>> replies;
    for (const wire::Packet& frame : host.SentFrames()) {
      std::vector<int32_t> reply{frame.type};
      wire::BodyReader reader(frame.body);
      while (auto value = reader.Int()) reply.push_back(*value);
      replies.push_back(reply);
    }
    return replies;
  }
  std::string Contents(const std::string& path) {
    const MemoryFileSystem::Entry* entry = host.fileSystem.Find(path);
    return entry == nullptr ? "<missing>" : entry->bytes;
  }
  bool Ended() const { return !host.view.endResults.empty(); }

  static std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919 + i / 977) & 0xFF);
    return bytes;
  }
  // A real zlib stream of `plain`.
  static std::string Compressed(const std::string& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string packed(size, '\0');
    int result = compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                           reinterpret_cast<const Bytef*>(plain.data()),
                           static_cast<uLong>(plain.size()), Z_BEST_SPEED);
    EXPECT_EQ(result, Z_OK);
    packed.resize(size);
    return packed;
  }

  ExchangeTestHost host;
};

}  // namespace veltharn::test
