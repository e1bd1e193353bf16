#include "launch_file/launch_file.h"

#include <optional>
#include <span>

#include "common/text.h"
#include "config/agent_config.h"
#include "http/folder_creation.h"
#include "seed/c_seed_hex_encoder.h"

namespace pellorix {
namespace {

std::string ToTextModeBytes(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(c);
  }
  return bytes;
}

}  // namespace

std::string PortalUserFolder(const std::string& userProfile) {
  return userProfile + "\\AppData\\LocalLow\\Kelvaro\\PortalQel";
}

std::string EncodeServerUrl2(const std::string& serviceUrl) {
  const std::string hex = CSeedHexEncoder().Encode(CutToBuffer(serviceUrl));
  std::string grouped;
  grouped.reserve(hex.size() * 3 / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    if (i != 0) grouped.push_back(',');
    grouped.append(hex, i, 2);
  }
  return grouped;
}

std::string BuildLaunchFileBytes(const LaunchOrder& order) {
  std::string text;
  text += "[PortalKey]\r\n";
  text += "Key=Brennix\n\n";
  text += "[ServerInfo]\r\n";
  text += "ServerURL=" + std::string(kFixedServiceUrl) + "\r\n";
  text += "ServerURL2=" + EncodeServerUrl2(order.serviceUrl) + "\r\n";
  text += "\r\n";
  text += "[ClientInfo]\r\n";
  text += "User=" + order.userName + "\r\n";
  text += "show=0\r\n";
  text += "ExeCount=1\r\n";
  text += "UpdateType=0\r\n";
  text += "SendClientInfo=0\r\n";
  text += "ActiveXFileName=Pellorix.ocx\r\n";
  text += "ActiveXVer=\r\n";
  text += "ActiveXPath=C:\\Windows\\system32\r\n";
  text += "PST=" + std::to_string(order.pst) + "\r\n";
  text += "Launcher=" + std::to_string(order.launcher) + "\r\n";
  text += "HANDLE=" + std::to_string(order.window) + "\r\n";
  if (!order.appFullPath.empty()) text += "AppFullPath=" + CutToBuffer(order.appFullPath) + "\r\n";
  return ToTextModeBytes(text);
}

void WriteLaunchFile(FileSystem& files, UserNotice& notice, const std::string& userProfile,
                     const LaunchOrder& order) {
  const std::string folder = PortalUserFolder(userProfile);
  CreateFolderWithParents(files, folder);
  const std::optional<std::string> path = FitToBuffer(folder + "\\PInfo.dat");
  if (!path) return;
  if (files.Exists(*path) && !files.Delete(*path)) notice.ShowMessage("PInfo Delete Failed");
  const auto file = files.CreateForWriting(*path);
  if (!file) return;
  const std::string bytes = BuildLaunchFileBytes(order);
  file->Write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            bytes.size()));
}

}  // namespace pellorix
