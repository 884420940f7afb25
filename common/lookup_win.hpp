// Opening the program information lookup in the user's browser.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "common/lookup.hpp"

namespace kestrom::lookup {

// What `look up program` would open: the address, and how a browser is started when the
// shell cannot open it.
struct Request {
  std::string address;
  bool through_aol = false;      // AOL is the default browser: hand it the address
  std::string aol_command;       // "<AppPath>\WAOL.EXE -u "address""
  bool ie_fallback = true;       // run Internet Explorer when the shell fails
  std::string ie_command;        // "<IE folder>\iexplore.exe address"
};

// `current_item_name` is sent when the path names no file.
Request prepare_request(int type, std::string_view path, std::string_view current_item_name = {});

// Builds the request and opens it; always 0.
int look_up_program(HWND owner, int type, std::string_view path, std::string_view current_item_name = {});

}  // namespace kestrom::lookup
