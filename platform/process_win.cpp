#include "platform/process.hpp"

#include <shellapi.h>

#include <utility>

#include "platform/command_line.hpp"

namespace kestrom::platform {

namespace {

Started create_process(std::string command_line, const StartOptions& options) {
  Started out;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (options.show != SW_SHOWNORMAL) {
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(options.show);
  }
  const bool redirected = options.output != nullptr || options.error_output != nullptr;
  if (redirected) {
    si.dwFlags |= STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = options.output ? options.output : GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = options.error_output ? options.error_output : GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION pi{};
  // CreateProcess may write into the command line, so it gets a copy of its own. Handles are
  // inherited only when the caller hands its own to the new program.
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, redirected ? TRUE : FALSE, 0, nullptr,
                      options.folder.empty() ? nullptr : options.folder.c_str(), &si, &pi)) {
    out.error = GetLastError();
    if (out.error == ERROR_SUCCESS) out.error = ERROR_GEN_FAILURE;
    return out;
  }
  UniqueHandle thread(pi.hThread);
  UniqueHandle process(pi.hProcess);
  out.id = pi.dwProcessId;
  if (options.keep_process) out.process = std::move(process);
  return out;
}

Started shell_execute(std::string_view file, const std::string& parameters, const StartOptions& options) {
  Started out;
  const std::string target(file);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  // No error boxes from the shell: the caller reports a failure in its own words. The call
  // finishes its work before returning, so a program that ends right after still starts it.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC | (options.keep_process ? SEE_MASK_NOCLOSEPROCESS : 0) |
               (options.shell_menu_verb ? SEE_MASK_INVOKEIDLIST : 0);
  info.hwnd = options.owner;
  info.lpVerb = options.verb.c_str();
  info.lpFile = target.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = options.folder.empty() ? nullptr : options.folder.c_str();
  info.nShow = options.show;
  if (!ShellExecuteExA(&info)) {
    out.error = GetLastError();
    // Older shells report only through hInstApp, with the codes below 32 that match the
    // system's error codes for the common cases (file or path not found, access denied).
    if (out.error == ERROR_SUCCESS) {
      const auto code = reinterpret_cast<INT_PTR>(info.hInstApp);
      out.error = code > 0 && code <= 32 ? static_cast<DWORD>(code) : ERROR_GEN_FAILURE;
    }
    return out;
  }
  UniqueHandle process(info.hProcess);  // null unless kept, and when the shell started nothing new
  if (process) out.id = GetProcessId(process.get());
  if (options.keep_process) out.process = std::move(process);
  return out;
}

}  // namespace

Started start_program(std::string_view program, std::span<const std::string> arguments, const StartOptions& options) {
  if (!options.verb.empty()) return shell_execute(program, argument_text(arguments), options);
  return create_process(command_line(program, arguments), options);
}

Started start_program_with_parameters(std::string_view program, std::string_view parameters,
                                      const StartOptions& options) {
  if (!options.verb.empty()) return shell_execute(program, std::string(parameters), options);
  std::string line = command_line(program);
  if (!parameters.empty()) line += ' ' + std::string(parameters);
  return create_process(std::move(line), options);
}

Started start_command_line(std::string_view text, const StartOptions& options) {
  if (!options.verb.empty()) {
    // A verb belongs to a file; a command line as text has none to give it.
    Started refused;
    refused.error = ERROR_INVALID_PARAMETER;
    return refused;
  }
  return create_process(std::string(text), options);
}

std::optional<DWORD> exit_code_within(const Started& started, DWORD timeout_ms) {
  if (!started.process || WaitForSingleObject(started.process.get(), timeout_ms) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(started.process.get(), &code)) return std::nullopt;
  return code;
}

}  // namespace kestrom::platform
