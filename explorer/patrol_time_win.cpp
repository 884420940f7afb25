#include "explorer/patrol_time_win.hpp"

#include <commctrl.h>

#include <optional>
#include <string>

#include "explorer/patrol_time.hpp"
#include "explorer/resource_ids.h"
#include "explorer/settings_win.hpp"
#include "explorer/string_ids.h"
#include "platform/callback_guard.hpp"

namespace kestrom::explorer {

namespace {

struct PatrolDialog {
  std::string caption;
  int minutes = 0;
  std::optional<Opt> realtime;
  int realtime_at_start = 0;
  int result = kPatrolClosed;
};

void show_position(HWND dialog, int position) {
  SetDlgItemTextA(dialog, IDC_PATROL_BOX, patrol_box_text(position).c_str());
  EnableWindow(GetDlgItem(dialog, IDC_PATROL_BOX), patrol_box_enabled(position));
}

INT_PTR patrol_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = reinterpret_cast<PatrolDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      d = reinterpret_cast<PatrolDialog*>(lp);
      SetWindowTextA(dialog, d->caption.c_str());
      const std::pair<int, int> texts[] = {{IDC_PATROL_TEXT, IDS_PATROL_EXPLANATION},
                                           {IDC_PATROL_MINUTES, IDS_PATROL_MINUTES},
                                           {IDC_PATROL_ZERO, IDS_PATROL_ZERO},
                                           {IDC_PATROL_REALTIME, IDS_PATROL_REALTIME},
                                           {IDCANCEL, IDS_CLOSE_BUTTON}};
      for (const auto& [control, string] : texts) SetDlgItemTextA(dialog, control, settings::text(string, 256).c_str());
      const HWND slider = GetDlgItem(dialog, IDC_PATROL_SLIDER);
      SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, kPatrolSliderMax));
      SendMessageA(slider, TBM_SETTICFREQ, kPatrolSliderTick, 0);
      SendMessageA(slider, TBM_SETPOS, TRUE, patrol_slider_position(d->minutes));
      SendDlgItemMessageA(dialog, IDC_PATROL_BOX, EM_LIMITTEXT, kPatrolBoxDigits, 0);
      SetDlgItemTextA(dialog, IDC_PATROL_BOX, patrol_box_text(d->minutes).c_str());
      EnableWindow(GetDlgItem(dialog, IDC_PATROL_BOX), patrol_box_enabled(patrol_slider_position(d->minutes)));
      if (d->realtime) {
        d->realtime_at_start = settings::option(*d->realtime);
        CheckDlgButton(dialog, IDC_PATROL_REALTIME, d->realtime_at_start > 0 ? BST_CHECKED : BST_UNCHECKED);
      } else {
        EnableWindow(GetDlgItem(dialog, IDC_PATROL_REALTIME), FALSE);
      }
      return TRUE;
    }
    case WM_HSCROLL:
      if (d && reinterpret_cast<HWND>(lp) == GetDlgItem(dialog, IDC_PATROL_SLIDER))
        show_position(dialog, static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lp), TBM_GETPOS, 0, 0)));
      return TRUE;
    case WM_COMMAND:
      if (!d) return FALSE;
      switch (LOWORD(wp)) {
        case IDC_PATROL_REALTIME:
          if (d->realtime) settings::set_option(*d->realtime, IsDlgButtonChecked(dialog, IDC_PATROL_REALTIME) == BST_CHECKED);
          return TRUE;
        case IDOK: {
          if (d->realtime) settings::set_option(*d->realtime, IsDlgButtonChecked(dialog, IDC_PATROL_REALTIME) == BST_CHECKED);
          char box[16] = {};
          GetDlgItemTextA(dialog, IDC_PATROL_BOX, box, sizeof box);
          d->result = patrol_ok_result(box);
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          if (d->realtime) settings::set_option(*d->realtime, d->realtime_at_start);
          d->result = kPatrolClosed;
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

}  // namespace

int set_patrol_time(const App& app, HWND owner, int caption_string, int minutes) {
  PatrolDialog d;
  d.caption = settings::text(caption_string, 256);
  d.minutes = minutes;
  d.realtime = patrol_realtime_option(caption_string);
  DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_PATROL_TIME), owner, &platform::dialog_procedure<&patrol_proc>,
                  reinterpret_cast<LPARAM>(&d));
  return d.result;
}

}  // namespace kestrom::explorer
