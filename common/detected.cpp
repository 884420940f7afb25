#include "common/detected.hpp"

namespace kestrom {

std::string_view detected_category(int code) noexcept {
  if (code < 300) return detected::kStartup;
  switch (code) {
    case 370: case 1030: return detected::kHidden;
    case 400: return detected::kFileTypes;
    case 600: case 1010: return detected::kActiveTasks;
    case 700: case 701: case 1060: return detected::kServices;
    case 800: case 1050: return detected::kTasks;
    case 900: case 901: case 902: case 1040: return detected::kIEHelper;
    case 1020: case 1200: return detected::kActiveX;
    case 1070: return detected::kStartup;
    default: return detected::kActiveTasks;
  }
}

}  // namespace kestrom
