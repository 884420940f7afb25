#include "tools/driver_win.hpp"

#include <commctrl.h>

#include <utility>

#include "platform/callback_guard.hpp"
#include "platform/handles.hpp"

namespace kestrom::driver {

namespace {

constexpr UINT kTextTimeoutMs = 2000;

bool matches(HWND hwnd, const WindowQuery& q) {
  if (q.visible_only && !IsWindowVisible(hwnd)) return false;
  if (q.process_id != 0) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != q.process_id) return false;
  }
  if (!q.class_name.empty() && class_of(hwnd) != q.class_name) return false;
  if (!q.title.empty()) {
    char title[512] = {};
    GetWindowTextA(hwnd, title, static_cast<int>(sizeof title));
    const std::string t(title);
    if (t != q.title) return false;
  }
  return true;
}

struct FindState {
  const WindowQuery* query;
  std::vector<HWND> found;
};

BOOL collect_top(HWND hwnd, LPARAM lp) {
  auto* state = reinterpret_cast<FindState*>(lp);
  if (matches(hwnd, *state->query)) state->found.push_back(hwnd);
  return TRUE;
}

BOOL collect_child(HWND hwnd, LPARAM lp) {
  auto* out = reinterpret_cast<std::vector<Control>*>(lp);
  out->push_back({hwnd, GetDlgCtrlID(hwnd), class_of(hwnd), text_of(hwnd)});
  return TRUE;
}

// Memory in another process, freed with it.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, SIZE_T size)
      : process_(process), ptr_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  ~RemoteBuffer() {
    if (ptr_) VirtualFreeEx(process_, ptr_, 0, MEM_RELEASE);
  }
  void* get() const noexcept { return ptr_; }
  char* at(SIZE_T offset) const noexcept { return static_cast<char*>(ptr_) + offset; }

 private:
  HANDLE process_;
  void* ptr_;
};

}  // namespace

std::string class_of(HWND window) {
  char name[256] = {};
  int n = GetClassNameA(window, name, static_cast<int>(sizeof name));
  return std::string(name, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string text_of(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &length))
    return {};
  std::string text(length + 1, '\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           kTextTimeoutMs, &got))
    return {};
  text.resize(std::min<std::size_t>(got, length));
  return text;
}

std::vector<HWND> find_windows(const WindowQuery& query) {
  FindState state{&query, {}};
  EnumWindows(&platform::enum_windows_procedure<&collect_top>, reinterpret_cast<LPARAM>(&state));
  return std::move(state.found);
}

bool poll(const std::function<bool()>& condition, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(kPollMs);
  }
}

HWND wait_for_window(const WindowQuery& query, DWORD timeout_ms) {
  HWND found = nullptr;
  poll(
      [&] {
        auto all = find_windows(query);
        found = all.empty() ? nullptr : all.front();
        return found != nullptr;
      },
      timeout_ms);
  return found;
}

bool wait_until_gone(HWND window, DWORD timeout_ms) {
  return poll([&] { return !IsWindow(window); }, timeout_ms);
}

std::vector<Control> children(HWND window) {
  std::vector<Control> out;
  EnumChildWindows(window, &platform::enum_windows_procedure<&collect_child>, reinterpret_cast<LPARAM>(&out));
  return out;
}

std::string all_texts(HWND window) {
  std::string out;
  for (const Control& c : children(window)) {
    if (c.text.empty()) continue;
    if (!out.empty()) out += '\n';
    out += c.text;
  }
  return out;
}

bool press(HWND dialog, int button_id) {
  HWND button = GetDlgItem(dialog, button_id);
  return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) !=
         FALSE;
}

bool post_command(HWND window, int command, LPARAM lp) {
  return PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), lp) != FALSE;
}

bool post(HWND window, UINT message, WPARAM wp, LPARAM lp) { return PostMessageA(window, message, wp, lp) != FALSE; }

