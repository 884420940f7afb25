#include "common/history_log.hpp"

#include <windows.h>
#include <wininet.h>

#include <fstream>
#include <iterator>

#include "common/paths.hpp"
#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "common/registry.hpp"
#include "common/string_ids.h"
#include "common/textloader.hpp"
#include "platform/handles.hpp"

namespace kestrom {

namespace {

constexpr std::size_t kMaxServer = 512;
constexpr std::size_t kMaxId = 31;
constexpr std::size_t kSendTitle = 127;
constexpr std::size_t kSendPath = 259;
constexpr DWORD kAnswerBytes = 32;
// The other program holds the file only for the moment of one write.
constexpr int kOpenAttempts = 12;
constexpr DWORD kOpenRetryMs = 10;

struct InternetTraits {
  using Handle = HINTERNET;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { InternetCloseHandle(h); }
};
using UniqueInternet = platform::Unique<InternetTraits>;

platform::UniqueFile open_for_append(const std::string& file) {
  for (int attempt = 0;; ++attempt) {
    platform::UniqueFile f(
        CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (f || attempt + 1 >= kOpenAttempts || GetLastError() != ERROR_SHARING_VIOLATION) return f;
    Sleep(kOpenRetryMs);
  }
}

}  // namespace

std::string history_file_path() { return program_folder() + "\\history.txt"; }

bool write_history(std::string_view title, std::string_view path, std::string_view third, int code, int action) {
  return write_history_to(history_file_path(), title, path, third, code, action);
}

bool write_history_to(const std::string& file, std::string_view title, std::string_view path, std::string_view third,
                      int code, int action) {
  return write_history_record(file, local_now(), title, path, third, code, action);
}

bool write_history_record(const std::string& file, const LocalTime& at, std::string_view title, std::string_view path,
                          std::string_view third, int code, int action) {
  if (read_option(Opt::History) < 1) return false;
  std::string line = history_line(at, text::load(IDS_NEVER), code, action, title, path, third);
  {
    auto f = open_for_append(file);
    if (!f) return false;
    SetFilePointer(f.get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    if (!WriteFile(f.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size())
      return false;
  }
  send_history(action_name(action), history_type_name(code), title.substr(0, kSendTitle), path.substr(0, kSendPath));
  return true;
}

bool send_history(std::string_view action_name_text, std::string_view type_name, std::string_view title,
                  std::string_view path) {
  std::string server = reg::read_text(HKEY_LOCAL_MACHINE, keys::kProduct, "ktserver", kMaxServer);
  if (server.empty()) return false;
  std::string id = reg::read_text(HKEY_LOCAL_MACHINE, keys::kProduct, "ktid", kMaxId);
  std::string url = history_request_url(server, user_name(), id, history_time_text(local_now(), ""), action_name_text,
                                        type_name, title, path);
  UniqueInternet net(InternetOpenA("History", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!net) return false;
  UniqueInternet req(InternetOpenUrlA(net.get(), url.c_str(), nullptr, 0,
                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                                          INTERNET_FLAG_NO_UI,
                                      0));
  if (!req) return false;
  char answer[kAnswerBytes + 1] = {};
  DWORD got = 0;
  if (!InternetReadFile(req.get(), answer, kAnswerBytes, &got) || got == 0) return false;
  return answer[0] == '1';
}

std::vector<HistoryRecord> read_history(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parse_history(text);
}

}  // namespace kestrom
