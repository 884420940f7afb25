// Date texts of many files' times in one listing: the user's date and time formats are read
// once, where date_text reads them for every date.
#pragma once
#include <windows.h>

#include <string>

namespace kestrom {

class FileDateTexts {
 public:
  FileDateTexts();  // reads the user's formats now
  // The local date text of a file time, as date_text gives it; empty when Windows cannot
  // convert the time.
  std::string operator()(const FILETIME& utc) const;

 private:
  std::string short_date_, time_;
};

}  // namespace kestrom
