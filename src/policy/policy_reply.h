// The wire form of the policy: the reply to 30_POLICY, a run of NUL-terminated records whose
// fields are separated by TAB, ending at the first empty record.
#ifndef HVN_POLICY_POLICY_REPLY_H_
#define HVN_POLICY_POLICY_REPLY_H_

#include <cstddef>
#include <cstdint>

#include "policy/password_policy.h"

namespace hvn {

constexpr size_t kMaxRecordLength = 1023;     // characters of a record that are applied
constexpr size_t kMaxNumberFieldLength = 19;  // characters of a number field that are read

// Fills `policy` from `reply`, whose record ends are already NUL. Starts from SetDefaults
// (through the virtual table) and an empty rule-2900 text; every record up to the first empty
// one is applied in order. The rule-2900 text goes to `rule2900_text`, a buffer of
// `rule2900_capacity` characters, cut to capacity - 1 and always terminated (null or capacity
// 0: the text is dropped).
// Contract on `reply`: it must end in an empty record, that is, the last record's NUL is
// followed by another NUL (or the reply starts with NUL); nothing after that point is read.
// A zero-filled reply buffer gives this only when two zero characters follow the received text
// (a reply that fills the buffer without a final record end does not): a caller holding a
// fixed buffer should pass its capacity to the bounded overload, which is safe on any content.
// Limits: a record longer than 1,023 characters is cut to its first 1,023 (its text fields
// keep what fits, a number field split by the cut reads as 0, a record whose key field is split
// is ignored); a number field is read from its first 19 characters; a dictionary path that does
// not convert to the ANSI code page exactly and within 259 bytes is refused (left empty).
// Never fails; returns 0.
uint32_t ParsePolicyReply(PasswordPolicy& policy, char16_t* rule2900_text, size_t rule2900_capacity,
                          const char16_t* reply);

// The same for a reply of at most `reply_length` characters: the end of that span ends the
// last record and the list, whether or not an empty record was reached. Returns 0.
uint32_t ParsePolicyReply(PasswordPolicy& policy, char16_t* rule2900_text, size_t rule2900_capacity,
                          const char16_t* reply, size_t reply_length);

// Reads a number field the way atol reads its ANSI form: leading white space, an optional
// sign, decimal digits up to the first other character (no digits: 0). Only the first 19
// characters count; the value wraps around to 32 bits (-1 gives 4,294,967,295). Characters
// outside ASCII stop the reading, as the code page's default character would.
uint32_t ReadNumberField(const char16_t* field, size_t length);

}  // namespace hvn

#endif  // HVN_POLICY_POLICY_REPLY_H_
