// veltharn-cli against a hostile update server: names that leave the client folder, broken and
// odd frames, short bodies, impossible sizes, links cut at the worst moment, floods. Every case
// checks that the launcher answers as it should, that the sentinel folder beside the client
// folder is exactly as before, and that no partial or temporary file is left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "tests/headless/cli_process.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_server.h"

namespace veltharn::test {
namespace {

namespace fs = std::filesystem;
using wire::BodyReader;

constexpr const char* kLinkLost =
    "box: Announcement: The connection to the update server has been terminated.";

// Every entry below `folder`: files with their bytes, folders as "<dir>".
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    std::string name = fs::relative(entry.path(), folder).string();
    entries[name] = entry.is_directory() ? "<dir>" : ReadFile(entry.path());
  }
  return entries;
}

struct Reply {
  int type = -1;
  std::u16string name;  // for the replies that carry one
  std::vector<int32_t> values;
  bool operator==(const Reply&) const = default;
};

void PrintTo(const Reply& reply, std::ostream* out) {
  *out << "type " << reply.type << " name of " << reply.name.size() << " units {";
  for (int32_t value : reply.values) *out << value << ",";
  *out << "}";
}

bool CarriesName(int type) {
  return type == 2 || type == 6;
}

// A frame written byte by byte: any length, whatever the body holds.
Bytes RawFrame(std::size_t length, uint8_t type, std::size_t bodySize, uint8_t fill = 'x') {
  Bytes frame{static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8), type};
  frame.insert(frame.end(), bodySize, fill);
  return frame;
}

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4093) & 0xFF);
  return bytes;
}

// A client folder, a sentinel folder beside it, and a scripted server. Each case runs on a fresh
// pair of folders and a fresh server.
class HostileSession {
 public:
  explicit HostileSession(const std::string& label) {
    static int serial = 0;
    base = fs::temp_directory_path() /
           ("veltharn-hostile-" + std::to_string(getpid()) + "-" + std::to_string(++serial));
    fs::remove_all(base);
    client = base / "client";
    fs::create_directories(client);
    WriteFile(base / "sentinel" / "keep.txt", "outside the client folder: " + label);
    WriteFile(base / "sentinel" / "sub" / "deep.dat", "deeper");
    WriteFile(base / "keep.txt", "beside the client folder");
    outside = SnapshotOutside();
  }
  ~HostileSession() {
    cli.reset();
    fs::remove_all(base);
  }

  // Starts the launcher and opens a current client's exchange.
  void Open(const std::string& answer = "yes", const std::string& timeout = "60") {
    cli = std::make_unique<CliProcess>(
        CliProgramPath(),
        std::vector<std::string>{"--root", client.string(), "--server", "127.0.0.1", "--port",
                                 std::to_string(server.port()), "--answer", answer, "--timeout",
                                 timeout},
        base.string());
    ASSERT_TRUE(server.WaitForConnection());
    auto hello = server.WaitForReply();
    ASSERT_TRUE(hello);
    ASSERT_EQ(hello->type, 0);
    server.SendFrame(5, Body().Int(0).Int(0));
    auto report = server.WaitForReply();
    ASSERT_TRUE(report);
    ASSERT_EQ(report->type, 1);
  }

  Reply NextReply(std::chrono::milliseconds timeout = ScriptedServer::kWait) {
    auto packet = server.WaitForReply(timeout);
    if (!packet) return {};
    Reply reply{packet->type, {}, {}};
    BodyReader reader(packet->body);
    if (CarriesName(packet->type)) reply.name = reader.Wide().value_or(u"<unterminated>");
    while (auto value = reader.Int()) reply.values.push_back(*value);
    return reply;
  }

  // A query that every state of the exchange answers at once: SpecialFileQuery 7 (the end of the
  // list), (4, 7, 0).
  void ExpectStillAnswering() {
    server.SendFrame(6, Body().Int(7));
    EXPECT_EQ(NextReply(), (Reply{4, {}, {7, 0}}));
  }

  // UpdateComplete: the launcher stores the versions and ends with Start enabled.
  void Finish() {
    server.SendFrame(4, Body().Int(1).Int(0));
    EXPECT_EQ(cli->Wait(), 0) << cli->ErrorOutput();
  }

