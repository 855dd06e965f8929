// Where the tool finds the policies it keeps: the registry key (Windows), or a registry file
// loaded into the tool's own registry (natively).
#ifndef HVN_TOOLS_HVNPOLICY_BASE_POLICY_SOURCE_H_
#define HVN_TOOLS_HVNPOLICY_BASE_POLICY_SOURCE_H_

#include <string>

#include "base/policy_store.h"

namespace hvn::tool {

// Loads `store` from the key `key_path` ("HKEY_LOCAL_MACHINE\..."); when `reg_file` is not
// empty, the file's keys are stored first, replacing whatever the key held. Returns false
// with the reason in `error`.
bool LoadPolicyStore(const std::string& reg_file, const std::string& key_path, PolicyStore& store,
                     std::string& error);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_BASE_POLICY_SOURCE_H_
