#include <gtest/gtest.h>

#include <string>

#include "common/product.hpp"
#include "common/product_keys.hpp"
#include "tools/test_support_win.hpp"

using namespace kestrom;
using namespace kestrom::test;

namespace {

const std::string kOptions(keys::kOptions);

class OptionsStore : public ::testing::Test {
 protected:
  void SetUp() override { delete_tree(HKEY_CURRENT_USER, std::string(keys::kOrvane)); }
  void TearDown() override { delete_tree(HKEY_CURRENT_USER, std::string(keys::kOrvane)); }
};

}  // namespace

TEST_F(OptionsStore, MissingOptionsReadAsEachProgramsDefaults) {
  Options m = load_all_options(Program::Monitor);
  Options e = load_all_options(Program::Explorer);
  EXPECT_EQ(m.values, Options::defaults(Program::Monitor).values);
  EXPECT_EQ(e.values, Options::defaults(Program::Explorer).values);
}

TEST_F(OptionsStore, EveryWriteRaisesUpdate) {
  EXPECT_TRUE(write_option(Opt::Sound, 0));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Sound"), "0");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Update"), "1");
  EXPECT_EQ(read_option(Opt::Sound), 0);

  // The monitor clears the signal after reloading; clearing must not raise it again.
  EXPECT_TRUE(write_option(Opt::Update, 0));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Update"), "0");

  EXPECT_TRUE(write_option(Opt::StartTab, -6030));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "StartTab"), "-6030");
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Update"), "1");
}

TEST_F(OptionsStore, SaveAllWritesTheExplorersListAndRoundTrips) {
  Options o = Options::defaults(Program::Explorer);
  int n = 100;
  for (Opt id : saved_options()) o[id] = n++;
  o[Opt::Debug] = 5;  // not in the explorer's list
  save_all_options(o);

  Options back = load_all_options(Program::Explorer);
  for (Opt id : saved_options()) EXPECT_EQ(back[id], o[id]) << option_def(id).name;
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kOptions, "Debug"));
  EXPECT_FALSE(value_exists(HKEY_CURRENT_USER, kOptions, "MaxCookie"));
  EXPECT_EQ(get_value(HKEY_CURRENT_USER, kOptions, "Update"), "1");
}
