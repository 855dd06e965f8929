// hvnpolicy check: one password against one policy, with the client's own engine.
#include "check/check_command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/command_line.h"
#include "base/policy_source.h"
#include "base/policy_wire.h"
#include "base/rule_description.h"
#include "base/terminal.h"
#include "base/utf8_text.h"
#include "check/dictionary_match.h"
#include "check/live_query.h"
#include "check/reply_file.h"
#include "platform/ansi_text.h"
#include "platform/secure_zero.h"
#include "policy/check_context.h"
#include "policy/dictionary_folders.h"
#include "policy/evaluate_policy.h"
#include "policy/policy_fields.h"
#include "policy/policy_reply.h"
#include "query/reply.h"
#include "query/request.h"

namespace hvn::tool {
namespace {

const char kUsage[] =
    "usage: hvnpolicy check POLICY [--user NAME] [--domain DOMAIN] [--old-password]\n"
    "                       [--text TEXT] [--dictionary-folder DIR]...\n"
    "  POLICY is one of:\n"
    "    --reply FILE                    a policy reply as a server sends it\n"
    "    --server HOST[:PORT] --domain D asked of a live policy server (port 1333)\n"
#ifdef _WIN32
    "    --key KEY [--policy NAME]       the policies kept under KEY in the registry\n"
#else
    "    --reg FILE [--key KEY] [--policy NAME]  the policies of a registry file\n"
#endif
    "  --dictionary-folder DIR (repeatable) opens the policy's dictionary only inside the\n"
    "  folders given, by the clients' DictionaryPaths rule (X:\\dir or \\\\server\\share).\n"
    "  The new password is read from standard input, or asked for without echo; with\n"
    "  --old-password the old password follows it. Exit status: 0 accepted, 1 refused,\n"
    "  2 usage or input error.\n";

// Secrets that clear themselves when the check is over.
struct Secrets {
  char16_t new_password[kSecretCapacity] = {};
  char16_t old_password[kSecretCapacity] = {};
  size_t new_length = 0;
  size_t old_length = 0;
  CheckContext context = {};
  ~Secrets() {
    platform::SecureZero(new_password, sizeof(new_password));
    platform::SecureZero(old_password, sizeof(old_password));
    ClearCheckContext(context);
  }
};

// The policy being checked and the rule-2900 text that comes with it.
struct LoadedPolicy {
  PasswordPolicy policy;
  char16_t rule2900_text[kRule2900TextCapacity] = {};
};

int Usage(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "hvnpolicy check: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

// The folders of --dictionary-folder as the clients' DictionaryPaths multi-string, and the
// admission of the dictionary rule built on it.
struct DictionaryFolders {
  std::string list;  // entries ended by NUL, then an empty one; empty: no limit
  DictionaryAccess access;

  explicit DictionaryFolders(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) list += folder + '\0';
    if (!list.empty()) list += '\0';
    access.folders = list.empty() ? nullptr : list.data();
    access.folders_size = list.size();
  }

  // The path the rule opened for `named`, into `path`; false when it opened none.
  bool OpenedPath(const char* named, char (&path)[kPathSize]) const {
    if (access.folders == nullptr) {
      std::memset(path, 0, sizeof(path));
      std::memcpy(path, named, platform::BoundedLength(named, kPathSize - 1));
      return true;
    }
    return AdmitDictionaryPath(named, access.folders, access.folders_size, path) ==
           DictionaryPathVerdict::kAdmitted;
  }
};

void PrintRule(const PasswordPolicy& policy, const RuleResults& results, size_t index,
               const CheckContext& context, const DictionaryFolders& folders) {
  const bool enabled = IsRuleEnabled(policy, index);
  const RuleOutcome outcome = results.Outcome[index];
  std::u16string words =
      enabled ? DescribeRule(policy, index, context.Rule2900Text) : u"(disabled)";
  if (enabled && outcome == RuleOutcome::kNotEvaluated) words += u" (no old password given)";
  const bool refused = folders.access.diagnostic[0] != '\0';
  if (outcome == RuleOutcome::kNotEvaluable)
    words += refused ? u" (the dictionary is outside the folders given)"
                     : u" (the dictionary cannot be opened or read)";
  std::printf("  rule %u  %-14s %s\n", static_cast<unsigned>(kRuleCodes[index]),
              OutcomeName(outcome), ConsoleText(words).c_str());
  if (kRuleCodes[index] != 3000) return;
  if (outcome == RuleOutcome::kNotEvaluable && refused)
    std::printf("             %s\n", folders.access.diagnostic);
  char path[kPathSize];
  DictionaryMatch match;
  if (outcome != RuleOutcome::kFailed ||
      !folders.OpenedPath(policy.rule3000.ServerDictFile, path) ||
      !FindDictionaryMatch(context, policy.rule3000, path, match))
    return;
  if (match.length == 0) {
    std::printf(
        "             matched an empty line of the dictionary through %s (with "
        "Tolerance 4294967295 the empty piece is searched too)\n",
        match.form);
    return;
  }
  std::fputs("             matched entry \"", stdout);
  WriteSecretText(stdout, match.entry, match.length);  // a piece of the password: no copy stays
  std::printf("\" through %s\n", match.form);
}

}  // namespace

int RunCheck(const std::vector<std::string>& args) {
  Arguments parsed;
  std::string error;
  if (!ParseArguments(args,
                      {"--reply", "--server", "--domain", "--user", "--text", "--key", "--policy",
                       "--reg", "--timeout"},
                      {"--old-password"}, parsed, error, {"--dictionary-folder"}))
    return Usage(error);
  if (PrintHelp(parsed, kUsage)) return kExitAccepted;
  if (!parsed.operands.empty()) return Usage("unexpected " + parsed.operands[0]);
#ifdef _WIN32
  // Importing a file would rewrite the system's registry: on Windows the key is read as it is.
  if (parsed.Has("--reg")) return Usage("--reg is for the native build; import the file first");
  const bool from_store = parsed.Has("--key");
#else
  if (parsed.Has("--key") && !parsed.Has("--reg")) return Usage("--key needs --reg");
  const bool from_store = parsed.Has("--reg");
#endif
  int sources =
      (parsed.Has("--reply") ? 1 : 0) + (parsed.Has("--server") ? 1 : 0) + (from_store ? 1 : 0);
  if (sources != 1) return Usage("name one policy source");
  if (parsed.Has("--policy") && !from_store) return Usage("--policy needs a registry source");

  std::u16string user, domain;
  if (!DecodeUtf8(parsed.Get("--user").data(), parsed.Get("--user").size(), user))
    user = FromAnsi(parsed.Get("--user"));
  if (!DecodeUtf8(parsed.Get("--domain").data(), parsed.Get("--domain").size(), domain))
    domain = FromAnsi(parsed.Get("--domain"));

  auto loaded = std::make_unique<LoadedPolicy>();
  PasswordPolicy* policy = &loaded->policy;
  char16_t(&text)[kRule2900TextCapacity] = loaded->rule2900_text;
  std::string source;
  std::unique_ptr<PolicyStore> store;
  LiveServer server;
  if (parsed.Has("--reply")) {
    std::string bytes;
    if (!ReadWholeFile(parsed.Get("--reply"), bytes))
      return Usage("cannot read the reply file " + parsed.Get("--reply"));
    if (!ParseReplyFile(bytes, *policy, text, error)) return Usage(error);
    source = "reply file " + parsed.Get("--reply");
  } else if (parsed.Has("--server")) {
    if (!ParseServerAddress(parsed.Get("--server"), server))
      return Usage("--server takes HOST or HOST:PORT");
    if (!parsed.Has("--domain")) return Usage("--server needs --domain");
    if (parsed.Has("--timeout"))
      server.timeout_ms = std::strtoul(parsed.Get("--timeout").c_str(), nullptr, 10);
    std::vector<char16_t> request(kRequestCapacity);
    std::vector<char16_t> reply(kReplyBytes / sizeof(char16_t));
    FormatRequest(RequestKind::kPolicy, request.data(), request.size(), domain.c_str(),
                  user.c_str());
    AskServer(server, domain.c_str(), request.data(), reply.data(), kReplyBytes);
    if (!HasReply(reply.data(), kReplyBytes)) {
      std::fprintf(stderr,
                   "hvnpolicy check: no policy from %s:%u for %s of %s (no answer, or an empty "
                   "one); the client would accept any password\n",
                   server.host.c_str(), static_cast<unsigned>(server.port),
                   ConsoleText(user).c_str(), ConsoleText(domain).c_str());
      return kExitUsage;
    }
    ParsePolicyReply(*policy, text, kRule2900TextCapacity, reply.data(), reply.size());
    source = "server " + server.host + ":" + std::to_string(server.port);
  } else {
    store = std::make_unique<PolicyStore>();
    if (!LoadPolicyStore(parsed.Get("--reg"), parsed.Get("--key", kDefaultPolicyKey), *store,
                         error))
      return Usage(error);
    const StoredPolicy* chosen =
        parsed.Has("--policy") ? store->Find(parsed.Get("--policy")) : store->Select(domain, user);
    if (chosen == nullptr) {
      std::fprintf(stderr, "hvnpolicy check: %s\n",
                   parsed.Has("--policy") ? ("no policy named " + parsed.Get("--policy")).c_str()
                                          : "no policy applies to this user");
      return kExitUsage;
    }
    // The policy as a client receives it: through its wire form (which the store refuses to
    // load when a client could not receive it whole).
    PolicyWireForm form = FormatPolicyReply(chosen->policy, chosen->rule2900_text);
    for (const std::string& problem : form.left_out)
      std::fprintf(stderr, "hvnpolicy check: warning: %s\n", problem.c_str());
    std::u16string& wire = form.text;
    for (char16_t& c : wire)
      if (c == u'\a') c = u'\0';
    ParsePolicyReply(*policy, text, kRule2900TextCapacity, wire.data(), wire.size());
    source = "policy \"" + chosen->name + "\" of " + parsed.Get("--key", kDefaultPolicyKey);
  }
  if (parsed.Has("--text")) {
    std::u16string given;
    if (!DecodeUtf8(parsed.Get("--text").data(), parsed.Get("--text").size(), given))
      given = FromAnsi(parsed.Get("--text"));
    std::memset(text, 0, sizeof(text));
    std::memcpy(text, given.data(),
                std::min(given.size(), kRule2900TextCapacity - 1) * sizeof(char16_t));
  }

  Secrets secrets;
  if (!ReadSecret("New password: ", secrets.new_password, secrets.new_length))
    return Usage("no password on standard input");
  if (parsed.Has("--old-password") &&
      !ReadSecret("Old password: ", secrets.old_password, secrets.old_length))
    return Usage("no old password on standard input");
  PrepareCheckContext(secrets.context, user.c_str(), static_cast<uint32_t>(user.size() * 2),
                      parsed.Has("--old-password") ? secrets.old_password : nullptr,
                      static_cast<uint32_t>(secrets.old_length * 2), secrets.new_password,
                      static_cast<uint32_t>(secrets.new_length * 2), text,
                      static_cast<uint32_t>(std::char_traits<char16_t>::length(text) * 2));
  RuleResults results;
  DictionaryFolders folders(parsed.GetAll("--dictionary-folder"));
  const bool accepted = EvaluatePolicy(results, secrets.context, *policy, &folders.access);

  std::printf("Policy: %s\n", source.c_str());
  std::printf("User: %s%s%s\n", user.empty() ? "(none)" : ConsoleText(user).c_str(),
              domain.empty() ? "" : " of ", ConsoleText(domain).c_str());
  for (size_t i = 0; i < kRuleCount; ++i) PrintRule(*policy, results, i, secrets.context, folders);
  std::string failed;
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (results.Outcome[i] != RuleOutcome::kFailed) continue;
    failed += (failed.empty() ? "" : ", ") + std::to_string(kRuleCodes[i]);
  }
  std::printf("Verdict: %s (%s%s%s)\n", accepted ? "ACCEPTED" : "REFUSED",
              DescribeThreshold(*policy).c_str(),
              failed.empty() ? "" : "; failed: ", failed.c_str());
  if (!accepted && parsed.Has("--server")) {
    // What the workstation would show: the server's rejection text.
    std::vector<char16_t> request(kRequestCapacity);
    std::vector<char16_t> reply(kReplyBytes / sizeof(char16_t));
    FormatRejectionRequest(request.data(), request.size(), results, domain.c_str(), user.c_str());
    AskServer(server, domain.c_str(), request.data(), reply.data(), kReplyBytes);
    std::u16string shown(reply.data(), ReplyTextLength(reply.data(), kReplyBytes));
    std::printf("Rejection text from the server:%s%s\n", shown.empty() ? " (none)" : "\n",
                ConsoleText(shown).c_str());
  }
  return accepted ? kExitAccepted : kExitRefused;
}

}  // namespace hvn::tool
