// Message boxes of both programs: caption = the window title (string 2), topmost, in the
// interface language. Yes/No questions return IDYES (6) or IDNO (7).
#pragma once
#include <windows.h>

#include <string_view>

namespace kestrom {

int message_box(HWND owner, std::string_view text, UINT flags);
// The same with " - " and `caption_part` after the window title in the caption.
int message_box(HWND owner, std::string_view text, UINT flags, std::string_view caption_part);
int message_box_string(HWND owner, int string_number, UINT flags);

}  // namespace kestrom
