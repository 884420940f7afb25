// The service control manager: a service's state and starting it, by name.
#pragma once
#include <windows.h>

#include <optional>
#include <string_view>

#include "platform/service_handle.hpp"

namespace kestrom::platform {

// The service's current state (SERVICE_RUNNING, ...); nullopt when it cannot be opened or asked.
std::optional<DWORD> service_state(std::string_view name);
// Starts the service and waits (bounded) while it reports start pending. 0 when it runs or was
// already running; otherwise the Win32 error of the step that failed.
DWORD start_service(std::string_view name);

}  // namespace kestrom::platform
