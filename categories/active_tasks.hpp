// Running programs: process enumeration, the Active Tasks list (one item per program file,
// code 600, value = process id), finding and ending a program's process.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/item_list.hpp"

namespace kestrom {

// id, second number (0 for ordinary processes), program file name (empty when unreadable);
// return false to stop.
using ProcessVisitor = std::function<bool(std::uint32_t pid, std::uint32_t task, const std::string& file)>;

// True when the enumeration ran; false when the system offers no way to enumerate.
bool enumerate_processes(const ProcessVisitor& visit);

// Clears the list and adds one item per running program; returns the count.
std::size_t list_active_tasks(ItemList& list, const ItemRules& rules);
std::size_t active_tasks_count(ItemList& list, const ItemRules& rules);

// Process id of a process running `program_file`, 0 when none.
std::uint32_t find_program_process(std::string_view program_file);
// Ends the program's process and writes "TASK_Kill"; its process id, 0 when none was ended.
std::uint32_t end_program(std::string_view title, std::string_view program_file);
// Ends process `pid` only while it still runs `program_file`; "TASK_Kill" only when Windows
// ended it. Its id, 0 when it was not ended.
std::uint32_t end_process(std::uint32_t pid, std::string_view title, std::string_view program_file);
// With `ask`, first asks string 707 (Yes/No) and does nothing unless Yes.
std::uint32_t end_program_with_question(HWND owner, std::string_view title, std::string_view program_file,
                                        bool ask);
// The program files of the running programs: the category's source for the First-Detected
// Register.
std::vector<std::string> active_task_files();
// Lists the running programs and notes each file under ActiveTasks.
void note_active_tasks();

}  // namespace kestrom
