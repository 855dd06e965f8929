#include "policy/password_policy.h"

namespace hvn {

// Registry form not built yet: nothing is read and 50 (ERROR_NOT_SUPPORTED) is returned.
uint32_t PasswordPolicy::ReadValues(HKEY) {
  return 50;
}

}  // namespace hvn
