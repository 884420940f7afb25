// The file every report is written to: created anew for writing with no sharing, written in
// large blocks, and good only when every write and the close succeeded.
#pragma once
#include <map>
#include <string>
#include <string_view>

#include "common/paths.hpp"
#include "platform/handles.hpp"

namespace kestrom::reports {

class ReportFile {
 public:
  // `shared`: others may read and write the file while it is written.
  explicit ReportFile(const std::string& path, bool shared = false);
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  // False when the file could not be created.
  bool created() const noexcept { return static_cast<bool>(file_); }
  void write(std::string_view text);
  // Writes what is left and closes; true when the file is complete.
  bool close();

 private:
  void flush();

  platform::UniqueFile file_;
  std::string pending_;
  bool failed_ = false;
};

// Version facts by program file for one report, so a program behind many items (the shared
// service host) is read once. A stale entry's program is often gone: a full path that names
// nothing has no version facts, which one look at the file tells faster than the version
// functions do.
class VersionCache {
 public:
  const VersionInfo& of(const std::string& program);

 private:
  std::map<std::string, VersionInfo> cache_;
};

// The operating system's name, version, build and service pack, as the reports show it.
std::string platform_description();

// The product version of the running program.
std::string running_program_version();

// The full path of `name` in the process's current folder.
std::string current_folder_path(std::string_view name);

// Shows the wait cursor while it lives and the arrow again afterwards.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  void* previous_;
};

}  // namespace kestrom::reports
