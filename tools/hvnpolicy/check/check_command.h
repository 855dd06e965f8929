// hvnpolicy check: one password against one policy, rule by rule.
#ifndef HVN_TOOLS_HVNPOLICY_CHECK_CHECK_COMMAND_H_
#define HVN_TOOLS_HVNPOLICY_CHECK_CHECK_COMMAND_H_

#include <string>
#include <vector>

namespace hvn::tool {

// Runs the command with the arguments after its name; returns the exit status.
int RunCheck(const std::vector<std::string>& args);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_CHECK_CHECK_COMMAND_H_
