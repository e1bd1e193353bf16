#pragma once

// Runs veltharn-cli as a child process for end-to-end tests: its standard output goes to a file
// that the test reads line by line while the child runs; a child that outlives its deadline is
// killed, so a test never hangs.

#include <chrono>
#include <string>
#include <vector>

namespace veltharn::test {

class CliProcess {
 public:
  // Starts `program` with `arguments` in `directory`.
  CliProcess(const std::string& program, const std::vector<std::string>& arguments,
             const std::string& directory);
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  // Waits for the child to end; its exit status, or -1 when it had to be killed.
  int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // True once a line equal to `line` has been printed.
  bool WaitForLine(const std::string& line,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Every line printed so far.
  std::vector<std::string> Lines() const;
  std::string ErrorOutput() const;

 private:
  int pid_ = -1;
  int status_ = -1;
  bool ended_ = false;
  std::string outPath_;
  std::string errPath_;
};

// The veltharn-cli program of this build.
std::string CliProgramPath();

}  // namespace veltharn::test
