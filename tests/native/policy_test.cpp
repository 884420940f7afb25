// The approved policy document: what is written reads back the same, however hostile the
// texts, and a document that is wrong anywhere is refused whole, saying where.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "check/policy.hpp"

using namespace kestrom::check;

namespace {

// Texts a registry name or command may hold that a careless writer would break.
const std::string kQuotes = "say \"hi\" 'there'";
const std::string kBackslashes = "C:\\Program Files\\A\\\\B\\";
const std::string kControls = std::string("tab\there\nline\rreturn\x01\x1f") + "\x7f end";
const std::string kNonAscii = "Ünïcødé 日本語 \xF0\x9F\x90\xA6";  // the last is U+1F426

Policy every_category() {
  Policy p;
  p.startup = {{"C:\\PROGRAM FILES\\APP\\APP.EXE", 1}, {kQuotes, 11}, {"a:b", 200}, {kNonAscii, 42}};
  p.services = {{kControls, 700}, {"Plain Service", 701}};
  p.tasks = {{"Backup.job", 800}, {kBackslashes, 800}};
  p.ie_helpers = {{kNonAscii, 900}, {"Bar", 901}};
  p.activex = {"{11111111-2222-3333-4444-555555555555}", kQuotes};
  p.hidden_files = {{"C:\\WINDOWS\\hidden.dll", "12/7/2026"}, {kNonAscii, ""}};
  p.watched_file_types = {"EXE", "BAT", kNonAscii};
  p.file_types = {{"txt", 1, "txtfile", "\"C:\\Windows\\notepad.exe\" \"%1\""}, {"exe", 3, kQuotes, kControls}};
  p.settings.start_page = "http://example.com/?q=\"x\"";
  p.settings.search_page = kNonAscii;
  p.settings.desktop_page = "";
  p.settings.update_level = 4;
  p.settings.url_prefix = "http://";
  p.system_files = {{"HOSTS", "C:\\Windows\\system32\\drivers\\etc\\hosts", "hosts file",
                     std::string("127.0.0.1 localhost\r\n# \"quoted\" \\ \t\x01\n")}};
  return p;
}

void expect_same(const Policy& a, const Policy& b) {
  auto coded = [](const std::vector<CodedApproval>& x, const std::vector<CodedApproval>& y) {
    ASSERT_EQ(x.size(), y.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
      EXPECT_EQ(x[i].name, y[i].name);
      EXPECT_EQ(x[i].code, y[i].code);
    }
  };
  coded(a.startup, b.startup);
  coded(a.services, b.services);
  coded(a.tasks, b.tasks);
  coded(a.ie_helpers, b.ie_helpers);
  EXPECT_EQ(a.activex, b.activex);
  ASSERT_EQ(a.hidden_files.size(), b.hidden_files.size());
  for (std::size_t i = 0; i < a.hidden_files.size(); ++i) {
    EXPECT_EQ(a.hidden_files[i].path, b.hidden_files[i].path);
    EXPECT_EQ(a.hidden_files[i].approved, b.hidden_files[i].approved);
  }
  EXPECT_EQ(a.watched_file_types, b.watched_file_types);
  ASSERT_EQ(a.file_types.size(), b.file_types.size());
  for (std::size_t i = 0; i < a.file_types.size(); ++i) {
    EXPECT_EQ(a.file_types[i].extension, b.file_types[i].extension);
    EXPECT_EQ(a.file_types[i].source, b.file_types[i].source);
    EXPECT_EQ(a.file_types[i].name, b.file_types[i].name);
    EXPECT_EQ(a.file_types[i].command, b.file_types[i].command);
  }
  EXPECT_EQ(a.settings.start_page, b.settings.start_page);
  EXPECT_EQ(a.settings.search_page, b.settings.search_page);
  EXPECT_EQ(a.settings.desktop_page, b.settings.desktop_page);
  EXPECT_EQ(a.settings.update_level, b.settings.update_level);
  EXPECT_EQ(a.settings.url_prefix, b.settings.url_prefix);
  ASSERT_EQ(a.system_files.size(), b.system_files.size());
  for (std::size_t i = 0; i < a.system_files.size(); ++i) {
    EXPECT_EQ(a.system_files[i].name, b.system_files[i].name);
    EXPECT_EQ(a.system_files[i].location, b.system_files[i].location);
    EXPECT_EQ(a.system_files[i].comment, b.system_files[i].comment);
    EXPECT_EQ(a.system_files[i].content, b.system_files[i].content);
  }
}

// A valid document with one member replaced (or added).
std::string with_member(const std::string& member, const nlohmann::json& value) {
  auto doc = nlohmann::json::parse(write_policy(every_category()));
  doc[member] = value;
  return doc.dump();
}

}  // namespace

