// The "QueryHVS: ..." diagnostics: exact texts, and a long host name cut so the text keeps its
// end inside the 256 bytes. Runs in both builds.
#include "query/diagnostic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace hvn {
namespace {

TEST(ComposeDiagnostic, WritesEachFailuresText) {
  struct Case {
    QueryFailure failure;
    int error;
    const char* expected;
  };
  const Case cases[] = {
      {QueryFailure::kStartup, 10091,
       "QueryHVS: Cannot initialize the Windows Sockets Library (10091)!\n"},
      {QueryFailure::kSocket, 10047, "QueryHVS: Cannot create a new socket (10047)!\n"},
      {QueryFailure::kResolve, 11001,
       "QueryHVS: Cannot resolve IP address for host <policy.example> (11001)!\n"},
      {QueryFailure::kAllocation, 0,
       "QueryHVS: Failed to allocate memory for lpwszTempBufferOut!\n"},
      {QueryFailure::kSend, 10013,
       "QueryHVS: Unexpected error while sending data to the server (10013)!\n"},
      {QueryFailure::kSelect, 10038,
       "QueryHVS: Unexpected error while waiting for server to respond (10038)!\n"},
      {QueryFailure::kUnreachable, 10054, "QueryHVS: Remote port was unreachable!\n"},
      {QueryFailure::kReceive, 10040,
       "QueryHVS: Unexpected error while receiving data from the server (10040)!\n"},
  };
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    char out[kDiagnosticSize];
    ComposeDiagnostic(cases[i].failure, "policy.example", cases[i].error, out);
    EXPECT_STREQ(out, cases[i].expected) << "case " << i;
  }
}

TEST(ComposeDiagnostic, CutsALongHostAndKeepsTheEnd) {
  const std::string host(1023, 'h');
  char out[kDiagnosticSize + 8];
  std::memset(out, '#', sizeof(out));
  ComposeDiagnostic(QueryFailure::kResolve, host.c_str(), 11001,
                    *reinterpret_cast<char(*)[kDiagnosticSize]>(out));
  EXPECT_EQ(std::strlen(out), kDiagnosticSize - 1);
  EXPECT_EQ(std::string(out, 47), "QueryHVS: Cannot resolve IP address for host <h");
  EXPECT_EQ(std::string(out + kDiagnosticSize - 12), "> (11001)!\n");
  EXPECT_EQ(out[kDiagnosticSize], '#');
}

TEST(ComposeDiagnostic, TakesANullHostAsEmpty) {
  char out[kDiagnosticSize];
  ComposeDiagnostic(QueryFailure::kResolve, nullptr, 11001, out);
  EXPECT_STREQ(out, "QueryHVS: Cannot resolve IP address for host <> (11001)!\n");
}

}  // namespace
}  // namespace hvn
