#include "query/policy_servers.h"
#include "query/query_hvs.h"

namespace hvn {
namespace {

// The UDP transport's own context: the strict-sender flag of the query and, when the caller
// wants one, the report of what the sweep saw.
struct UdpSweep {
  bool strict_sender;
  SweepReport* report;
};

void QueryOverUdp(void* context, const char* host, uint32_t port, const char16_t* request,
                  uint32_t timeout_ms, char16_t* reply, size_t reply_bytes) {
  UdpSweep& sweep = *static_cast<UdpSweep*>(context);
  TransactionOutcome outcome;
  QueryHVS(host, port, request, timeout_ms, reply, reply_bytes, sweep.strict_sender, &outcome);
  if (sweep.report == nullptr) return;
  NoteServerAsked(*sweep.report, host);
  if (outcome.answered) ++sweep.report->answers;
  sweep.report->dropped += outcome.dropped;
}

}  // namespace

void QueryPolicyServers(const char* server_list, const char16_t* domain, uint32_t port,
                        const char16_t* request, uint32_t timeout_ms, uint32_t retries,
                        char16_t* reply, size_t reply_bytes, bool strict_sender,
                        SweepReport* report) {
  if (report != nullptr) *report = SweepReport{};
  UdpSweep sweep{strict_sender, report};
  const QueryTransport udp = {&QueryOverUdp, &sweep};
  SweepPolicyServers(udp, server_list, domain, port, request, timeout_ms, retries, reply,
                     reply_bytes);
}

}  // namespace hvn