TEST(PolicyDocument, HostileTextsOfEveryCategoryReadBackUnchanged) {
  const Policy original = every_category();
  std::size_t left_out = 99;
  const std::string text = write_policy(original, &left_out);
  EXPECT_EQ(left_out, 0u);
  // A real parser reads it, and what a person reads says what each entry means.
  auto doc = nlohmann::json::parse(text);
  EXPECT_EQ(doc["format"], std::string(kPolicyFormat));
  EXPECT_EQ(doc["version"], kPolicyVersion);
  EXPECT_EQ(doc["startup"][0]["location"], "MACHINE_RUN");
  EXPECT_EQ(doc["file_types"]["associations"][1]["source"], "prog_id");
  EXPECT_EQ(text.find("\"format\""), text.find('"'));  // the format comes first

  const auto read = read_policy(text);
  ASSERT_EQ(read.error, PolicyError::None) << read.where;
  ASSERT_TRUE(read.policy);
  expect_same(original, *read.policy);
  // Written again, the document is the same text: a diff of two exports shows only changes.
  EXPECT_EQ(write_policy(*read.policy), text);
}

TEST(PolicyDocument, TextsThatAreNotUtf8AreLeftOutAndCountedNotChanged) {
  Policy p;
  p.startup = {{"good", 1}, {"bad\xC3", 1}};
  p.hidden_files = {{"C:\\x\xFF", ""}};
  p.settings.start_page = "\xED\xA0\x80";  // a surrogate
  std::size_t left_out = 0;
  const auto read = read_policy(write_policy(p, &left_out));
  EXPECT_EQ(left_out, 3u);
  ASSERT_TRUE(read.policy);
  ASSERT_EQ(read.policy->startup.size(), 1u);
  EXPECT_EQ(read.policy->startup[0].name, "good");
  EXPECT_TRUE(read.policy->hidden_files.empty());
  EXPECT_FALSE(read.policy->settings.start_page);
}

TEST(PolicyDocument, MalformedAndTruncatedDocumentsAreRefusedWhole) {
  for (const char* text : {"", " ", "{", "not json", "{\"format\":", "[1,2", "{} trailing", "{\"a\":1,}", "\xEF\xBB"}) {
    const auto read = read_policy(text);
    EXPECT_EQ(read.error, PolicyError::Malformed) << text;
    EXPECT_FALSE(read.policy) << text;
  }
  // Every cut of a real document before its closing brace is refused.
  const std::string text = write_policy(every_category());
  const std::size_t end = text.rfind('}');
  for (std::size_t n = 0; n < end; ++n) {
    const auto read = read_policy(std::string_view(text).substr(0, n));
    ASSERT_EQ(read.error, PolicyError::Malformed) << n;
    ASSERT_FALSE(read.policy);
  }
}

TEST(PolicyDocument, ForeignAndWrongVersionDocumentsAreRefused) {
  struct Case {
    const char* text;
    PolicyError error;
  };
  const Case cases[] = {
      {"[]", PolicyError::Foreign},
      {"\"kestrom-approved-policy\"", PolicyError::Foreign},
      {"{\"version\":1}", PolicyError::Foreign},
      {"{\"format\":\"someone-else\",\"version\":1}", PolicyError::Foreign},
      {"{\"format\":\"KESTROM-APPROVED-POLICY\",\"version\":1}", PolicyError::Foreign},
      {"{\"format\":1,\"version\":1}", PolicyError::Foreign},
      {"{\"format\":\"kestrom-approved-policy\"}", PolicyError::WrongVersion},
      {"{\"format\":\"kestrom-approved-policy\",\"version\":2}", PolicyError::WrongVersion},
      {"{\"format\":\"kestrom-approved-policy\",\"version\":\"1\"}", PolicyError::WrongVersion},
      {"{\"format\":\"kestrom-approved-policy\",\"version\":1.0}", PolicyError::WrongVersion},
      {"{\"format\":\"kestrom-approved-policy\",\"version\":0}", PolicyError::WrongVersion},
  };
  for (const auto& c : cases) {
    const auto read = read_policy(c.text);
    EXPECT_EQ(read.error, c.error) << c.text;
    EXPECT_FALSE(read.policy) << c.text;
  }
  // The smallest document of this version approves nothing, and is no error.
  const auto empty = read_policy("{\"format\":\"kestrom-approved-policy\",\"version\":1}");
  ASSERT_TRUE(empty.policy);
  EXPECT_TRUE(empty.policy->startup.empty());
}

TEST(PolicyDocument, OversizedAndDeeplyNestedDocumentsAreRefusedBeforeParsing) {
  std::string text = write_policy(every_category());
  text.resize(kPolicyMaxBytes, ' ');
  EXPECT_TRUE(read_policy(text).policy);  // at the limit it is still read
  text.push_back(' ');
  const auto over = read_policy(text);
  EXPECT_EQ(over.error, PolicyError::TooLarge);
  EXPECT_FALSE(over.policy);

  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  EXPECT_EQ(read_policy(deep).error, PolicyError::Foreign);
  // Brackets inside strings are text, not nesting.
  Policy brackets;
  brackets.startup = {{std::string(100, '[') + "\\\"" + std::string(100, '{'), 1}};
  EXPECT_TRUE(read_policy(write_policy(brackets)).policy);
}

