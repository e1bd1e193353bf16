#include "launcher/adapters/posix/reg_file_registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace veltharn {
namespace {

constexpr const char* kRootName = "HKEY_LOCAL_MACHINE\\";

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    done += static_cast<size_t>(count);
  }
  return true;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Reads a quoted text starting at `at` (the opening quote); `*end` is set behind the closing one.
bool ReadQuoted(const std::string& line, size_t at, std::string* text, size_t* end) {
  if (at >= line.size() || line[at] != '"') return false;
  text->clear();
  for (size_t i = at + 1; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      text->push_back(line[++i]);
    } else if (line[i] == '"') {
      *end = i + 1;
      return true;
    } else {
      text->push_back(line[i]);
    }
  }
  return false;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return quoted + "\"";
}

// "01,ab,ff": bytes in hex, separated by commas (spaces around them allowed); "" is no bytes.
bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes) {
  if (text.find_first_not_of(' ') == std::string::npos) return true;
  std::istringstream parts(text);
  std::string part;
  while (std::getline(parts, part, ',')) {
    size_t first = part.find_first_not_of(' ');
    size_t last = part.find_last_not_of(' ');
    if (first == std::string::npos) return false;
    part = part.substr(first, last - first + 1);
    if (part.size() > 2 || !std::all_of(part.begin(), part.end(), [](char c) {
          return std::isxdigit(static_cast<unsigned char>(c));
        })) {
      return false;
    }
    bytes->push_back(static_cast<uint8_t>(std::stoul(part, nullptr, 16)));
  }
  return text.back() != ',';
}

// The value text behind "=": dword:..., "...", hex:..., hex(N):...
bool ParseValue(const std::string& text, RegistryValue* value) {
  if (text.rfind("dword:", 0) == 0) {
    std::string digits = text.substr(6);
    if (digits.empty() || digits.size() > 8 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
      return false;
    }
    uint32_t word = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
    value->type = kRegDword;
    value->data = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                   static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
    return true;
  }
  if (!text.empty() && text[0] == '"') {
    std::string content;
    size_t end = 0;
    if (!ReadQuoted(text, 0, &content, &end) || end != text.size()) return false;
    value->type = kRegString;
    value->data.assign(content.begin(), content.end());
    value->data.push_back(0);
    return true;
  }
  if (text.rfind("hex:", 0) == 0) {
    value->type = kRegBinary;
    return ParseHexBytes(text.substr(4), &value->data);
  }
  if (text.rfind("hex(", 0) == 0) {
    size_t close = text.find("):");
    if (close == std::string::npos) return false;
    try {
      value->type = static_cast<uint32_t>(std::stoul(text.substr(4, close - 4), nullptr, 16));
    } catch (...) {
      return false;
    }
    return ParseHexBytes(text.substr(close + 2), &value->data);
  }
  return false;
}

std::string FormatValue(const RegistryValue& value) {
  char buffer[16];
  if (value.type == kRegDword && value.data.size() == 4) {
    uint32_t word = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                    static_cast<uint32_t>(value.data[3]) << 24;
    std::snprintf(buffer, sizeof buffer, "%08x", word);
    return std::string("dword:") + buffer;
  }
  bool plainText = value.type == kRegString && !value.data.empty() && value.data.back() == 0 &&
                   std::find(value.data.begin(), value.data.end() - 1, 0) == value.data.end() - 1;
  if (plainText) return Quoted(std::string(value.data.begin(), value.data.end() - 1));
  std::string text = value.type == kRegBinary ? "hex:" : "hex(" + [&] {
    std::snprintf(buffer, sizeof buffer, "%x", value.type);
    return std::string(buffer);
  }() + "):";
  for (size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%s%02x", i == 0 ? "" : ",", value.data[i]);
    text += buffer;
  }
  return text;
}

}  // namespace

class RegFileRegistry::OpenKey : public RegistryKey {
 public:
  OpenKey(RegFileRegistry& owner, std::string key, bool writable)
      : owner_(owner), key_(std::move(key)), writable_(writable) {}

