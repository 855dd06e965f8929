#include "base/reg_file.h"
#include "platform/win.h"
#include "serve/served_policies.h"

namespace hvn::tool {
namespace {

// Mixes `value` into `signature` (FNV-1a over its bytes).
void Mix(uint64_t& signature, uint64_t value) {
  for (int i = 0; i < 8; ++i) {
    signature ^= (value >> (8 * i)) & 0xFF;
    signature *= 1099511628211u;
  }
}

// Mixes the last-write time and the subkey count of `root`\`path`; returns the open key (or
// an invalid one when it cannot be opened, which is mixed in too).
platform::UniqueKey MixKey(uint64_t& signature, HKEY root, const std::string& path) {
  platform::UniqueKey key;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) != 0) {
    Mix(signature, 1);
    return key;
  }
  DWORD subkeys = 0;
  FILETIME written = {};
  ::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, &written);
  Mix(signature, (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
  Mix(signature, subkeys);
  return key;
}

}  // namespace

uint64_t StoreSignature(const std::string&, const std::string& key_path) {
  HKEY root;
  std::string path;
  if (!SplitRegistryPath(key_path, root, path)) return 0;
  uint64_t signature = 14695981039346656037u;
  MixKey(signature, root, path);
  MixKey(signature, root, path + "\\Groups");
  const std::string policies_path = path + "\\Policies";
  platform::UniqueKey policies = MixKey(signature, root, policies_path);
  if (!policies.IsValid()) return signature;
  // A value written in a policy's key changes only that key's last-write time.
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD name_length = sizeof(name);
    if (::RegEnumKeyExA(policies.Get(), index, name, &name_length, nullptr, nullptr, nullptr,
                        nullptr) != 0)
      break;
    MixKey(signature, root, policies_path + "\\" + std::string(name, name_length));
  }
  return signature;
}

}  // namespace hvn::tool
