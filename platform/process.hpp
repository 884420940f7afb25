// The one way the programs start other programs and open documents and addresses. The process
// and thread handles are closed unless the caller asks to keep the process; a failure comes
// back as the system's error code, never as an exception.
#pragma once
#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/handles.hpp"

namespace kestrom::platform {

struct StartOptions {
  std::string folder;          // working folder of the new program; empty: the caller's
  int show = SW_SHOWNORMAL;    // how its first window shows
  bool keep_process = false;   // Started::process holds the process, for waiting or ending it
  // Through the shell (ShellExecuteEx) with this verb, e.g. "open" for a document or an
  // address, "runas" to ask for administrator rights. Empty: the program is started directly.
  std::string verb;
  HWND owner = nullptr;        // the shell's owner window for any question it asks
  // The verb is one of the file's shell menu ("properties"), not a registered program's.
  bool shell_menu_verb = false;
  // Where a program started directly writes its standard output and error (inheritable file
  // handles, e.g. to read a console program's output); null: where it would write anyway.
  HANDLE output = nullptr;
  HANDLE error_output = nullptr;
};

struct Started {
  DWORD error = ERROR_SUCCESS;  // the system's error code when nothing was started
  DWORD id = 0;                 // process id; known through the shell only with keep_process
  UniqueHandle process;         // only with keep_process
  explicit operator bool() const noexcept { return error == ERROR_SUCCESS; }
};

// Starts `program` (a full path, or a document or address with a verb) with the arguments,
// each quoted so the program reads back exactly what was given.
Started start_program(std::string_view program, std::span<const std::string> arguments = {},
                      const StartOptions& options = {});

// A program with its parameters kept as text (the tail of a stored command): the program is
// quoted, the parameters are passed on unchanged, through the shell when a verb is given.
Started start_program_with_parameters(std::string_view program, std::string_view parameters,
                                      const StartOptions& options = {});

// A command line that exists as text (a stored command, a browser's): passed on unchanged.
Started start_command_line(std::string_view command_line, const StartOptions& options = {});

// Opens a document, folder or address the way the shell opens it on a double click.
inline Started open_in_shell(HWND owner, std::string_view file, std::string folder = {}) {
  StartOptions o;
  o.verb = "open";
  o.owner = owner;
  o.folder = std::move(folder);
  return start_program(file, {}, o);
}

// The exit code once the process has ended, or nothing when it is still running after
// `timeout_ms` (or was not kept).
std::optional<DWORD> exit_code_within(const Started& started, DWORD timeout_ms);

}  // namespace kestrom::platform