  std::map<std::string, std::string> SnapshotOutside() {
    std::map<std::string, std::string> entries = Snapshot(base);
    std::erase_if(entries, [](const auto& entry) { return entry.first.starts_with("client"); });
    return entries;
  }

  // Nothing outside changed; below the client folder only `expected` files (besides the
  // launcher's registry), so no partial, ".zip" or patch file stays behind.
  void ExpectOnly(std::vector<std::string> expected = {}) {
    EXPECT_EQ(SnapshotOutside(), outside);
    std::vector<std::string> files;
    for (const auto& [name, bytes] : Snapshot(client)) {
      if (bytes != "<dir>" && name != ".veltharn.reg") files.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
  }

  fs::path base;
  fs::path client;
  std::map<std::string, std::string> outside;
  ScriptedServer server;
  std::unique_ptr<CliProcess> cli;
};

// The name as the launcher reads it into its 260-unit buffer: cut after 259 units.
std::u16string AsRead(const std::u16string& name, bool terminated) {
  if (!terminated) return u"";
  return name.substr(0, 259);
}

TEST(HostileServerTest, NamesThatLeaveTheClientFolderAreRefusedInEveryPacket) {
  const std::string sentinel = (fs::temp_directory_path() / "sentinel" / "keep.txt").string();
  std::u16string absolute(sentinel.begin(), sentinel.end());
  struct Case {
    const char* label;
    std::u16string name;
    bool terminated = true;
  } const cases[] = {
      {"parent", u"..\\sentinel\\keep.txt"},
      {"grandparent", u"..\\..\\keep.txt"},
      {"climb after a folder", u"system\\..\\..\\sentinel\\keep.txt"},
      {"climb with slashes", u"../sentinel/keep.txt"},
      {"mixed separators", u"system/..\\../sentinel\\keep.txt"},
      {"drive root", u"C:\\sentinel\\keep.txt"},
      {"drive relative", u"C:keep.txt"},
      {"unc share", u"\\\\server\\share\\keep.txt"},
      {"long path prefix", u"\\\\?\\C:\\sentinel\\keep.txt"},
      {"device namespace", u"\\\\.\\PhysicalDrive0"},
      {"device name", u"system\\NUL.txt"},
      {"alternate data stream", u"keep.txt:stream"},
      {"rooted", u"\\sentinel\\keep.txt"},
      {"host absolute path", absolute},
      {"only dots", u".\\."},
      {"very long climb", u"..\\" + std::u16string(600, u'a')},
      {"climb hidden behind a long folder", std::u16string(250, u'b') + u"\\..\\..\\x"},
      {"no terminator", u"..\\sentinel\\keep.txt", false},
      {"no terminator, harmless text", u"harmless.txt", false},
  };
  // Kinds that store a file, and the reply each gives when it refuses: (type, id offset).
  struct Kind {
    int32_t kind;
    int replyType;
    int32_t idOffset;
  } const kinds[] = {{0, 3, 0}, {1, 3, 0}, {4, 3, 0}, {5, 4, 1}, {6, 7, 0}, {7, 7, 0}};

  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostileSession session(c.label);
    session.Open();
    auto send = [&](uint8_t type, Body body) {
      Bytes bytes = c.terminated
                        ? Body(body).Wide(c.name).bytes()
                        : Body(body)
                              .Raw(ToBytes(std::string(reinterpret_cast<const char*>(c.name.data()),
                                                       c.name.size() * 2)))
                              .bytes();
      return session.server.SendFrame(type, bytes);
    };
    const std::u16string asRead = AsRead(c.name, c.terminated);

    send(1, Body());
    EXPECT_EQ(session.NextReply(), (Reply{2, asRead, {0, 0, 0, 0}}));
    send(7, Body());
    EXPECT_EQ(session.NextReply(), (Reply{6, asRead, {0, 0, 0}}));
    send(3, Body().Int(50).Int(2).Int(0));
    EXPECT_EQ(session.NextReply(), (Reply{3, {}, {50, 1}}));
    for (const Kind& k : kinds) {
      SCOPED_TRACE(k.kind);
      send(3, Body().Int(60 + k.kind).Int(k.kind).Int(1000));
      session.server.SendRaw(Bytes(1000, 0xA5));
      EXPECT_EQ(session.NextReply(), (Reply{k.replyType, {}, {60 + k.kind + k.idOffset, 1}}));
    }
    session.ExpectStillAnswering();
    session.Finish();
    session.ExpectOnly();
  }
}

