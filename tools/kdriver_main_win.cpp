// kdriver.exe: the test driver from a command line, for scripts and for looking around.
//   kdriver find [--class NAME] [--title TEXT] [--contains] [--pid N] [--timeout MS]
//   kdriver children HWND | text HWND | click HWND | press HWND ID
//   kdriver command HWND NUMBER [LPARAM] | post HWND MESSAGE [WPARAM [LPARAM]]
//   kdriver gone HWND [MS] | listview HWND
// Window handles are printed and read in hexadecimal. Exit code 0 on success, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/driver_win.hpp"

namespace {

namespace drv = kestrom::driver;

HWND parse_window(const char* text) {
  return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(text, nullptr, 16)));
}

int usage() {
  std::fputs("usage: kdriver find|children|text|click|press|command|post|gone|listview ...\n", stderr);
  return 1;
}

int find(const std::vector<std::string>& args) {
  drv::WindowQuery q;
  DWORD timeout = drv::kDefaultTimeoutMs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_value = i + 1 < args.size();
    if (a == "--class" && has_value) q.class_name = args[++i];
    else if (a == "--title" && has_value) q.title = args[++i];
    else if (a == "--contains") q.title_contains = true;
    else if (a == "--pid" && has_value) q.process_id = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
    else if (a == "--timeout" && has_value) timeout = static_cast<DWORD>(std::strtoul(args[++i].c_str(), nullptr, 10));
    else return usage();
  }
  HWND w = drv::wait_for_window(q, timeout);
  if (!w) return 1;
  std::printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string verb = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (verb == "find") return find(args);
  if (args.empty()) return usage();
  HWND w = parse_window(args[0].c_str());
  if (verb == "children") {
    for (const auto& c : drv::children(w))
      std::printf("%d\t%s\t%s\n", c.id, c.class_name.c_str(), c.text.c_str());
    return 0;
  }
  if (verb == "text") return std::printf("%s\n", drv::text_of(w).c_str()) < 0;
  if (verb == "click") return drv::click(w) ? 0 : 1;
  if (verb == "press" && args.size() >= 2) return drv::press(w, std::atoi(args[1].c_str())) ? 0 : 1;
  if (verb == "command" && args.size() >= 2) {
    LPARAM lp = args.size() >= 3 ? static_cast<LPARAM>(std::strtoll(args[2].c_str(), nullptr, 10)) : 0;
    return drv::post_command(w, std::atoi(args[1].c_str()), lp) ? 0 : 1;
  }
  if (verb == "post" && args.size() >= 2) {
    auto num = [&](std::size_t i) { return i < args.size() ? std::strtoull(args[i].c_str(), nullptr, 0) : 0ull; };
    return drv::post(w, static_cast<UINT>(num(1)), static_cast<WPARAM>(num(2)), static_cast<LPARAM>(num(3))) ? 0 : 1;
  }
  if (verb == "gone") {
    DWORD timeout = args.size() >= 2 ? static_cast<DWORD>(std::strtoul(args[1].c_str(), nullptr, 10)) : drv::kDefaultTimeoutMs;
    return drv::wait_until_gone(w, timeout) ? 0 : 1;
  }
  if (verb == "listview") {
    for (const auto& row : drv::read_list_view(w)) {
      std::string line;
      for (const auto& cell : row) line += (line.empty() ? "" : "\t") + cell;
      std::printf("%s\n", line.c_str());
    }
    return 0;
  }
  return usage();
}
