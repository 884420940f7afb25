// kestrompro.dll: the monitor's outside component. From ordinal 2 to ordinal 3 a thread of its
// own waits for changes to the Run-family keys and posts message 9024 to the monitor window,
// so that the monitor runs its realtime check at the next tick instead of at the next patrol.
#include <windows.h>

#include <array>
#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "kestrompro/watch_list.hpp"
#include "platform/guard.hpp"
#include "platform/handles.hpp"

namespace kestrom::pro {

namespace {

constexpr UINT kRealtimeMessage = 9024;
// Arming a few dozen keys takes milliseconds; the bound only keeps a stuck registry from
// holding up the monitor's start-up.
constexpr DWORD kReadyWaitMs = 10000;
// Value writes and deletions in the key and below it (RunOnceEx keeps its entries in subkeys),
// and subkeys coming and going.
constexpr DWORD kKeyFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
// A parent stands in for a missing key only until that key is created.
constexpr DWORD kParentFilter = REG_NOTIFY_CHANGE_NAME;
// The same keys whatever the bitness of the process that loads us.
constexpr REGSAM kNotifyAccess = KEY_NOTIFY | KEY_WOW64_64KEY;

HKEY root_handle(Root root) { return root == Root::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// One registration: an open key and the event the registry sets when it changes.
struct Slot {
  platform::UniqueRegKey key;
  platform::UniqueHandle changed;  // auto-reset
};

// One watched key. The key is watched together with its parent (or, while the key is missing,
// the nearest parent that exists): a deleted key does not report its own deletion on every
// system, but its parent always sees a subkey go and come back.
struct Watch {
  WatchedKey target;
  std::vector<std::string> candidates;  // the key, then its parents
  Slot self;
  Slot parent;
};

void disarm(Slot& s) {
  // Closing a key that has a notification pending sets its event; that is not a change.
  s.key.reset();
  ResetEvent(s.changed.get());
}

bool listen(Slot& s, Root root, const std::string& path, bool subtree, DWORD filter) {
  if (RegOpenKeyExA(root_handle(root), path.c_str(), 0, kNotifyAccess, s.key.put()) != ERROR_SUCCESS) return false;
  if (RegNotifyChangeKeyValue(s.key.get(), subtree ? TRUE : FALSE, filter, s.changed.get(), TRUE) != ERROR_SUCCESS) {
    s.key.reset();
    return false;
  }
  return true;
}

// (Re)opens both registrations of a watch and asks for one notification each. Called again
// after every notification: the key may have been created or deleted meanwhile.
void arm(Watch& w) {
  disarm(w.self);
  disarm(w.parent);
  if (w.candidates.empty()) return;
  listen(w.self, w.target.root, w.candidates.front(), true, kKeyFilter);
  for (std::size_t i = 1; i < w.candidates.size(); ++i)
    if (listen(w.parent, w.target.root, w.candidates[i], false, kParentFilter)) return;
}

bool has_32bit_view() {
  platform::UniqueRegKey k;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node", 0, KEY_READ | KEY_WOW64_64KEY, k.put()) ==
         ERROR_SUCCESS;
}

// What ordinals 2 and 3 share with the watcher thread.
struct Component {
  SRWLOCK lock = SRWLOCK_INIT;
  platform::UniqueHandle thread;
  platform::UniqueHandle stop;   // manual-reset: set once by ordinal 3
  platform::UniqueHandle ready;  // manual-reset: the thread has armed its watches (or given up)
  std::atomic<HWND> window{nullptr};
};
Component g_component;

class Lock {
 public:
  explicit Lock(SRWLOCK& l) noexcept : l_(l) { AcquireSRWLockExclusive(&l_); }
  ~Lock() { ReleaseSRWLockExclusive(&l_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  SRWLOCK& l_;
};

// Ready is set on every way out, so the starter never waits for a thread that has failed.
class ReadyOnExit {
 public:
  explicit ReadyOnExit(HANDLE ready) noexcept : ready_(ready) {}
  ~ReadyOnExit() { SetEvent(ready_); }
  ReadyOnExit(const ReadyOnExit&) = delete;
  ReadyOnExit& operator=(const ReadyOnExit&) = delete;

 private:
  HANDLE ready_;
};

void watch(HANDLE stop, HANDLE ready) {
  ReadyOnExit signal_ready(ready);
  std::vector<Watch> watches;
  for (WatchedKey& k : watched_keys(has_32bit_view())) {
    if (watches.size() == kMaxWatchedKeys) break;
    Watch w{std::move(k), {}, {{}, platform::UniqueHandle(CreateEventA(nullptr, FALSE, FALSE, nullptr))},
            {{}, platform::UniqueHandle(CreateEventA(nullptr, FALSE, FALSE, nullptr))}};
    if (!w.self.changed || !w.parent.changed) continue;
    w.candidates = key_and_parents(w.target.path);
    watches.push_back(std::move(w));
  }
  // The stop event first, then each watch's two events side by side.
  std::vector<HANDLE> handles{stop};
  for (Watch& w : watches) {
    arm(w);
    handles.push_back(w.self.changed.get());
    handles.push_back(w.parent.changed.get());
  }
  SetEvent(ready);

  const auto count = static_cast<DWORD>(handles.size());
  for (;;) {
    const DWORD woke = WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE);
    // The stop signal comes first in the list, so it wins over changes that arrive with it.
    if (woke == WAIT_OBJECT_0 || woke - WAIT_OBJECT_0 >= count) return;
    // Re-arm every key that changed, then tell the monitor once: a program that writes several
    // values at a time needs only one realtime check.
    for (std::size_t j = 0; j < watches.size(); ++j) {
      const auto first = static_cast<DWORD>(1 + 2 * j);
      bool changed = false;
      for (DWORD i = first; i < first + 2; ++i)
        if (i == woke - WAIT_OBJECT_0 || WaitForSingleObject(handles[i], 0) == WAIT_OBJECT_0) changed = true;
      if (changed) arm(watches[j]);
    }
    PostMessageA(g_component.window.load(), kRealtimeMessage, 0, 0);
  }
}

DWORD WINAPI watcher_thread(LPVOID self) {
  // Out of memory while building the watch list: the monitor goes on without realtime checks.
  platform::guarded(
      "watcher thread", [] { watch(g_component.stop.get(), g_component.ready.get()); },
      [] { SetEvent(g_component.ready.get()); });
  // The thread holds its own reference to this library, so that unloading it without ordinal 3
  // cannot pull the code from under the thread.
  FreeLibraryAndExitThread(static_cast<HMODULE>(self), 0);
}

}  // namespace

}  // namespace kestrom::pro

extern "C" {

// Exported through kestrompro.def only, so no name reaches the export table.

// Ordinal 2: once per run, after the monitor's initialisation. Returns 1 when the watcher runs,
// 0 when it could not be started. A second call does not start a second watcher; it only moves
// the notifications to the window given, the one that now asks for them.
int WINAPI KestromProStart(HWND monitor_window) {
  using namespace kestrom::pro;
  if (!monitor_window || !IsWindow(monitor_window)) return 0;
  Component& c = g_component;
  Lock lock(c.lock);
  c.window.store(monitor_window);
  if (c.thread) {
    if (WaitForSingleObject(c.thread.get(), 0) == WAIT_TIMEOUT) return 1;
    c.thread.reset();  // it ended on its own (a failed wait): start afresh
  }
  c.stop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  c.ready.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // The thread's own reference to this library; it hands it back as it ends.
  kestrom::platform::UniqueModule self;
  if (c.stop && c.ready &&
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&g_component), self.put()))
    c.thread.reset(CreateThread(nullptr, 0, &watcher_thread, self.get(), 0, nullptr));
  if (!c.thread) {
    c.stop.reset();
    c.ready.reset();
    return 0;
  }
  self.release();
  // Changes made once the monitor has started are not missed.
  const std::array<HANDLE, 2> armed{c.ready.get(), c.thread.get()};
  WaitForMultipleObjects(static_cast<DWORD>(armed.size()), armed.data(), FALSE, kReadyWaitMs);
  return 1;
}

// Ordinal 3: the first step of the monitor's shutdown. Stops the watcher and waits for it, so
// nothing reaches the window afterwards. Harmless without ordinal 2, and when called twice.
int WINAPI KestromProStop() {
  using namespace kestrom::pro;
  Component& c = g_component;
  Lock lock(c.lock);
  if (!c.thread) return 0;
  SetEvent(c.stop.get());
  WaitForSingleObject(c.thread.get(), INFINITE);
  c.thread.reset();
  c.stop.reset();
  c.ready.reset();
  return 1;
}

}  // extern "C"
