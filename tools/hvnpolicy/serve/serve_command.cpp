// hvnpolicy serve: a policy server for small sites and for trying the client.
#include "serve/serve_command.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/command_line.h"
#include "base/policy_wire.h"
#include "base/udp_socket.h"
#include "serve/serve_loop.h"
#include "serve/served_policies.h"

namespace hvn::tool {
namespace {

const char kUsage[] =
#ifdef _WIN32
    "usage: hvnpolicy serve [--key KEY] [--bind ADDRESS] [--port N] [--port-file FILE]\n"
#else
    "usage: hvnpolicy serve --reg FILE [--key KEY] [--bind ADDRESS] [--port N]\n"
    "                       [--port-file FILE]\n"
#endif
    "                       [--rate-limit N] [--burst N]\n"
    "                       [--log FILE] [--lifetime SECONDS] [--stop-file FILE]\n"
    "  Answers the clients' four requests over UDP (port 1333, every interface) from the\n"
    "  policies kept under KEY (default HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvex\\hvnpolicy),\n"
    "  read again within a second of a change. Each request is logged (standard output or\n"
    "  --log). Each sender address gets at most --rate-limit replies a second (default 20;\n"
    "  0: no limit) after a first --burst of them (default 100).\n";

int Usage(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "hvnpolicy serve: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  return kExitUsage;
}

bool FileExists(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// Writes the whole text to `path` through a temporary file, so a reader never sees a part.
bool WriteWhole(const std::string& path, const std::string& text) {
  std::string partial = path + ".partial";
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fclose(file) == 0 && ok;
  if (ok && std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(path.c_str());
    ok = std::rename(partial.c_str(), path.c_str()) == 0;
  }
  if (!ok) std::remove(partial.c_str());
  return ok;
}

// Reads a decimal option of at most `maximum`; false for anything else.
bool NumberOption(const Arguments& parsed, const char* name, unsigned long fallback,
                  unsigned long maximum, unsigned long& value) {
  const std::string text = parsed.Get(name, std::to_string(fallback));
  char* end = nullptr;
  value = std::strtoul(text.c_str(), &end, 10);
  return !text.empty() && text.size() <= 10 && *end == '\0' && text[0] != '-' && value <= maximum;
}

void ReportProblems(const PolicyStore& store) {
  for (const auto& stored : store.Policies()) {
    for (const std::string& problem :
         FormatPolicyReply(stored->policy, stored->rule2900_text).left_out)
      std::fprintf(stderr, "hvnpolicy serve: policy \"%s\": %s\n", stored->name.c_str(),
                   problem.c_str());
  }
}

}  // namespace

int RunServe(const std::vector<std::string>& args) {
  Arguments parsed;
  std::string error;
  if (!ParseArguments(args,
                      {"--key", "--reg", "--bind", "--port", "--port-file", "--log", "--lifetime",
                       "--stop-file", "--rate-limit", "--burst"},
                      {}, parsed, error))
    return Usage(error);
  if (PrintHelp(parsed, kUsage)) return kExitAccepted;
  if (!parsed.operands.empty()) return Usage("unexpected " + parsed.operands[0]);
#ifdef _WIN32
  if (parsed.Has("--reg")) return Usage("--reg is for the native build; import the file first");
#else
  if (!parsed.Has("--reg")) return Usage("--reg FILE is needed");
#endif
  const std::string reg_file = parsed.Get("--reg");
  const std::string key = parsed.Get("--key", kDefaultPolicyKey);
  unsigned long port = 0, lifetime = 0, rate = 0, burst = 0;
  if (!NumberOption(parsed, "--port", 1333, 65535, port)) return Usage("--port takes 0 to 65535");
  if (!NumberOption(parsed, "--lifetime", 0, 0xFFFFFFFFul, lifetime))
    return Usage("--lifetime takes a number of seconds");
  if (!NumberOption(parsed, "--rate-limit", ReplyLimits().per_second, kMaxReplyLimit, rate))
    return Usage("--rate-limit takes 0 to 1000000 replies a second");
  if (!NumberOption(parsed, "--burst", ReplyLimits().burst, kMaxReplyLimit, burst) || burst == 0)
    return Usage("--burst takes 1 to 1000000 replies");
  const ReplyLimits limits{static_cast<uint32_t>(rate), static_cast<uint32_t>(burst)};

  ServedPolicies policies(reg_file, key);
  if (!policies.Load(error)) {
    std::fprintf(stderr, "hvnpolicy serve: %s\n", error.c_str());
    return kExitUsage;
  }
  ReportProblems(policies.Store());

  UdpSocket socket;
  const std::string bind = parsed.Get("--bind", "0.0.0.0");
  if (int rc = socket.Open(bind.c_str(), static_cast<uint16_t>(port)); rc != 0) {
    std::fprintf(stderr, "hvnpolicy serve: cannot listen on %s:%lu (error %d)\n", bind.c_str(),
                 port, rc);
    return kExitUsage;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> log_file(nullptr, std::fclose);
  if (parsed.Has("--log")) {
    log_file.reset(std::fopen(parsed.Get("--log").c_str(), "ab"));
    if (!log_file) return Usage("cannot open the log " + parsed.Get("--log"));
  }
  FILE* log = log_file ? log_file.get() : stdout;
  std::fprintf(stderr, "hvnpolicy serve: %zu policies from %s, listening on %s:%u\n",
               policies.Store().Policies().size(), key.c_str(), bind.c_str(),
               static_cast<unsigned>(socket.Port()));
  if (parsed.Has("--port-file") &&
      !WriteWhole(parsed.Get("--port-file"), std::to_string(socket.Port()) + "\n"))
    return Usage("cannot write the port file " + parsed.Get("--port-file"));

  // A monotonic clock: setting the system's clock back does not end the lifetime early.
  const auto started = std::chrono::steady_clock::now();
  const std::string stop_file = parsed.Get("--stop-file");
  auto looked = started - std::chrono::seconds(1);
  auto running = [&] {
    const auto now = std::chrono::steady_clock::now();
    if (lifetime != 0 && now - started >= std::chrono::seconds(lifetime)) return false;
    // The stop file is looked for every 100 ms at most, not for every datagram.
    if (stop_file.empty() || now - looked < std::chrono::milliseconds(100)) return true;
    looked = now;
    return !FileExists(stop_file);
  };
  ServeDatagrams(policies, SocketSlots(socket), limits, log, running);
  std::fprintf(stderr, "hvnpolicy serve: stopped\n");
  return kExitAccepted;
}

}  // namespace hvn::tool