TEST(HostileServerTest, FramesOfEveryLength) {
  enum class Outcome { kBroken, kIgnored, kAnswered };
  Bytes longName = Body().Wide(std::u16string(8190, u'a')).Byte(0).bytes();  // 16,383 bytes
  struct Case {
    const char* label;
    Bytes bytes;
    Outcome outcome;
    Reply reply = {};
  } const cases[] = {
      {"length 0", {0, 0}, Outcome::kBroken},
      {"length 1", {1, 0}, Outcome::kBroken},
      {"length 2", {2, 0}, Outcome::kBroken},
      {"length 2 with more behind it", {2, 0, 1, 0, 0, 0}, Outcome::kBroken},
      {"length 3, type 0", {3, 0, 0}, Outcome::kIgnored},
      {"length 3, an inspection without a name",
       {3, 0, 1},
       Outcome::kAnswered,
       {2, u"", {0, 0, 0, 0}}},
      {"length 16,386, the largest", RawFrame(16386, 0, 16383), Outcome::kIgnored},
      {"length 16,386 holding a name past the buffer",
       wire::Frame(1, longName),
       Outcome::kAnswered,
       {2, std::u16string(259, u'a'), {0, 0, 0, 0}}},
      {"length 16,387", RawFrame(16387, 1, 16384), Outcome::kBroken},
      {"length 65,535", RawFrame(65535, 1, 65532), Outcome::kBroken},
      {"length 65,535, header only", RawFrame(65535, 3, 0), Outcome::kBroken},
      {"unknown type 9", wire::Frame(9, Body().Int(1).Int(2)), Outcome::kIgnored},
      {"unknown type 128", wire::Frame(128, Body().Wide(u"..\\x")), Outcome::kIgnored},
      {"unknown type 255", RawFrame(3, 255, 0), Outcome::kIgnored},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostileSession session(c.label);
    session.Open();
    session.server.SendRaw(c.bytes);
    switch (c.outcome) {
      case Outcome::kBroken:
        EXPECT_EQ(session.cli->Wait(), 1);
        ASSERT_FALSE(session.cli->Lines().empty());
        EXPECT_EQ(session.cli->Lines().back(), kLinkLost);
        break;
      case Outcome::kAnswered:
        EXPECT_EQ(session.NextReply(), c.reply);
        [[fallthrough]];
      case Outcome::kIgnored:
        session.ExpectStillAnswering();
        session.Finish();
        break;
    }
    session.ExpectOnly();
  }
}

