#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tools/update_server/exchange.h"
#include "tools/update_server/release.h"
#include "tools/update_server/socket.h"
#include "tools/update_server/wire.h"

namespace veltharn::update_server {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using wire::Body;
using wire::Bytes;
using wire::Packet;

constexpr std::chrono::milliseconds kWait{5000};

// A fresh folder per test, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string name = (fs::temp_directory_path() / "update_server_test.XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = name;
  }
  ~TempFolder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& path, const Bytes& content) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(content.data()),
             static_cast<std::streamsize>(content.size()));
}

std::uint32_t Crc32(const Bytes& bytes) {
  return static_cast<std::uint32_t>(::crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}

// `content` with its trailer [0, word 0, word 1, CRC-32, 0].
Bytes WithTrailer(const std::string& content, std::int32_t word0, std::int32_t word1) {
  const Bytes body(content.begin(), content.end());
  return Body()
      .Raw(body)
      .Int(0)
      .Int(word0)
      .Int(word1)
      .Int(static_cast<std::int32_t>(Crc32(body)))
      .Int(0);
}

TEST(LoadReleaseTest, ReadsVersionsAndTrailers) {
  struct Case {
    const char* name;
    std::string versionText;
    Bytes file;
    bool loads;
    std::int32_t global;
    std::int32_t separate;
  };
  Bytes badCrc = WithTrailer("content", 1, 2);
  badCrc[badCrc.size() - 8] ^= 0xFF;
  const Case cases[] = {
      {"global only", "1200\n", WithTrailer("content", 1, 2), true, 1200, 0},
      {"global and separate, Windows line ends", "1200\r\n3\r\n", WithTrailer("content", 1, 2),
       true, 1200, 3},
      {"empty second line", "42\n\n", WithTrailer("", 0, 0), true, 42, 0},
      {"not a number", "twelve\n", WithTrailer("content", 1, 2), false, 0, 0},
      {"second line not a number", "1200\nthree\n", WithTrailer("content", 1, 2), false, 0, 0},
      {"file shorter than a trailer", "1200\n", Bytes(19, 0), false, 0, 0},
      {"trailer CRC does not match", "1200\n", badCrc, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    std::ofstream(folder.path() / "version.txt") << c.versionText;
    WriteFile(folder.path() / "system" / "qor.exe", c.file);
    std::string error;
    const auto release = LoadRelease(folder.path(), error);
    ASSERT_EQ(release.has_value(), c.loads) << error;
    if (!release) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(release->globalVersion, c.global);
    EXPECT_EQ(release->separateVersion, c.separate);
    ASSERT_EQ(release->files.size(), 1u);
    EXPECT_EQ(release->files[0].wireName, u"system\\qor.exe");
    EXPECT_EQ(release->files[0].size, c.file.size());
  }
  TempFolder empty;
  std::string error;
  EXPECT_FALSE(LoadRelease(empty.path(), error));
  EXPECT_NE(error.find("version.txt"), std::string::npos);
}

// A stand-in for the launcher: a plain socket that speaks frames. It reads exactly what it asks
// for, so the raw data of a transfer is not taken for frames.
class FakeClient {
 public:
  explicit FakeClient(std::uint16_t port) : socket_(net::ConnectToLoopback(port)) {
    if (socket_) net::SetTimeouts(socket_.get(), kWait);
  }
  bool connected() const { return static_cast<bool>(socket_); }
  bool Send(std::uint8_t type, const Bytes& body = {}) {
    return net::SendAll(socket_.get(), wire::Frame(type, body));
  }
  std::optional<Bytes> Take(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t done = 0; done < count;) {
      const ssize_t got = ::recv(socket_.get(), bytes.data() + done, count - done, 0);
      if (got <= 0) return std::nullopt;
      done += static_cast<std::size_t>(got);
    }
    return bytes;
  }
  std::optional<Packet> Receive() {
    const auto length = Take(2);
    if (!length) return std::nullopt;
    const std::size_t total = (*length)[0] | (std::size_t{(*length)[1]} << 8);
    if (total < wire::kHeaderSize) return std::nullopt;
    const auto rest = Take(total - 2);
    if (!rest) return std::nullopt;
    return Packet{(*rest)[0], Bytes(rest->begin() + 1, rest->end())};
  }
  void Close() { socket_.reset(); }

 private:
  net::UniqueFd socket_;
};

// Serves one connection of `release` on a thread and keeps its log and outcome.
class ServerUnderTest {
 public:
  explicit ServerUnderTest(const Release& release) : listener_(net::ListenOnLoopback(0)) {
    thread_ = std::thread([this, &release] {
      // A test that fails before connecting must not leave this thread in accept for ever.
      pollfd waiting{listener_.get(), POLLIN, 0};
      if (::poll(&waiting, 1, static_cast<int>(kWait.count())) != 1) return;
      net::UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (!client) return;
      net::SetTimeouts(client.get(), kWait);
      outcome_ = Exchange(client.get(), release, log_).Run();
    });
  }
  ~ServerUnderTest() { Join(); }
  std::uint16_t port() const { return net::LocalPort(listener_.get()); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool completed() const { return outcome_ == Outcome::kCompleted; }
  Outcome outcome() const { return outcome_; }
  std::string log() const { return log_.str(); }

 private:
  net::UniqueFd listener_;
  std::ostringstream log_;
  Outcome outcome_ = Outcome::kBroken;
  std::thread thread_;
};

TEST(ExchangeTest, InspectsEveryReleaseFileAndReportsTheOneThatDiffers) {
  TempFolder folder;
  std::ofstream(folder.path() / "version.txt") << "1200\n3\n";
  const Bytes notice = WithTrailer("notice text", 0, 0);
  const Bytes game = WithTrailer("game program", 1200, 317);
  WriteFile(folder.path() / "Notice" / "Notice-k.txt", notice);
  WriteFile(folder.path() / "system" / "qor.exe", game);
  std::string error;
  const auto release = LoadRelease(folder.path(), error);
  ASSERT_TRUE(release) << error;

  ServerUnderTest server(*release);
  FakeClient client(server.port());
  ASSERT_TRUE(client.connected());

  // Each step: what the client sends first (if anything), then the frame the server must send.
  struct Step {
    const char* name;
    std::optional<Packet> send;
    std::optional<Packet> expect;
  };
  const auto crcOf = [](const Bytes& file) {
    return static_cast<std::int32_t>(Crc32(Bytes(file.begin(), file.end() - kTrailerSize)));
  };
  const Step steps[] = {
      {"hello", Packet{kClientHello, Body().Int(61).Int(7)},
       Packet{kVersionInfo, Body().Int(1200).Int(0)}},
      {"report", Packet{kVersionReport, Body().Int(61).Int(7).Int(0)},
       Packet{kFileCount, Body().Int(2)}},
      {"first inspection", std::nullopt,
       Packet{kInspectFile, Body().Wide(u"Notice\\Notice-k.txt")}},
      {"keep-alive in between", Packet{kKeepAlive, {}}, std::nullopt},
      {"same file",
       Packet{kInspectResult, Body()
                                  .Wide(u"Notice\\Notice-k.txt")
                                  .Int(static_cast<std::int32_t>(notice.size()))
                                  .Int(0)
                                  .Int(0)
                                  .Int(crcOf(notice))},
       Packet{kInspectFile, Body().Wide(u"system\\qor.exe")}},
      {"missing file",
       Packet{kInspectResult, Body().Wide(u"system\\qor.exe").Int(0).Int(0).Int(0).Int(0)},
       std::nullopt},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.send) {
      ASSERT_TRUE(client.Send(step.send->type, step.send->body));
    }
    if (step.expect) {
      EXPECT_EQ(client.Receive(), step.expect);
    }
  }
  // The file that differs is sent, then the exchange completes.
  const auto announce = client.Receive();
  ASSERT_TRUE(announce);
  ASSERT_EQ(announce->type, kFileTransfer);
  wire::BodyReader transfer(announce->body);
  const auto id = transfer.Int();
  transfer.Int();
  const auto size = transfer.Int();
  ASSERT_TRUE(id && size);
  EXPECT_EQ(transfer.Wide(), u"system\\qor.exe");
  ASSERT_TRUE(client.Take(static_cast<std::size_t>(*size)));
  ASSERT_TRUE(client.Send(kTransferResult, Body().Int(*id).Int(0)));
  EXPECT_EQ(client.Receive(), (Packet{kUpdateComplete, Body().Int(1200).Int(3)}));
  client.Close();
  server.Join();

  EXPECT_TRUE(server.completed());
  const std::string log = server.log();
  EXPECT_NE(log.find("hello: launcher 61, installed 7\n"), std::string::npos) << log;
  EXPECT_NE(log.find("same: Notice\\Notice-k.txt\n"), std::string::npos) << log;
  char differs[128];
  std::snprintf(
      differs, sizeof differs,
      "differs: system\\qor.exe (client size 0 crc 00000000, release size %zu crc %08x)\n",
      game.size(), static_cast<unsigned>(crcOf(game)));
  EXPECT_NE(log.find(differs), std::string::npos) << log;
  EXPECT_NE(log.find("inspected: 2 files, 1 differ\n"), std::string::npos) << log;
}

TEST(ExchangeTest, EndsWhenTheClientAnswersOutOfTurn) {
  TempFolder folder;
  std::ofstream(folder.path() / "version.txt") << "5\n";
  std::string error;
  const auto release = LoadRelease(folder.path(), error);
  ASSERT_TRUE(release) << error;

  ServerUnderTest server(*release);
  FakeClient client(server.port());
  ASSERT_TRUE(client.connected());
  ASSERT_TRUE(client.Send(kInspectResult, Body().Wide(u"x").Int(0).Int(0).Int(0).Int(0)));
  EXPECT_FALSE(client.Receive());  // the server closes instead of answering
  server.Join();
  EXPECT_FALSE(server.completed());
  EXPECT_NE(server.log().find("unexpected frame type 2 while waiting for type 0"),
            std::string::npos)
      << server.log();
}

Bytes Inflated(const Bytes& packed, std::size_t size) {
  Bytes plain(size);
  uLongf length = static_cast<uLongf>(size);
  if (::uncompress(plain.data(), &length, packed.data(), static_cast<uLong>(packed.size())) != Z_OK)
    return {};
  plain.resize(length);
  return plain;
}

TEST(ExchangeTest, SendsWhatTheClientLacksThenCommitsTheStagedFiles) {
  TempFolder folder;
  std::ofstream(folder.path() / "version.txt") << "1300\n";
  std::ofstream(folder.path() / "staged.txt") << "system\\staged.dat\n";
  std::ofstream(folder.path() / "removed.txt") << "old.dat\r\n";
  const Bytes big = WithTrailer(std::string(5000, 'g'), 1300, 1);  // compresses well
  const Bytes tiny = WithTrailer("\x01\x7f\x33", 1300, 2);         // does not
  const Bytes staged = WithTrailer("staged content", 1300, 3);
  WriteFile(folder.path() / "system" / "big.dat", big);
  WriteFile(folder.path() / "system" / "staged.dat", staged);
  WriteFile(folder.path() / "tiny.dat", tiny);
  std::string error;
  const auto release = LoadRelease(folder.path(), error);
  ASSERT_TRUE(release) << error;
  ASSERT_EQ(release->files.size(), 3u);  // the lists are not release files

  ServerUnderTest server(*release);
  FakeClient client(server.port());
  ASSERT_TRUE(client.connected());
  ASSERT_TRUE(client.Send(kClientHello, Body().Int(61).Int(1200)));
  // Held back (flag 1): a commit now would empty the staging folder before the staged files came.
  ASSERT_EQ(client.Receive(), (Packet{kVersionInfo, Body().Int(1300).Int(1)}));
  ASSERT_TRUE(client.Send(kVersionReport, Body().Int(61).Int(1200).Int(0)));
  ASSERT_EQ(client.Receive(), (Packet{kFileCount, Body().Int(3)}));
  for (int i = 0; i < 3; ++i) {
    auto inspect = client.Receive();
    ASSERT_TRUE(inspect);
    ASSERT_EQ(inspect->type, kInspectFile);
    wire::BodyReader fields(inspect->body);
    ASSERT_TRUE(
        client.Send(kInspectResult, Body().Wide(*fields.Wide()).Int(0).Int(0).Int(0).Int(0)));
  }

  struct Expected {
    const char* name;
    std::u16string wireName;
    std::int32_t kind;
    const Bytes* file;
    std::uint8_t reply;
  } const transfers[] = {
      {"big", u"system\\big.dat", kCompressedFile, &big, kTransferResult},
      {"staged", u"system\\staged.dat", kStagedCompressedFile, &staged, kStagedTransferResult},
      {"tiny", u"tiny.dat", kWholeFile, &tiny, kTransferResult},
  };
  std::int32_t id = 0;
  for (const Expected& e : transfers) {
    SCOPED_TRACE(e.name);
    auto announce = client.Receive();
    ASSERT_TRUE(announce);
    ASSERT_EQ(announce->type, kFileTransfer);
    wire::BodyReader fields(announce->body);
    EXPECT_EQ(fields.Int(), ++id);
    EXPECT_EQ(fields.Int(), e.kind);
    const auto size = fields.Int();
    ASSERT_TRUE(size);
    EXPECT_EQ(fields.Wide(), e.wireName);
    auto data = client.Take(static_cast<std::size_t>(*size));
    ASSERT_TRUE(data);
    EXPECT_EQ(e.kind == kWholeFile ? *data : Inflated(*data, e.file->size()), *e.file);
    ASSERT_TRUE(client.Send(e.reply, Body().Int(id).Int(0)));
  }
  ASSERT_EQ(client.Receive(),
            (Packet{kFileTransfer, Body().Int(4).Int(kRemoveFile).Int(0).Wide(u"old.dat")}));
  ASSERT_TRUE(client.Send(kTransferResult, Body().Int(4).Int(0)));
  ASSERT_EQ(client.Receive(), (Packet{kVersionInfo, Body().Int(1300).Int(0)}));
  ASSERT_TRUE(client.Send(kVersionReport, Body().Int(61).Int(1200).Int(0)));
  ASSERT_EQ(client.Receive(), (Packet{kUpdateComplete, Body().Int(1300).Int(0)}));
  client.Close();
  server.Join();
  EXPECT_TRUE(server.completed()) << server.log();
  EXPECT_NE(server.log().find("committed: staged files"), std::string::npos) << server.log();
}

TEST(ExchangeTest, OffersTheNewLauncherOnlyToALauncherWhoseOwnProgramDiffers) {
  TempFolder folder;
  const Bytes good = WithTrailer("new launcher program", 61, 317);
  Bytes damaged = good;
  damaged[3] ^= 0x20;  // its trailer no longer matches: sent all the same
  WriteFile(folder.path() / "good.exe", good);
  WriteFile(folder.path() / "damaged.exe", damaged);
  const std::uint32_t goodCrc = Crc32(Bytes(good.begin(), good.end() - kTrailerSize));
  std::string error;

  struct Case {
    const char* name;
    const char* offer;
    std::int32_t clientSize;
    std::uint32_t clientCrc;
    bool sent;
  } const cases[] = {
      {"the launcher has the offer already", "good.exe", static_cast<std::int32_t>(good.size()),
       goodCrc, false},
      {"same size, other checksum", "good.exe", static_cast<std::int32_t>(good.size()), goodCrc ^ 1,
       true},
      {"other size, same checksum", "good.exe", 1000, goodCrc, true},
      {"a damaged offer", "damaged.exe", 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Release plain;  // no files: only the offer differs
    plain.globalVersion = 1300;
    plain.launcher = LoadLauncherOffer(folder.path() / c.offer, error);
    ASSERT_TRUE(plain.launcher) << error;
    const Bytes& offer = std::string(c.offer) == "good.exe" ? good : damaged;

    ServerUnderTest server(plain);
    FakeClient client(server.port());
    ASSERT_TRUE(client.connected());
    ASSERT_TRUE(client.Send(kClientHello, Body().Int(61).Int(1200)));
    ASSERT_EQ(client.Receive(), (Packet{kVersionInfo, Body().Int(1300).Int(0)}));
    ASSERT_TRUE(client.Send(kVersionReport, Body().Int(61).Int(1200).Int(0)));
    ASSERT_EQ(client.Receive(), (Packet{kInspectFile, Body().Wide(u"Veltharn.exe")}));
    ASSERT_TRUE(client.Send(kInspectResult, Body()
                                                .Wide(u"Veltharn.exe")
                                                .Int(c.clientSize)
                                                .Int(61)
                                                .Int(317)
                                                .Int(static_cast<std::int32_t>(c.clientCrc))));
    if (c.sent) {
      ASSERT_EQ(client.Receive(),
                (Packet{kFileTransfer, Body()
                                           .Int(0)
                                           .Int(kSelfUpdate)
                                           .Int(static_cast<std::int32_t>(offer.size()))
                                           .Wide(u"Veltharn.new")}));
      EXPECT_EQ(client.Take(offer.size()), offer);
      client.Close();
      server.Join();
      EXPECT_EQ(server.outcome(), Outcome::kHandedOver) << server.log();
    } else {
      // The exchange goes on as without an offer.
      EXPECT_EQ(client.Receive(), (Packet{kFileCount, Body().Int(0)}));
      EXPECT_EQ(client.Receive(), (Packet{kUpdateComplete, Body().Int(1300).Int(0)}));
      client.Close();
      server.Join();
      EXPECT_TRUE(server.completed()) << server.log();
      EXPECT_NE(server.log().find("same: Veltharn.exe\n"), std::string::npos) << server.log();
    }
  }
}

TEST(LoadLauncherOfferTest, TakesTheTrailerAsItIsButRefusesAFileTooShortForOne) {
  TempFolder folder;
  Bytes damaged = WithTrailer("program", 61, 317);
  damaged[0] ^= 1;
  WriteFile(folder.path() / "damaged.exe", damaged);
  WriteFile(folder.path() / "short.exe", Bytes(kTrailerSize - 1, 0));
  std::string error;
  const auto offer = LoadLauncherOffer(folder.path() / "damaged.exe", error);
  ASSERT_TRUE(offer) << error;
  EXPECT_EQ(offer->size, damaged.size());
  EXPECT_EQ(offer->checksum, Crc32(Bytes{'p', 'r', 'o', 'g', 'r', 'a', 'm'}));
  EXPECT_FALSE(LoadLauncherOffer(folder.path() / "short.exe", error));
  EXPECT_FALSE(LoadLauncherOffer(folder.path() / "missing.exe", error));
}

}  // namespace
}  // namespace veltharn::update_server
