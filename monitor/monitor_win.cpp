#include "monitor/monitor_win.hpp"

#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "kestrompro/kestrompro.hpp"
#include "common/msgbox.hpp"
#include "common/options_table.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "common/trace.hpp"
#include "monitor/command_line.hpp"
#include "platform/callback_guard.hpp"
#include "monitor/string_ids.h"
#include "platform/handles.hpp"
#include "platform/process.hpp"

namespace kestrom::monitor {

namespace {

constexpr std::size_t kMaxTooltip = 127;  // NOTIFYICONDATA's tip holds 128 with its terminator
constexpr std::size_t kMenuTextSize = 128;

}  // namespace

MonitorOptions load_monitor_options() {
  MonitorOptions o;
  o.all = load_all_options(Program::Monitor);
  o.hide_icon = o.all[Opt::HideRusko] == 1;
  o.tray_icon = read_option(Opt::TrayIcon);
  return o;
}

int count_running_processes() {
  // The buffer grows until the list fits: a full buffer may mean more processes.
  std::vector<DWORD> ids(1024);
  for (;;) {
    DWORD bytes = 0;
    const DWORD capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!EnumProcesses(ids.data(), capacity, &bytes)) return 0;
    if (bytes < capacity || ids.size() >= (1u << 20)) return static_cast<int>(bytes / sizeof(DWORD));
    ids.resize(ids.size() * 2);
  }
}

Monitor::Monitor(HINSTANCE instance, MonitorHooks hooks) : instance_(instance), hooks_(std::move(hooks)) {}

Monitor::~Monitor() {
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (!class_name_.empty()) UnregisterClassA(class_name_.c_str(), instance_);
}

bool Monitor::create(const std::string& class_name, const std::string& title, bool express_boot) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &platform::window_procedure<&Monitor::window_proc>;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(icon::kNormal));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = class_name.c_str();
  if (!RegisterClassExA(&wc)) return false;
  class_name_ = class_name;
  hwnd_ = CreateWindowExA(0, class_name.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr, nullptr,
                          instance_, this);
  if (!hwnd_) return false;
  ShowWindow(hwnd_, SW_HIDE);
  express_boot_ = express_boot;

  com_.emplace(COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  return true;
}

void Monitor::initialise() {
  alert_showing = false;
  patrol_.set_last_cycle_time(GetTickCount64());
  const ProductState state =
      hooks_.initialise ? hooks_.initialise() : initialise_product(Program::Monitor, hooks_.product);
  reload_options();
  always_run_ = state.always_run;
  tick_.start(express_boot_, state.delay_count);

  trace::begin("START", "From Initialize to Post");
  KestromProStart(hwnd_);
  trace::end();
  PostMessageA(hwnd_, WM_COMMAND, cmd::kStartOfRun, 0);
}

int Monitor::run_message_loop() {
  MSG msg{};
  BOOL got;
  while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 0;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

LRESULT Monitor::window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<Monitor*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  if (!self->hwnd_) self->hwnd_ = hwnd;
  return self->handle(msg, wp, lp);
}

LRESULT Monitor::handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      on_command(LOWORD(wp), lp);
      break;
    case WM_TIMER:
      if (wp == kPatrolTimerId) on_tick();
      break;
    case kTrayCallbackMessage:
      on_tray(wp, lp);
      break;
    case kRealtimeMessage:
      tick_.notify_realtime();
      break;
    case WM_CLOSE:
      // Asked to close from outside (a task manager): the same exit request as "Exit", and a
      // window that is to stay must not be destroyed on the way.
      exit_request(0);
      return 0;
    case WM_DESTROY:
      // Command 6030 and a second instance's "-Q" post this message without destroying the
      // window; the real one comes only after shutdown.
      if (!shut_down_) exit_request(wp);
      break;
    default:
      if (taskbar_created_ != 0 && msg == taskbar_created_) {
        icon_added_ = false;
        if (!options_.hide_icon) add_tray_icon();
      }
      break;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

void Monitor::on_command(int command, LPARAM lp) {
  if (command < cmd::kFirst || command > cmd::kLast) return;
  if (auto sw = explorer_switch(command)) {
    start_explorer(*sw);
    return;
  }
  switch (command) {
    case cmd::kStartOfRun:
      start_of_run();
      break;
    case cmd::kQuit:
      PostMessageA(hwnd_, WM_DESTROY, 0, 0);
      break;
    case cmd::kAlwaysRun: {
      const bool wanted = !always_run_;
      set_always_run(wanted, hooks_.product);
      always_run_ = always_run_state();
      if (always_run_ != wanted) message_box(hwnd_, text::load(IDS_ALWAYS_RUN_REFUSED), MB_OK | MB_ICONEXCLAMATION);
      break;
    }
    case cmd::kTrayIconShowHide:
      // The explorer writes HideRusko before it sends this: showing follows the stored value,
      // so a copy taken while the icon was hidden cannot keep it hidden after unticking.
      if (lp != 0) {
        delete_tray_icon();
        break;
      }
      options_.hide_icon = read_option(Opt::HideRusko) == 1;
      if (!options_.hide_icon) add_tray_icon();
      break;
    default:
      break;
  }
}

