// The approved policy: every category's approved snapshots as one portable document, so an
// administrator approves a clean reference machine once and hands the result to every other.
#pragma once
#include <string>
#include <vector>

namespace kestrom::check {

// What one category contributed to an export or an import.
struct PolicyCategoryCount {
  std::string category;  // the document's member name, e.g. "run"
  std::size_t entries = 0;
};

struct PolicyOutcome {
  bool ok = false;
  // For standard error: empty when everything went through; otherwise says what failed and,
  // for an import cut short, which categories were already approved.
  std::string message;
  // The categories written (export) or approved (import), in the document's order.
  std::vector<PolicyCategoryCount> categories;
};

// Writes the approved snapshots of every category to `file` (UTF-8 JSON). Changes nothing in
// the registry.
PolicyOutcome export_policy(const std::wstring& file);

// Approves on this machine what the document at `file` holds: merges into the approved
// snapshots, never removes. A document that can't be read or doesn't validate whole changes
// nothing.
PolicyOutcome import_policy(const std::wstring& file);

}  // namespace kestrom::check
