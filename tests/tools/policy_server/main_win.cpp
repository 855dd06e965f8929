// hvn_policy_server.exe: the test policy server as a program of its own, for end-to-end tests
// and demonstrations. Answers UDP requests on 127.0.0.1 from a reply file until its lifetime
// ends or its stop file appears.
//
//   hvn_policy_server.exe --replies FILE [--port N] [--port-file FILE] [--log FILE]
//                         [--lifetime SECONDS] [--stop-file FILE]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "policy_server.h"

namespace {

constexpr unsigned long kDefaultLifetimeSeconds = 600;
constexpr unsigned long kMaxLifetimeSeconds = 24 * 3600;

struct Options {
  std::string replies;
  unsigned long port = 0;
  std::string port_file;
  std::string log;
  unsigned long lifetime_seconds = kDefaultLifetimeSeconds;
  std::string stop_file;
};

int Usage() {
  std::fprintf(stderr,
               "usage: hvn_policy_server --replies FILE [--port N] [--port-file FILE]\n"
               "                         [--log FILE] [--lifetime SECONDS] [--stop-file FILE]\n");
  return 2;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    if (i + 1 >= argc) return false;
    std::string value = argv[++i];
    if (name == "--replies") {
      options.replies = value;
    } else if (name == "--port") {
      options.port = std::strtoul(value.c_str(), nullptr, 10);
      if (options.port > 65535) return false;
    } else if (name == "--port-file") {
      options.port_file = value;
    } else if (name == "--log") {
      options.log = value;
    } else if (name == "--lifetime") {
      options.lifetime_seconds = std::strtoul(value.c_str(), nullptr, 10);
      if (options.lifetime_seconds > kMaxLifetimeSeconds) return false;
    } else if (name == "--stop-file") {
      options.stop_file = value;
    } else {
      return false;
    }
  }
  return !options.replies.empty();
}

// Writes the port next to `path` first and renames it into place, so a reader never sees a
// half-written number.
bool WritePortFile(const std::string& path, unsigned port) {
  std::string temporary = path + ".tmp";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  std::fprintf(file, "%u\n", port);
  std::fclose(file);
  return MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return Usage();

  hvn::test::TestPolicyServer server;
  server.SetScriptFile(options.replies);
  if (!options.log.empty()) server.SetLogFile(options.log);
  if (uint32_t rc = server.Start(static_cast<uint16_t>(options.port)); rc != 0) {
    std::fprintf(stderr, "hvn_policy_server: cannot listen on 127.0.0.1:%lu (%u)\n", options.port,
                 rc);
    return 1;
  }
  if (!options.port_file.empty() && !WritePortFile(options.port_file, server.port())) {
    std::fprintf(stderr, "hvn_policy_server: cannot write %s\n", options.port_file.c_str());
    return 1;
  }
  std::printf("hvn_policy_server: listening on 127.0.0.1:%u\n", server.port());
  std::fflush(stdout);

  DWORD start = GetTickCount();
  const DWORD lifetime_ms = static_cast<DWORD>(options.lifetime_seconds) * 1000;
  while (GetTickCount() - start < lifetime_ms) {
    if (!options.stop_file.empty() && FileExists(options.stop_file)) break;
    Sleep(50);
  }
  server.Stop();
  return 0;
}
