// Benchmarks of the update pipeline: each real path is measured beside the plain loop that does
// the same I/O and nothing else, in the same run, and reported as a ratio to it.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_data.h"
#include "bench/bench_host.h"
#include "bench/ratio_reporter.h"
#include "launcher/update/file_inspection.h"
#include "launcher/update/file_transfer.h"
#include "launcher/update/inflate_file.h"
#include "launcher/update/packet_types.h"
#include "tools/update_server/socket.h"
#include "tools/update_server/wire.h"

namespace veltharn::bench {
namespace {

constexpr uint64_t kMiB = 1 << 20;

// One client file: its host path and the InspectFile payload that names it.
struct ClientFile {
  std::string hostPath;
  std::vector<std::byte> payload;
  uint64_t size = 0;
};

std::vector<std::byte> InspectPayload(const std::string& name) {
  std::u16string wide(name.begin(), name.end());
  wire::Bytes body = wire::Body().Wide(wide).bytes();
  std::vector<std::byte> payload(body.size());
  for (std::size_t i = 0; i < body.size(); ++i) payload[i] = std::byte{body[i]};
  return payload;
}

// A client folder of files, made once and removed at exit.
struct Client {
  explicit Client(const char* name) : folder(name) {}
  void Add(const std::string& name, uint64_t size) {
    std::string host = name;
    std::replace(host.begin(), host.end(), '\\', '/');
    std::filesystem::create_directories((folder.path() / host).parent_path());
    WriteRandomFile(folder.path() / host, size, files.size() + 1);
    files.push_back({(folder.path() / host).string(), InspectPayload(name), size});
    bytes += size;
  }
  TempFolder folder;
  std::vector<ClientFile> files;
  uint64_t bytes = 0;
};

// About 1 GiB in files of 1 KiB to 256 MiB: many small ones, a few large ones.
Client& FullClient() {
  static Client c("veltharn-bench-full");
  static const bool made = [] {
    int n = 0;
    auto add = [&](uint64_t size, int count) {
      for (int i = 0; i < count; ++i) c.Add("data\\f" + std::to_string(++n) + ".dat", size);
    };
    for (uint64_t size = 1 << 10; size <= kMiB; size *= 2) add(size, 100);  // ~200 MiB
    for (uint64_t size = 2 * kMiB; size <= 64 * kMiB; size *= 2) add(size, 4);  // ~504 MiB
    add(64 * kMiB, 1);
    add(256 * kMiB, 1);
    return true;
  }();
  (void)made;
  return c;
}

// 10,000 small files, 100 to 4,000 bytes, in ten folders.
Client& SmallClient() {
  static Client c("veltharn-bench-quick");
  static const bool made = [] {
    for (int i = 0; i < 10000; ++i) {
      c.Add("data" + std::to_string(i % 10) + "\\s" + std::to_string(i) + ".dat",
            100 + static_cast<uint64_t>(i * 397 % 3900));
    }
    return true;
  }();
  (void)made;
  return c;
}

void InspectAll(benchmark::State& state, Client& client, bool quick) {
  BenchHost host(client.folder.path());
  host.flags().quickCheck = quick;
  for (auto _ : state) {
    for (const ClientFile& file : client.files) OnInspectFile(host, file.payload);
  }
  if (host.replies != client.files.size() * state.iterations()) state.SkipWithError("replies");
  state.SetBytesProcessed(static_cast<int64_t>(client.bytes * state.iterations()));
}

void BM_FullCheckPlainLoop(benchmark::State& state) {
  Client& client = FullClient();
  std::array<char, 4096> block;
  for (auto _ : state) {
    uint64_t total = 0;
    for (const ClientFile& file : client.files) {
      const int fd = ::open(file.hostPath.c_str(), O_RDONLY);
      for (ssize_t got; (got = ::read(fd, block.data(), block.size())) > 0;) total += got;
      ::close(fd);
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(client.bytes * state.iterations()));
}

void BM_FullCheckHandlers(benchmark::State& state) { InspectAll(state, FullClient(), false); }

void BM_QuickCheckPlainLoop(benchmark::State& state) {
  Client& client = SmallClient();
  std::array<char, 16> tail;
  for (auto _ : state) {
    for (const ClientFile& file : client.files) {
      const int fd = ::open(file.hostPath.c_str(), O_RDONLY);
      ::lseek(fd, -16, SEEK_END);
      benchmark::DoNotOptimize(::read(fd, tail.data(), tail.size()));
      ::close(fd);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(client.files.size() * state.iterations()));
}

void BM_QuickCheckHandlers(benchmark::State& state) {
  InspectAll(state, SmallClient(), true);
  state.SetBytesProcessed(0);
  state.SetItemsProcessed(static_cast<int64_t>(SmallClient().files.size() * state.iterations()));
}

// --- Transfer: 1 GiB over loopback TCP into a file.

constexpr int64_t kTransferSize = 1024 * kMiB;
constexpr std::size_t kReadSize = 8192;

// Sends kTransferSize bytes to whoever connects to `listener`, from memory, so the sender costs
// as little as it can.
void Send(int listener) {
  net::UniqueFd peer(::accept(listener, nullptr, nullptr));
  std::vector<uint8_t> chunk(256 * 1024, 0x5a);
  for (int64_t left = kTransferSize; left > 0;) {
    const auto count = static_cast<std::size_t>(std::min<int64_t>(left, chunk.size()));
    if (!net::SendAll(peer.get(), std::span(chunk.data(), count))) return;
    left -= static_cast<int64_t>(count);
  }
}

// A blocking loopback socket behind the network port, so the launcher's own receive path reads
// from it exactly as from the poll loop's socket, without the loop.
class LoopbackSocket : public TcpSocket {
 public:
  explicit LoopbackSocket(net::UniqueFd fd) : fd_(std::move(fd)) {}
  SocketId id() const override { return static_cast<SocketId>(fd_.get()); }
  bool WatchForData(int*) override { return true; }
  int64_t Receive(std::span<std::byte> buffer) override {
    return ::recv(fd_.get(), buffer.data(), buffer.size(), 0);
  }
  bool SendAll(std::span<const std::byte> bytes, int*) override {
    return net::SendAll(fd_.get(), std::span(reinterpret_cast<const uint8_t*>(bytes.data()),
                                             bytes.size()));
  }

 private:
  net::UniqueFd fd_;
};

class LoopbackNetwork : public Network {
 public:
  ConnectAttempt Connect(const std::string&, uint16_t port) override {
    ConnectAttempt attempt;
    attempt.start = ConnectStart::kStarted;
    attempt.socket = std::make_unique<LoopbackSocket>(net::ConnectToLoopback(port));
    return attempt;
  }
};

TempFolder& TransferFolder() {
  static TempFolder folder("veltharn-bench-transfer");
  return folder;
}

void BM_TransferPlainLoop(benchmark::State& state) {
  const std::string target = (TransferFolder().path() / "plain.dat").string();
  std::array<char, kReadSize> chunk;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(target);
    net::UniqueFd listener = net::ListenOnLoopback(0);
    std::thread sender(Send, listener.get());
    net::UniqueFd socket = net::ConnectToLoopback(net::LocalPort(listener.get()));
    state.ResumeTiming();
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int64_t received = 0;
    while (received < kTransferSize) {
      const ssize_t got = ::recv(socket.get(), chunk.data(), chunk.size(), 0);
      if (got <= 0 || ::write(out, chunk.data(), static_cast<std::size_t>(got)) != got) break;
      received += got;
    }
    ::close(out);
    state.PauseTiming();
    sender.join();
    if (received != kTransferSize) state.SkipWithError("short transfer");
    state.ResumeTiming();
  }
  std::filesystem::remove(target);
  state.SetBytesProcessed(kTransferSize * state.iterations());
}

void BM_TransferHandlers(benchmark::State& state) {
  BenchHost host(TransferFolder().path());
  LoopbackNetwork network;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(TransferFolder().path() / "download.dat");
    net::UniqueFd listener = net::ListenOnLoopback(0);
    std::thread sender(Send, listener.get());
    ServerConnection& link = host.link();
    (void)link.Connect(network, host.notices(), "127.0.0.1", net::LocalPort(listener.get()));
    const std::size_t repliesBefore = host.replies;
    state.ResumeTiming();
    BeginTransfer(host, link, "download.dat", static_cast<int32_t>(kTransferSize), 1, kWholeFile);
    while (link.transferState != kReceivingPackets && !host.ending()) OnFileData(host, link);
    state.PauseTiming();
    sender.join();
    if (host.replies != repliesBefore + 1 || link.transferReceived != kTransferSize) {
      state.SkipWithError("transfer not completed");
    }
    link.Close();
    state.ResumeTiming();
  }
  std::filesystem::remove(TransferFolder().path() / "download.dat");
  state.SetBytesProcessed(kTransferSize * state.iterations());
}

// --- Inflate: a stream of 256 MiB of plain data.

constexpr uint64_t kInflatedSize = 256 * kMiB;

struct Stream {
  Stream() : folder("veltharn-bench-inflate") {
    path = folder.path() / "stream.zip";
    size = WriteCompressedStream(path, kInflatedSize);
  }
  TempFolder folder;
  std::filesystem::path path;
  uint64_t size = 0;
};

Stream& InflateStream() {
  static Stream stream;
  return stream;
}

// zlib's own inflate with the same 1 MiB blocks, plain read and write.
void BM_InflatePlainZlib(benchmark::State& state) {
  Stream& stream = InflateStream();
  const std::string target = (stream.folder.path() / "plain.dat").string();
  std::vector<unsigned char> in(kInflateBlockSize);
  std::vector<unsigned char> out(kInflateBlockSize);
  for (auto _ : state) {
    const int source = ::open(stream.path.c_str(), O_RDONLY);
    const int sink = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    z_stream z{};
    inflateInit(&z);
    int result = Z_OK;
    uint64_t produced = 0;
    while (result == Z_OK) {
      if (z.avail_in == 0) {
        const ssize_t got = ::read(source, in.data(), in.size());
        if (got <= 0) break;
        z.next_in = in.data();
        z.avail_in = static_cast<uInt>(got);
      }
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      result = inflate(&z, Z_NO_FLUSH);
      const std::size_t count = out.size() - z.avail_out;
      if (::write(sink, out.data(), count) != static_cast<ssize_t>(count)) break;
      produced += count;
    }
    inflateEnd(&z);
    ::close(sink);
    ::close(source);
    if (produced != kInflatedSize) state.SkipWithError("plain inflate fell short");
  }
  std::filesystem::remove(target);
  state.SetBytesProcessed(static_cast<int64_t>(kInflatedSize * state.iterations()));
}

void BM_InflateFile(benchmark::State& state) {
  Stream& stream = InflateStream();
  BenchHost host(stream.folder.path());
  for (auto _ : state) {
    std::unique_ptr<ReadableFile> source = host.files().OpenForRead("stream.zip", true);
    if (!InflateFile(host.notices(), host.files(), "inflated.dat", *source)) {
      state.SkipWithError("InflateFile failed");
    }
  }
  std::filesystem::remove(stream.folder.path() / "inflated.dat");
  state.SetBytesProcessed(static_cast<int64_t>(kInflatedSize * state.iterations()));
}

}  // namespace

// Few iterations, several repetitions: each takes about a second, and the median of the
// repetitions, interleaved with the baseline's, is what the ratio uses.
BENCHMARK(BM_FullCheckPlainLoop)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullCheckHandlers)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickCheckPlainLoop)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickCheckHandlers)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TransferPlainLoop)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TransferHandlers)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflatePlainZlib)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateFile)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace veltharn::bench