  std::optional<RegistryValue> Read(const std::string& name) override {
    const Key& key = owner_.keys_[key_];
    auto it = key.values.find(Lower(name));
    if (it == key.values.end()) return std::nullopt;
    return it->second.value;
  }
  bool WriteDword(const std::string& name, uint32_t word) override {
    return Write(
        name, RegistryValue{kRegDword,
                            {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                             static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)}});
  }
  bool WriteString(const std::string& name, const std::string& text) override {
    RegistryValue value{kRegString, std::vector<uint8_t>(text.begin(), text.end())};
    value.data.push_back(0);
    return Write(name, value);
  }

 private:
  bool Write(const std::string& name, const RegistryValue& value) {
    if (!writable_) return false;
    Key& key = owner_.keys_[key_];
    std::map<std::string, Value> before = key.values;
    auto [it, added] = key.values.try_emplace(Lower(name), Value{name, value});
    if (!added) it->second.value = value;
    if (owner_.Save()) return true;
    key.values = std::move(before);  // what is read stays what the file holds
    return false;
  }

  RegFileRegistry& owner_;
  std::string key_;
  bool writable_;
};

RegFileRegistry::RegFileRegistry(std::string path) : file_(std::move(path)) {
  Load();
}

std::unique_ptr<RegistryKey> RegFileRegistry::CreateKey(const std::string& path,
                                                        RegistryAccess access) {
  std::string lower = Lower(path);
  auto it = keys_.find(lower);
  if (it == keys_.end()) {
    // Opening for reading creates the key too, as RegCreateKeyEx does, but only in memory until
    // something is written to it.
    keys_[lower].path = path;
    if (access == RegistryAccess::kAll && !Save()) {
      keys_.erase(lower);
      return nullptr;
    }
  }
  return std::make_unique<OpenKey>(*this, lower, access == RegistryAccess::kAll);
}

void RegFileRegistry::Load() {
  std::ifstream in(file_, std::ios::binary);
  if (!in) {
    loaded_ = access(file_.c_str(), F_OK) != 0 && errno == ENOENT;  // missing: an empty registry
    return;
  }
  std::string line;
  std::string current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Long hex values go on over lines that end in "\", as regedit writes them.
    std::string more;
    while (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos &&
           std::getline(in, more)) {
      if (!more.empty() && more.back() == '\r') more.pop_back();
      line.pop_back();
      line += more.substr(std::min(more.find_first_not_of(' '), more.size()));
    }
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      std::string path = line.substr(1, line.size() - 2);
      if (Lower(path).rfind(Lower(kRootName), 0) != 0) {
        current.clear();
        continue;
      }
      path = path.substr(std::string(kRootName).size());
      current = Lower(path);
      if (!keys_.count(current)) keys_[current].path = path;
      continue;
    }
    if (current.empty() || line.empty() || line[0] != '"') continue;
    std::string name;
    size_t end = 0;
    if (!ReadQuoted(line, 0, &name, &end) || end >= line.size() || line[end] != '=') continue;
    RegistryValue value;
    if (!ParseValue(line.substr(end + 1), &value)) continue;
    keys_[current].values[Lower(name)] = Value{name, value};
  }
}

bool RegFileRegistry::Save() const {
  if (!loaded_) return false;  // never replace a file whose values were not read
  std::ostringstream text;
  text << "REGEDIT4\n";
  for (const auto& [lower, key] : keys_) {
    text << "\n[" << kRootName << key.path << "]\n";
    for (const auto& [name, value] : key.values) {
      text << Quoted(value.name) << "=" << FormatValue(value.value) << "\n";
    }
  }
  // A whole new file, on disk before it takes the old one's name: a crash leaves one or the other.
  std::string temporary = file_ + ".new";
  std::string bytes = text.str();
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (!written || std::rename(temporary.c_str(), file_.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace veltharn
