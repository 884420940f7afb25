// KestromEx.exe: start-up, the command line, the hidden owner window and its commands.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "categories/file_types_win.hpp"
#include "categories/hidden_files_win.hpp"
#include "categories/setting_watch_win.hpp"
#include "categories/system_files_win.hpp"
#include "categories/ie_helpers_win.hpp"
#include "categories/register_sources.hpp"
#include "categories/tasks.hpp"
#include "common/detected.hpp"
#include "common/msgbox.hpp"
#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "explorer/app_win.hpp"
#include "explorer/page_switch.hpp"
#include "explorer/report_commands_win.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"
#include "platform/com.hpp"
#include "platform/process.hpp"
#include "startup/delay_store.hpp"
#include "startup/enumerate.hpp"
#include "startup/snapshot.hpp"

namespace kestrom::explorer {

namespace {

constexpr std::string_view kAutoUpdate = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update";
constexpr std::string_view kPrefixes = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\Prefixes";
constexpr std::string_view kDefaultPrefixKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\URL\\DefaultPrefix";
constexpr std::string_view kExplorerMenuKey = "exefile\\shell\\Kestrom VANT";
constexpr std::size_t kMaxPrefix = 256;
constexpr int kEnglish = 9;

// True when every write of the repair held.
bool run_repair(App& app, Repair repair) {
  bool held = true;
  switch (repair) {
    case Repair::Restore:
      // Only a translated interface is reset (the language must have been read by now):
      // resetting also forgets every remembered window position.
      if (kestrom::text::language() != kEnglish) held = kestrom::text::reset_to_english();
      if (app.hooks.undelay_all) app.hooks.undelay_all();
      if (reg::key_exists(HKEY_CLASSES_ROOT, kExplorerMenuKey))
        held = reg::delete_key_tree(HKEY_CLASSES_ROOT, kExplorerMenuKey) && held;
      break;
    case Repair::AUOption: {
      int level = reg::read_small_number(HKEY_CURRENT_USER, keys::kProduct, "AUOptions", -1);
      // Nothing stored means there is nothing to undo; writing a made-up level would be worse.
      if (level >= 0)
        held = reg::write_number(HKEY_LOCAL_MACHINE, kAutoUpdate, "AUOptions", static_cast<std::uint32_t>(level));
      break;
    }
    case Repair::SetPrefix: {
      std::string prefix = reg::read_string(HKEY_CURRENT_USER, keys::kProduct, "wwwPrefix", kMaxPrefix);
      if (prefix.empty()) prefix = settings::text(IDS_DEFAULT_PREFIX, kMaxPrefix + 1);
      // The default prefix is written only once "www" took the new one, so a refusal leaves both as they were.
      held = reg::write_string(HKEY_LOCAL_MACHINE, kPrefixes, "www", prefix) &&
             reg::write_string(HKEY_LOCAL_MACHINE, kDefaultPrefixKey, "", prefix);
      break;
    }
    case Repair::None: break;
  }
  if (!held) message_box(nullptr, settings::text(IDS_REPAIR_REFUSED), MB_OK | MB_ICONEXCLAMATION);
  return held;
}

void toggle_always_run(App& app) {
  const bool wanted = !always_run_state();
  set_always_run(wanted, app.init_hooks);
  // Checked in the Run key itself: a removal or write that Windows refused leaves it as it was.
  if (always_run_state() != wanted) offer_elevated_restart(app, IDS_ALWAYS_RUN_REFUSED);
}

void start_monitor() {
  platform::open_in_shell(nullptr, program_folder() + "\\Kestrom.exe");
}

void on_command(App& app, int id) {
  if (is_page_command(id)) {
    open_sheet(app, id);
    return;
  }
  switch (id) {
    case cmd::kQuit: DestroyWindow(app.owner); break;
    case cmd::kAlwaysRun: toggle_always_run(app); break;
    case cmd::kShowCookies: {
      bool was = app.show_cookies;
      app.show_cookies = true;
      open_sheet(app, cmd::kCookies);
      app.show_cookies = was;
      break;
    }
    case cmd::kExitRequest:
      if (settings::option(Opt::ConfirmExit) == 0)
        DestroyWindow(app.owner);
      else if (FindWindowA("Kestrom", nullptr))
        open_sheet(app, cmd::kStartup);
      else
        start_monitor();
      break;
    default: break;
  }
}

LRESULT owner_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* app = reinterpret_cast<App*>(GetWindowLongPtrA(w, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
      SetWindowLongPtrA(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      break;
    }
    case WM_COMMAND:
      if (app) on_command(*app, LOWORD(wp));
      return 0;
    case WM_CLOSE: DestroyWindow(w); return 0;
    case WM_DESTROY:
      if (app) app->owner = nullptr;
      PostQuitMessage(0);
      return 0;
    default: break;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

void create_fonts(App& app) {
  struct FontDef {
    const char* face;
    int height, weight;
    bool underline;
  };
  const FontDef defs[] = {{"Verdana", 18, 600, false},      {"Arial", 18, 500, false},       {"Arial", 18, 500, true},
                          {"MS Sans Serif", 14, 600, false}, {"MS Sans Serif", 10, 600, false}, {"Arial", 14, 400, false},
                          {"MS Sans Serif", 12, 500, false}, {"MS Shell Dlg", 14, 700, false},  {"MS Shell Dlg", 14, 500, false}};
  for (const auto& d : defs)
    app.fonts.emplace_back(CreateFontA(d.height, 0, 0, 0, d.weight, FALSE, d.underline, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                                       0, d.face));
  std::string note_face = settings::option_text(kNoteFontName, 64);
  if (note_face.empty()) note_face = std::string(kNoteFontDefault);
  int note_size = settings::option(Opt::NoteSize);
  app.fonts.emplace_back(CreateFontA(note_size, 0, 0, 0, 500, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                     note_face.c_str()));
}

void advance_start_counter() {
  StartCount c = advance_start_count(settings::option(Opt::nCount));
  settings::set_option(Opt::nCount, c.value);
  if (c.prune_category) prune_category(*c.prune_category);
}

int run(HINSTANCE instance, const char* command_line) {
  App app;
  app.instance = instance;
  app.hooks.undelay_all = [] {
    if (!delay::undelay_all()) message_box(nullptr, settings::text(IDS_DELAY_REFUSED), MB_OK | MB_ICONEXCLAMATION);
  };
  app.command_line = command_line ? command_line : "";
  kestrom::text::set_module(instance);
  app.class_name = settings::text(IDS_EXPLORER_CLASS_NAME, 64);
  app.title = settings::text(IDS_LOADING, kMaxTitleBuffer + 1);
  if (app.class_name.empty() || app.title.empty()) return 0;

  // The repairs below depend on the interface language.
  kestrom::text::set_language_from_string_table();
  int start_tab = settings::option(Opt::StartTab);
  Repair repair = repair_switch(app.command_line);
  if (repair != Repair::None) {
    run_repair(app, repair);
    return 0;
  }
  int page = start_page(app.command_line, start_tab);
  if (HWND first = FindWindowA(app.class_name.c_str(), nullptr)) {
    PostMessageA(first, WM_COMMAND, MAKEWPARAM(command_for_first_instance(app.command_line, start_tab), 0), 0);
    return 0;
  }
  if (quit_switch(app.command_line)) return 0;

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = platform::window_procedure<&owner_proc>;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszClassName = app.class_name.c_str();
  if (!RegisterClassExA(&wc)) return 0;
  app.owner = CreateWindowExA(WS_EX_APPWINDOW, app.class_name.c_str(), app.title.c_str(),
                              WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, -200, 0, 0, nullptr, nullptr, instance, &app);
  if (!app.owner) return 0;
  create_fonts(app);

  const platform::ComApartment com;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);

  InitHooks& init = app.init_hooks;
  const bool wow64 = wow64_view_present();
  init.initialise_register = [wow64] { initialise_register(detected_register_sources(wow64)); };
  init.fill_snapshots = [wow64] {
    fill_startup_snapshot_hook(wow64);
    fill_task_snapshot_hook();
    helpers::fill_helper_snapshot_hook();
  };
  init.build_missing_category_snapshots = [] {
    build_missing_category_snapshots();
    build_hidden_snapshot();
  };
  init.build_system_files_snapshot = [] { build_system_file_set(); };
  init.initialise_file_types = [] { file_types::build_file_type_snapshot(); };
  init.take_setting_copies = [] { take_setting_copies(vista_or_later()); };
  init.remove_startup_entry = [wow64](const std::string& title, int code) {
    return remove_titled_entry_hook(title, code, wow64);
  };
  init.remove_entries_containing = [wow64](const std::string& part) {
    return remove_entries_containing_hook(part, wow64);
  };
  ProductState state = initialise_product(Program::Explorer, init);
  app.options = state.options;
  wire_report_commands(app);

  advance_start_counter();

  PostMessageA(app.owner, WM_COMMAND, MAKEWPARAM(page, 0), 0);
  MSG msg;
  int exit_code = 0;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (msg.message == WM_QUIT) exit_code = static_cast<int>(msg.wParam);
  return exit_code;
}

}  // namespace
}  // namespace kestrom::explorer

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  return kestrom::explorer::run(instance, command_line);
}
