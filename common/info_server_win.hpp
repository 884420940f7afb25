// Opening pages of the information server in the user's browser: the program information
// lookup and the help pages. Both programs open them only through here.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "common/info_server.hpp"

namespace kestrom::info_server {

// What `look up program` would open: the address, and how a browser is started when the
// shell cannot open it.
struct Request {
  std::string address;
  bool through_aol = false;      // AOL is the default browser: hand it the address
  std::string aol_command;       // "<AppPath>\WAOL.EXE -u "address""
  bool ie_fallback = true;       // run Internet Explorer when the shell fails
  std::string ie_command;        // "<IE folder>\iexplore.exe address"
};

// The information server's base address: the configured one (HKLM, "InfoServer") or the default.
std::string configured_server_base();
// The build text of the two programs in the program folder.
std::string programs_build_text();

// `current_item_name` is sent when the path names no file.
Request prepare_request(int type, std::string_view path, std::string_view current_item_name = {});

// Builds the request and opens it; always 0.
int look_up_program(HWND owner, int type, std::string_view path, std::string_view current_item_name = {});

// Opens a help page by name: the file of that name in the program folder when there is one,
// else the page on the server. A name that is no plain file name opens the default page.
void open_help_page(HWND owner, std::string_view page);

}  // namespace kestrom::info_server
