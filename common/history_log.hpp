// Writing the History Log ("history.txt" in the program folder) and sending its records to
// the report server configured under HKLM\Software\Orvane\Kestrom ("ktserver", "ktid").
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "common/history.hpp"

namespace kestrom {

std::string history_file_path();  // program folder + "\history.txt"

// Appends one record and sends it. False when the option "History" is below 1 or the file
// cannot be opened (after a few retries while the other program holds it).
bool write_history(std::string_view title, std::string_view path, std::string_view third, int code, int action);
// The same into a given file (the History option is still honoured).
bool write_history_to(const std::string& file, std::string_view title, std::string_view path,
                      std::string_view third, int code, int action);

// The same with a given record time (the writers above take the local time).
bool write_history_record(const std::string& file, const LocalTime& at, std::string_view title,
                          std::string_view path, std::string_view third, int code, int action);

// Sends one record; true when the server answered "1". Nothing happens without "ktserver".
bool send_history(std::string_view action_name, std::string_view type_name, std::string_view title,
                  std::string_view path);

// The records of a log file (empty when it cannot be read).
std::vector<HistoryRecord> read_history(const std::string& file);

}  // namespace kestrom
