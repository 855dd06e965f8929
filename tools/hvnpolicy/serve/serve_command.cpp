// hvnpolicy serve: a policy server for small sites and for trying the client.
#include "serve/serve_command.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "base/command_line.h"
#include "base/policy_source.h"
#include "base/policy_wire.h"
#include "base/udp_socket.h"
#include "serve/policy_server.h"

namespace hvn::tool {
namespace {

const char kUsage[] =
#ifdef _WIN32
    "usage: hvnpolicy serve [--key KEY] [--bind ADDRESS] [--port N] [--port-file FILE]\n"
#else
    "usage: hvnpolicy serve --reg FILE [--key KEY] [--bind ADDRESS] [--port N]\n"
    "                       [--port-file FILE]\n"
#endif
    "                       [--log FILE] [--lifetime SECONDS] [--stop-file FILE]\n"
    "  Answers the clients' four requests over UDP (port 1333, every interface) from the\n"
    "  policies kept under KEY (default HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvex\\hvnpolicy),\n"
    "  read again for every request. Each request is logged (standard output or --log).\n";

constexpr size_t kDatagramBytes = 65536;
constexpr uint32_t kPollMs = 200;
// The most characters of a request the log shows, so a flood of large datagrams cannot fill
// the disk as fast as it arrives.
constexpr size_t kMaxLoggedRequest = 600;

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

std::string Now() {
  std::time_t now = std::time(nullptr);
  std::tm* utc = std::gmtime(&now);
  char text[32] = "?";
  if (utc != nullptr) std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", utc);
  return text;
}

void ReportProblems(const PolicyStore& store) {
  for (const auto& stored : store.Policies()) {
    std::vector<std::string> problems;
    FormatPolicyReply(stored->policy, stored->rule2900_text, problems);
    for (const std::string& problem : problems)
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
                       "--stop-file"},
                      {}, parsed, error))
    return Usage(error);
  if (!parsed.operands.empty()) return Usage("unexpected " + parsed.operands[0]);
#ifdef _WIN32
  if (parsed.Has("--reg")) return Usage("--reg is for the native build; import the file first");
#else
  if (!parsed.Has("--reg")) return Usage("--reg FILE is needed");
#endif
  const std::string reg_file = parsed.Get("--reg");
  const std::string key = parsed.Get("--key", kDefaultPolicyKey);
  const std::string port_text = parsed.Get("--port", "1333");
  char* end = nullptr;
  unsigned long port = std::strtoul(port_text.c_str(), &end, 10);
  if (port_text.empty() || *end != '\0' || port > 65535) return Usage("--port takes 0 to 65535");
  const unsigned long lifetime = std::strtoul(parsed.Get("--lifetime", "0").c_str(), nullptr, 10);

  auto store = std::make_unique<PolicyStore>();
  if (!LoadPolicyStore(reg_file, key, *store, error)) {
    std::fprintf(stderr, "hvnpolicy serve: %s\n", error.c_str());
    return kExitUsage;
  }
  ReportProblems(*store);

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
               store->Policies().size(), key.c_str(), bind.c_str(),
               static_cast<unsigned>(socket.Port()));
  if (parsed.Has("--port-file") &&
      !WriteWhole(parsed.Get("--port-file"), std::to_string(socket.Port()) + "\n"))
    return Usage("cannot write the port file " + parsed.Get("--port-file"));

  const std::time_t started = std::time(nullptr);
  std::unique_ptr<char[]> datagram(new char[kDatagramBytes]);
  for (;;) {
    if (parsed.Has("--stop-file") && FileExists(parsed.Get("--stop-file"))) break;
    if (lifetime != 0 && static_cast<unsigned long>(std::time(nullptr) - started) >= lifetime)
      break;
    UdpPeer peer;
    long size = socket.Receive(datagram.get(), kDatagramBytes, kPollMs, peer);
    if (size == -1) continue;
    if (size < 0) {
      std::fprintf(stderr, "hvnpolicy serve: receiving failed\n");
      return kExitUsage;
    }
    // The policies are read again for every request, so an edit applies at once; when they
    // cannot be read, the last good ones keep answering.
    auto fresh = std::make_unique<PolicyStore>();
    std::string reload_error;
    if (LoadPolicyStore(reg_file, key, *fresh, reload_error))
      store = std::move(fresh);
    else
      std::fprintf(log, "%s reload failed, answering from the last policies: %s\n", Now().c_str(),
                   reload_error.c_str());
    std::string summary;
    std::string reply = AnswerRequest(*store, datagram.get(), static_cast<size_t>(size), summary);
    // Logged before the answer goes out, so a reader who has the answer finds the line.
    std::string shown = EscapeDatagram(datagram.get(), static_cast<size_t>(size));
    if (shown.size() > kMaxLoggedRequest) shown = shown.substr(0, kMaxLoggedRequest) + "...";
    std::fprintf(log, "%s %s %s -> %s\n", Now().c_str(), PeerText(peer).c_str(), shown.c_str(),
                 summary.c_str());
    std::fflush(log);
    if (!reply.empty() && !socket.Send(reply.data(), reply.size(), peer))
      std::fprintf(log, "%s sending the reply to %s failed\n", Now().c_str(),
                   PeerText(peer).c_str());
  }
  std::fprintf(stderr, "hvnpolicy serve: stopped\n");
  return kExitAccepted;
}

}  // namespace hvn::tool
