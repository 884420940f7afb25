#include <windows.h>

#include "common/paths.hpp"
#include "common/trace.hpp"

namespace kestrom::trace {

namespace {

// Process-wide: one trace per program run.
State g_state;
std::string g_file;

void write(const std::optional<Entry>& e) {
  if (!e || g_file.empty()) return;
  // The private-profile writer replaces an entry with the same key; a file that cannot be
  // written (missing or read-only folder) just leaves the trace unwritten.
  WritePrivateProfileStringA(std::string(kSection).c_str(), e->key.c_str(), e->value.c_str(), g_file.c_str());
}

}  // namespace

void set_file(std::string path) { g_file = std::move(path); }
void set_enabled(bool on) noexcept { g_state.set_enabled(on); }
bool enabled() noexcept { return g_state.enabled(); }
void note_alert_shown() noexcept { g_state.note_alert_shown(); }

void begin(std::string_view tag, std::string_view label) {
  if (!g_state.enabled()) return;
  write(g_state.begin(tag, label, GetTickCount(), local_now()));
}

void end() {
  if (!g_state.enabled()) return;
  write(g_state.end(GetTickCount()));
}

}  // namespace kestrom::trace
