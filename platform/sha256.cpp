#include "platform/sha256.hpp"

#include <windows.h>
#include <bcrypt.h>

#include <array>
#include <vector>

#include "platform/handles.hpp"

namespace kestrom::platform {
namespace {

struct AlgorithmTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { BCryptCloseAlgorithmProvider(h, 0); }
};
struct HashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle invalid() noexcept { return nullptr; }
  static void close(Handle h) noexcept { BCryptDestroyHash(h); }
};

constexpr DWORD kReadChunk = 64 * 1024;
constexpr std::size_t kDigestSize = 32;

bool succeeded(NTSTATUS status) noexcept { return status >= 0; }

}  // namespace

std::string file_sha256(std::string_view path) {
  UniqueFile file(CreateFileA(std::string(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {};
  Unique<AlgorithmTraits> algorithm;
  if (!succeeded(BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return {};
  Unique<HashTraits> hash;
  if (!succeeded(BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) return {};
  std::vector<UCHAR> buffer(kReadChunk);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.data(), kReadChunk, &got, nullptr)) return {};
    if (got == 0) break;
    if (!succeeded(BCryptHashData(hash.get(), buffer.data(), got, 0))) return {};
  }
  std::array<UCHAR, kDigestSize> digest{};
  if (!succeeded(BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(kDigestSize * 2);
  for (const UCHAR b : digest) {
    out += kHex[b >> 4];
    out += kHex[b & 0x0F];
  }
  return out;
}

}  // namespace kestrom::platform
