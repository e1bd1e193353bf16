#include "launcher/adapters/posix/reg_file_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace veltharn {
namespace {

constexpr const char* kRootName = "HKEY_LOCAL_MACHINE\\";

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

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes) {
  std::string digits;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits.push_back(c);
    } else if (c != ',' && c != ' ' && c != '\\') {
      return false;
    }
  }
  if (digits.size() % 2 != 0) return false;
  for (size_t i = 0; i < digits.size(); i += 2) {
    bytes->push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
  return true;
}

// The value text behind "=": dword:..., "...", hex:..., hex(N):...
bool ParseValue(const std::string& text, RegistryValue* value) {
  if (text.rfind("dword:", 0) == 0) {
    std::string digits = text.substr(6);
    if (digits.size() != 8 || !std::all_of(digits.begin(), digits.end(), [](char c) {
          return std::isxdigit(static_cast<unsigned char>(c));
        })) {
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
    return Write(name, RegistryValue{kRegDword,
                                     {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                                      static_cast<uint8_t>(word >> 16),
                                      static_cast<uint8_t>(word >> 24)}});
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
    auto [it, added] = key.values.try_emplace(Lower(name), Value{name, value});
    if (!added) it->second.value = value;
    return owner_.Save();
  }

  RegFileRegistry& owner_;
  std::string key_;
  bool writable_;
};

RegFileRegistry::RegFileRegistry(std::string path) : file_(std::move(path)) { Load(); }

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
    std::ifstream probe(file_);
    loaded_ = !probe.good();  // missing is fine: an empty registry
    return;
  }
  std::string line;
  std::string current;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
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
  std::ostringstream text;
  text << "REGEDIT4\n";
  for (const auto& [lower, key] : keys_) {
    text << "\n[" << kRootName << key.path << "]\n";
    for (const auto& [name, value] : key.values) {
      text << Quoted(value.name) << "=" << FormatValue(value.value) << "\n";
    }
  }
  std::string temporary = file_ + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), file_.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace veltharn
