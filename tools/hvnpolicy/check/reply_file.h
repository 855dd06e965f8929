// A policy reply kept in a file, as `check` reads it: either the datagram itself (UTF-16LE,
// records ended by BEL or NUL, as a server sends it) or a text file (UTF-8 or the ANSI code
// page) with one record a line, fields separated by TAB, '#' starting a comment line.
#ifndef HVN_TOOLS_HVNPOLICY_CHECK_REPLY_FILE_H_
#define HVN_TOOLS_HVNPOLICY_CHECK_REPLY_FILE_H_

#include <string>

#include "policy/password_policy.h"

namespace hvn::tool {

// Fills `policy` and `rule2900_text` from the reply file's bytes with the client's own parser,
// after the conversion the client's transport makes. Returns false, with the reason in
// `error`, for a reply the client could not receive whole (more than 4,095 characters) or one
// without any record.
bool ParseReplyFile(const std::string& bytes, PasswordPolicy& policy,
                    char16_t (&rule2900_text)[kRule2900TextCapacity], std::string& error);

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_CHECK_REPLY_FILE_H_
