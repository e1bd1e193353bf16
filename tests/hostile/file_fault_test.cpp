// Faults of the file port in the middle of transfers and inspections: the Nth create, write,
// move, copy, delete or folder creation fails, or the disk fills up. Whatever fails, the server
// gets one clear answer or the user a box, and no file is left half-written: every file is either
// as it was before or exactly what the server sent.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "launcher/control/message_catalogue.h"
#include "launcher/control/message_ids.h"
#include "tests/update/transfer_fixture.h"

namespace veltharn::test {
namespace {

using Operation = MemoryFileSystem::Operation;
using Replies = std::vector<std::vector<int32_t>>;

std::string Text(int id) {
  return CatalogueText(id, Language::kEnglish);
}

const std::string kOld = "the old content of the file";

// One exchange step that touches files, run against a client folder with old files in it.
struct Scenario {
  const char* label;
  int32_t kind;         // FileTransfer kind, or -1 for a staged inspection
  std::string target;   // the file the step writes
  std::string content;  // what the target holds once the step succeeds
  std::string sent;     // the bytes on the wire (compressed for kinds 4 and 6)
  int replyType;        // the type that answers the step
};

std::vector<Scenario> Scenarios() {
  const std::string whole = TransferClient::Pattern(20000);
  const std::string big = TransferClient::Pattern((1 << 20) * 2 + 4321);
  const std::string packed = TransferClient::Compressed(big);
  return {
      {"whole file", kWholeFile, "system\\qor.exe", whole, whole, kTransferResult},
      {"compressed file", kCompressedFile, "data\\big.pak", big, packed, kTransferResult},
      {"staged compressed file", kStagedCompressedFile, "Patch\\data\\big.pak", big, packed,
       kStagedTransferResult},
      {"special file", kSpecialFile, "system\\GameGuard.des", whole, whole, kSpecialFileResult},
      {"removal", kRemoveFile, "system\\old.dat", "", "", kTransferResult},
      {"staged inspection", -1, "Patch\\system\\qor.exe", kOld, "", kStagedInspectResult},
  };
}

struct Outcome {
  Replies replies;
  std::vector<std::string> boxes;
  bool ended = false;
  std::map<std::string, std::string> files;
  std::string left;  // bytes of the server's stream not read
};

// Runs `scenario` on a fresh client whose file system fails as `arrange` sets up; the Yes/No
// boxes are answered with `answer`.
template <typename Arrange>
Outcome RunScenario(const Scenario& scenario, Arrange arrange, int answer = kIdNo) {
  TransferClient client;
  MemoryFileSystem& files = client.host.fileSystem;
  files.AddFile("system\\qor.exe", kOld);
  files.AddFile("system\\GameGuard.des", kOld);
  files.AddFile("system\\old.dat", kOld);
  files.AddFile("data\\big.pak", kOld);
  files.AddFolder("Patch\\data");
  client.host.view.answers.assign(4, answer);
  arrange(files);

  const std::string next("\x07\x00\x08\x03\x00\x00\x00", 7);  // FileCount 3, read afterwards
  if (scenario.kind < 0) {
    DispatchPacket(
        client.host, client.host.link,
        ExchangeTestHost::MakePacket(kInspectStagedFile, wire::Body().Wide(u"system\\qor.exe")));
  } else {
    client.Announce(1, scenario.kind, static_cast<int32_t>(scenario.sent.size()),
                    scenario.kind == kStagedCompressedFile
                        ? u"data\\big.pak"
                        : std::u16string(scenario.target.begin(), scenario.target.end()));
    client.Arrive(scenario.sent.substr(0, 5000));
    client.Arrive(scenario.sent.substr(std::min<size_t>(5000, scenario.sent.size())) + next);
  }

  Outcome outcome;
  outcome.replies = client.Replies();
  for (const FakeView::Box& box : client.host.view.boxes) outcome.boxes.push_back(box.text);
  outcome.ended = client.Ended();
  for (const std::string& name : files.FileNames()) outcome.files[name] = files.Find(name)->bytes;
  outcome.left = client.host.socket().incoming;
  EXPECT_TRUE(files.outside.empty()) << "a change outside the client folder: " << files.outside[0];
  if (!outcome.ended && scenario.kind >= 0) {
    EXPECT_EQ(client.host.link.transferState, kReceivingPackets);
  }
  return outcome;
}

std::string Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) c = c == '/' ? '\\' : static_cast<char>(std::tolower(c));
  return key;
}

// What every outcome must be, fault or not. Only a failing delete may leave the compressed copy.
void ExpectNothingHalfDone(const Scenario& scenario, const Outcome& outcome,
                           bool deleteFails = false) {
  for (const auto& [name, bytes] : outcome.files) {
    SCOPED_TRACE(name);
    if (deleteFails && name == Key(scenario.target) + ".zip") continue;
    EXPECT_FALSE(name.ends_with(".zip")) << "a compressed copy stayed behind";
    EXPECT_FALSE(name.ends_with(".new") || name.ends_with(".nex") || name.ends_with(".rtp"));
    if (name == Key(scenario.target)) {
      EXPECT_TRUE(bytes == kOld || bytes == scenario.content) << "half-written target";
    } else {
      EXPECT_EQ(bytes, kOld) << "a file the step does not write changed";
    }
  }
  if (outcome.ended) {
    EXPECT_FALSE(outcome.boxes.empty()) << "the launcher ended without telling why";
    return;
  }
  // The exchange goes on: one answer, and packet reading resumes behind the data.
  // A write or folder that fails is answered with TransferResult for every kind but the staged.
  ASSERT_EQ(outcome.replies.size(), 1u);
  EXPECT_TRUE(outcome.replies[0][0] == scenario.replyType ||
              outcome.replies[0][0] == kTransferResult);
  if (scenario.kind >= 0) {
    EXPECT_EQ(outcome.left.size(), 7u);
  }
  if (scenario.kind >= 0 && scenario.kind != kRemoveFile && scenario.kind != kSpecialFile) {
    auto target = outcome.files.find(Key(scenario.target));
    bool stored = target != outcome.files.end() && target->second == scenario.content;
    EXPECT_EQ(outcome.replies[0].back() == kTransferDone, stored);
  }
}

