// The check's output: UTF-8 lines on standard output and error. A console gets the text as
// wide characters, so names show right whatever its code page; a file or pipe gets UTF-8 bytes.
#pragma once
#include <string>
#include <string_view>

namespace kestrom::check {

// Writes to standard output and remembers whether every write held.
class Output {
 public:
  void text(std::string_view utf8);
  void line(std::string_view utf8);
  bool ok() const noexcept { return ok_; }

 private:
  bool ok_ = true;
};

// A line of the program's own (ANSI) text on standard error.
void write_error_line(std::string_view text);
// A string-table text as UTF-8.
std::string text_utf8(int number);

}  // namespace kestrom::check