TEST(HostileServerTest, BodiesShorterThanTheirFormat) {
  // Missing numbers read as 0 and a missing name as empty; the packet is handled with those.
  struct Case {
    const char* label;
    uint8_t type;
    Bytes body;
    std::vector<Reply> replies;
    int exitStatus = 0;  // 0: the exchange goes on and is finished normally
  } const cases[] = {
      {"VersionInfo without a body", 5, {}, {{1, {}, {61, 0, 0}}}},
      {"VersionInfo of 3 bytes", 5, {1, 2, 3}, {{1, {}, {61, 0, 0}}}},
      {"FileTransfer of an id and a half", 3, Body().Int(41).Byte(1).Byte(0), {{3, {}, {41, 1}}}},
      {"FileTransfer without its name", 3, Body().Int(42).Int(2).Int(0), {{3, {}, {42, 1}}}},
      {"FileTransfer without a body", 3, {}, {{3, {}, {0, 1}}}},
      {"InspectFile without a body", 1, {}, {{2, u"", {0, 0, 0, 0}}}},
      {"InspectFile with half a code unit", 1, {0x41}, {{2, u"", {0, 0, 0, 0}}}},
      {"InspectStagedFile without a body", 7, {}, {{6, u"", {0, 0, 0}}}},
      {"SpecialFileQuery of 2 bytes", 6, {8, 0}, {{4, {}, {0, 0}}}},
      {"FileCount of 1 byte", 8, {0xFF}, {}},
      {"a FileCount of -1", 8, Body().Int(-1), {}},
      {"ServerError without a body", 2, {}, {}, 1},
      {"UpdateComplete of 3 bytes", 4, {1, 2, 3}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostileSession session(c.label);
    session.Open();
    session.server.SendFrame(c.type, c.body);
    for (const Reply& reply : c.replies) EXPECT_EQ(session.NextReply(), reply);
    if (c.type == 4 || c.type == 2) {
      EXPECT_EQ(session.cli->Wait(), c.exitStatus);
    } else {
      session.ExpectStillAnswering();
      session.Finish();
    }
    session.ExpectOnly();
  }
}

TEST(HostileServerTest, SizesAndLinksCutShort) {
  enum class End { kFinish, kReset, kClose };
  constexpr int32_t kLargest = 2147483647;
  struct Case {
    const char* label;
    int32_t size;
    size_t sent;  // data bytes sent after the announcement
    End end;
    std::vector<Reply> replies;
    std::vector<std::string> files;
  } const cases[] = {
      {"size 0 creates an empty file", 0, 0, End::kFinish, {{3, {}, {70, 0}}}, {"data/x.dat"}},
      {"size -1 is refused at once", -1, 0, End::kFinish, {{3, {}, {70, 1}}}, {}},
      {"size -1 with bytes behind it that read as packets",
       -1,
       0,
       End::kFinish,
       {{3, {}, {70, 1}}},
       {}},
      {"the largest size, then a reset", kLargest, 70000, End::kReset, {}, {}},
      {"the largest size, then an orderly close", kLargest, 70000, End::kClose, {}, {}},
      {"a few bytes short, then a reset", 100, 99, End::kReset, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostileSession session(c.label);
    fs::create_directories(session.client / "data");
    session.Open("yes", c.end == End::kClose ? "3" : "60");
    session.server.SendFrame(3, Body().Int(70).Int(1).Int(c.size).Wide(u"data\\x.dat"));
    if (c.sent > 0) session.server.SendRaw(ToBytes(Pattern(c.sent)));
    for (const Reply& reply : c.replies) EXPECT_EQ(session.NextReply(), reply);
    switch (c.end) {
      case End::kFinish:
        session.ExpectStillAnswering();
        session.Finish();
        break;
      case End::kReset:
        ASSERT_TRUE(session.cli->WaitForLine("status: Download data\\x.dat file"));
        session.server.Reset();
        EXPECT_EQ(session.cli->Wait(), 1);
        EXPECT_EQ(session.cli->Lines().back(), kLinkLost);
        break;
      case End::kClose:
        // The link ends without an error: the launcher drops the transfer and waits, as it does
        // for any orderly close, until it is told to stop (here its timeout).
        ASSERT_TRUE(session.cli->WaitForLine("status: Download data\\x.dat file"));
        session.server.Close();
        EXPECT_EQ(session.cli->Wait(), 3);
        break;
    }
    session.ExpectOnly(c.files);
  }
}

TEST(HostileServerTest, ALinkCutInTheMiddleOfAFrame) {
  const Bytes frame = wire::Frame(1, Body().Wide(u"system\\qor.exe"));
  struct Case {
    const char* label;
    size_t kept;  // bytes of the frame sent before the cut
    bool reset;
  } const cases[] = {
      {"after one length byte, reset", 1, true},
      {"after the length, reset", 2, true},
      {"inside the name, reset", 9, true},
      {"after one length byte, orderly close", 1, false},
      {"inside the name, orderly close", 9, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostileSession session(c.label);
    session.Open("yes", c.reset ? "60" : "3");
    session.server.SendRaw(Bytes(frame.begin(), frame.begin() + static_cast<long>(c.kept)));
    std::this_thread::sleep_for(ScriptedServer::kPause);
    if (c.reset) {
      session.server.Reset();
      EXPECT_EQ(session.cli->Wait(), 1);
      EXPECT_EQ(session.cli->Lines().back(), kLinkLost);
    } else {
      session.server.Close();
      EXPECT_EQ(session.cli->Wait(), 3);
    }
    // The half frame was never taken for a packet.
    EXPECT_FALSE(session.server.WaitForReply(std::chrono::milliseconds(100)));
    session.ExpectOnly();
  }
}

TEST(HostileServerTest, TenThousandInspectionsInARow) {
  HostileSession session("inspections");
  WriteFile(session.client / "f7.dat", "short");
  session.Open();
  session.server.SendFrame(8, Body().Int(-1));  // FileCount -1: no range, still no fault
  constexpr int kCount = 10000;
  constexpr int kBatch = 250;
  for (int first = 0; first < kCount; first += kBatch) {
    std::vector<Bytes> frames;
    for (int i = first; i < first + kBatch; ++i) {
      std::string name = "f" + std::to_string(i % 500) + ".dat";
      frames.push_back(wire::Frame(1, Body().Wide(std::u16string(name.begin(), name.end()))));
    }
    ASSERT_TRUE(session.server.SendJoined(frames));
  }
  int answered = 0;
  for (int i = 0; i < kCount; ++i) {
    std::string name = "f" + std::to_string(i % 500) + ".dat";
    Reply reply = session.NextReply();
    if (reply != (Reply{2, std::u16string(name.begin(), name.end()), {0, 0, 0, 0}})) {
      ADD_FAILURE() << "inspection " << i << " answered as " << ::testing::PrintToString(reply);
      break;
    }
    ++answered;
  }
  EXPECT_EQ(answered, kCount);
  session.Finish();
  session.ExpectOnly({"f7.dat"});
}

TEST(HostileServerTest, AFloodOfRequestsWhileALongInflatePumpsMessages) {
  struct Case {
    const char* label;
    int32_t kind;
    int replyType;
    const char* stored;
  } const cases[] = {
      {"compressed file", 4, 3, "data/big.pak"},
      {"staged compressed file", 6, 7, "Patch/data/big.pak"},
  };
  const std::string content = Pattern(24 << 20);
  const std::string stream = Compress(content);
  constexpr int kFlood = 3000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    HostileSession session(c.label);
    fs::create_directories(session.client / "data");
    fs::create_directories(session.client / "Patch" / "data");
    session.Open();
    session.server.SendFrame(
        3,
        Body().Int(80).Int(c.kind).Int(static_cast<int32_t>(stream.size())).Wide(u"data\\big.pak"));
    session.server.SendRaw(ToBytes(stream));
    std::vector<Bytes> flood;
    for (int i = 0; i < kFlood; ++i) {
      flood.push_back(i % 3 == 0   ? wire::Frame(6, Body().Int(7))
                      : i % 3 == 1 ? wire::Frame(1, Body().Wide(u"data\\big.pak.zip"))
                                   : wire::Frame(8, Body().Int(-1)));
    }
    ASSERT_TRUE(session.server.SendJoined(flood));

    int special = 0;
    int inspections = 0;
    int transferReplies = 0;
    for (int i = 0; i < 2 * kFlood / 3 + 1; ++i) {
      Reply reply = session.NextReply(std::chrono::seconds(30));
      if (reply == Reply{4, {}, {7, 0}}) {
        ++special;
      } else if (reply.type == 2 && reply.name == u"data\\big.pak.zip") {
        ++inspections;
      } else if (reply == Reply{c.replyType, {}, {80, 0}}) {
        ++transferReplies;
      } else {
        ADD_FAILURE() << "unexpected reply " << ::testing::PrintToString(reply);
        break;
      }
    }
    EXPECT_EQ(special, kFlood / 3);
    EXPECT_EQ(inspections, kFlood / 3);
    EXPECT_EQ(transferReplies, 1);
    session.Finish();
    EXPECT_EQ(ReadFile(session.client / c.stored), content);
    session.ExpectOnly({c.stored});
  }
}

}  // namespace
}  // namespace veltharn::test
