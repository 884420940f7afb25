#include "common/paths.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "common/file_date_texts.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/text.hpp"
#include "platform/handles.hpp"

namespace kestrom {

namespace {

constexpr std::string_view kInternational = "Control Panel\\International";
constexpr std::string_view kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kDefaultProgramFiles = "C:\\Program Files";

std::string folder_from(UINT(WINAPI* get)(LPSTR, UINT)) {
  char buf[MAX_PATH + 1];
  UINT n = get(buf, static_cast<UINT>(sizeof buf));
  if (n == 0 || n >= sizeof buf) return {};
  return std::string(buf, n);
}

bool names_a_file(const std::string& path) {
  DWORD attrs = GetFileAttributesA(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// The short form when the system gives one; empty otherwise.
std::string short_form(const std::string& path) {
  char buf[MAX_PATH + 1];
  DWORD n = GetShortPathNameA(path.c_str(), buf, static_cast<DWORD>(sizeof buf));
  if (n == 0 || n >= sizeof buf) return {};
  return std::string(buf, n);
}

bool ensure_folder(const std::string& folder) {
  if (CreateDirectoryA(folder.c_str(), nullptr)) return true;
  DWORD attrs = GetFileAttributesA(folder.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// AppData\Kestrom with its vault, or empty when either cannot be made.
std::string app_data_product_folder() {
  std::string app = reg::read_string(HKEY_CURRENT_USER, keys::kShellFolders, "AppData", kMaxPath);
  if (app.empty()) return {};
  std::string folder = app + "\\Kestrom";
  if (!ensure_folder(folder) || !ensure_folder(folder + "\\vault")) return {};
  return folder;
}

LocalTime from_system_time(const SYSTEMTIME& st) {
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

platform::UniqueFile open_for_facts(std::string_view file) {
  std::string path(file);
  return platform::UniqueFile(CreateFileA(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool local_time_of(const FILETIME& ft, LocalTime& out) {
  FILETIME local;
  SYSTEMTIME st;
  if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st)) return false;
  out = from_system_time(st);
  return true;
}

std::string version_text(const std::vector<char>& data, const char* query) {
  void* p = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data.data(), query, &p, &len) || p == nullptr || len == 0) return {};
  std::string text(static_cast<const char*>(p), len);
  if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text.size() > kVersionTextLimit ? std::string() : text;
}

}  // namespace

std::string program_folder() {
  char buf[kModulePathLimit + 1];
  DWORD n = GetModuleFileNameA(nullptr, buf, static_cast<DWORD>(kModulePathLimit));
  // A path that filled the room was cut: its folder would be wrong.
  if (n == 0 || n >= kModulePathLimit) return {};
  std::string path(buf, n);
  auto slash = path.find_last_of('\\');
  if (slash == std::string::npos) return {};
  path.resize(slash);
  return path.size() > kProgramFolderLimit ? std::string() : path;
}

std::string product_data_folder() {
  std::string folder = app_data_product_folder();
  return folder.empty() ? program_folder() : folder;
}

std::string vault_folder() {
  std::string folder = app_data_product_folder();
  return folder.empty() ? std::string() : folder + "\\vault";
}

std::string windows_folder() { return folder_from(GetWindowsDirectoryA); }
std::string system_folder() { return folder_from(GetSystemDirectoryA); }

bool file_exists(std::string& path) {
  if (path.empty()) return false;
  std::string shrt = short_form(path);
  if (!shrt.empty() && names_a_file(shrt)) return true;
  if (path.size() >= kShortNameLength) return false;
  std::string in_windows = windows_folder() + "\\" + path;
  shrt = short_form(in_windows);
  if (!shrt.empty() && names_a_file(shrt)) return true;
  std::string in_system = system_folder() + "\\" + path;
  shrt = short_form(in_system);
  if (!shrt.empty() && names_a_file(shrt)) {
    path = shrt;
    return true;
  }
  return false;
}

bool file_exists(std::string_view path) {
  std::string copy(path);
  return file_exists(copy);
}

std::string user_name() {
  char name[257] = {};
  DWORD n = sizeof name;
  return GetUserNameA(name, &n) ? std::string(name) : std::string();
}

std::string long_path(std::string_view path) {
  std::string in(path);
  char buf[MAX_PATH + 1];
  DWORD n = GetLongPathNameA(in.c_str(), buf, static_cast<DWORD>(sizeof buf));
  if (n == 0 || n >= sizeof buf) return in;
  return std::string(buf, n);
}

std::string short_path(std::string_view path) {
  std::string in(path);
  std::string s = short_form(in);
  return s.empty() ? in : s;
}

CommandFolders command_folders() {
  std::string program_files = reg::read_string(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", kMaxPath);
  if (program_files.empty()) program_files = kDefaultProgramFiles;
  return {windows_folder(), std::move(program_files)};
}

std::string program_file_as_written(std::string_view command, const CommandFolders& folders) {
  return command_to_file_as_written(command, folders.windows, folders.program_files);
}

CommandFiles::CommandFiles() : folders_(command_folders()) {}

std::string CommandFiles::operator()(std::string_view command) const {
  return command_to_file_text(command, folders_.windows, folders_.program_files);
}

std::string command_to_file(std::string_view command) { return CommandFiles{}(command); }

bool version_information(std::string_view file, VersionInfo& out) {
  out = VersionInfo{};
  std::string path(file);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0 || size > kVersionResourceLimit) return false;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return false;
  void* p = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &p, &len) || p == nullptr) return false;

  struct Pair {
    WORD language, code_page;
  };
  std::vector<Pair> pairs(len / sizeof(Pair));
  if (!pairs.empty()) std::memcpy(pairs.data(), p, pairs.size() * sizeof(Pair));
  for (const Pair& pair : pairs) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", pair.language, pair.code_page);
    auto query = [&](const char* key) { return version_text(data, (std::string(prefix) + key).c_str()); };
    std::string product = query("ProductName");
    if (product.empty()) continue;
    // A later translation replaces what an earlier one gave: the facts stay from one language.
    out.product_name = product;
    out.product_version = query("ProductVersion");
    out.company_name = query("CompanyName");
    out.file_description = query("FileDescription");
    out.legal_copyright = query("LegalCopyright");
  }
  // Windows' own files all carry the system's name; their description says what they are.
  if (contains(out.product_name, "Operating System")) out.product_name = out.file_description;
  return !out.product_name.empty();
}

VersionInfo version_information(std::string_view file) {
  VersionInfo info;
  version_information(file, info);
  return info;
}

bool file_facts(std::string_view file, FileFacts& out) {
  out = FileFacts{};
  auto h = open_for_facts(file);
  if (!h) return false;
  LARGE_INTEGER size;
  FILETIME written;
  LocalTime t;
  if (!GetFileSizeEx(h.get(), &size) || !GetFileTime(h.get(), nullptr, nullptr, &written) ||
      !local_time_of(written, t))
    return false;
  out.size = std::to_string(size.QuadPart);
  out.date = date_text(t);
  return true;
}

std::string creation_time_text(std::string_view file) {
  auto h = open_for_facts(file);
  if (!h) return {};
  FILETIME created;
  LocalTime t;
  if (!GetFileTime(h.get(), &created, nullptr, nullptr) || !local_time_of(created, t)) return {};
  return format_creation_time(t);
}

bool file_times(std::string_view file, FileTimes& out) {
  out = FileTimes{};
  auto h = open_for_facts(file);
  FILETIME times[3];
  if (!h || !GetFileTime(h.get(), &times[0], &times[1], &times[2])) return false;
  std::string* texts[3] = {&out.created, &out.accessed, &out.written};
  for (int i = 0; i < 3; ++i) {
    LocalTime t;
    if (local_time_of(times[i], t)) *texts[i] = format_creation_time(t);
  }
  return true;
}

LocalTime local_now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return from_system_time(st);
}

std::string date_text(const LocalTime& t) {
  return format_date_text(t, reg::read_string(HKEY_CURRENT_USER, kInternational, "sShortDate", kDateFormatLimit),
                          reg::read_string(HKEY_CURRENT_USER, kInternational, "sTimeFormat", kDateFormatLimit));
}

std::string date_text_now() { return date_text(local_now()); }

FileDateTexts::FileDateTexts()
    : short_date_(reg::read_string(HKEY_CURRENT_USER, kInternational, "sShortDate", kDateFormatLimit)),
      time_(reg::read_string(HKEY_CURRENT_USER, kInternational, "sTimeFormat", kDateFormatLimit)) {}

std::string FileDateTexts::operator()(const FILETIME& utc) const {
  LocalTime t;
  return local_time_of(utc, t) ? format_date_text(t, short_date_, time_) : std::string();
}

std::optional<std::string> read_whole_file(const std::string& path) {
  platform::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string content;
  char buffer[65536];
  DWORD got = 0;
  while (true) {
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) return content;
    content.append(buffer, got);
  }
}

bool replace_file_contents(const std::string& path, std::string_view content) {
  const std::string fresh = path + ".kestrom-new";
  {
    platform::UniqueFile file(
        CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    bool written = true;
    for (std::size_t done = 0; written && done < content.size();) {
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
      DWORD wrote = 0;
      written = WriteFile(file.get(), content.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
      done += wrote;
    }
    if (!written || !FlushFileBuffers(file.get())) {
      file.reset();
      DeleteFileA(fresh.c_str());
      return false;
    }
  }
  if (MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileA(fresh.c_str());
  return false;
}

}  // namespace kestrom
