// libFuzzer target: an arbitrary datagram answered by hvnpolicy serve's request handling, with
// a policy of every rule and texts full of placeholders, and shown as the log shows it. The
// reply must fit a client's reply buffer and be whole UTF-16 characters; a message must end
// in NUL; the log text must hold no control byte.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/policy_source.h"
#include "base/reg_file.h"
#include "serve/policy_server.h"
#include "serve/request_log.h"

namespace {

const char kPolicies[] =
    "REGEDIT4\r\n"
    "[HKEY_CURRENT_USER\\Software\\HvnpolicyFuzz\\Policies\\All]\r\n"
    "\"1000_Enabled\"=dword:00000001\r\n\"2000_Enabled\"=dword:00000001\r\n"
    "\"2000_CharSet\"=\"abc\"\r\n\"2600_Enabled\"=dword:00000001\r\n"
    "\"2700_Enabled\"=dword:00000001\r\n\"2800_Enabled\"=dword:00000001\r\n"
    "\"2900_Enabled\"=dword:00000001\r\n\"2900_Text\"=\"Norvex\"\r\n"
    "\"3000_Enabled\"=dword:00000001\r\n\"3000_ServerDictFile\"=\"d.txt\"\r\n"
    "\"3100_Enabled\"=dword:00000001\r\n\"3100_csAlpha\"=dword:00000001\r\n"
    "\"2600msg_Rej\"=\"{user} {domain} {codes} {policy} {rules} {nl} {x\"\r\n"
    "\"MsgRejTemplate\"=\"{rules}{rules}{rules}{user}{user}{domain}{user}{user}{user}\"\r\n"
    "\"MsgPolTemplate\"=\"{user}{user}{user}{user}{user}{user}{user}{user}{rules}{rules}\"\r\n"
    "\"UserList\"=hex(7):2a,00,00\r\n";

const hvn::tool::PolicyStore& Store() {
  static hvn::tool::PolicyStore* store = [] {
    auto* loaded = new hvn::tool::PolicyStore();
    std::string error;
    if (!hvn::tool::ImportRegFile(kPolicies, error) ||
        !loaded->Load(HKEY_CURRENT_USER, "Software\\HvnpolicyFuzz", error))
      __builtin_trap();
    return loaded;
  }();
  return *store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  std::string summary;
  std::string reply = hvn::tool::AnswerRequest(Store(), bytes, size, summary);
  if (reply.size() % 2 != 0 || reply.size() > 8190) __builtin_trap();
  if (summary.empty()) __builtin_trap();
  hvn::tool::ServerRequest request;
  const bool answered = hvn::tool::ParseRequest(bytes, size, request) == nullptr;
  if (answered == reply.empty()) __builtin_trap();
  // A message reply is one text ended by NUL.
  if (answered && request.kind != hvn::RequestKind::kPolicy &&
      reply.compare(reply.size() - 2, 2, std::string(2, '\0')) != 0)
    __builtin_trap();
  for (char c : hvn::tool::EscapeDatagram(bytes, size))
    if (static_cast<unsigned char>(c) < 0x20) __builtin_trap();
  return 0;
}
