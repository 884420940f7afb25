// The SHA-256 digest of a file through the system's cryptography API (CNG).
#pragma once
#include <string>
#include <string_view>

namespace kestrom::platform {

// Lower-case hex digest of the file's content; empty when the file cannot be opened or read.
// The file is read while others may keep it open for writing or deleting.
std::string file_sha256(std::string_view path);

}  // namespace kestrom::platform
