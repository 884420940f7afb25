// The check program's command line and its three ways of writing findings, fed the texts a
// hostile entry can carry: quotes, backslashes, control characters, non-ASCII names, formulas.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "check/check_args.hpp"
#include "check/findings.hpp"
#include "check/string_ids.h"

namespace {

using namespace kestrom::check;

Finding hostile() {
  Finding f;
  f.category = "Startup";
  f.kind = FindingKind::New;
  f.code = 11;
  f.location = "CURRENT_RUN";
  f.title = "=HYPERLINK(\"http://x\",\"y\")";
  f.file = "C:\\Program Files\\\"Quoted\"\\app.exe";
  f.command = "line one\nline two\r\x01\x1f\t end";
  f.company = "Ünïcødé 日本 ✓";
  f.version = "+1.0";
  f.first_detected = "@12/7/2026";
  f.sha256 = std::string(64, 'a');
  return f;
}

TEST(CheckJson, HostileTextsMakeOneParsableLineThatReadsBackExactly) {
  const Finding f = hostile();
  const std::string line = json_line(f);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_EQ(line.find('\r'), std::string::npos);
  const auto j = nlohmann::json::parse(line);
  EXPECT_EQ(j.at("category"), "Startup");
  EXPECT_EQ(j.at("kind"), "new");
  EXPECT_EQ(j.at("code"), 11);
  EXPECT_EQ(j.at("location"), "CURRENT_RUN");
  EXPECT_EQ(j.at("title"), f.title);  // JSON has no formulas: kept as it is
  EXPECT_EQ(j.at("file"), f.file);
  EXPECT_EQ(j.at("command"), f.command);
  EXPECT_EQ(j.at("company"), f.company);
  EXPECT_EQ(j.at("version"), "+1.0");
  EXPECT_EQ(j.at("first_detected"), "@12/7/2026");
  EXPECT_EQ(j.at("sha256"), f.sha256);
}

TEST(CheckJson, BytesThatAreNotUtf8AndAMissingFileStillMakeAValidLine) {
  Finding f;
  f.category = "Hidden";
  f.title = std::string("bad \xC3\x28 and \xFF end");  // a broken sequence and a stray byte
  const auto j = nlohmann::json::parse(json_line(f));
  EXPECT_EQ(j.at("title"), "bad \xEF\xBF\xBD( and \xEF\xBF\xBD end");
  EXPECT_FALSE(j.contains("sha256"));  // no file, no digest: absent rather than empty
}

TEST(CheckJson, SummaryCountsEveryCheckedCategoryIncludingEmptyOnes) {
  std::vector<Finding> found(3);
  found[0].category = "Tasks";
  found[1].category = "Startup";
  found[2].category = "Tasks";
  const auto counts = count_findings({"Startup", "Tasks", "Services"}, found);
  // In the order the categories were checked.
  EXPECT_EQ(json_summary_line(counts), R"({"summary":{"Startup":1,"Tasks":2,"Services":0},"total":3})");
}

TEST(CheckCsv, HostileTextsAreQuotedDoubledAndFormulasDefused) {
  EXPECT_EQ(csv_header_line(),
            "category,kind,code,location,title,file,command,company,version,first_detected,sha256\r\n");
  const std::string row = csv_line(hostile());
  EXPECT_EQ(row,
            "Startup,new,11,CURRENT_RUN,"
            "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\","
            "\"C:\\Program Files\\\"\"Quoted\"\"\\app.exe\","
            "\"line one\nline two\r\x01\x1f\t end\","
            "Ünïcødé 日本 ✓,'+1.0,'@12/7/2026," +
                std::string(64, 'a') + "\r\n");
}

TEST(CheckCsv, SummaryRowHasTheSameColumnsAsTheFindings) {
  const std::string row = csv_summary_line(count_findings({"Startup", "Tasks"}, {hostile()}));
  EXPECT_EQ(row, ",summary,1,,Startup=1;Tasks=0,,,,,,\r\n");
}

TEST(CheckTable, ColumnsLineUpByCharactersAndEachFindingStaysOneLine) {
  Finding a;
  a.category = "Startup";
  a.location = "CURRENT_RUN";
  a.title = "Ünï";  // three characters, five bytes
  a.file = "x\ny";
  Finding b = a;
  b.title = "abcd";
  TableTexts t;
  t.heads = {"C", "K", "L", "T", "F", "Co", "V", "D"};
  t.summary = "%s findings: %s";
  t.nothing = "none";
  const auto lines = table_lines({a, b}, count_findings({"Startup"}, {a, b}), t);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "Startup  new  CURRENT_RUN  Ünï   x y");
  EXPECT_EQ(lines[2], "Startup  new  CURRENT_RUN  abcd  x y");
  EXPECT_EQ(lines[3], "2 findings: Startup 2");
  const auto empty = table_lines({}, count_findings({"Startup", "Tasks"}, {}), t);
  EXPECT_EQ(empty, (std::vector<std::string>{"none", "0 findings: Startup 0, Tasks 0"}));
}

TEST(CheckArguments, FormsCategoriesAcceptAndPolicyFiles) {
  auto p = parse_check_arguments({"--json", "--category", "startup", "--category", "TASKS", "--category", "Startup",
                                  "--accept"});
  ASSERT_FALSE(p.error);
  EXPECT_EQ(p.arguments.form, OutputForm::Json);
  EXPECT_EQ(p.arguments.categories, (std::vector<std::string>{"Startup", "Tasks"}));
  EXPECT_TRUE(p.arguments.accept);

  p = parse_check_arguments({});
  ASSERT_FALSE(p.error);
  EXPECT_EQ(p.arguments.form, OutputForm::Table);
  EXPECT_TRUE(p.arguments.categories.empty());
  EXPECT_FALSE(p.arguments.accept);

  p = parse_check_arguments({"--csv", "--csv", "--export-policy", "C:\\p o\\policy.json"});
  ASSERT_FALSE(p.error);
  EXPECT_EQ(p.arguments.form, OutputForm::Csv);
  EXPECT_EQ(p.arguments.export_policy, "C:\\p o\\policy.json");
}

TEST(CheckArguments, RefusedCommandLinesNameTheirFault) {
  struct Case {
    std::vector<std::string> words;
    int message;
    std::string word;
  };
  const Case cases[] = {
      {{"--json", "--csv"}, IDS_CHECK_TWO_FORMS, "--csv"},
      {{"--category"}, IDS_CHECK_MISSING_VALUE, "--category"},
      {{"--category", "--json"}, IDS_CHECK_MISSING_VALUE, "--category"},
      {{"--category", ""}, IDS_CHECK_MISSING_VALUE, "--category"},
      {{"--category", "Cookies"}, IDS_CHECK_UNKNOWN_CATEGORY, "Cookies"},
      {{"--import-policy"}, IDS_CHECK_MISSING_VALUE, "--import-policy"},
      {{"--export-policy", "a", "--import-policy", "b"}, IDS_CHECK_POLICY_TWO, "--import-policy"},
      {{"-json"}, IDS_CHECK_UNKNOWN_FLAG, "-json"},
      {{"/accept"}, IDS_CHECK_UNKNOWN_FLAG, "/accept"},
  };
  for (const auto& c : cases) {
    const auto p = parse_check_arguments(c.words);
    ASSERT_TRUE(p.error) << c.words[0];
    EXPECT_EQ(p.error->message, c.message) << c.words[0];
    EXPECT_EQ(p.error->word, c.word) << c.words[0];
  }
}

}  // namespace
