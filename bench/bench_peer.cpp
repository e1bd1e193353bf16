// veltharn-bench-peer: a scripted update-server peer for measuring veltharn-cli. It streams one
// file from disk in 64 KiB pieces (the reference server holds whole files in memory, and
// compresses them first, which would make it the slow side of a 1 GiB measurement).
//
//   veltharn-bench-peer make-file OUT MIB        incompressible data
//   veltharn-bench-peer make-stream OUT MIB      a zlib stream of MIB MiB of text
//   veltharn-bench-peer serve PORTFILE FILE KIND NAME
//        one exchange: hello, versions, FileTransfer of FILE as KIND (1 whole, 4 compressed)
//        under NAME, its result, UpdateComplete; the port it listens on goes to PORTFILE.

#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "bench/bench_data.h"
#include "launcher/update/packet_types.h"
#include "tools/update_server/socket.h"
#include "tools/update_server/wire.h"

namespace {

using namespace veltharn;

constexpr int32_t kReleaseVersion = 2;

class Peer {
 public:
  explicit Peer(int fd) : fd_(fd) {}

  bool Send(uint8_t type, const wire::Bytes& body) { return net::SendAll(fd_, wire::Frame(type, body)); }

  std::optional<wire::Packet> Receive(uint8_t type) {
    for (;;) {
      while (auto packet = reader_.Next()) {
        if (packet->type == kKeepAlive) continue;
        if (packet->type == type) return packet;
        std::cerr << "unexpected frame type " << int{packet->type} << "\n";
        return std::nullopt;
      }
      std::vector<uint8_t> chunk(4096);
      const ssize_t count = ::recv(fd_, chunk.data(), chunk.size(), 0);
      if (count <= 0) return std::nullopt;
      reader_.Append(std::span(chunk.data(), static_cast<std::size_t>(count)));
    }
  }

  bool SendFile(const std::string& path, int64_t size) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> piece(64 * 1024);
    for (int64_t left = size; left > 0;) {
      const auto count = static_cast<std::size_t>(std::min<int64_t>(left, piece.size()));
      if (!in.read(piece.data(), static_cast<std::streamsize>(count))) return false;
      if (!net::SendAll(fd_, std::span(reinterpret_cast<const uint8_t*>(piece.data()), count))) return false;
      left -= static_cast<int64_t>(count);
    }
    return true;
  }

 private:
  int fd_;
  wire::FrameReader reader_;
};

int Serve(const std::string& portFile, const std::string& path, int32_t kind, const std::string& name) {
  net::UniqueFd listener = net::ListenOnLoopback(0);
  std::ofstream(portFile) << net::LocalPort(listener.get()) << "\n";
  net::UniqueFd client(::accept(listener.get(), nullptr, nullptr));
  Peer peer(client.get());
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  const auto size = static_cast<int64_t>(file.tellg());
  const std::u16string wideName(name.begin(), name.end());

  if (!peer.Receive(kClientHello)) return 1;
  if (!peer.Send(kVersionInfo, wire::Body().Int(kReleaseVersion).Int(0)) || !peer.Receive(kVersionReport)) return 1;
  if (!peer.Send(kFileCount, wire::Body().Int(1))) return 1;
  if (!peer.Send(kFileTransfer, wire::Body().Int(1).Int(kind).Int(static_cast<int32_t>(size)).Wide(wideName))) return 1;
  if (!peer.SendFile(path, size)) return 1;
  const auto result = peer.Receive(kTransferResult);
  if (!result) return 1;
  wire::BodyReader fields(result->body);
  (void)fields.Int();
  const auto status = fields.Int();
  if (!status || *status != kTransferDone) {
    std::cerr << "transfer not stored\n";
    return 1;
  }
  if (!peer.Send(kUpdateComplete, wire::Body().Int(kReleaseVersion).Int(0))) return 1;
  // The launcher closes once it is done; what it sends meanwhile is of no use.
  std::vector<uint8_t> chunk(512);
  while (::recv(client.get(), chunk.data(), chunk.size(), 0) > 0) {
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "make-file" && argc == 4) {
    veltharn::bench::WriteRandomFile(argv[2], std::strtoull(argv[3], nullptr, 10) << 20, 1);
    return 0;
  }
  if (mode == "make-stream" && argc == 4) {
    std::cout << veltharn::bench::WriteCompressedStream(argv[2], std::strtoull(argv[3], nullptr, 10) << 20) << "\n";
    return 0;
  }
  if (mode == "serve" && argc == 6) {
    return Serve(argv[2], argv[3], static_cast<int32_t>(std::atoi(argv[4])), argv[5]);
  }
  std::cerr << "usage: see the head of bench_peer.cpp\n";
  return 2;
}
