#include "check/reply_file.h"

#include <cstring>
#include <vector>

#include "base/dictionary_order.h"
#include "base/policy_wire.h"
#include "base/utf8_text.h"
#include "policy/policy_reply.h"
#include "query/reply.h"

namespace hvn::tool {

bool ParseReplyFile(const std::string& bytes, PasswordPolicy& policy,
                    char16_t (&rule2900_text)[kRule2900TextCapacity], std::string& error) {
  std::u16string records;
  bool bom = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
             static_cast<unsigned char>(bytes[1]) == 0xFE;
  if (bom || DetectDictionaryEncoding(bytes.data(), bytes.size()) == DictionaryEncoding::kUtf16) {
    // The datagram: every BEL before its first NUL ends a record, as the client converts it.
    for (size_t i = bom ? 2 : 0; i + 1 < bytes.size(); i += 2)
      records += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
  } else {
    std::u16string text;
    size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    if (!DecodeUtf8(bytes.data() + skip, bytes.size() - skip, text))
      text = FromAnsi(bytes.substr(skip));
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find(u'\n', start);
      if (end == std::u16string::npos) end = text.size();
      std::u16string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == u'\r') line.pop_back();
      start = end + 1;
      if (line.empty() || line[0] == u'#') continue;
      records += line;
      if (line.back() != u'\a') records += u'\a';
    }
  }
  if (records.size() > kMaxReplyCharacters) {
    error = "the reply has " + std::to_string(records.size()) +
            " characters; a client receives at most 4,095";
    return false;
  }
  // The client's reply buffer: zero beyond the text, converted as received.
  std::vector<char16_t> reply(kReplyBytes / sizeof(char16_t), u'\0');
  std::memcpy(reply.data(), records.data(), records.size() * sizeof(char16_t));
  ConvertReceivedReply(reply.data(), kReplyBytes, records.size() * sizeof(char16_t));
  if (!HasReply(reply.data(), kReplyBytes)) {
    error = "the reply holds no record (a client takes it as no reply)";
    return false;
  }
  ParsePolicyReply(policy, rule2900_text, kRule2900TextCapacity, reply.data(), reply.size());
  return true;
}

}  // namespace hvn::tool
