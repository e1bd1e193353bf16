#include "launcher/link/packet_codec.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "launcher/control/debug_report.h"

namespace veltharn {
namespace {

// Writes the low `size` bytes of `value`, least significant first.
void PutLittleEndian(std::byte* out, uint64_t value, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::byte>(value >> (8 * i));
}

uint64_t GetLittleEndian(const std::byte* in, std::size_t size) {
  uint64_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value |= static_cast<uint64_t>(in[i]) << (8 * i);
  return value;
}

std::size_t NumberSize(char letter) {
  switch (letter) {
    case 'c':
      return 1;
    case 'h':
      return 2;
    case 'd':
      return 4;
    case 'f':
      return 8;
    default:
      return 0;
  }
}

void ReportMismatch(const char* what, char letter, std::string_view format) {
  ReportDebug("%s for %c in %.*s", what, letter, static_cast<int>(format.size()), format.data());
}

// The field of `letter` holding `value`, as a size and a way to copy it; false when the value
// cannot stand for that letter.
struct PackedField {
  std::size_t size = 0;
  uint64_t number = 0;               // c h d f
  const std::byte* bytes = nullptr;  // S s b: the bytes before the terminator
  std::size_t terminator = 0;        // S: 2, s: 1, b: 0
};

bool DescribeField(char letter, const PackValue& value, PackedField& field) {
  using Kind = PackValue::Kind;
  switch (letter) {
    case 'c':
    case 'h':
    case 'd':
      if (value.kind() != Kind::kInteger) return false;
      field.size = NumberSize(letter);
      field.number = static_cast<uint64_t>(value.integer());
      return true;
    case 'f':
      if (value.kind() == Kind::kDouble) {
        field.number = std::bit_cast<uint64_t>(value.real());
      } else if (value.kind() == Kind::kInteger) {
        field.number = std::bit_cast<uint64_t>(static_cast<double>(value.integer()));
      } else {
        return false;
      }
      field.size = 8;
      return true;
    case 'S': {
      if (value.kind() != Kind::kWide && value.kind() != Kind::kNull) return false;
      std::size_t units =
          value.kind() == Kind::kWide ? std::char_traits<char16_t>::length(value.wide()) : 0;
      field.bytes = reinterpret_cast<const std::byte*>(value.wide());
      field.terminator = 2;
      field.size = units * 2 + 2;
      return true;
    }
    case 's': {
      if (value.kind() != Kind::kNarrow && value.kind() != Kind::kNull) return false;
      std::size_t length = value.kind() == Kind::kNarrow ? std::strlen(value.narrow()) : 0;
      field.bytes = reinterpret_cast<const std::byte*>(value.narrow());
      field.terminator = 1;
      field.size = length + 1;
      return true;
    }
    case 'b':
      if (value.kind() != Kind::kBytes) return false;
      field.bytes = value.bytes().data();
      field.size = value.bytes().size();
      return true;
    default:
      return false;
  }
}

void CopyField(char letter, const PackedField& field, std::byte* out) {
  switch (letter) {
    case 'S': {
      // Code units go out little-endian whatever the host's order.
      std::size_t units = (field.size - 2) / 2;
      const auto* text = reinterpret_cast<const char16_t*>(field.bytes);
      for (std::size_t i = 0; i < units; ++i) PutLittleEndian(out + 2 * i, text[i], 2);
      PutLittleEndian(out + 2 * units, 0, 2);
      break;
    }
    case 's':
    case 'b': {
      std::size_t content = field.size - field.terminator;
      if (content != 0) std::memcpy(out, field.bytes, content);
      if (field.terminator != 0) out[content] = std::byte{0};
      break;
    }
    default:
      PutLittleEndian(out, field.number, field.size);
  }
}

bool IsPackLetter(char letter) {
  return std::string_view("chdfSsb").find(letter) != std::string_view::npos;
}

}  // namespace

std::size_t PackFields(std::span<std::byte> buffer, std::string_view format,
                       std::initializer_list<PackValue> values) {
  const std::size_t limit = std::min(buffer.size(), kMaxPackedBody);
  const PackValue* next = values.begin();
  std::size_t position = 0;
  for (char letter : format) {
    if (!IsPackLetter(letter)) continue;
    if (next == values.end()) {
      ReportMismatch("missing value", letter, format);
      return 0;
    }
    PackedField field;
    if (!DescribeField(letter, *next++, field)) {
      ReportMismatch("wrong value", letter, format);
      return 0;
    }
    if (field.size > limit - position) return 0;
    CopyField(letter, field, buffer.data() + position);
    position += field.size;
  }
  if (next != values.end()) {
    ReportDebug("too many values for %.*s", static_cast<int>(format.size()), format.data());
    return 0;
  }
  return position;
}

namespace {

bool TargetFits(char letter, UnpackTarget::Kind kind) {
  using Kind = UnpackTarget::Kind;
  switch (letter) {
    case 'c':
      return kind == Kind::kByte;
    case 'h':
      return kind == Kind::kWord;
    case 'd':
      return kind == Kind::kLong;
    case 'f':
      return kind == Kind::kDouble;
    case 'S':
      return kind == Kind::kWide;
    case 's':
      return kind == Kind::kNarrow;
    default:
      return false;
  }
}

void StoreNumber(const UnpackTarget& target, uint64_t value) {
  void* out = target.pointer();
  if (out == nullptr) return;
  switch (target.kind()) {
    case UnpackTarget::Kind::kByte:
      *static_cast<uint8_t*>(out) = static_cast<uint8_t>(value);
      break;
    case UnpackTarget::Kind::kWord: {
      auto word = static_cast<uint16_t>(value);
      std::memcpy(out, &word, sizeof word);
      break;
    }
    case UnpackTarget::Kind::kLong: {
      auto word = static_cast<uint32_t>(value);
      std::memcpy(out, &word, sizeof word);
      break;
    }
    case UnpackTarget::Kind::kDouble:
      *static_cast<double*>(out) = std::bit_cast<double>(value);
      break;
    default:
      break;
  }
}

// Reads an S field at `position`; returns the position behind it.
std::size_t ReadWide(std::span<const std::byte> body, std::size_t position,
                     const UnpackTarget& target) {
  auto* out = static_cast<char16_t*>(target.pointer());
  const std::size_t capacity = target.capacity();
  const std::size_t maxUnits = capacity > 0 ? capacity - 1 : 0;
  std::size_t copied = 0;
  for (;;) {
    if (copied == maxUnits) break;  // cut by the capacity: the position stays inside the string
    std::size_t at = position + 2 * copied;
    if (body.size() - at < 2) {
      // The string's end is not in the body.
      if (out != nullptr && capacity > 0) out[0] = u'\0';
      return body.size();
    }
    auto unit = static_cast<char16_t>(GetLittleEndian(body.data() + at, 2));
    if (unit == u'\0') break;
    if (out != nullptr) out[copied] = unit;
    ++copied;
  }
  if (out != nullptr && capacity > 0) out[copied] = u'\0';
  return std::min(body.size(), position + 2 * copied + 2);
}

// Reads an s field at `position`; returns the position behind it.
std::size_t ReadNarrow(std::span<const std::byte> body, std::size_t position,
                       const UnpackTarget& target) {
  auto* out = static_cast<char*>(target.pointer());
  const std::size_t capacity = target.capacity();
  std::size_t length = 0;  // the string's bytes, at most `capacity` of them
  while (length < capacity) {
    if (position + length == body.size()) {
      if (out != nullptr && capacity > 0) out[0] = '\0';
      return body.size();
    }
    if (body[position + length] == std::byte{0}) break;
    ++length;
  }
  if (out != nullptr && capacity > 0) {
    std::size_t kept = std::min(length, capacity - 1);
    if (kept != 0) std::memcpy(out, body.data() + position, kept);
    out[kept] = '\0';
  }
  return std::min(body.size(), position + length + 1);
}

}  // namespace

std::size_t UnpackFields(std::span<const std::byte> body, std::string_view format,
                         std::initializer_list<UnpackTarget> targets) {
  const UnpackTarget* next = targets.begin();
  std::size_t position = 0;
  for (char letter : format) {
    std::size_t size = NumberSize(letter);
    if (size == 0 && letter != 'S' && letter != 's') {
      ReportDebug("unknown type %c in %.*s", letter, static_cast<int>(format.size()),
                  format.data());
      continue;
    }
    if (next == targets.end()) {
      ReportMismatch("missing destination", letter, format);
      return position;
    }
    const UnpackTarget& target = *next;
    if (!TargetFits(letter, target.kind())) {
      ReportMismatch("wrong destination", letter, format);
      return position;
    }
    ++next;
    if (letter == 'S') {
      position = ReadWide(body, position, target);
    } else if (letter == 's') {
      position = ReadNarrow(body, position, target);
    } else if (body.size() - position < size) {
      StoreNumber(target, 0);
      position = body.size();
    } else {
      StoreNumber(target, GetLittleEndian(body.data() + position, size));
      position += size;
    }
  }
  return position;
}

}  // namespace veltharn
