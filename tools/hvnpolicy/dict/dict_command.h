// hvnpolicy dict build | verify: dictionaries the dictionary rule searches correctly.
#ifndef HVN_TOOLS_HVNPOLICY_DICT_DICT_COMMAND_H_
#define HVN_TOOLS_HVNPOLICY_DICT_DICT_COMMAND_H_

#include <string>
#include <vector>

namespace hvn::tool {

// Runs the command with the arguments after its name; returns the exit status.
int RunDict(const std::vector<std::string>& args);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_DICT_DICT_COMMAND_H_