void Monitor::start_of_run() {
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  menu_busy_ = false;
  if (!options_.hide_icon) add_tray_icon();
  if (hooks_.release_lists) hooks_.release_lists();
  if (hooks_.clear_alert_memory) hooks_.clear_alert_memory();
  tick_.start_of_run();
  if (timer_ != 0) KillTimer(hwnd_, kPatrolTimerId);
  timer_ = SetTimer(hwnd_, kPatrolTimerId, kTickPeriodMs, nullptr);
}

void Monitor::on_tick() {
  TickActions a = tick_.tick({alert_showing, patrol_busy});
  if (a.launch_delayed && hooks_.launch_delayed) tick_.set_delay_started(hooks_.launch_delayed(*a.launch_delayed));
  if (a.patrol_cycle) {
    patrol_cycle();
    tick_.patrol_finished();
  }
  if (a.realtime_check) realtime_check();
  if (a.realtime_rest) {
    trace::begin("RID", "Possible System Conflict");
    Sleep(kRealtimeRestMs);
    trace::end();
  }
}

void Monitor::realtime_check() {
  trace::begin("* * * VERIFY TASKS", "Check for Task Change");
  const int count = hooks_.count_processes ? hooks_.count_processes() : 0;
  if (count != last_process_count_) {
    take_up_option_changes();
    patrol_.bring_forward(options_.all);
    tick_.bring_patrol_forward();
  }
  trace::end();
  last_process_count_ = count;
  if (hooks_.release_lists) hooks_.release_lists();
}

void Monitor::take_up_option_changes() {
  if (read_option(Opt::Update) == 0) return;
  reload_options();
  write_option(Opt::Update, 0);
}

void Monitor::reload_options() {
  options_ = load_monitor_options();
  patrol_.load(options_.all);
}

int Monitor::patrol_cycle() {
  trace::begin("VERIFY", "Enter Verify function");
  trace::end();
  // Options the explorer changed are taken up here too: the realtime check does it only when
  // the running programs changed, which may not happen for a long time.
  take_up_option_changes();
  const CyclePlan plan = patrol_.begin_cycle(alert_showing, patrol_busy, options_.hide_icon, GetTickCount64());
  if (plan.outcome == CyclePlan::Outcome::Skipped) return plan.result();
  if (hooks_.release_lists) hooks_.release_lists();
  if (plan.refresh_tray_icon) {
    delete_tray_icon();
    add_tray_icon();
  }
  if (plan.outcome == CyclePlan::Outcome::TooSoon) {
    trace::begin("VERIFY", "Exit Early because we recently did a verify");
    trace::end();
    return plan.result();
  }

  patrol_busy = true;
  // Examining files must not bring up the system's own boxes (an empty removable drive, say).
  const UINT previous_mode = SetErrorMode(SEM_FAILCRITICALERRORS);
  if (plan.half == 0)
    show_tray_state(icon::kFirstHalf, IDS_TIP_STARTUP);
  else
    show_tray_state(icon::kSecondHalf, IDS_TIP_CHANGES);
  for (PatrolStep step : plan.steps) {
    trace::begin("VERIFY", patrol_steps()[static_cast<std::size_t>(step)].label);
    if (hooks_.patrol_step) hooks_.patrol_step(step, *this);
    trace::end();
  }
  if (hooks_.release_lists) hooks_.release_lists();
  if (tick_.realtime_pending() && hooks_.note_running_programs) hooks_.note_running_programs();

  const bool slow = patrol_.end_cycle(GetTickCount64());
  show_tray_state(options_.tray_icon, IDS_TIP_PATROL);
  if (slow) {
    trace::begin("CATCH", "MonitorTimer > 1000");
    trace::end();
  }
  patrol_busy = false;
  SetErrorMode(previous_mode);
  trace::begin("VERIFY", "Exit Normal Verify");
  trace::end();
  return plan.result();
}

HICON Monitor::load_icon(int resource) const {
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  auto load = [&](int id) {
    return static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(id), IMAGE_ICON, cx, cy, LR_SHARED));
  };
  // A TrayIcon option naming no icon of ours would leave an invisible icon: use the default.
  HICON icon = (resource > 0 && resource <= 0xFFFF) ? load(resource) : nullptr;
  return icon ? icon : load(icon::kNormal);
}

bool Monitor::set_tray(DWORD action, int icon_resource, int tooltip_string) {
  NOTIFYICONDATAA nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = hwnd_;
  nid.uID = kTrayIconId;
  if (action != NIM_DELETE) {
    nid.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    nid.uCallbackMessage = kTrayCallbackMessage;
    nid.hIcon = load_icon(icon_resource);
    std::string tip = text::load(tooltip_string, kMaxTooltip + 1);
    std::memcpy(nid.szTip, tip.data(), std::min(tip.size(), kMaxTooltip));
  }
  return Shell_NotifyIconA(action, &nid) != FALSE;
}

