#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/command_line.hpp"
#include "platform/guard.hpp"

using namespace kestrom::platform;

namespace {

std::vector<std::string> g_notes;
void record(const char* where) noexcept { g_notes.emplace_back(where); }

// Installs the recording note for one test and puts the previous one back.
struct RecordNotes {
  RecordNotes() : previous(set_fault_note(&record)) { g_notes.clear(); }
  ~RecordNotes() { set_fault_note(previous); }
  FaultNote previous;
};

}  // namespace

TEST(CallbackGuard, AnyThrownValueBecomesTheFallbackAndIsNoted) {
  RecordNotes notes;
  int fallbacks = 0;
  auto fallback = [&] {
    ++fallbacks;
    return -1L;
  };
  EXPECT_EQ(guarded("body", [] { return 7L; }, fallback), 7);
  EXPECT_EQ(fallbacks, 0) << "the fallback is the system's default handling: it runs only after a fault";
  EXPECT_TRUE(g_notes.empty());

  EXPECT_EQ(guarded("std", []() -> long { throw std::runtime_error("x"); }, fallback), -1);
  EXPECT_EQ(guarded("int", []() -> long { throw 3; }, fallback), -1);
  EXPECT_EQ(guarded("alloc", []() -> long { throw std::bad_alloc(); }, fallback), -1);
  EXPECT_EQ(fallbacks, 3);
  EXPECT_EQ(g_notes, (std::vector<std::string>{"std", "int", "alloc"}));
}

TEST(CallbackGuard, WithoutANoteFaultsAreStillCaughtAndVoidBodiesWork) {
  const FaultNote previous = set_fault_note(nullptr);
  bool fell_back = false;
  guarded("void", [] { throw std::logic_error("y"); }, [&] { fell_back = true; });
  EXPECT_TRUE(fell_back);
  set_fault_note(previous);
}

// The documented cases of the C runtime's splitting rules, read in reverse.
TEST(CommandLine, ArgumentsAreQuotedOnlyWhenNeededAndEscapedForTheRuntime) {
  EXPECT_EQ(quote_argument("plain"), "plain");
  EXPECT_EQ(quote_argument(R"(C:\dir\file.txt)"), R"(C:\dir\file.txt)") << "backslashes alone stay single";
  EXPECT_EQ(quote_argument(""), R"("")") << "an empty argument must not vanish";
  EXPECT_EQ(quote_argument("two words"), R"("two words")");
  EXPECT_EQ(quote_argument("tab\there"), "\"tab\there\"");
  EXPECT_EQ(quote_argument(R"(say "hi")"), R"("say \"hi\"")");
  EXPECT_EQ(quote_argument(R"(C:\dir with space\)"), R"("C:\dir with space\\")")
      << "a trailing backslash would escape the closing quote";
  EXPECT_EQ(quote_argument(R"(a\\"b)"), R"("a\\\\\"b")");
  EXPECT_EQ(quote_argument(R"(a\b c)"), R"("a\b c")");
}

TEST(CommandLine, TheProgramIsAlwaysQuotedAndArgumentsFollowInOrder) {
  const std::string args[] = {"-START", "two words", ""};
  EXPECT_EQ(command_line(R"(C:\Program Files\Kestrom\KestromEx.exe)", args),
            R"("C:\Program Files\Kestrom\KestromEx.exe" -START "two words" "")");
  EXPECT_EQ(command_line(R"(C:\k.exe)"), R"("C:\k.exe")");
  EXPECT_EQ(argument_text(args), R"(-START "two words" "")");
  EXPECT_EQ(argument_text({}), "");
}
