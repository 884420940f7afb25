#include "common/trace.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

using namespace kestrom;

namespace {

std::string temp_folder() {
  char buf[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, buf);
  return buf;
}

// key=value lines of the Trace section.
std::vector<std::pair<std::string, std::string>> section(const std::string& file) {
  std::vector<char> buf(65536);
  DWORD n = GetPrivateProfileSectionA("Trace", buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
  std::vector<std::pair<std::string, std::string>> out;
  for (const char* p = buf.data(); p < buf.data() + n && *p; p += std::strlen(p) + 1) {
    std::string line(p);
    auto eq = line.find('=');
    out.emplace_back(line.substr(0, eq), eq == std::string::npos ? "" : line.substr(eq + 1));
  }
  return out;
}

class Trace : public ::testing::Test {
 protected:
  void TearDown() override {
    trace::set_enabled(false);
    trace::set_file("");
  }
};

}  // namespace

TEST_F(Trace, WritesBeginAndEndEntriesIntoTheTraceSection) {
  std::string file = temp_folder() + "kestrom_trace.txt";
  DeleteFileA(file.c_str());
  trace::set_file(file);
  trace::begin("TAG", "off");  // not enabled: nothing written
  trace::set_enabled(true);
  trace::begin("PATROL", "Startup step");
  // An end in the same tick shares the begin's key and replaces it; let the clock move on.
  DWORD start = GetTickCount();
  while (GetTickCount() == start) SwitchToThread();
  trace::end();

  auto lines = section(file);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(std::regex_match(lines[0].first, std::regex(R"(\d+\.\d+)"))) << lines[0].first;
  EXPECT_TRUE(std::regex_match(lines[0].second, std::regex(R"(\d\d-\d\d  \d\d:\d\d:\d\d PATROL: Startup step)")))
      << lines[0].second;
  EXPECT_TRUE(std::regex_match(lines[1].second, std::regex(R"(\*\*:\*\*:\*\* NanoCycles: Startup step = \d+ ?.*)")))
      << lines[1].second;
  DeleteFileA(file.c_str());
}

