#include "explorer/hide_alerts_win.hpp"

#include "explorer/hide_alerts.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"

namespace kestrom::explorer {

namespace {

constexpr std::pair<int, Opt> kFlags[] = {{IDC_HIDE_SHOW_ALL, Opt::ShowAlerts}, {IDC_HIDE_RUNONCE, Opt::HideRunOnce}};

void show_values(HWND dialog) {
  for (const auto& r : kHideAlertRows) {
    const HideAlertView v = hide_alert_view(settings::option(r.option));
    CheckDlgButton(dialog, r.box, v.checked ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, r.allow, v.allow_checked ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, r.prevent, v.prevent_checked ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, r.allow), v.radios_enabled);
    EnableWindow(GetDlgItem(dialog, r.prevent), v.radios_enabled);
  }
  for (const auto& [control, option] : kFlags)
    CheckDlgButton(dialog, control, settings::option(option) > 0 ? BST_CHECKED : BST_UNCHECKED);
}

// Each click writes the one value it changes, at once.
bool click(int control) {
  for (const auto& r : kHideAlertRows) {
    if (control == r.box) settings::set_option(r.option, hide_alert_flip(settings::option(r.option)));
    else if (control == r.allow) settings::set_option(r.option, 1);
    else if (control == r.prevent) settings::set_option(r.option, 2);
    else continue;
    return true;
  }
  for (const auto& [box, option] : kFlags) {
    if (control != box) continue;
    settings::set_option(option, hide_alert_flip(settings::option(option)));
    return true;
  }
  return false;
}

INT_PTR hide_alerts_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowTextA(dialog, settings::text(IDS_HIDE_CAPTION, 128).c_str());
      const std::pair<int, int> texts[] = {{IDC_HIDE_TEXT, IDS_HIDE_TEXT},           {IDC_HIDE_ALLOW_HEAD, IDS_HIDE_ALLOW_HEAD},
                                           {IDC_HIDE_PREVENT_HEAD, IDS_HIDE_PREVENT_HEAD}, {IDC_HIDE_TYPE_HEAD, IDS_HIDE_TYPE_HEAD},
                                           {IDC_HIDE_SHOW_ALL, IDS_HIDE_SHOW_ALL},   {IDC_HIDE_RUNONCE, IDS_HIDE_RUNONCE},
                                           {IDOK, IDS_CLOSE_BUTTON}};
      for (const auto& [control, string] : texts) SetDlgItemTextA(dialog, control, settings::text(string, 256).c_str());
      for (const auto& r : kHideAlertRows) SetDlgItemTextA(dialog, r.box, settings::text(r.box, 128).c_str());
      show_values(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (HIWORD(wp) == BN_CLICKED && click(LOWORD(wp))) {
        show_values(dialog);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

void show_hide_alerts(const App& app, HWND owner) {
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_HIDE_ALERTS), owner, &platform::dialog_procedure<&hide_alerts_proc>, 0);
}

}  // namespace kestrom::explorer
