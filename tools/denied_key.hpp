// What a standard user meets under HKLM and HKCR on real Windows: keys everyone may read and
// nobody may change. Wine checks a key's security when the key is opened, so writes to a key
// set up this way are refused as there (see HACKING.md).
#pragma once
#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

namespace kestrom::test {

class DeniedKey {
 public:
  // With `deny_reading` nobody may even open the key, as a key locked by a policy meets a run.
  DeniedKey(HKEY root, const std::string& key, bool deny_reading = false) {
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS)
      return;
    DWORD size = 0;
    RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
    before_.resize(size);
    if (size == 0 || RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, before_.data(), &size) != ERROR_SUCCESS)
      before_.clear();
    // Read, and change the security back (our handle keeps its rights anyway), nothing else.
    denied = with_dacl(deny_reading ? "D:P(A;;WD;;;WD)" : "D:P(A;;KR;;;WD)(A;;WD;;;WD)");
  }
  ~DeniedKey() {
    if (!key_) return;
    if (before_.empty() || RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, before_.data()) != ERROR_SUCCESS)
      with_dacl("D:(A;;KA;;;WD)");
    RegCloseKey(key_);
  }
  DeniedKey(const DeniedKey&) = delete;
  DeniedKey& operator=(const DeniedKey&) = delete;
  bool denied = false;

 private:
  bool with_dacl(const char* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &sd, nullptr)) return false;
    const bool ok = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS;
    LocalFree(sd);
    return ok;
  }
  HKEY key_ = nullptr;
  std::vector<char> before_;
};

}  // namespace kestrom::test
