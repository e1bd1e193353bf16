#pragma once

// Frames and fields of the update protocol, seen from the server's side. A frame is a 2-byte
// little-endian total length (the length bytes included), one type byte and the body; numbers are
// little-endian 32-bit integers, names UTF-16LE ended by a zero code unit. Header-only so that the
// test peer and the reference server share it without linking any launcher code.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltharn::wire {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kHeaderSize = 3;

// Builds a body field by field: Body().Int(7).Wide(u"system\\qor.exe").
class Body {
 public:
  Body& Byte(std::uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  Body& Int(std::int32_t value) {
    const auto word = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(word >> shift));
    return *this;
  }
  // UTF-16LE code units, then the 16-bit zero.
  Body& Wide(std::u16string_view text) {
    for (char16_t unit : text) {
      bytes_.push_back(static_cast<std::uint8_t>(unit & 0xFF));
      bytes_.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes_.insert(bytes_.end(), {0, 0});
    return *this;
  }
  Body& Raw(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }

  const Bytes& bytes() const { return bytes_; }
  operator const Bytes&() const { return bytes_; }

 private:
  Bytes bytes_;
};

// One frame: length, type, body. The length is cut to 16 bits; oversized frames for tests of
// broken links are better written byte by byte.
inline Bytes Frame(std::uint8_t type, const Bytes& body = {}) {
  const std::size_t total = kHeaderSize + body.size();
  Bytes frame{static_cast<std::uint8_t>(total & 0xFF), static_cast<std::uint8_t>((total >> 8) & 0xFF), type};
  frame.insert(frame.end(), body.begin(), body.end());
  return frame;
}

struct Packet {
  std::uint8_t type = 0;
  Bytes body;  // the bytes behind the type byte
  bool operator==(const Packet&) const = default;
};

// Collects the bytes of a stream and hands out its complete frames in order.
class FrameReader {
 public:
  void Append(std::span<const std::uint8_t> bytes) { buffer_.insert(buffer_.end(), bytes.begin(), bytes.end()); }

  // The next complete frame, or nothing while its rest has not arrived. A length below 3 cannot
  // be framed: the stream is then broken and hands out nothing more.
  std::optional<Packet> Next() {
    if (broken_ || buffer_.size() < 2) return std::nullopt;
    const std::size_t total = buffer_[0] | (std::size_t{buffer_[1]} << 8);
    if (total < kHeaderSize) {
      broken_ = true;
      return std::nullopt;
    }
    if (buffer_.size() < total) return std::nullopt;
    Packet packet{buffer_[2], Bytes(buffer_.begin() + kHeaderSize, buffer_.begin() + static_cast<std::ptrdiff_t>(total))};
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
    return packet;
  }

  bool broken() const { return broken_; }
  std::size_t pending() const { return buffer_.size(); }

 private:
  Bytes buffer_;
  bool broken_ = false;
};

// Reads fields off a body from the front; every read fails once the body is too short.
class BodyReader {
 public:
  explicit BodyReader(std::span<const std::uint8_t> body) : body_(body) {}

  std::optional<std::int32_t> Int() {
    if (body_.size() - position_ < 4) return std::nullopt;
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i) word = (word << 8) | body_[position_ + static_cast<std::size_t>(i)];
    position_ += 4;
    return static_cast<std::int32_t>(word);
  }

  // UTF-16LE up to and over its zero code unit; fails when the zero is missing.
  std::optional<std::u16string> Wide() {
    std::u16string text;
    for (std::size_t at = position_; body_.size() - at >= 2; at += 2) {
      const auto unit = static_cast<char16_t>(body_[at] | (body_[at + 1] << 8));
      if (unit == 0) {
        position_ = at + 2;
        return text;
      }
      text.push_back(unit);
    }
    return std::nullopt;
  }

  bool AtEnd() const { return position_ == body_.size(); }

 private:
  std::span<const std::uint8_t> body_;
  std::size_t position_ = 0;
};

// The launcher's answer to an inspection ("cSdddd" behind the type byte): the name as it was asked
// for, the file size, trailer words 0 and 1, and the checksum.
struct InspectReply {
  std::u16string name;
  std::int32_t size = 0;
  std::int32_t word0 = 0;
  std::int32_t word1 = 0;
  std::int32_t checksum = 0;
  bool operator==(const InspectReply&) const = default;
};

// Nothing unless the body is exactly a name and four integers (the short staged form is not).
inline std::optional<InspectReply> ParseInspectReply(std::span<const std::uint8_t> body) {
  BodyReader reader(body);
  auto name = reader.Wide();
  auto size = reader.Int();
  auto word0 = reader.Int();
  auto word1 = reader.Int();
  auto checksum = reader.Int();
  if (!name || !size || !word0 || !word1 || !checksum || !reader.AtEnd()) return std::nullopt;
  return InspectReply{std::move(*name), *size, *word0, *word1, *checksum};
}

}  // namespace veltharn::wire
