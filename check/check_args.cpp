#include "check/check_args.hpp"

#include "check/string_ids.h"
#include "common/text.hpp"

namespace kestrom::check {

const std::vector<std::string_view>& category_names() {
  static const std::vector<std::string_view> names{"Startup",  "Tasks",  "Services",    "IEHelpers", "ActiveX",
                                                   "FileTypes", "Hidden", "SystemFiles", "Settings"};
  return names;
}

std::string_view category_name_of(std::string_view word) noexcept {
  for (const std::string_view name : category_names())
    if (iequals(name, word)) return name;
  return {};
}

ParsedArguments parse_check_arguments(const std::vector<std::string>& words) {
  ParsedArguments out;
  CheckArguments& a = out.arguments;
  bool form_given = false;
  const auto refuse = [&out](int message, std::string_view word) {
    out.error = ArgumentError{message, std::string(word)};
    return out;
  };
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    if (w == "--json" || w == "--csv") {
      const OutputForm form = w == "--json" ? OutputForm::Json : OutputForm::Csv;
      if (form_given && form != a.form) return refuse(IDS_CHECK_TWO_FORMS, w);
      a.form = form;
      form_given = true;
    } else if (w == "--accept") {
      a.accept = true;
    } else if (w == "--category" || w == "--export-policy" || w == "--import-policy") {
      // A value that looks like a flag is a forgotten value, not a file or category name.
      if (i + 1 >= words.size() || words[i + 1].empty() || words[i + 1].starts_with("--"))
        return refuse(IDS_CHECK_MISSING_VALUE, w);
      const std::string& value = words[++i];
      if (w == "--category") {
        const std::string_view name = category_name_of(value);
        if (name.empty()) return refuse(IDS_CHECK_UNKNOWN_CATEGORY, value);
        bool listed = false;
        for (const auto& c : a.categories) listed = listed || c == name;
        if (!listed) a.categories.emplace_back(name);
      } else if (w == "--export-policy") {
        a.export_policy = value;
      } else {
        a.import_policy = value;
      }
    } else {
      return refuse(IDS_CHECK_UNKNOWN_FLAG, w);
    }
  }
  // A policy run writes or reads one document and does nothing else, so its outcome is plain.
  if (!a.export_policy.empty() && !a.import_policy.empty()) return refuse(IDS_CHECK_POLICY_TWO, "--import-policy");
  return out;
}

}  // namespace kestrom::check
