#include "query/request.h"

#include "platform/ansi_text.h"

namespace hvn {
namespace {

const char16_t* const kKindNames[] = {
    u"30_POLICY",
    u"30_POLICY_MESSAGE",
    u"30_REJECTION_MESSAGE",
    u"30_GENERIC_REJECTION_MESSAGE",
};

// The texts "1000" ... "3100" of the rule codes, in rule order.
const char16_t* const kRuleCodeTexts[kRuleCount] = {
    u"1000", u"2000", u"2100", u"2200", u"2300", u"2400", u"2500",
    u"2600", u"2700", u"2800", u"2900", u"3000", u"3100",
};

size_t TextLength(const char16_t* text, size_t limit) {
  return text == nullptr ? 0 : platform::BoundedLength(text, limit);
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}

// The longest prefix of `text` of at most `budget` characters that does not split a
// surrogate pair.
size_t CutOnCharacter(const char16_t* text, size_t length, size_t budget) {
  if (length <= budget) return length;
  if (budget > 0 && IsHighSurrogate(text[budget - 1])) return budget - 1;
  return budget;
}

// Appends characters to a buffer whose room the caller has already checked.
class RequestWriter {
 public:
  explicit RequestWriter(char16_t* out) : out_(out) {}
  void Append(const char16_t* text, size_t length) {
    for (size_t i = 0; i < length; ++i) out_[written_++] = text[i];
  }
  void AppendField(const char16_t* text, size_t length) {
    Append(text, length);
    out_[written_++] = kFieldEnd;
  }
  void Terminate() { out_[written_] = u'\0'; }

 private:
  char16_t* out_;
  size_t written_ = 0;
};

size_t KindIndex(RequestKind kind) {
  size_t index = static_cast<size_t>(kind);
  return index < sizeof(kKindNames) / sizeof(kKindNames[0]) ? index : 0;
}

// Shared by both formatters: `codes` are the failed codes' texts (each gets its own field),
// `final_field` adds the closing empty field of a rejection request.
char16_t* Format(RequestKind kind, char16_t* request, size_t capacity, const char16_t* domain,
                 const char16_t* user_name, const char16_t* const* codes, size_t code_count,
                 bool final_field) {
  if (request == nullptr || capacity == 0) return request;
  const char16_t* kind_name = kKindNames[KindIndex(kind)];
  size_t kind_length = TextLength(kind_name, capacity);

  // The fixed part: kind, three field ends, the codes with theirs, the final field, the NUL.
  size_t fixed = kind_length + 3 + (final_field ? 1 : 0) + 1;
  for (size_t i = 0; i < code_count; ++i) fixed += TextLength(codes[i], 8) + 1;
  if (fixed > capacity) {
    request[0] = u'\0';
    return request;
  }

  size_t budget = capacity - fixed;
  size_t domain_length = TextLength(domain, budget + 1);
  domain_length = CutOnCharacter(domain, domain_length, budget);
  budget -= domain_length;
  size_t user_length = TextLength(user_name, budget + 1);
  user_length = CutOnCharacter(user_name, user_length, budget);

  RequestWriter writer(request);
  writer.AppendField(kind_name, kind_length);
  writer.AppendField(domain, domain_length);
  writer.AppendField(user_name, user_length);
  for (size_t i = 0; i < code_count; ++i) writer.AppendField(codes[i], TextLength(codes[i], 8));
  if (final_field) writer.AppendField(nullptr, 0);
  writer.Terminate();
  return request;
}

}  // namespace

const char16_t* RequestKindName(RequestKind kind) {
  return kKindNames[KindIndex(kind)];
}

char16_t* FormatRequest(RequestKind kind, char16_t* request, size_t capacity,
                        const char16_t* domain, const char16_t* user_name) {
  return Format(kind, request, capacity, domain, user_name, nullptr, 0,
                kind == RequestKind::kRejectionMessage);
}

char16_t* FormatRejectionRequest(char16_t* request, size_t capacity, const RuleResults& results,
                                 const char16_t* domain, const char16_t* user_name) {
  const char16_t* failed[kRuleCount];
  size_t failed_count = 0;
  for (size_t i = 0; i < kRuleCount; ++i) {
    if (results.Outcome[i] == RuleOutcome::kFailed) failed[failed_count++] = kRuleCodeTexts[i];
  }
  return Format(RequestKind::kRejectionMessage, request, capacity, domain, user_name, failed,
                failed_count, true);
}

void ToWireRequest(const char16_t* request, size_t length, char16_t* wire) {
  for (size_t i = 0; i < length; ++i) wire[i] = request[i] == kFieldEnd ? u'\0' : request[i];
}

}  // namespace hvn