void Monitor::add_tray_icon() {
  if (icon_added_) set_tray(NIM_DELETE, 0, 0);
  icon_added_ = set_tray(NIM_ADD, options_.tray_icon, IDS_TIP_PATROL);
}

void Monitor::delete_tray_icon() {
  set_tray(NIM_DELETE, 0, 0);
  icon_added_ = false;
}

void Monitor::show_tray_state(int icon_resource, int tooltip_string) {
  if (icon_added_) set_tray(NIM_MODIFY, icon_resource, tooltip_string);
}

void Monitor::on_tray(WPARAM wp, LPARAM lp) {
  if (menu_busy_) return;
  menu_busy_ = true;
  POINT cursor{};
  GetCursorPos(&cursor);
  always_run_ = always_run_state();
  const auto mouse = static_cast<UINT>(lp);
  if (mouse == WM_LBUTTONDBLCLK) {
    SetForegroundWindow(hwnd_);
    PostMessageA(hwnd_, WM_COMMAND, cmd::kStartup, 0);
  } else if (mouse == WM_RBUTTONUP && wp == kTrayIconId) {
    platform::UniqueMenu menu(CreatePopupMenu());
    if (menu) {
      for (const MenuEntry& e : tray_menu()) {
        if (e.string_number == 0)
          AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
          AppendMenuA(menu.get(), MF_STRING, static_cast<UINT_PTR>(e.command),
                      text::load(e.string_number, kMenuTextSize).c_str());
      }
      SetForegroundWindow(hwnd_);
      TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd_, nullptr);
      // Without this the menu does not close when the user clicks elsewhere.
      PostMessageA(hwnd_, WM_NULL, 0, 0);
    }
  }
  menu_busy_ = false;
}

void Monitor::start_explorer(std::string_view explorer_switch) {
  const std::string folder = program_folder();
  // The full path: a bare name would be looked for in whatever folder we were started from.
  const std::string file = folder + "\\KestromEx.exe";
  const std::string arguments[] = {std::string(explorer_switch)};
  platform::StartOptions options;
  options.verb = "open";
  options.owner = hwnd_;
  options.folder = folder;
  if (!platform::start_program(file, explorer_switch.empty() ? std::span<const std::string>{} : arguments, options))
    message_box(hwnd_, text::load(IDS_EXPLORER_MISSING), MB_ICONSTOP);
}

void Monitor::show_system_error() {
  const DWORD code = GetLastError();
  char text[1024] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 static_cast<DWORD>(sizeof text), nullptr);
  char line[1100];
  wsprintfA(line, "%d  %s", static_cast<int>(code), text);
  const std::string caption = text::load(IDS_SYSTEM_ERROR_CAPTION);
  MessageBoxExA(hwnd_, line, caption.c_str(), MB_ICONINFORMATION | MB_TOPMOST,
               static_cast<WORD>(MAKELANGID(text::language(), SUBLANG_DEFAULT)));
}

void Monitor::exit_request(WPARAM wp) {
  // A second request while the question is open would stack a second question.
  if (asking_exit_ || shut_down_) return;
  if (LOWORD(wp) == 0 && read_option(Opt::ConfirmExit) != 0) {
    asking_exit_ = true;
    const int answer =
        message_box(nullptr, text::load(IDS_EXIT_QUESTION), MB_YESNO | MB_ICONQUESTION);
    asking_exit_ = false;
    if (answer != IDYES) {
      start_explorer(kExplorerRestart);
      return;
    }
  }
  shutdown();
}

void Monitor::shutdown() {
  shut_down_ = true;
  KestromProStop();
  if (icon_added_) delete_tray_icon();
  if (timer_ != 0) {
    KillTimer(hwnd_, kPatrolTimerId);
    timer_ = 0;
  }
  if (hooks_.release_lists) hooks_.release_lists();
  com_.reset();
  PostQuitMessage(0);
}

int run_monitor(HINSTANCE instance, std::string_view command_line, MonitorHooks hooks) {
  const std::string class_name = text::load(IDS_MONITOR_CLASS_NAME, kNameSize);
  const std::string title = text::load(IDS_PRODUCT_NAME, kNameSize);
  if (class_name.empty() || title.empty()) return 0;

  const CommandLine line = parse_command_line(command_line);
  if (line.lookup_type != 0) {
    if (hooks.information_lookup) hooks.information_lookup(std::string(command_line), line.lookup_type);
    return 0;
  }

  if (HWND running = FindWindowA(class_name.c_str(), nullptr)) {
    if (line.quit) {
      PostMessageA(running, WM_COMMAND, cmd::kQuit, 0);
    } else if (!line.no_open) {
      Monitor opener(instance, {});
      opener.start_explorer(explorer_switch(cmd::kStartup).value_or(""));
    }
    return 0;
  }
  if (line.quit) return 0;

  Monitor monitor(instance, std::move(hooks));
  if (!monitor.create(class_name, title, line.express_boot)) return 0;
  monitor.initialise();
  return monitor.run_message_loop();
}

}  // namespace kestrom::monitor
