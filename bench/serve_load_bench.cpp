// Load benchmark of `hvnpolicy serve`, on loopback only, bounded in count and time:
//   serve_load_bench [WORK_FOLDER]
// Writes a store of 60 policies (with a group of 4,000 members), starts the optimised
// hvnpolicy serve on 127.0.0.1 and measures, with one client asking in turn:
//   1. answered requests a second;
//   2. the same while another loopback address (127.0.0.2) sends 3,000 junk datagrams a
//      second (1-byte datagrams and requests of an unknown kind): every real query must be
//      answered, and the 99th percentile of their latency be at most 100 ms;
//   3. the server's peak memory (its maximum resident set).
// Prints the figures and whether each target is met; the exit status is 0 when all are.
#include <arpa/inet.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/udp_socket.h"
#include "base/utf8_text.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPolicies = 60;
constexpr int kStaff = 4000;
constexpr double kPhaseSeconds = 3.0;
constexpr int kMaxRequests = 200000;  // per phase
constexpr uint32_t kReplyWaitMs = 1000;
constexpr int kJunkPerSecond = 3000;

std::string Hex7(const std::vector<std::string>& names) {
  std::string hex = "hex(7):";
  char byte[4];
  for (const std::string& name : names) {
    for (char c : name) {
      std::snprintf(byte, sizeof(byte), "%02x,", static_cast<unsigned char>(c));
      hex += byte;
    }
    hex += "00,";
  }
  return hex + "00";
}

// 60 policies: rule texts and templates with placeholders, user lists, group lists and
// priorities; "Staff" has 4,000 members.
std::string StoreText() {
  std::string text = "REGEDIT4\r\n\r\n";
  for (int i = 1; i <= kPolicies; ++i) {
    char name[16];
    std::snprintf(name, sizeof(name), "Policy%02d", i);
    text += std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvex\\hvnpolicy\\Policies\\") + name +
            "]\r\n";
    char values[1024];
    std::snprintf(values, sizeof(values),
                  "\"Priority\"=dword:%08x\r\n"
                  "\"2600_Enabled\"=dword:00000001\r\n\"2600_MinLength\"=dword:%08x\r\n"
                  "\"2300_Enabled\"=dword:00000001\r\n\"2300_MinCount\"=dword:00000001\r\n"
                  "\"2800_Enabled\"=dword:00000001\r\n\"2800_Bidir\"=dword:00000001\r\n"
                  "\"3000_Enabled\"=dword:00000001\r\n"
                  "\"3000_ServerDictFile\"=\"\\\\\\\\files\\\\dict\\\\words.dic\"\r\n"
                  "\"3100_Enabled\"=dword:00000001\r\n\"3100_csAlpha\"=dword:00000001\r\n"
                  "\"3100_csNumeric\"=dword:00000001\r\n"
                  "\"3100_MinComplianceLevel\"=dword:00000002\r\n"
                  "\"2600msg_Pol\"=\"Use a longer password, {user}.\"\r\n"
                  "\"2600msg_Rej\"=\"Too short for {domain}.\"\r\n"
                  "\"MsgPolTemplate\"=\"Policy {policy} for {user} of {domain}:{nl}{rules}\"\r\n"
                  "\"MsgRejTemplate\"=\"Sorry {user}, rules {codes} failed:{nl}{rules}\"\r\n",
                  i, 8 + i % 6);
    text += values;
    if (i % 3 == 0)
      text += "\"GroupList\"=" + Hex7({"Staff", "Group" + std::to_string(i)}) + "\r\n";
    if (i % 3 == 1) text += "\"UserList\"=" + Hex7({"CORP\\admin" + std::to_string(i)}) + "\r\n";
    text += "\r\n";
  }
  std::vector<std::string> staff;
  for (int i = 1; i <= kStaff; ++i) {
    char member[16];
    std::snprintf(member, sizeof(member), "user%04d", i);
    staff.push_back(member);
  }
  text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvex\\hvnpolicy\\Groups]\r\n";
  text += "\"Staff\"=" + Hex7(staff) + "\r\n";
  for (int i = 3; i <= kPolicies; i += 3)
    text += "\"Group" + std::to_string(i) + "\"=" + Hex7({"member" + std::to_string(i)}) + "\r\n";
  return text;
}

