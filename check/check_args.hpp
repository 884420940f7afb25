// The check program's command line: output form, the categories to check, whether to approve
// what is found, and the policy document to write or read. Pure.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrom::check {

enum class OutputForm { Table, Json, Csv };

struct CheckArguments {
  OutputForm form = OutputForm::Table;
  std::vector<std::string> categories;  // as the categories name themselves; empty: all
  bool accept = false;
  std::string export_policy;  // file to write the approved policy to; empty: none
  std::string import_policy;  // file to read an approved policy from; empty: none
};

// Why a command line was refused: the string number of the message and the word it names.
struct ArgumentError {
  int message = 0;
  std::string word;
};

struct ParsedArguments {
  CheckArguments arguments;
  std::optional<ArgumentError> error;
};

// The names --category accepts, in the order the check runs them.
const std::vector<std::string_view>& category_names();
// The category's own name for `word` (any case); empty when there is none.
std::string_view category_name_of(std::string_view word) noexcept;

// Parses the arguments after the program name, already split as the C runtime splits them.
// "--json" and "--csv" exclude each other; "--category" takes one name and may repeat; a
// policy flag takes a file. Unknown flags, missing values and unknown categories are refused.
ParsedArguments parse_check_arguments(const std::vector<std::string>& words);

}  // namespace kestrom::check
