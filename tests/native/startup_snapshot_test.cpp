// The snapshot lookup rule over an in-memory snapshot: the key first, the title when the key's
// value is missing or 0, and -1 only when neither value exists.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "startup/snapshot.hpp"

using namespace kestrom;

namespace {

struct Snapshot {
  std::map<std::string, int> values;
  std::vector<std::string> asked;
  int lookup(std::string_view file, std::string_view title) {
    return snapshot_lookup_in(
        [this](std::string_view name) -> std::optional<int> {
          asked.emplace_back(name);
          auto it = values.find(std::string(name));
          if (it == values.end()) return std::nullopt;
          return it->second;
        },
        file, title);
  }
};

}  // namespace

TEST(StartupSnapshotLookup, KeyFirstThenTitleWhenMissingOrZero) {
  Snapshot s;
  s.values = {{"C:\\a.exe /x:1", 11}, {"kt_title", 1}};
  EXPECT_EQ(s.lookup("C:\\a.exe /x=1", "kt_title"), 11);
  EXPECT_EQ(s.asked, std::vector<std::string>{"C:\\a.exe /x:1"});  // a known key needs no title read

  s.values = {{"C:\\a.exe", 0}, {"kt_title", 1}};
  EXPECT_EQ(s.lookup("C:\\a.exe", "kt_title"), 1);
  s.values = {{"kt_title", 200}};
  EXPECT_EQ(s.lookup("C:\\a.exe", "kt_title"), 200);
}

TEST(StartupSnapshotLookup, RemovedMarkerZeroAndMissing) {
  Snapshot s;
  s.values = {{"C:\\a.exe", 1103}, {"kt_title", 11}};
  EXPECT_EQ(s.lookup("C:\\a.exe", "kt_title"), 1103);  // the marker wins over an accepted title
  s.values = {{"C:\\a.exe", 0}, {"kt_title", 0}};
  EXPECT_EQ(s.lookup("C:\\a.exe", "kt_title"), 0);
  s.values = {{"C:\\a.exe", 0}};
  EXPECT_EQ(s.lookup("C:\\a.exe", "kt_title"), 0);  // the key exists, so not -1
  s.values = {};
  EXPECT_EQ(s.lookup("C:\\a.exe", "kt_title"), -1);
}
