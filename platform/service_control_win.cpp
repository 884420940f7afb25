#include "platform/service_control.hpp"

#include <string>

namespace kestrom::platform {

namespace {

// A service that is starting is asked again this often, this many times; the scheduler
// reaches its state in milliseconds, a slow machine in a few seconds.
constexpr DWORD kStatePollMs = 50;
constexpr int kStatePolls = 200;

UniqueService open_service(std::string_view name, DWORD rights, DWORD& error) {
  UniqueService manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) {
    error = GetLastError();
    return {};
  }
  UniqueService service(OpenServiceA(manager.get(), std::string(name).c_str(), rights));
  if (!service) error = GetLastError();
  return service;
}

std::optional<DWORD> state_of(SC_HANDLE service) {
  SERVICE_STATUS status{};
  if (!QueryServiceStatus(service, &status)) return std::nullopt;
  return status.dwCurrentState;
}

// Waits while the service reports `pending`; its last state.
std::optional<DWORD> wait_out(SC_HANDLE service, DWORD pending) {
  auto state = state_of(service);
  for (int i = 0; i < kStatePolls && state && *state == pending; ++i) {
    Sleep(kStatePollMs);
    state = state_of(service);
  }
  return state;
}

}  // namespace

std::optional<DWORD> service_state(std::string_view name) {
  DWORD error = 0;
  auto service = open_service(name, SERVICE_QUERY_STATUS, error);
  if (!service) return std::nullopt;
  return state_of(service.get());
}

DWORD start_service(std::string_view name) {
  DWORD error = 0;
  auto service = open_service(name, SERVICE_QUERY_STATUS | SERVICE_START, error);
  if (!service) return error;
  auto state = state_of(service.get());
  if (state && *state == SERVICE_RUNNING) return 0;
  if (!StartServiceA(service.get(), 0, nullptr)) {
    error = GetLastError();
    if (error != ERROR_SERVICE_ALREADY_RUNNING) return error;
  }
  state = wait_out(service.get(), SERVICE_START_PENDING);
  return state && *state == SERVICE_RUNNING ? 0 : ERROR_SERVICE_REQUEST_TIMEOUT;
}

}  // namespace kestrom::platform