std::vector<std::vector<std::string>> read_list_view(HWND list_view, int max_columns) {
  std::vector<std::vector<std::string>> rows;
  DWORD pid = 0;
  GetWindowThreadProcessId(list_view, &pid);
  platform::UniqueHandle process(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE, pid));
  if (!process) return rows;

  int columns = 1;
  if (HWND header = reinterpret_cast<HWND>(SendMessageA(list_view, LVM_GETHEADER, 0, 0)))
    columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  columns = std::max(1, std::min(columns, max_columns));

  constexpr SIZE_T kTextSize = 1024;
  RemoteBuffer remote(process.get(), sizeof(LVITEMA) + kTextSize);
  if (!remote.get()) return rows;
  char* remote_text = remote.at(sizeof(LVITEMA));

  const int count = static_cast<int>(SendMessageA(list_view, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    std::vector<std::string> cells;
    for (int col = 0; col < columns; ++col) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iSubItem = col;
      item.pszText = remote_text;
      item.cchTextMax = static_cast<int>(kTextSize);
      std::string text;
      if (WriteProcessMemory(process.get(), remote.get(), &item, sizeof item, nullptr)) {
        DWORD_PTR length = 0;
        SendMessageTimeoutA(list_view, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                            reinterpret_cast<LPARAM>(remote.get()), SMTO_ABORTIFHUNG, kTextTimeoutMs, &length);
        char local[kTextSize] = {};
        if (length > 0 && ReadProcessMemory(process.get(), remote_text, local, kTextSize - 1, nullptr))
          text.assign(local, std::min<std::size_t>(length, kTextSize - 1));
      }
      cells.push_back(std::move(text));
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

bool select_list_row(HWND list_view, int row) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list_view, &pid);
  platform::UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid));
  if (!process) return false;
  RemoteBuffer remote(process.get(), sizeof(LVITEMA));
  if (!remote.get()) return false;
  auto set_state = [&](int which, UINT state) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = state;
    DWORD_PTR done = 0;
    return WriteProcessMemory(process.get(), remote.get(), &item, sizeof item, nullptr) &&
           SendMessageTimeoutA(list_view, LVM_SETITEMSTATE, static_cast<WPARAM>(which),
                               reinterpret_cast<LPARAM>(remote.get()), SMTO_ABORTIFHUNG, kTextTimeoutMs, &done) &&
           done != 0;
  };
  return set_state(-1, 0) && set_state(row, LVIS_SELECTED | LVIS_FOCUSED);
}

bool set_list_check(HWND list_view, int row, bool checked) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list_view, &pid);
  platform::UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid));
  if (!process) return false;
  RemoteBuffer remote(process.get(), sizeof(LVITEMA));
  if (!remote.get()) return false;
  LVITEMA item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  DWORD_PTR done = 0;
  return WriteProcessMemory(process.get(), remote.get(), &item, sizeof item, nullptr) &&
         SendMessageTimeoutA(list_view, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(remote.get()), SMTO_ABORTIFHUNG, kTextTimeoutMs, &done) &&
         done != 0;
}

bool list_checked(HWND list_view, int row) {
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutA(list_view, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK,
                           SMTO_ABORTIFHUNG, kTextTimeoutMs, &state))
    return false;
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

namespace {

// The middle of a row's label in the list's client coordinates, as a mouse message's lParam.
bool row_point(HWND list_view, int row, LPARAM& at) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list_view, &pid);
  platform::UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
  if (!process) return false;
  RemoteBuffer remote(process.get(), sizeof(RECT));
  if (!remote.get()) return false;
  RECT r{LVIR_LABEL, 0, 0, 0};
  DWORD_PTR done = 0;
  if (!WriteProcessMemory(process.get(), remote.get(), &r, sizeof r, nullptr) ||
      !SendMessageTimeoutA(list_view, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.get()),
                           SMTO_ABORTIFHUNG, kTextTimeoutMs, &done) ||
      done == 0 || !ReadProcessMemory(process.get(), remote.get(), &r, sizeof r, nullptr))
    return false;
  at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return true;
}

// The lParam of a key message: repeat count 1, the key's scan code, and for the release the
// previous-state and transition bits.
LPARAM key_data(UINT virtual_key, bool release) {
  const UINT scan = MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC);
  LPARAM lp = 1 | static_cast<LPARAM>(scan << 16);
  if (release) lp |= static_cast<LPARAM>(0xC0000000u);
  return lp;
}

}  // namespace

bool right_click_list_row(HWND list_view, int row) {
  LPARAM at = 0;
  if (!row_point(list_view, row, at)) return false;
  // The release waits in the queue before the list looks for a drag, so the list sees a click
  // (NM_RCLICK) without a real mouse.
  return PostMessageA(list_view, WM_RBUTTONDOWN, MK_RBUTTON, at) != 0 && PostMessageA(list_view, WM_RBUTTONUP, 0, at) != 0;
}

bool press_key(HWND window, UINT virtual_key) {
  return PostMessageA(window, WM_KEYDOWN, virtual_key, key_data(virtual_key, false)) != 0 &&
         PostMessageA(window, WM_KEYUP, virtual_key, key_data(virtual_key, true)) != 0;
}

bool type_char(HWND window, char c) {
  return PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), key_data(VkKeyScanA(c) & 0xFF, false)) != 0;
}

HWND wait_for_popup_menu(DWORD process_id, DWORD timeout_ms) {
  WindowQuery q;
  q.class_name = "#32768";
  q.process_id = process_id;
  q.visible_only = true;
  return wait_for_window(q, timeout_ms);
}

bool double_click_list_row(HWND list_view, int row) {
  LPARAM at = 0;
  if (!row_point(list_view, row, at)) return false;
  // The list answers the double click alone (NM_DBLCLK); a posted button-down could start
  // its drag detection, which waits for a real mouse.
  return PostMessageA(list_view, WM_LBUTTONDBLCLK, MK_LBUTTON, at) != 0;
}

}  // namespace kestrom::driver
