#include "monitor/alerts/alert_dialog.hpp"

#include <shellapi.h>

#include <string_view>
#include <utility>

#include "common/info_server.hpp"
#include "common/options_table.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/textloader.hpp"
#include "platform/guard.hpp"

namespace kestrom::alerts {
namespace {

struct FontDef {
  const char* face;
  int height;
  int weight;
  bool underline;
};
// In the order of AlertFonts::Id.
constexpr FontDef kFontDefs[AlertFonts::Count_] = {
    {"MS Sans Serif", 14, 400, false}, {"Verdana", 14, 400, true}, {"Verdana", 18, 600, false},
    {"Arial", 18, 500, false},         {"MS Sans Serif", 14, 600, false}, {"Verdana", 10, 600, false},
    {"Arial", 14, 400, false},         {"MS Sans Serif", 12, 500, false},
};

HINSTANCE program_instance() noexcept { return GetModuleHandleA(nullptr); }

}  // namespace

AlertFonts::AlertFonts() {
  for (std::size_t i = 0; i < Count_; ++i) {
    const FontDef& f = kFontDefs[i];
    // A negative height asks for the character height rather than the cell height.
    fonts_[i].reset(CreateFontA(-f.height, 0, 0, 0, f.weight, FALSE, f.underline ? TRUE : FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, f.face));
  }
}

AlertPlace alert_place_for(int width, int height) {
  const auto [x, y, dx, dy] = read_window_position(WindowFamily::Alert);
  ScreenMetrics screen;
  screen.virtual_left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  screen.virtual_top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  screen.virtual_width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  screen.virtual_height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  screen.primary_width = GetSystemMetrics(SM_CXSCREEN);
  screen.primary_height = GetSystemMetrics(SM_CYSCREEN);
  const bool saved = !x.empty() && !y.empty();
  return place_alert(saved, saved ? decimal_value(x) : 0, saved ? decimal_value(y) : 0, width, height, screen);
}

AlertDialog::AlertDialog(int resource, int title_string, AlertItem item, AlertContext& context)
    : resource_(resource), title_string_(title_string), item_(std::move(item)), context_(context) {}

int AlertDialog::run(HWND owner) {
  HINSTANCE module = context_.resources ? context_.resources : program_instance();
  const INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(resource_), owner, &AlertDialog::procedure,
                                         reinterpret_cast<LPARAM>(this));
  return result > 0 ? static_cast<int>(result) : 0;
}

int AlertDialog::command(int id) { return answer_for_command(resource_, id); }

void AlertDialog::set_text(int control, const std::string& text) const {
  SetDlgItemTextA(window_, control, text.c_str());
}

void AlertDialog::set_text_string(int control, int string_number) const {
  set_text(control, text::load(string_number));
}

void AlertDialog::end(int answer) {
  // The item belongs to this question only.
  item_ = AlertItem{};
  EndDialog(window_, answer);
}

INT_PTR CALLBACK AlertDialog::procedure(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<AlertDialog*>(lp);
    SetWindowLongPtrA(window, DWLP_USER, lp);
    self->window_ = window;
  }
  auto* self = reinterpret_cast<AlertDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!self) return FALSE;
  // A question that failed while opening or answering is closed unanswered.
  return platform::guarded(
      "alert dialog", [&] { return self->handle(message, wp, lp); },
      [&] {
        if (message == WM_INITDIALOG || message == WM_COMMAND) EndDialog(window, 0);
        return INT_PTR{FALSE};
      });
}

INT_PTR AlertDialog::handle(UINT message, WPARAM wp, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      open_shared();
      open();
      place();
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id == kCommandInfo) {
        look_up();
        return TRUE;
      }
      if (const int answer = command(id); answer != 0) end(answer);
      return TRUE;
    }
    case WM_DESTROY:
      save_place();
      return FALSE;
    default:
      return FALSE;
  }
}

void AlertDialog::open_shared() {
  set_text_string(kVersionLabel, IDS_VERSION_LABEL);

  program_file_ = command_to_file(item_.path);
  version_information(program_file_, version_);

  set_text(kPathControl, item_.path);
  SendDlgItemMessageA(window_, kPathControl, WM_SETFONT, reinterpret_cast<WPARAM>(context_.fonts.text_font()), TRUE);

  SetWindowTextA(window_, text::load(title_string_).c_str());

  if (file_exists(std::string_view(program_file_))) {
    HICON icon = ExtractIconA(program_instance(), program_file_.c_str(), 0);
    // 1 means "a file without icons", which is no handle at all.
    if (icon != nullptr && icon != reinterpret_cast<HICON>(1)) {
      icon_.reset(icon);
      SendDlgItemMessageA(window_, kIconButton, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
  }

  SendDlgItemMessageA(window_, kNameControl, WM_SETFONT, reinterpret_cast<WPARAM>(context_.fonts.name_font()), TRUE);
  set_text(kNameControl, version_.product_name);
  // Empty texts leave the template's placeholders in place.
  if (!version_.product_version.empty()) set_text(kProductVersionControl, version_.product_version);
  if (!version_.company_name.empty()) set_text(kCompanyControl, version_.company_name);
  if (!version_.file_description.empty()) set_text(kDescriptionControl, version_.file_description);
  if (!version_.legal_copyright.empty() && GetDlgItem(window_, kCopyrightControl))
    set_text(kCopyrightControl, version_.legal_copyright);

  SendDlgItemMessageA(window_, kQuestionControl, WM_SETFONT, reinterpret_cast<WPARAM>(context_.fonts.text_font()),
                      TRUE);
}

void AlertDialog::place() {
  RECT r{};
  GetWindowRect(window_, &r);
  const AlertPlace p = alert_place_for(r.right - r.left, r.bottom - r.top);
  SetWindowPos(window_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void AlertDialog::look_up() {
  if (context_.services.look_up_program)
    context_.services.look_up_program(info_server::kFromAlertBase + item_.code, item_.path, item_.name);
  // Out of the topmost band, so the browser the lookup opens can come to the front.
  SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void AlertDialog::save_place() const {
  RECT r{};
  if (!GetWindowRect(window_, &r)) return;
  write_window_position(WindowFamily::Alert, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace kestrom::alerts
