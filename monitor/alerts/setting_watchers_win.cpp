#include "monitor/alerts/setting_watchers.hpp"

#include "categories/setting_watch_win.hpp"
#include "common/msgbox.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "monitor/alert_rules.hpp"

namespace kestrom::alerts {
namespace {

constexpr std::string_view kAUOptionSwitch = "-AUOption";
constexpr std::string_view kSetPrefixSwitch = "-SetPrefix";

int ask(HWND owner, const SettingWatchSignals& signals, const std::string& text, UINT icon,
        std::string_view caption_part = {}) {
  if (signals.show_status_icon) signals.show_status_icon();
  if (signals.set_alert_showing) signals.set_alert_showing(true);
  const int answer = signals.ask ? signals.ask(text, icon, caption_part)
                                 : message_box(owner, text, MB_YESNO | icon | MB_TOPMOST, caption_part);
  if (signals.set_alert_showing) signals.set_alert_showing(false);
  return answer;
}

void tell_refused(HWND owner, const SettingWatchSignals& signals, std::string_view value) {
  const std::string text = fill_question(text::load(IDS_SETTING_REFUSED), value);
  if (signals.tell_user)
    signals.tell_user(text);
  else
    message_box(owner, text, MB_OK | MB_ICONEXCLAMATION);
}

// Returns false when the prefix is not to be watched this time.
bool watch_update_level(HWND owner, const SettingWatchSignals& signals) {
  const int copy = read_update_level_copy();
  const int live = read_live_update_level();
  const UpdateLevelStep s = update_level_watch(copy, live);
  if (s.step == WatchStep::TakeCopy) write_update_level_copy(live);
  if (s.step != WatchStep::Ask) return s.watch_prefix;
  const std::string text = fill_two(text::load(IDS_AUTO_UPDATE_CHANGED),
                                    text::load(update_level_text(copy, IDS_AUTO_UPDATE_UNKNOWN)),
                                    text::load(update_level_text(live, IDS_AUTO_UPDATE_UNKNOWN)));
  const int answer = ask(owner, signals, text, MB_ICONEXCLAMATION, text::load(IDS_AUTO_UPDATE_CAPTION));
  if (answer == IDYES) {
    // Blocked: the copy goes back into the live place.
    if (signals.vista_or_later) {
      if (signals.start_explorer) signals.start_explorer(kAUOptionSwitch);
    } else if (!write_live_update_level(copy)) {
      tell_refused(owner, signals, text::load(update_level_text(live, IDS_AUTO_UPDATE_UNKNOWN)));
    }
  } else if (answer == IDNO) {
    // Only an answer accepts: a question that could not be shown is asked again next time.
    write_update_level_copy(live);
  }
  return true;
}

void watch_prefix(HWND owner, const SettingWatchSignals& signals) {
  const std::string copy = read_prefix_copy(text::load(IDS_DEFAULT_PREFIX));
  const std::string live = read_live_prefix();
  if (!prefix_changed(copy, live)) return;
  const std::string text = fill_two(text::load(IDS_PREFIX_CHANGED), copy, live);
  const int answer = ask(owner, signals, text, MB_ICONSTOP, text::load(IDS_PREFIX_CAPTION));
  if (answer == IDYES) {
    if (signals.vista_or_later) {
      if (signals.start_explorer) signals.start_explorer(kSetPrefixSwitch);
    } else if (!write_live_prefix(copy)) {
      tell_refused(owner, signals, live);
    }
  } else if (answer == IDNO) {
    write_prefix_copy(live);
  }
}

}  // namespace

void run_default_pages_step(HWND owner, const Options& options, const SettingWatchSignals& signals) {
  for (const auto& page : watched_pages()) {
    const auto live = read_live_page(page);
    const auto copy = read_page_copy(page);
    const WatchStep step = page_watch(live, copy);
    const std::string live_text = live.value_or(std::string());
    if (step == WatchStep::TakeCopy) write_page_copy(page, live_text);
    if (step != WatchStep::Ask) continue;
    int answer = silent_answer(options[Opt::HideHomePage]) == kAnswerYes ? IDYES : IDNO;
    if (alert_is_shown(options[Opt::HideHomePage], options[Opt::ShowAlerts])) {
      answer = ask(owner, signals, fill_two(text::load(page.message), live_text, *copy), MB_ICONEXCLAMATION);
    } else if (signals.show_status_icon) {
      signals.show_status_icon();
    }
    // A question that could not be shown (no answer) changes nothing: it is asked again.
    if (answer == IDYES) {
      write_page_copy(page, live_text);
    } else if (answer == IDNO && !write_live_page(page, *copy)) {
      tell_refused(owner, signals, live_text);
    }
  }
}

void run_setting_watchers(HWND owner, const SettingWatchSignals& signals) {
  if (watch_update_level(owner, signals)) watch_prefix(owner, signals);
}

}  // namespace kestrom::alerts