// The UTF-16LE bytes of an ASCII text (NULs included).
std::string Datagram(const std::string& ascii_with_nuls) {
  return hvn::tool::Utf16LeBytes(std::u16string(ascii_with_nuls.begin(), ascii_with_nuls.end()));
}

// The requests the client asks in turn: the four kinds, for group members and others.
std::vector<std::string> Requests() {
  std::vector<std::string> requests;
  for (int i = 0; i < 50; ++i) {
    const std::string user =
        i % 5 == 4 ? "admin" + std::to_string(i + 1) : "user" + std::to_string(1000 + i * 61);
    const std::string names = std::string("CORP") + '\0' + user + '\0';
    requests.push_back(Datagram("30_POLICY" + std::string(1, '\0') + names));
    requests.push_back(Datagram("30_REJECTION_MESSAGE" + std::string(1, '\0') + names + "2600" +
                                std::string(1, '\0') + "3000" + std::string(2, '\0')));
    requests.push_back(Datagram("30_POLICY_MESSAGE" + std::string(1, '\0') + names));
    requests.push_back(Datagram("30_GENERIC_REJECTION_MESSAGE" + std::string(1, '\0') + names));
  }
  return requests;
}

struct Phase {
  int asked = 0;
  int answered = 0;
  double seconds = 0;
  std::vector<double> latencies_ms;
  double PerSecond() const { return seconds > 0 ? answered / seconds : 0; }
  double Percentile(double p) {
    if (latencies_ms.empty()) return 0;
    std::sort(latencies_ms.begin(), latencies_ms.end());
    size_t index = static_cast<size_t>(p * (latencies_ms.size() - 1) + 0.5);
    return latencies_ms[index];
  }
};

