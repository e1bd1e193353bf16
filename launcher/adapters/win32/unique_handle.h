#pragma once

#include <windows.h>
#include <winsock2.h>

#include <utility>

namespace veltharn {

// One move-only owner for every Win32 resource. The trait names the handle type, its invalid
// value and how it is closed:
//   struct Traits { using Type = ...; static Type Invalid(); static void Close(Type); };
template <typename Traits>
class UniqueHandleOf {
 public:
  using Type = typename Traits::Type;

  UniqueHandleOf() = default;
  explicit UniqueHandleOf(Type value) : value_(value) {}
  ~UniqueHandleOf() { reset(); }
  UniqueHandleOf(const UniqueHandleOf&) = delete;
  UniqueHandleOf& operator=(const UniqueHandleOf&) = delete;
  UniqueHandleOf(UniqueHandleOf&& other) noexcept : value_(other.release()) {}
  UniqueHandleOf& operator=(UniqueHandleOf&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  [[nodiscard]] Type get() const { return value_; }
  [[nodiscard]] bool valid() const { return value_ != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }
  // Gives the value up without closing it.
  [[nodiscard]] Type release() { return std::exchange(value_, Traits::Invalid()); }
  void reset(Type value = Traits::Invalid()) {
    Type old = std::exchange(value_, value);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

 private:
  Type value_ = Traits::Invalid();
};

namespace handle_traits {

// Most kernel objects (events, mutexes, processes, threads): null when absent.
struct Kernel {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { CloseHandle(value); }
};
// CreateFile gives INVALID_HANDLE_VALUE, not null, on failure.
struct File {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) { CloseHandle(value); }
};
// FindFirstFile gives INVALID_HANDLE_VALUE too, and its search is ended by FindClose.
struct Find {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type value) { FindClose(value); }
};
struct Hkey {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { RegCloseKey(value); }
};
struct Module {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { FreeLibrary(value); }
};
struct Socket {
  using Type = SOCKET;
  static Type Invalid() { return INVALID_SOCKET; }
  static void Close(Type value) { closesocket(value); }
};
template <typename T>
struct Gdi {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { DeleteObject(value); }
};

}  // namespace handle_traits

using UniqueHandle = UniqueHandleOf<handle_traits::Kernel>;
using UniqueFile = UniqueHandleOf<handle_traits::File>;
using UniqueFind = UniqueHandleOf<handle_traits::Find>;
using UniqueHkey = UniqueHandleOf<handle_traits::Hkey>;
using UniqueModule = UniqueHandleOf<handle_traits::Module>;
using UniqueSocket = UniqueHandleOf<handle_traits::Socket>;
template <typename T>
using UniqueGdi = UniqueHandleOf<handle_traits::Gdi<T>>;

}  // namespace veltharn
