// The script of the test policy server: which reply each request gets. Shared by the server
// thread that tests start in their own process and by hvn_policy_server.exe.
//
// A script is UTF-8 text, one rule per line; blank lines and lines starting with '#' are
// ignored. A rule has four TAB-separated fields and an optional payload after a fifth TAB:
//
//   KIND <TAB> DOMAIN <TAB> USER <TAB> ACTION [<TAB> PAYLOAD]
//
// KIND is a request kind ("30_POLICY", "30_POLICY_MESSAGE", "30_REJECTION_MESSAGE",
// "30_GENERIC_REJECTION_MESSAGE") or "*"; DOMAIN and USER are names compared ignoring the
// case of a-z, or "*". The first rule that matches a request answers it; a request no rule
// matches gets no reply. ACTION is one or more words separated by spaces:
//   reply        send PAYLOAD as UTF-16LE text, exactly its characters (no terminator added)
//   raw          send PAYLOAD as bytes written in hex ("41 00 07 00"); spaces are ignored
//   silent       send nothing
//   delay=MS     wait MS milliseconds before sending
//   other-port   send from another socket (another local port) than the one asked
//   other-address=A  send from a socket bound to loopback address A (127.x.y.z), another port
//   decoy        first send the text "decoy" from the other socket (other-port by default),
//                then the reply itself from the socket asked
//   pad=BYTES    append 'x' characters until the datagram has BYTES bytes
// PAYLOAD is the rest of the line, TABs included. In a reply these escapes stand for
// characters: \a BEL, \0 NUL, \t TAB, \n LF, \r CR, \\ backslash, \uXXXX any UTF-16 unit;
// and {domain}, {user} and {codes} (the failed codes of a rejection request, joined by ", ")
// are replaced by the request's own fields.
#ifndef HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SCRIPT_H_
#define HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SCRIPT_H_

#include <cstdint>
#include <string>
#include <vector>

namespace hvn::test {

enum class ReplyMode { kReply, kRaw, kSilent };

struct ScriptRule {
  std::string kind;  // "*" for any
  std::u16string domain;
  std::u16string user;
  ReplyMode mode = ReplyMode::kSilent;
  uint32_t delay_ms = 0;
  bool other_port = false;
  std::string other_address;  // empty: 127.0.0.1
  bool decoy = false;
  size_t pad_to_bytes = 0;
  std::u16string text;  // kReply: the payload with its escapes decoded
  std::string bytes;    // kRaw
};

struct PolicyScript {
  std::vector<ScriptRule> rules;
};

// Parses `utf8` into `script`. Returns false with `error` naming the line when a rule is
// malformed; `script` then holds the rules before it.
bool ParsePolicyScript(const std::string& utf8, PolicyScript& script, std::string& error);

// What the server does with one request.
struct ScriptAnswer {
  bool send = false;
  uint32_t delay_ms = 0;
  bool other_port = false;
  std::string other_address;
  bool decoy = false;
  std::string datagram;  // the reply's bytes
};

// The answer of `script` to the request datagram `wire` (UTF-16LE fields, each ended by NUL).
ScriptAnswer AnswerRequest(const PolicyScript& script, const std::string& wire);

// The fields of a request datagram: its characters split at every NUL (a dangling odd byte is
// dropped). "30_POLICY\0SALES\0jdoe\0" gives {"30_POLICY", "SALES", "jdoe"}.
std::vector<std::u16string> RequestFields(const std::string& wire);

// The characters of a datagram (UTF-16LE; a dangling odd byte is dropped).
std::u16string WireText(const std::string& wire);

// One line of the request log: the datagram's characters in UTF-8 with \0 for NUL, \a, \t,
// \n, \r, \\ and \uXXXX for other control characters and lone surrogates, \xHH for a dangling
// odd byte. "30_POLICY\0SALES\0jdoe\0" for a policy request.
std::string LogLine(const std::string& wire);

// UTF-8 <-> UTF-16 for the script and the log (invalid UTF-8 bytes become U+FFFD).
std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace hvn::test

#endif  // HVN_TESTS_TOOLS_POLICY_SERVER_POLICY_SCRIPT_H_
