#include "reports/report_text_win.hpp"

#include <windows.h>

#include "common/paths.hpp"
#include "common/registry.hpp"

namespace kestrom::reports {

namespace {
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::string_view kWindowsNt = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
}  // namespace

ReportFile::ReportFile(const std::string& path, bool shared)
    : file_(CreateFileA(path.c_str(), GENERIC_WRITE, shared ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

void ReportFile::write(std::string_view text) {
  pending_ += text;
  if (pending_.size() >= kBlockSize) flush();
}

void ReportFile::flush() {
  std::size_t done = 0;
  while (!failed_ && done < pending_.size()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(pending_.size() - done);
    if (!file_ || !WriteFile(file_.get(), pending_.data() + done, chunk, &written, nullptr) || written == 0)
      failed_ = true;
    done += written;
  }
  pending_.clear();
}

bool ReportFile::close() {
  if (!file_) return false;
  flush();
  const bool closed = CloseHandle(file_.release()) != 0;
  return closed && !failed_;
}

const VersionInfo& VersionCache::of(const std::string& program) {
  auto [it, fresh] = cache_.try_emplace(program);
  const bool full_path = program.size() > 2 && (program[1] == ':' || program.starts_with("\\\\"));
  if (fresh && (!full_path || GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES))
    version_information(program, it->second);
  return it->second;
}

std::string platform_description() {
  std::string text = reg::read_string(HKEY_LOCAL_MACHINE, kWindowsNt, "ProductName");
  if (text.empty()) text = "Windows";
  const std::string version = reg::read_string(HKEY_LOCAL_MACHINE, kWindowsNt, "CurrentVersion");
  const std::string build = reg::read_string(HKEY_LOCAL_MACHINE, kWindowsNt, "CurrentBuildNumber");
  const std::string pack = reg::read_string(HKEY_LOCAL_MACHINE, kWindowsNt, "CSDVersion");
  if (!version.empty()) text += " (Version " + version + (build.empty() ? "" : ", Build " + build) +
                                (pack.empty() ? "" : ", " + pack) + ")";
  return text;
}

std::string running_program_version() {
  char module[MAX_PATH + 1] = {};
  const DWORD n = GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  return version_information(std::string_view(module, n)).product_version;
}

std::string current_folder_path(std::string_view name) {
  char folder[MAX_PATH + 1] = {};
  const DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
  std::string path = (n > 0 && n < sizeof folder) ? std::string(folder, n) : std::string(".");
  if (path.back() != '\\') path += '\\';
  path += name;
  return path;
}

WaitCursor::WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
WaitCursor::~WaitCursor() { SetCursor(previous_ ? static_cast<HCURSOR>(previous_) : LoadCursor(nullptr, IDC_ARROW)); }

}  // namespace kestrom::reports
