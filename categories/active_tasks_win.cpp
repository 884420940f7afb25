#include "categories/active_tasks.hpp"

#include <vector>

#include "common/detected.hpp"
#include "common/history_log.hpp"
#include "common/locations.hpp"
#include "common/msgbox.hpp"
#include "common/paths.hpp"
#include "common/pathtext.hpp"
#include "common/string_ids.h"
#include "common/text.hpp"
#include "common/textloader.hpp"
#include "platform/handles.hpp"
#include "startup/enumerate.hpp"

namespace kestrom {

namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

constexpr DWORD kFirstIdBufferBytes = 1024;
constexpr DWORD kModuleNameLength = 260;
constexpr int kExitPolls = 5;
constexpr DWORD kExitPollMs = 10;

template <typename Fn>
Fn proc(HMODULE m, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

}  // namespace

bool enumerate_processes(const ProcessVisitor& visit) {
  // 16-bit programs run inside an NTVDM process only on 32-bit Windows; an x64 system has
  // none, so only the process list itself is walked.
  platform::UniqueModule psapi(LoadLibraryA("PSAPI.DLL"));
  if (!psapi) return false;
  auto enum_processes = proc<EnumProcessesFn>(psapi.get(), "EnumProcesses");
  auto enum_modules = proc<EnumProcessModulesFn>(psapi.get(), "EnumProcessModules");
  auto module_name = proc<GetModuleFileNameExFn>(psapi.get(), "GetModuleFileNameExA");
  if (!enum_processes || !enum_modules || !module_name) return false;

  std::vector<DWORD> ids;
  DWORD bytes = kFirstIdBufferBytes;
  DWORD filled = 0;
  for (;;) {
    ids.assign(bytes / sizeof(DWORD), 0);
    if (!enum_processes(ids.data(), bytes, &filled)) return true;
    if (filled < bytes) break;
    bytes *= 2;
  }
  ids.resize(filled / sizeof(DWORD));
  for (DWORD pid : ids) {
    std::string file;
    platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (process) {
      HMODULE first = nullptr;
      DWORD needed = 0;
      if (enum_modules(process.get(), &first, sizeof first, &needed) && first) {
        char name[kModuleNameLength + 1] = {};
        DWORD n = module_name(process.get(), first, name, kModuleNameLength);
        file.assign(name, n);
      }
    }
    if (!visit(pid, 0, file)) break;
  }
  return true;
}

std::size_t list_active_tasks(ItemList& list, const ItemRules& rules) {
  list.clear();
  std::vector<std::string> seen;
  enumerate_processes([&](std::uint32_t pid, std::uint32_t, const std::string& raw) {
    if (raw.empty()) return true;
    std::string file = command_to_file(raw);
    if (file.empty()) return true;
    for (const auto& s : seen)
      if (iequals(s, file)) return true;
    seen.push_back(file);
    std::string title = version_information(raw).file_description;
    if (title.empty()) title = file_name_of_path(raw);
    list.add(title, file, "", "", code::kInfoTask, static_cast<int>(pid), rules);
    return true;
  });
  return list.size();
}

std::size_t active_tasks_count(ItemList& list, const ItemRules& rules) { return list_active_tasks(list, rules); }

namespace {

// The process's program file as the system names it (`raw`) is the program `target` names.
bool runs_program(const std::string& raw, const std::string& target) {
  if (raw.empty() || target.empty()) return false;
  std::string norm = command_to_file(raw);
  return iequals(long_path(norm), target) || iequals(norm, target) || iequals(file_name_of_path(raw), target);
}

std::string image_of(HANDLE process) {
  char name[kModuleNameLength + 1] = {};
  DWORD n = kModuleNameLength;
  if (!QueryFullProcessImageNameA(process, 0, name, &n)) return {};
  return std::string(name, n);
}

}  // namespace

std::uint32_t find_program_process(std::string_view program_file) {
  std::string target = command_to_file(program_file);
  if (target.empty()) return 0;
  std::uint32_t found = 0;
  enumerate_processes([&](std::uint32_t pid, std::uint32_t, const std::string& raw) {
    if (!runs_program(raw, target)) return true;
    found = pid;
    return false;
  });
  return found;
}

std::uint32_t end_program(std::string_view title, std::string_view program_file) {
  std::uint32_t pid = find_program_process(program_file);
  return pid == 0 ? 0 : end_process(pid, title, program_file);
}

std::uint32_t end_process(std::uint32_t pid, std::string_view title, std::string_view program_file) {
  platform::UniqueHandle process(
      OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
  if (!process) return 0;
  // Ids are reused: the process found a moment ago may have ended and its id gone to another
  // program, which must not be ended in its place.
  if (!runs_program(image_of(process.get()), command_to_file(program_file))) return 0;
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  if (!TerminateProcess(process.get(), code)) return 0;
  for (int i = 0; i < kExitPolls; ++i) {
    DWORD now = 0;
    if (GetExitCodeProcess(process.get(), &now) && now != STILL_ACTIVE) break;
    Sleep(kExitPollMs);
  }
  process.reset();
  write_history(title, program_file, "", code::kInfoTask, action::kTaskKill);
  if (HWND tray = FindWindowA("Shell_TrayWnd", nullptr)) RedrawWindow(tray, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  return pid;
}

std::uint32_t end_program_with_question(HWND owner, std::string_view title, std::string_view program_file, bool ask) {
  if (ask) {
    // The title goes in as text, never as a format: a "%" in a program's name stays a "%".
    std::string question = fill_question(text::load(IDS_STOP_PROGRAM_QUESTION), title);
    if (message_box(owner, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return 0;
  }
  return end_program(title, program_file);
}

std::vector<std::string> active_task_files() {
  ItemList list;
  list_active_tasks(list, system_item_rules());
  return list.files();
}

void note_active_tasks() {
  for (const auto& file : active_task_files()) note_first_sighting(file, detected::kActiveTasks);
}

}  // namespace kestrom
