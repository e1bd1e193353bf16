// veltharn-cli with an agent library of its own in the client folder: the security-patch step
// after a completed exchange, through the pipe the library answers on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/headless/cli_process.h"
#include "tests/support/scripted_server.h"

namespace veltharn::test {
namespace {

namespace fs = std::filesystem;

class CliAgentTest : public ::testing::Test {
 protected:
  CliAgentTest() {
    client = fs::temp_directory_path() /
             ("veltharn-cli-agent-" + std::to_string(getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(client);
    fs::create_directories(client);
    fs::copy_file(VELTHARN_TEST_AGENT_PATH, client / "Pellorix.so");
    for (const char* name : {"VELTHARN_TEST_AGENT_CHECK", "VELTHARN_TEST_AGENT_INSTALL",
                             "VELTHARN_TEST_AGENT_RESULT"}) {
      unsetenv(name);
    }
  }
  ~CliAgentTest() override { fs::remove_all(client); }

  // Runs a whole exchange that ends with UpdateComplete; the launcher's exit status.
  int RunExchange(const char* answer, const char* language = "en") {
    cli = std::make_unique<CliProcess>(
        CliProgramPath(),
        std::vector<std::string>{"--root", client.string(), "--server", "127.0.0.1", "--port",
                                 std::to_string(server.port()), "--answer", answer, "--lang",
                                 language, "--timeout", "20"},
        client.string());
    EXPECT_TRUE(server.WaitForConnection());
    EXPECT_TRUE(server.WaitForReply());
    server.SendFrame(4, Body().Int(3).Int(0));
    return cli->Wait();
  }
  std::string Calls() {
    std::ifstream in(client / "agent-calls.txt");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path client;
  ScriptedServer server;
  std::unique_ptr<CliProcess> cli;
};

TEST_F(CliAgentTest, AnAcceptedMissingUpdateIsCarriedOut) {
  EXPECT_EQ(RunExchange("yes"), 0) << cli->ErrorOutput();
  std::vector<std::string> lines = cli->Lines();
  ASSERT_GE(lines.size(), 6u);
  std::vector<std::string> tail(lines.end() - 6, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{
                      "status: Agent is checking for the installation of Authorized Update for "
                      "Windows.",
                      "status: Authorized Update for Windows has not been installed.",
                      "box: Accept to use and install the Microsoft Windows Patch Service: "
                      "마이크로소프트 윈도우 패치서비스 이용 약관",
                      "answer: yes",
                      "status: All the files have been updated.",
                      "buttons: enabled",
                  }));
  EXPECT_NE(Calls().find("QelExecute 3"), std::string::npos);
  EXPECT_EQ(Calls().find("QelInstall"), std::string::npos);  // the check said installed
  EXPECT_NE(Calls().find("QelInspector /"), std::string::npos);
}

TEST_F(CliAgentTest, DecliningTheTermsEndsTheLauncher) {
  EXPECT_EQ(RunExchange("no"), 1);
  EXPECT_EQ(cli->Lines().back(), "answer: no");
  EXPECT_EQ(Calls().find("QelExecute"), std::string::npos);
}

TEST_F(CliAgentTest, AnInstalledUpdateNeedsNoAgreement) {
  setenv("VELTHARN_TEST_AGENT_RESULT", "1", 1);
  EXPECT_EQ(RunExchange("no"), 0);
  std::vector<std::string> lines = cli->Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3],
            "status: Authorized Update for Windows has already been installed.");
  for (const std::string& line : lines) EXPECT_EQ(line.rfind("box:", 0), std::string::npos);
}

TEST_F(CliAgentTest, AnAgentThatCannotBeInstalledIsNotInspected) {
  setenv("VELTHARN_TEST_AGENT_CHECK", "11", 1);
  setenv("VELTHARN_TEST_AGENT_INSTALL", "13", 1);
  EXPECT_EQ(RunExchange("yes"), 0);
  EXPECT_NE(Calls().find("QelInstall http://agent.veltharn.example 335282538 1107329462 30"),
            std::string::npos);
  EXPECT_EQ(Calls().find("QelInspector"), std::string::npos);
}

TEST_F(CliAgentTest, TheAgreementInKorean) {
  EXPECT_EQ(RunExchange("yes", "ko"), 0);
  std::vector<std::string> lines = cli->Lines();
  bool found = false;
  for (const std::string& line : lines) {
    found = found || line == "box: 마이크로소프트 윈도우 패치서비스 이용 및 설치 동의: "
                             "마이크로소프트 윈도우 패치서비스 이용 약관";
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace veltharn::test
