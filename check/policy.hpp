// The approved policy document: its name, version and limits. Pure; no Windows headers.
#pragma once
#include <cstddef>
#include <string_view>

namespace kestrom::check {

// The document's "format" member; a document naming anything else is someone else's.
inline constexpr std::string_view kPolicyFormat = "kestrom-approved-policy";
inline constexpr int kPolicyVersion = 1;
// A larger file is refused before it is parsed: a reference machine's snapshots are a few
// hundred kilobytes at most, and the whole document is held in memory twice while read.
inline constexpr std::size_t kPolicyMaxBytes = 16 * 1024 * 1024;

}  // namespace kestrom::check
