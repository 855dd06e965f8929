#include "base/policy_source.h"

#include "base/command_line.h"
#include "base/reg_file.h"
#include "config/registry_tree.h"

namespace hvn::tool {

bool LoadPolicyStore(const std::string& reg_file, const std::string& key_path, PolicyStore& store,
                     std::string& error) {
  HKEY root;
  std::string path;
  if (!SplitRegistryPath(key_path, root, path) || path.empty()) {
    error = "not a key under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER: " + key_path;
    return false;
  }
  if (!reg_file.empty()) {
    std::string bytes;
    if (!ReadWholeFile(reg_file, bytes)) {
      error = "cannot read the registry file " + reg_file;
      return false;
    }
    DeleteRegistryTree(root, path.c_str());
    if (!ImportRegFile(bytes, error)) {
      error = reg_file + ": " + error;
      return false;
    }
  }
  return store.Load(root, path, error);
}

}  // namespace hvn::tool
