// The registry root of a Run-family code as the handle the registry layer opens it under.
#pragma once
#include <windows.h>

#include "startup/places.hpp"

namespace kestrom {

inline HKEY run_family_root_key(int code) noexcept {
  return run_family_root(code) == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

}  // namespace kestrom
