#pragma once
// User notice port: a message box with an OK button.
#include <string>

namespace pellorix {

class UserNotice {
 public:
  virtual ~UserNotice() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace pellorix
