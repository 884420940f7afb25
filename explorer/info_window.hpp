// Rules of the information window that need no window: stepping through the items, the
// expanded-or-shrunk state that every opening flips, the geometry at a display's scale,
// which controls an item gets, and the names and texts of notes.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrom::explorer::info {

// Next and previous item, wrapping at both ends; 0 for an empty list.
int next_index(int index, int count) noexcept;
int previous_index(int index, int count) noexcept;

// The expanded flag lives for the program's run: set at its start and flipped by every opening
// and by every press of the expand button, so the first opening shows the window shrunk and
// each later one the opposite of how it was last left.
class ExpandState {
 public:
  bool open() noexcept { return expanded_ = !expanded_; }
  bool toggle() noexcept { return expanded_ = !expanded_; }
  bool expanded() const noexcept { return expanded_; }

 private:
  bool expanded_ = true;
};

// Buttons moved by expanding and shrinking, with their x positions in dialog units.
inline constexpr std::array<int, 5> kMovedButtons{1067, 1069, 1083, 1082, 1};
inline constexpr std::array<int, 5> kMovedButtonX{7, 169, 267, 301, 348};
inline constexpr int kExpandedHeight = 421;
inline constexpr int kShrunkHeight = 246;
inline constexpr int kExpandedButtonY = 350;
inline constexpr int kShrunkButtonY = 185;

struct Geometry {
  int height = 0;    // window height, pixels
  int button_y = 0;  // top of the moved buttons, pixels
};
// At `dpi` vertical pixels per logical inch (96 is 1:1), rounded to the nearest pixel.
Geometry geometry(bool expanded, int dpi) noexcept;

// ---- What the window shows for an item --------------------------------------------------

// Which of the status line, Run, stop, the start-type list and Apply an item gets.
struct Controls {
  bool status = false;      // the status line (1092, 1010)
  int status_string = 0;    // its text when not a service's state: Running, Ready, not found
  bool stop = false;        // button 3 shown
  bool stop_enabled = false;
  bool stop_is_service = false;  // reads "&Stop" instead of "&Kill Task"
  bool run = false;         // button 4 shown
  bool start_type = false;  // the list 1090 and its caption, and Apply (12)
  bool system_place = false;  // codes 250..256: the note area explains the place
};

// What the system says about the item, gathered by the window.
struct ItemFacts {
  int code = 0;
  bool file_exists = false;
  bool running = false;            // a process runs the item's program (not services)
  bool service_state_known = false;
  bool service_can_stop = false;   // from the controls the service accepts now
};
Controls controls_for(const ItemFacts& facts) noexcept;

inline constexpr int kStringRunning = 655;
inline constexpr int kStringReady = 831;
inline constexpr int kStringFileNotFound = 730;

bool is_service(int code) noexcept;      // 700, 701
bool is_system_place(int code) noexcept;  // 250..256

// The start-type list: positions 0, 1, 2 stand for start types 2, 3, 4; -1 / 0 for others.
int start_type_position(int start_type) noexcept;
int start_type_of_position(int position) noexcept;

// "Label value": a caption and its field on one line ("Company: Orvane").
std::string labelled(std::string_view label, std::string_view value);

// A browser helper's location line: Location: "HKLM\<key>".
std::string helper_location_line(std::string_view location_word, std::string_view key);

// ---- Notes ----------------------------------------------------------------------------------

inline constexpr std::size_t kMaxNoteLength = 16384;  // characters a saved note keeps
inline constexpr std::size_t kMaxNoteNameLength = 200;
inline constexpr std::string_view kNotesFolder = "Notes";  // inside the product data folder

// The note file's name for a program: its file name made safe as one plain name inside the
// notes folder (no separators, no "..", no device names), with ".txt". Empty when nothing
// of the name is left.
std::string note_file_name(std::string_view program_file);

// The text a new note starts with: the item's title and its file text, each on its own line.
std::string new_note_text(std::string_view title, std::string_view file_text);
// The text as it is saved: at most kMaxNoteLength characters.
std::string note_text_to_save(std::string_view text);

}  // namespace kestrom::explorer::info
