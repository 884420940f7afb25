// RAII owners for the Win32 handles the programs use. Each closes its handle exactly once;
// none throws. Move-only.
#pragma once
#include <windows.h>

#include <utility>

namespace kestrom::platform {

// Owns a handle released by Close(h) when valid; Traits give the invalid value and the closer.
template <typename Traits>
class Unique {
 public:
  using Handle = typename Traits::Handle;
  Unique() noexcept = default;
  explicit Unique(Handle h) noexcept : h_(h) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
  Unique& operator=(Unique&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::invalid()));
    return *this;
  }
  ~Unique() { reset(); }

  Handle get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
  Handle release() noexcept { return std::exchange(h_, Traits::invalid()); }
  void reset(Handle h = Traits::invalid()) noexcept {
    if (h_ != Traits::invalid()) Traits::close(h_);
    h_ = h;
  }
  // For APIs that fill a handle through a pointer; drops the current one first.
  Handle* put() noexcept {
    reset();
    return &h_;
  }

 private:
  Handle h_ = Traits::invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { CloseHandle(h); }
};
// CreateFile and FindFirstFile report failure with INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Handle h) noexcept { CloseHandle(h); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(Handle h) noexcept { FindClose(h); }
};
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { FreeLibrary(h); }
};
struct IconTraits {
  using Handle = HICON;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { DestroyIcon(h); }
};
struct GdiTraits {
  using Handle = HGDIOBJ;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { DeleteObject(h); }
};
struct MenuTraits {
  using Handle = HMENU;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { DestroyMenu(h); }
};

struct RegKeyTraits {
  using Handle = HKEY;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { RegCloseKey(h); }
};

using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueIcon = Unique<IconTraits>;
using UniqueGdi = Unique<GdiTraits>;
using UniqueMenu = Unique<MenuTraits>;
// An open registry key. RegKey (platform/reg_key.hpp) adds the value access most callers want.
using UniqueRegKey = Unique<RegKeyTraits>;

}  // namespace kestrom::platform
