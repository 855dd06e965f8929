// hvnpolicy serve: a policy server for small sites and for trying the client.
#ifndef HVN_TOOLS_HVNPOLICY_SERVE_SERVE_COMMAND_H_
#define HVN_TOOLS_HVNPOLICY_SERVE_SERVE_COMMAND_H_

#include <string>
#include <vector>

namespace hvn::tool {

// Runs the command with the arguments after its name; returns the exit status.
int RunServe(const std::vector<std::string>& args);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_SERVE_SERVE_COMMAND_H_
