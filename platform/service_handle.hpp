// The service manager's handles (the manager itself and one service), closed once.
#pragma once
#include <windows.h>

#include "platform/handles.hpp"

namespace kestrom::platform {

struct ServiceHandleTraits {
  using Handle = SC_HANDLE;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { CloseServiceHandle(h); }
};
using UniqueService = Unique<ServiceHandleTraits>;

}  // namespace kestrom::platform
