#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <type_traits>

namespace veltharn {

// Packet bodies are runs of fields laid out by a format of one-letter types, little-endian on the
// wire whatever the host:
//   c  1 byte          h  2 bytes         d  4 bytes         f  8-byte IEEE 754 double
//   S  UTF-16LE code units, then a 16-bit zero
//   s  bytes of the ANSI code page, then a zero byte
//   b  raw bytes, no length on the wire (packing only)

// The most a packed body may hold: the send buffer keeps it behind its 2-byte length.
inline constexpr std::size_t kMaxPackedBody = 8190;

// The bytes of a `b` field. Not owned; they must outlive the PackFields call.
struct ByteRun {
  std::span<const std::byte> bytes;
};

// One argument of PackFields. Built implicitly from what the letters take: an integer (c, h, d,
// and f), a double (f), a UTF-16 string (S), a byte string (s), nullptr (S or s: the terminator
// alone) or a ByteRun (b). Strings are zero-terminated and not owned.
class PackValue {
 public:
  enum class Kind { kInteger, kDouble, kWide, kNarrow, kNull, kBytes };

  template <std::integral T>
  PackValue(T value) : kind_(Kind::kInteger), integer_(static_cast<int64_t>(value)) {}
  // Packet types and statuses are enumerations; they pack as the integers they stand for.
  template <typename T>
    requires std::is_enum_v<T>
  PackValue(T value)
      : kind_(Kind::kInteger), integer_(static_cast<int64_t>(value)) {}
  PackValue(double value) : kind_(Kind::kDouble), real_(value) {}
  PackValue(const char16_t* text) : kind_(text ? Kind::kWide : Kind::kNull), wide_(text) {}
  PackValue(const char* text) : kind_(text ? Kind::kNarrow : Kind::kNull), narrow_(text) {}
  PackValue(std::nullptr_t) : kind_(Kind::kNull) {}
  PackValue(ByteRun run) : kind_(Kind::kBytes), bytes_(run.bytes) {}

  [[nodiscard]] Kind kind() const { return kind_; }
  [[nodiscard]] int64_t integer() const { return integer_; }
  [[nodiscard]] double real() const { return real_; }
  [[nodiscard]] const char16_t* wide() const { return wide_; }
  [[nodiscard]] const char* narrow() const { return narrow_; }
  [[nodiscard]] std::span<const std::byte> bytes() const { return bytes_; }

 private:
  Kind kind_;
  int64_t integer_ = 0;
  double real_ = 0;
  const char16_t* wide_ = nullptr;
  const char* narrow_ = nullptr;
  std::span<const std::byte> bytes_;
};

// Writes `values` into `buffer` by `format` and returns the number of bytes written. Returns 0,
// and the caller sends nothing, when a field would end more than kMaxPackedBody bytes (or more
// than buffer.size() bytes) behind the start, or when the values do not match the letters (a
// value of the wrong kind, too few or too many values: a programming error, reported with
// ReportDebug). Letters outside the table write nothing and take no value.
[[nodiscard]] std::size_t PackFields(std::span<std::byte> buffer, std::string_view format,
                                     std::initializer_list<PackValue> values);

// One destination of UnpackFields: a pointer to a number (c: uint8_t, h: int16_t or uint16_t,
// d: int32_t or uint32_t, f: double) or a string buffer (S: char16_t, s: char) whose size is its
// capacity. A null pointer reads the field and discards it.
class UnpackTarget {
 public:
  enum class Kind { kByte, kWord, kLong, kDouble, kWide, kNarrow };

  UnpackTarget(uint8_t* value) : kind_(Kind::kByte), pointer_(value) {}
  UnpackTarget(int16_t* value) : kind_(Kind::kWord), pointer_(value) {}
  UnpackTarget(uint16_t* value) : kind_(Kind::kWord), pointer_(value) {}
  UnpackTarget(int32_t* value) : kind_(Kind::kLong), pointer_(value) {}
  UnpackTarget(uint32_t* value) : kind_(Kind::kLong), pointer_(value) {}
  UnpackTarget(double* value) : kind_(Kind::kDouble), pointer_(value) {}
  UnpackTarget(std::span<char16_t> text)
      : kind_(Kind::kWide), pointer_(text.data()), capacity_(text.size()) {}
  UnpackTarget(std::span<char> text)
      : kind_(Kind::kNarrow), pointer_(text.data()), capacity_(text.size()) {}
  template <std::size_t N>
  UnpackTarget(char16_t (&text)[N]) : UnpackTarget(std::span<char16_t>(text)) {}
  template <std::size_t N>
  UnpackTarget(char (&text)[N]) : UnpackTarget(std::span<char>(text)) {}

  [[nodiscard]] Kind kind() const { return kind_; }
  [[nodiscard]] void* pointer() const { return pointer_; }
  // Elements (code units or bytes) of a string destination.
  [[nodiscard]] std::size_t capacity() const { return capacity_; }

 private:
  Kind kind_;
  void* pointer_;
  std::size_t capacity_ = 0;
};

// Reads the fields of `body` by `format` into `targets` and returns the offset just behind the
// last field read. Never reads past the body: a number that does not fit reads as 0, a string
// whose end is not in the body reads as empty, and reading stops at the end of the body.
//   S into N code units: at most N - 1 units are copied, up to the first zero unit, and always
//     terminated; the position advances by two bytes per copied unit plus 2, so a string cut by
//     the capacity leaves the position inside it.
//   s into N bytes: at most N - 1 bytes are kept (terminated); the position advances over the
//     string's bytes, at most N of them, and one byte more.
// A letter outside the table (b included) is reported with ReportDebug ("unknown type %c in %s")
// and takes no target. A target of the wrong kind, or a missing one, is a programming error: it is
// reported, reading stops there and the remaining targets are left untouched.
[[nodiscard]] std::size_t UnpackFields(std::span<const std::byte> body, std::string_view format,
                                       std::initializer_list<UnpackTarget> targets);

}  // namespace veltharn
