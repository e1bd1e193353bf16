#pragma once
// The process queries of one Windows family. Names and paths compare without regard to case.
#include <cstdint>
#include <string>

namespace pellorix {

class CProcessTool {
 public:
  virtual ~CProcessTool() = default;
  virtual bool IsRunning(const std::string& nameOrPath) = 0;
  // True if a process of that name has the file among its modules.
  virtual bool IsRunningFrom(const std::string& name, const std::string& fullPath) = 0;
  // True unless a termination failed.
  virtual bool TerminateByName(const std::string& name) = 0;
  virtual bool TerminateMatching(const std::string& text) = 0;
  virtual bool IsModuleOf(std::uint32_t processId, std::uint32_t unused, const std::string& path) = 0;
  virtual bool HasModule(std::uint32_t processId, std::uint32_t unused, const std::string& path) = 0;
  virtual bool IsReady() const = 0;
};

}  // namespace pellorix
