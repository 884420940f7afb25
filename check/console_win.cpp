#include "check/console_win.hpp"

#include <windows.h>

#include "common/textloader.hpp"
#include "platform/wide_text.hpp"

namespace kestrom::check {
namespace {

bool write_to(DWORD which, std::string_view utf8) {
  const HANDLE out = GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    const std::wstring wide = platform::wide_of_utf8(utf8);
    std::size_t done = 0;
    while (done < wide.size()) {
      DWORD written = 0;
      if (!WriteConsoleW(out, wide.data() + done, static_cast<DWORD>(wide.size() - done), &written, nullptr) ||
          written == 0)
        return false;
      done += written;
    }
    return true;
  }
  std::size_t done = 0;
  while (done < utf8.size()) {
    DWORD written = 0;
    if (!WriteFile(out, utf8.data() + done, static_cast<DWORD>(utf8.size() - done), &written, nullptr) ||
        written == 0)
      return false;
    done += written;
  }
  return true;
}

}  // namespace

void Output::text(std::string_view utf8) {
  if (ok_) ok_ = write_to(STD_OUTPUT_HANDLE, utf8);
}

void Output::line(std::string_view utf8) {
  text(utf8);
  text("\r\n");
}

void write_error_line(std::string_view text) {
  write_to(STD_ERROR_HANDLE, platform::utf8_of(text) + "\r\n");
}

std::string text_utf8(int number) { return platform::utf8_of(text::load(number)); }

}  // namespace kestrom::check
