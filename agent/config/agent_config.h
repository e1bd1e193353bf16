#pragma once
// Values built into the library and shared with the agent.
#include <array>
#include <string_view>

namespace pellorix {

// The agent service address written as "ServerURL=" into the launch file.
inline constexpr std::string_view kFixedServiceUrl = "http://qel.kelvaro.co.kr";

// Fills the zero-filled work buffer with the 36-character link text, one character at a time so
// that the text never stands whole in the binary. The link key is its first 16 characters.
void AssembleLinkText(std::array<char, 260>& work);

}  // namespace pellorix
