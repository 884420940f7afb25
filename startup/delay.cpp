#include "startup/delay.hpp"

#include <algorithm>
#include <charconv>

#include "common/locations.hpp"
#include "common/pathtext.hpp"
#include "common/text.hpp"

namespace kestrom::delay {

SplitCommand split_command(std::string_view file, const ToFile& to_file) {
  const CommandParts parts = kestrom::split_command(file, ProgramEndings::ProgramsAndShortcuts);
  return {to_file(parts.program), skip_blanks(parts.arguments)};
}

int delay_seconds(int minutes, int seconds) {
  const int m = std::clamp(minutes, 0, kMaxMinutes);
  const int s = std::clamp(seconds, 0, 59) / kSecondsStep * kSecondsStep;
  return std::max(m * 60 + s, kSecondsStep);
}

DelayChoice delay_choice(int seconds) {
  DelayChoice c;
  if (seconds <= 0) return c;
  c.minutes = std::min(seconds / 60, kMaxMinutes);
  c.seconds_index = std::clamp((seconds - 60 * c.minutes) / kSecondsStep, 0, kSecondsChoices - 1);
  return c;
}

std::optional<int> stored_delay(std::string_view text) {
  int value = 0;
  if (text.empty() || text.size() > 9) return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

std::string delay_text(int seconds, std::string_view minutes_unit, std::string_view seconds_unit) {
  const int t = std::max(seconds, 0);
  std::string out;
  if (t / 60 > 0) out = std::to_string(t / 60) + " " + std::string(minutes_unit) + " : ";
  return out + std::to_string(t % 60) + " " + std::string(seconds_unit);
}

int window_mode(std::string_view open_as_text) {
  if (open_as_text == "1") return 1;
  if (open_as_text == "2") return 2;
  return 0;
}

int show_code(int window_mode) {
  switch (window_mode) {
    case 1: return 6;  // SW_MINIMIZE
    case 2: return 3;  // SW_MAXIMIZE
    default: return 1;  // SW_SHOWNORMAL
  }
}

std::string rebuilt_command(std::string_view program, std::string_view parameters, std::string_view applet) {
  // A Run value starts its command as a command line: unquoted blanks would let
  // "C:\Program.exe" stand in for "C:\Program Files\...".
  std::string command = program.find(' ') == std::string_view::npos ? std::string(program)
                                                                     : "\"" + std::string(program) + "\"";
  if (!parameters.empty()) {
    if (parameters.front() != ',') command += ' ';
    command += parameters;
  }
  return applet.empty() ? command : std::string(applet) + " " + command;
}

bool machine_root(int code) noexcept { return code < code::kCurrentBase; }

Refusal delay_refusal(int code, std::string_view file, bool program_already_delayed) {
  if (code >= code::kWinlogonUserinit || contains(file, "kestrom.exe")) return Refusal::MustStay;
  if (program_already_delayed) return Refusal::AlreadyDelayed;
  return Refusal::None;
}

}  // namespace kestrom::delay
