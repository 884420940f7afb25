#include "common/msgbox.hpp"

#include <string>

#include "common/string_ids.h"
#include "common/textloader.hpp"

namespace kestrom {

namespace {
}

int message_box(HWND owner, std::string_view text, UINT flags) { return message_box(owner, text, flags, {}); }

int message_box(HWND owner, std::string_view text, UINT flags, std::string_view caption_part) {
  std::string body(text);
  std::string caption = text::load(IDS_PRODUCT_NAME);
  if (!caption_part.empty()) caption += " - " + std::string(caption_part);
  // The language id is the primary language with the neutral sublanguage.
  return MessageBoxExA(owner, body.c_str(), caption.c_str(), flags | MB_TOPMOST,
                       static_cast<WORD>(text::language()));
}

int message_box_string(HWND owner, int string_number, UINT flags) {
  return message_box(owner, text::load(string_number), flags);
}

}  // namespace kestrom
