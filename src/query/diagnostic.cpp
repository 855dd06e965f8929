#include "query/diagnostic.h"

#include <cstdio>
#include <cstring>

#include "platform/ansi_text.h"

namespace hvn {
namespace {

// Each text split at its "%s" (the host): the part before and the part after, which holds
// the "%d" of the error code where the text has one.
struct DiagnosticText {
  QueryFailure failure;
  const char* before_host;
  bool has_host;
  const char* after_host;  // printf format with at most one %d
};

constexpr DiagnosticText kTexts[] = {
    {QueryFailure::kStartup, "", false,
     "QueryHVS: Cannot initialize the Windows Sockets Library (%d)!\n"},
    {QueryFailure::kSocket, "", false, "QueryHVS: Cannot create a new socket (%d)!\n"},
    {QueryFailure::kResolve, "QueryHVS: Cannot resolve IP address for host <", true, "> (%d)!\n"},
    {QueryFailure::kAllocation, "", false,
     "QueryHVS: Failed to allocate memory for lpwszTempBufferOut!\n"},
    {QueryFailure::kSend, "", false,
     "QueryHVS: Unexpected error while sending data to the server (%d)!\n"},
    {QueryFailure::kSelect, "", false,
     "QueryHVS: Unexpected error while waiting for server to respond (%d)!\n"},
    {QueryFailure::kUnreachable, "", false, "QueryHVS: Remote port was unreachable!\n"},
    {QueryFailure::kReceive, "", false,
     "QueryHVS: Unexpected error while receiving data from the server (%d)!\n"},
    {QueryFailure::kOtherSender, "QueryHVS: No reply from host <", true,
     ">; datagrams from other senders ignored (%d)!\n"},
};

// The longest prefix of `text` of at most `budget` bytes that ends on a character boundary
// of the ANSI code page.
size_t CutAnsiOnCharacter(const char* text, size_t length, size_t budget) {
  size_t kept = 0;
  while (kept < length) {
    size_t step =
        (platform::IsAnsiLeadByte(static_cast<unsigned char>(text[kept])) && kept + 1 < length) ? 2
                                                                                                : 1;
    if (kept + step > budget) break;
    kept += step;
  }
  return kept;
}

}  // namespace

void ComposeDiagnostic(QueryFailure failure, const char* host, int error,
                       char (&out)[kDiagnosticSize]) {
  out[0] = '\0';
  const DiagnosticText* text = nullptr;
  for (const DiagnosticText& candidate : kTexts) {
    if (candidate.failure == failure) text = &candidate;
  }
  if (text == nullptr) return;

  char tail[kDiagnosticSize];
  if (std::strchr(text->after_host, '%') != nullptr) {
    std::snprintf(tail, sizeof(tail), text->after_host, error);
  } else {
    std::snprintf(tail, sizeof(tail), "%s", text->after_host);
  }
  size_t before_length = std::strlen(text->before_host);
  size_t tail_length = std::strlen(tail);
  size_t host_length = 0;
  if (text->has_host && host != nullptr) {
    host_length = platform::BoundedLength(host, kDiagnosticSize);
    size_t room = kDiagnosticSize - 1 - before_length - tail_length;
    host_length = CutAnsiOnCharacter(host, host_length, room);
  }
  std::memcpy(out, text->before_host, before_length);
  if (host_length > 0) std::memcpy(out + before_length, host, host_length);
  std::memcpy(out + before_length + host_length, tail, tail_length);
  out[before_length + host_length + tail_length] = '\0';
}

}  // namespace hvn
