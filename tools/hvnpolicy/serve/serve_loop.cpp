#include "serve/serve_loop.h"

#include <chrono>
#include <memory>
#include <string>

#include "serve/policy_server.h"
#include "serve/request_log.h"

namespace hvn::tool {
namespace {

uint64_t NowMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

long ReceiveFrom(void* context, char* buffer, size_t size, uint32_t timeout_ms, UdpPeer& peer,
                 int& error) {
  return static_cast<UdpSocket*>(context)->Receive(buffer, size, timeout_ms, peer, &error);
}

bool SendTo(void* context, const char* data, size_t size, const UdpPeer& peer, int& error) {
  return static_cast<UdpSocket*>(context)->Send(data, size, peer, &error);
}

// Socket errors go to the log at most once a second, so a flood of them cannot fill it.
class ErrorLog {
 public:
  explicit ErrorLog(FILE* log) : log_(log) {}
  void Note(uint64_t now_ms, const std::string& what, int error) {
    if (logged_ && now_ms - last_ms_ < 1000) return;
    logged_ = true;
    last_ms_ = now_ms;
    WriteLogLine(log_, what + " failed (error " + std::to_string(error) + "); serving on");
  }

 private:
  FILE* log_;
  bool logged_ = false;
  uint64_t last_ms_ = 0;
};

}  // namespace

ServeSocket SocketSlots(UdpSocket& socket) {
  return ServeSocket{ReceiveFrom, SendTo, &socket};
}

void ServeDatagrams(ServedPolicies& policies, const ServeSocket& socket, const ReplyLimits& limits,
                    FILE* log, const std::function<bool()>& running) {
  auto senders = std::make_unique<SenderTable>(limits);
  ErrorLog errors(log);
  // One character more than any request; a longer datagram is reported with its own length.
  char datagram[kMaxRequestBytes + 2];
  while (running()) {
    UdpPeer peer;
    int error = 0;
    const long size =
        socket.receive(socket.context, datagram, sizeof(datagram), kServePollMs, peer, error);
    const uint64_t now = NowMs();
    if (size == UdpSocket::kTimedOut) continue;
    if (size < 0) {
      errors.Note(now, "receiving", error);
      continue;
    }
    const size_t held =
        static_cast<size_t>(size) < sizeof(datagram) ? static_cast<size_t>(size) : sizeof(datagram);
    ServerRequest request;
    std::string dropped;
    if (const char* problem = ParseRequest(datagram, static_cast<size_t>(size), request))
      dropped = std::string("not a request (") + problem + ")";
    else if (!senders->TakeReply(peer.address, now))
      dropped = "over this sender's reply limit";
    if (!dropped.empty()) {
      if (senders->MayLogDrop(peer.address, now))
        WriteLogLine(log, PeerText(peer) + " " + EscapeDatagram(datagram, held) + " -> " + dropped +
                              ": no reply (further drops from this sender are logged at most "
                              "once a second)");
      continue;
    }
    if (std::string note = policies.Refresh(now); !note.empty()) WriteLogLine(log, note);
    std::string summary;
    std::string reply = AnswerRequest(policies.Store(), request, summary);
    // Logged before the answer goes out, so a reader who has the answer finds the line.
    WriteLogLine(log, PeerText(peer) + " " + EscapeDatagram(datagram, held) + " -> " + summary);
    if (!socket.send(socket.context, reply.data(), reply.size(), peer, error))
      errors.Note(now, "sending the reply to " + PeerText(peer), error);
  }
}

}  // namespace hvn::tool
