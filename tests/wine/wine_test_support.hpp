// Helpers shared by the tests that run under Wine.
#pragma once
#include <string>

namespace kestrom::test {

// Folder of the running test program (the build's bin folder), without a trailing backslash.
std::string test_program_folder();

}  // namespace kestrom::test
