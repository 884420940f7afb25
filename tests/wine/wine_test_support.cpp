#include "tests/wine/wine_test_support.hpp"

#include <windows.h>

namespace kestrom::test {

std::string test_program_folder() {
  char path[MAX_PATH * 2] = {};
  DWORD n = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(sizeof path));
  std::string folder(path, n);
  auto slash = folder.find_last_of('\\');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

}  // namespace kestrom::test
