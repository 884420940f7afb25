// The check run on the real system: each category's patrol step, with operations that read as
// the monitor's do but change nothing, and an asker that records a finding instead of asking.
// With `accept` the asker answers Yes, so the approval and its History Log records are exactly
// those of a Yes answer in the monitor.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "check/check_args.hpp"
#include "check/findings.hpp"

namespace kestrom::check {

// Why the check could not run: the message's string number and the key or file it names.
struct CheckError {
  int message = 0;
  std::string subject;
};

struct CheckRun {
  std::vector<std::string> categories;  // those checked, in order
  std::vector<Finding> findings;
  std::optional<CheckError> error;  // set when the run could not be done (nothing was changed)
};

// Runs the checks of `categories` (empty: all). Before anything is read, every key the run
// depends on is opened as it will be used (read, and written too with `accept`); one that
// exists but cannot be opened ends the run with an error and nothing changed.
CheckRun run_check(const std::vector<std::string>& categories, bool accept);

}  // namespace kestrom::check
