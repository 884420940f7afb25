#include "explorer/info_window.hpp"

#include <algorithm>
#include <cctype>

namespace kestrom::explorer::info {

namespace {
constexpr int kBaseDpi = 96;

int scaled(int pixels, int dpi) noexcept {
  if (dpi <= 0) dpi = kBaseDpi;
  return (pixels * dpi + kBaseDpi / 2) / kBaseDpi;
}
}  // namespace

int next_index(int index, int count) noexcept {
  if (count <= 0) return 0;
  return index + 1 >= count || index < 0 ? 0 : index + 1;
}

int previous_index(int index, int count) noexcept {
  if (count <= 0) return 0;
  return index <= 0 || index >= count ? count - 1 : index - 1;
}

Geometry geometry(bool expanded, int dpi) noexcept {
  Geometry g;
  g.height = scaled(expanded ? kExpandedHeight : kShrunkHeight, dpi);
  g.button_y = scaled(expanded ? kExpandedButtonY : kShrunkButtonY, dpi);
  return g;
}

bool is_service(int code) noexcept { return code == 700 || code == 701; }
bool is_system_place(int code) noexcept { return code >= 250 && code <= 256; }

Controls controls_for(const ItemFacts& f) noexcept {
  Controls c;
  if (is_service(f.code)) {
    c.status = true;
    c.status_string = f.file_exists ? 0 : kStringFileNotFound;
    c.stop = true;
    c.stop_is_service = true;
    c.stop_enabled = f.service_state_known && f.service_can_stop;
    c.start_type = true;
    return c;
  }
  // Hidden files and the browser's helpers and controls have no program of their own to run.
  if (f.code >= 900 || f.code == 370) return c;
  c.status = true;
  c.system_place = is_system_place(f.code);
  if (f.running) {
    c.status_string = kStringRunning;
    c.stop = c.stop_enabled = !c.system_place;
  } else if (f.file_exists) {
    c.status_string = kStringReady;
    c.run = !c.system_place;
  } else {
    c.status_string = kStringFileNotFound;
  }
  return c;
}

int start_type_position(int start_type) noexcept {
  return start_type >= 2 && start_type <= 4 ? start_type - 2 : -1;
}
int start_type_of_position(int position) noexcept {
  return position >= 0 && position <= 2 ? position + 2 : 0;
}

std::string labelled(std::string_view label, std::string_view value) {
  std::string out(label);
  if (!out.empty() && out.back() != ' ') out += ' ';
  out += value;
  return out;
}

std::string helper_location_line(std::string_view location_word, std::string_view key) {
  std::string out(location_word);
  out += ": \"HKLM\\";
  out += key;
  out += '"';
  return out;
}

namespace {
bool reserved_device(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (auto& ch : stem) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  static constexpr std::string_view kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (auto d : kDevices)
    if (stem == d) return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '0' &&
         stem[3] <= '9';
}
}  // namespace

std::string note_file_name(std::string_view program_file) {
  const auto cut = program_file.find_last_of("\\/");
  std::string_view name = cut == std::string_view::npos ? program_file : program_file.substr(cut + 1);
  std::string out;
  for (char ch : name) {
    const auto u = static_cast<unsigned char>(ch);
    const bool unsafe = u < 32 || std::string_view("<>:\"|?*").find(ch) != std::string_view::npos;
    out += unsafe ? '_' : ch;
  }
  if (out.size() > kMaxNoteNameLength) out.resize(kMaxNoteNameLength);
  // Windows drops trailing dots and blanks, so "..", "." and "a. " would name something else.
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  const auto first = out.find_first_not_of(' ');
  out.erase(0, first == std::string::npos ? out.size() : first);
  if (out.empty()) return {};
  if (reserved_device(out)) out = std::string(1, '_') + out;
  return out + ".txt";
}

std::string new_note_text(std::string_view title, std::string_view file_text) {
  std::string out(title);
  out += "\r\n";
  out += file_text;
  out += "\r\n";
  return out;
}

std::string note_text_to_save(std::string_view text) {
  return std::string(text.substr(0, std::min(text.size(), kMaxNoteLength)));
}

}  // namespace kestrom::explorer::info