TEST(FileFaultTest, TheNthCallOfEveryOperationFails) {
  const Operation operations[] = {Operation::kCreate, Operation::kWrite,   Operation::kMove,
                                  Operation::kCopy,   Operation::kDelete,  Operation::kCreateFolder,
                                  Operation::kOpen,   Operation::kFullPath};
  int runs = 0;
  for (const Scenario& scenario : Scenarios()) {
    SCOPED_TRACE(scenario.label);
    for (Operation operation : operations) {
      SCOPED_TRACE(static_cast<int>(operation));
      for (int nth = 1; nth <= 6; ++nth) {
        SCOPED_TRACE(nth);
        for (int answer : {kIdNo, kIdYes}) {
          ExpectNothingHalfDone(
              scenario,
              RunScenario(
                  scenario, [&](MemoryFileSystem& files) { files.FailOnCall(operation, nth); },
                  answer),
              operation == Operation::kDelete);
          ++runs;
        }
      }
    }
  }
  RecordProperty("runs", runs);
}

TEST(FileFaultTest, ADiskThatFillsUp) {
  // From the Nth write on, every write fails.
  for (const Scenario& scenario : Scenarios()) {
    SCOPED_TRACE(scenario.label);
    for (int nth = 1; nth <= 5; ++nth) {
      SCOPED_TRACE(nth);
      ExpectNothingHalfDone(scenario, RunScenario(scenario, [&](MemoryFileSystem& files) {
                              for (int call = nth; call < nth + 2000; ++call) {
                                files.FailOnCall(Operation::kWrite, call);
                              }
                            }));
    }
  }
}

TEST(FileFaultTest, EachFaultGivesItsAnswer) {
  struct Case {
    const char* scenario;
    Operation operation;
    int nth;
    int answer;
    Replies replies;
    std::optional<int> box;  // the last box, when one is shown
    bool ended;
    bool afterDownload = false;  // nth counts from the end of the download
  } const cases[] = {
      // The data is written in 8192-byte pieces; the second one fails: one reply, data dropped.
      {"whole file", Operation::kWrite, 2, kIdNo, {{kTransferResult, 1, 1}}, {}, false},
      {"whole file", Operation::kCreate, 1, kIdNo, {}, msg::kCannotCreateFile, true},
      {"whole file",
       Operation::kCreate,
       1,
       kIdYes,
       {{kTransferResult, 1, 1}},
       msg::kCannotCreateFile,
       false},
      // Folder creation fails only where a folder is missing: "system" is there.
      {"whole file", Operation::kCreateFolder, 1, kIdNo, {{kTransferResult, 1, 0}}, {}, false},
      {"whole file", Operation::kFullPath, 1, kIdNo, {{kTransferResult, 1, 1}}, msg::kNoFile, true},
      // The inflated target cannot be created, written, or the download not moved aside.
      {"compressed file", Operation::kCreate, 2, kIdNo, {}, msg::kDecompressionFailed, true},
      {"compressed file", Operation::kWrite, 1, kIdNo, {}, msg::kDecompressionFailed, true, true},
      {"compressed file", Operation::kMove, 1, kIdNo, {}, msg::kDecompressionFailed, true},
      {"staged compressed file",
       Operation::kWrite,
       1,
       kIdNo,
       {{kStagedTransferResult, 1, 1}},
       {},
       false},
      // A removal that fails is still reported as done, as the server expects.
      {"removal", Operation::kDelete, 1, kIdNo, {{kTransferResult, 1, 0}}, {}, false},
      // A staged copy that fails only means the server will send the whole file.
      {"staged inspection", Operation::kCopy, 1, kIdNo, {{kStagedInspectResult}}, {}, false},
  };
  std::map<std::string, Scenario> byLabel;
  for (const Scenario& scenario : Scenarios()) byLabel.emplace(scenario.label, scenario);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    SCOPED_TRACE(static_cast<int>(c.operation));
    const Scenario& scenario = byLabel.at(c.scenario);
    // The download is written in a piece of 5000 bytes, then in pieces of 8192.
    const int downloadWrites = 1 + static_cast<int>((scenario.sent.size() - 5000 + 8191) / 8192);
    Outcome outcome = RunScenario(
        scenario,
        [&](MemoryFileSystem& files) {
          files.FailOnCall(c.operation, c.nth + (c.afterDownload ? downloadWrites : 0));
        },
        c.answer);
    if (scenario.kind >= 0) {
      EXPECT_EQ(outcome.replies, c.replies);
    } else {
      ASSERT_EQ(outcome.replies.size(), 1u);
      EXPECT_EQ(outcome.replies[0][0], c.replies[0][0]);
    }
    EXPECT_EQ(outcome.ended, c.ended);
    if (c.box) {
      ASSERT_FALSE(outcome.boxes.empty());
      // A Yes/No box about a file begins with the file's name.
      EXPECT_TRUE(outcome.boxes.back().ends_with(Text(*c.box))) << outcome.boxes.back();
    } else {
      EXPECT_TRUE(outcome.boxes.empty());
    }
    ExpectNothingHalfDone(scenario, outcome);
  }
}

}  // namespace
}  // namespace veltharn::test