// One client asking in turn until the phase's time or count runs out.
Phase AskInTurn(uint16_t port) {
  hvn::tool::UdpSocket client;
  Phase phase;
  if (client.Open("127.0.0.1", 0) != 0) return phase;
  const hvn::tool::UdpPeer server{::inet_addr("127.0.0.1"), port};
  const std::vector<std::string> requests = Requests();
  std::vector<char> reply(8192);
  const auto started = Clock::now();
  while (phase.asked < kMaxRequests &&
         std::chrono::duration<double>(Clock::now() - started).count() < kPhaseSeconds) {
    const std::string& request = requests[phase.asked % requests.size()];
    const auto sent = Clock::now();
    ++phase.asked;
    if (!client.Send(request.data(), request.size(), server)) continue;
    hvn::tool::UdpPeer from;
    long got = client.Receive(reply.data(), reply.size(), kReplyWaitMs, from);
    if (got <= 0) continue;
    ++phase.answered;
    phase.latencies_ms.push_back(
        std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
  }
  phase.seconds = std::chrono::duration<double>(Clock::now() - started).count();
  return phase;
}

// Junk from 127.0.0.2 at kJunkPerSecond, paced, until `stop`.
void SendJunk(uint16_t port, std::atomic<bool>& stop, long& sent) {
  hvn::tool::UdpSocket junk;
  if (junk.Open("127.0.0.2", 0) != 0) return;
  const hvn::tool::UdpPeer server{::inet_addr("127.0.0.1"), port};
  const std::string unknown = Datagram(std::string("30_OTHER") + '\0' + "CORP" + '\0' + "x" + '\0');
  const auto started = Clock::now();
  while (!stop) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
    while (sent < static_cast<long>(elapsed * kJunkPerSecond)) {
      if (sent % 2 == 0)
        junk.Send("\x01", 1, server);
      else
        junk.Send(unknown.data(), unknown.size(), server);
      ++sent;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

long PeakKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

bool Report(const char* what, double value, const char* unit, bool met, const char* target) {
  std::printf("  %-58s %10.1f %-6s target %-16s %s\n", what, value, unit, target,
              met ? "met" : "NOT MET");
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "build/bench/serve";
  ::mkdir(folder.c_str(), 0755);
  const std::string store = folder + "/store.reg", port_file = folder + "/port",
                    stop_file = folder + "/stop", log = folder + "/requests.log";
  std::ofstream(store, std::ios::binary) << StoreText();
  std::remove(port_file.c_str());
  std::remove(stop_file.c_str());
  std::remove(log.c_str());

  // No rate limit to speak of: the one client here asks far more than any workstation.
  std::vector<std::string> args = {HVNPOLICY_PATH, "serve",     "--reg",        store,
                                   "--bind",       "127.0.0.1", "--port",       "0",
                                   "--port-file",  port_file,   "--stop-file",  stop_file,
                                   "--log",        log,         "--rate-limit", "1000000",
                                   "--burst",      "1000000",   "--lifetime",   "120"};
  std::vector<char*> argv_server;
  for (std::string& arg : args) argv_server.push_back(&arg[0]);
  argv_server.push_back(nullptr);
  pid_t server = 0;
  if (posix_spawn(&server, HVNPOLICY_PATH, nullptr, nullptr, argv_server.data(), environ) != 0) {
    std::fprintf(stderr, "serve_load_bench: cannot start %s\n", HVNPOLICY_PATH);
    return 2;
  }
  std::string port_text;
  for (int i = 0; i < 300 && port_text.empty(); ++i) {
    std::ifstream(port_file) >> port_text;
    if (port_text.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (port_text.empty()) {
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    std::fprintf(stderr, "serve_load_bench: the server did not start\n");
    return 2;
  }
  const uint16_t port = static_cast<uint16_t>(std::atoi(port_text.c_str()));

  Phase quiet = AskInTurn(port);
  std::atomic<bool> stop(false);
  long junk_sent = 0;
  std::thread junk([&] { SendJunk(port, stop, junk_sent); });
  Phase flooded = AskInTurn(port);
  stop = true;
  junk.join();
  const long peak_kb = PeakKilobytes(server);

  std::ofstream(stop_file) << "stop\n";
  int status = 0;
  waitpid(server, &status, 0);

  const double junk_rate = flooded.seconds > 0 ? junk_sent / flooded.seconds : 0;
  std::printf(
      "hvnpolicy serve on loopback, %d policies, a group of %d members, one client "
      "asking in turn\n",
      kPolicies, kStaff);
  std::printf("  quiet:   %d asked, %d answered in %.2f s\n", quiet.asked, quiet.answered,
              quiet.seconds);
  std::printf(
      "  flooded: %d asked, %d answered in %.2f s while 127.0.0.2 sent %ld junk "
      "datagrams (%.0f a second)\n",
      flooded.asked, flooded.answered, flooded.seconds, junk_sent, junk_rate);
  bool met = true;
  met &= Report("answered requests a second", quiet.PerSecond(), "req/s", quiet.PerSecond() >= 2000,
                ">= 2,000");
  met &= Report("p99 latency, quiet", quiet.Percentile(0.99), "ms", true, "(reported)");
  met &= Report("answered requests a second, with junk", flooded.PerSecond(), "req/s", true,
                "(reported)");
  met &= Report("real queries unanswered, with junk", flooded.asked - flooded.answered, "",
                flooded.asked == flooded.answered && flooded.asked > 0, "0");
  met &= Report("p99 latency, with junk", flooded.Percentile(0.99), "ms",
                flooded.Percentile(0.99) <= 100, "<= 100");
  met &= Report("junk datagrams a second", junk_rate, "/s", junk_rate >= 0.95 * kJunkPerSecond,
                ">= 2,850");
  met &= Report("peak memory of the server (maximum resident set)", peak_kb / 1024.0, "MB",
                peak_kb > 0, "(reported)");
  std::printf("serve_load_bench: %s\n", met ? "all targets met" : "a target was NOT MET");
  return met ? 0 : 1;
}
