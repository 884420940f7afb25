// File type associations on the real registry: the three sources, the listing into the Item
// List, the file-type snapshot and the actions on it (record, restore, stop watching, add).
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "categories/file_types.hpp"
#include "common/item_list.hpp"
#include "platform/reg_key.hpp"
#include "startup/actions.hpp"

namespace kestrom::file_types {

// `file type association`: one source of one extension (with or without its dot); nothing
// unless both the name and its open command are there.
std::optional<Association> find_association(std::string_view extension, int source);
// Every association of the watched list: extensions in list order, sources in type order.
std::vector<Association> list_associations();
// The same for a list given.
std::vector<Association> associations_of_list(std::string_view list);
// `list file types`: clears the list and adds an item per association (code 400, value = the
// source, detail = the dotted extension). The associations come back index for index.
std::vector<Association> list_file_types(ItemList& list, const ItemRules& rules);

// The watched list (Class's default value); empty when none was written yet.
std::string watched_list();
// What the snapshot holds for the extension and source.
Recorded recorded_association(std::string_view extension, int source);
// The same reads with the snapshot's keys opened once, for a patrol step that reads hundreds.
class RecordReader {
 public:
  RecordReader();
  Recorded read(std::string_view extension, int source) const;

 private:
  platform::RegKey names_[kLastSource];
  platform::RegKey commands_;
};
// `record file type`: the association as it is now becomes the recorded one.
bool record_file_type(const Association& association);
// `restore file type`: writes the recorded association back into the source. NotDone when
// nothing is recorded; Refused when Windows refused a write, which is then undone.
ActionResult restore_file_type(std::string_view extension, int source);
// `stop watching file type`: off the list, its records gone from all three sources, and its
// class records unless another extension still records the same name.
bool stop_watching_file_type(std::string_view extension);
// `add watched file type`: 0 when added (its current associations recorded), else the string
// number to show: 761 invalid or without any association, 762 already watched, 763 list full.
int add_watched_file_type(std::string_view extension);
// `build file type snapshot`, run by the product start-up of both programs.
void build_file_type_snapshot();
// The open commands of the watched associations: the category's source for the
// First-Detected Register.
std::vector<std::string> file_type_commands();

}  // namespace kestrom::file_types