TEST(PolicyDocument, AnEntryThatCouldNotBeWrittenFaithfullyRefusesTheDocumentAndSaysWhere) {
  using nlohmann::json;
  struct Case {
    std::string member;
    json value;
    PolicyError error;
    std::string where;
  };
  const Case cases[] = {
      {"cookies", json::array(), PolicyError::BadMember, "cookies"},
      {"startup", json::object(), PolicyError::BadMember, "startup"},
      {"startup", json::array({"C:\\A.EXE"}), PolicyError::BadEntry, "startup[0]"},
      // An empty name is the snapshot key's default value, its "built" marker.
      {"services", json::array({{{"name", ""}, {"code", 700}}}), PolicyError::BadEntry, "services[0].name"},
      {"startup", json::array({{{"name", std::string("A\0B", 3)}, {"code", 1}}}), PolicyError::BadEntry,
       "startup[0].name"},
      {"startup", json::array({{{"name", "A"}, {"code", 1103}}}), PolicyError::BadEntry, "startup[0].code"},
      {"tasks", json::array({{{"name", "A"}, {"code", 0}}}), PolicyError::BadEntry, "tasks[0].code"},
      {"tasks", json::array({{{"name", "A"}, {"code", "800"}}}), PolicyError::BadEntry, "tasks[0].code"},
      {"tasks", json::array({{{"name", "A"}, {"code", 4294967296LL}}}), PolicyError::BadEntry, "tasks[0].code"},
      {"startup", json::array({{{"name", "A"}, {"code", 1}, {"location", "CURRENT_RUN"}}}), PolicyError::BadEntry,
       "startup[0].location"},
      {"ie_helpers", json::array({{{"name", std::string(kMaxPolicyName + 1, 'x')}, {"code", 900}}}),
       PolicyError::BadEntry, "ie_helpers[0].name"},
      {"activex", json::array({{{"class", 5}}}), PolicyError::BadEntry, "activex[0].class"},
      {"hidden_files", json::array({{{"approved", "x"}}}), PolicyError::BadEntry, "hidden_files[0].path"},
      {"file_types", json::object({{"watched", json::array({"EXE;BAT"})}}), PolicyError::BadEntry,
       "file_types.watched[0]"},
      {"file_types", json::object({{"extra", 1}}), PolicyError::BadMember, "file_types.extra"},
      {"file_types",
       json::object({{"associations",
                      json::array({{{"extension", "a\\b"}, {"source", "prog_id"}, {"name", "n"}, {"command", "c"}}})}}),
       PolicyError::BadEntry, "file_types.associations[0].extension"},
      {"file_types",
       json::object({{"associations",
                      json::array({{{"extension", "txt"}, {"source", "4"}, {"name", "n"}, {"command", "c"}}})}}),
       PolicyError::BadEntry, "file_types.associations[0].source"},
      {"settings", json::object({{"update_level", 5}}), PolicyError::BadEntry, "settings.update_level"},
      {"settings", json::object({{"start_page", std::string(600, 'x')}}), PolicyError::BadEntry, "settings.start_page"},
      {"settings", json::object({{"home", "x"}}), PolicyError::BadMember, "settings.home"},
      {"system_files", json::array({{{"name", "..\\evil"}, {"location", "C:\\x"}, {"content", ""}}}),
       PolicyError::BadEntry, "system_files[0].name"},
      {"system_files", json::array({{{"name", "HOSTS"}, {"location", "C:\\x"}}}), PolicyError::BadEntry,
       "system_files[0].content"},
  };
  for (const auto& c : cases) {
    const auto read = read_policy(with_member(c.member, c.value));
    EXPECT_EQ(read.error, c.error) << c.where;
    EXPECT_EQ(read.where, c.where);
    EXPECT_FALSE(read.policy) << c.where;
  }
}

TEST(PolicyDocument, Utf8AndSystemFileNameRules) {
  EXPECT_TRUE(valid_utf8(kNonAscii));
  EXPECT_TRUE(valid_utf8(kControls));
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xC3", "\xE6\x97", "\x80", "\xFF"})
    EXPECT_FALSE(valid_utf8(bad)) << bad;
  EXPECT_TRUE(valid_system_file_name("HOSTS"));
  EXPECT_TRUE(valid_system_file_name("Autoexec.bat"));
  for (const char* bad : {"", ".", "..", "a\\b", "a/b", "C:x", "a\tb"}) EXPECT_FALSE(valid_system_file_name(bad)) << bad;
}
