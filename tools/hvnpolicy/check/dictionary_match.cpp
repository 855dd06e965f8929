#include "check/dictionary_match.h"

#include <cstring>
#include <vector>

#include "base/dictionary_order.h"
#include "base/utf8_text.h"
#include "platform/ansi_text.h"
#include "platform/read_only_file.h"
#include "platform/secure_zero.h"
#include "policy/dictionary_search.h"
#include "policy/similarity.h"

namespace hvn::tool {
namespace {

template <typename Unit>
using Text = std::basic_string<Unit>;

template <typename Unit>
void Clear(Text<Unit>& text) {
  if (!text.empty()) platform::SecureZero(&text[0], text.size() * sizeof(Unit));
}

template <typename Unit>
Text<Unit> Reversed(const Text<Unit>& text) {
  return Text<Unit>(text.rbegin(), text.rend());
}

std::u16string Shown(const std::string& ansi) {
  return FromAnsi(ansi);
}
std::u16string Shown(const std::u16string& wide) {
  return wide;
}

template <typename Unit>
Text<Unit> Wildcard(const char* before, const Text<Unit>& middle, const char* after) {
  Text<Unit> key;
  for (const char* c = before; *c != '\0'; ++c) key += static_cast<Unit>(*c);
  key += middle;
  for (const char* c = after; *c != '\0'; ++c) key += static_cast<Unit>(*c);
  return key;
}

// The rule's questions in its order, stopping at the first entry found.
template <typename Unit>
bool Search(platform::ReadOnlyFile& file, const Text<Unit>& key, const Text<Unit>* substituted,
            const DictionaryRule& rule, DictionaryMatch& match) {
  DictionarySearch<Unit> search(file);
  auto found = [&](const Text<Unit>& candidate, const char* form) {
    if (!search.Contains(candidate.data(), candidate.size())) return false;
    match.entry = Shown(candidate);
    match.form = form;
    return true;
  };
  if (found(key, "the whole password")) return true;
  if (rule.Bidir != 0 && found(Reversed(key), "the whole password reversed")) return true;
  if (rule.Wildcard != 0) {
    for (size_t i = 1; i <= key.size(); ++i)
      if (found(Wildcard("!!", key.substr(0, i), "*!!"), "a wildcard entry for its beginning"))
        return true;
    for (size_t k = 1; k <= key.size(); ++k)
      if (found(Wildcard("!!*", key.substr(key.size() - k), "!!"),
                "a wildcard entry for its ending"))
        return true;
  }
  Text<Unit> letters;
  for (Unit c : key)
    if (c >= Unit('A') && c <= Unit('Z')) letters += c;
  struct Form {
    Text<Unit> text;
    const char* name;
  };
  std::vector<Form> forms = {{key, "a piece of the password as written"}};
  if (rule.Bidir != 0) forms.push_back({Reversed(key), "a piece of the password reversed"});
  forms.push_back({letters, "a piece of its letters alone"});
  if (rule.Bidir != 0) forms.push_back({Reversed(letters), "a piece of its letters reversed"});
  if (substituted != nullptr) {
    forms.push_back({*substituted, "a piece of its look-alike form"});
    if (rule.Bidir != 0)
      forms.push_back({Reversed(*substituted), "a piece of its look-alike form reversed"});
  }
  uint32_t window = rule.Tolerance + 1u;
  bool hit = false;
  for (Form& form : forms) {
    // The longest piece first: the most telling entry.
    for (size_t n = form.text.size(); !hit && n >= window && n >= 1; --n)
      for (size_t i = 0; !hit && i + n <= form.text.size(); ++i)
        hit = found(form.text.substr(i, n), form.name);
    Clear(form.text);
    if (hit) break;
  }
  Clear(letters);
  return hit;
}

}  // namespace

bool FindDictionaryMatch(const CheckContext& context, const DictionaryRule& rule,
                         DictionaryMatch& match) {
  platform::ReadOnlyFile file;
  if (!file.Open(rule.ServerDictFile)) return false;
  char head[256];
  uint32_t head_length = 0;
  if (!file.ReadAt(0, head, sizeof(head), &head_length)) return false;
  const char16_t* upper = context.NewPasswordUpper;
  std::u16string wide(upper, platform::BoundedLength(upper, kContextTextSize - 1));
  char16_t substituted_buffer[kContextTextSize];
  SubstituteLookalikes(substituted_buffer, wide.c_str(), sizeof(substituted_buffer));
  std::u16string substituted(substituted_buffer, wide.size());
  platform::SecureZero(substituted_buffer, sizeof(substituted_buffer));
  bool use_substituted = rule.Substitute == 1;
  bool hit;
  if (DetectDictionaryEncoding(head, head_length) == DictionaryEncoding::kUtf16) {
    use_substituted = use_substituted && substituted != wide;
    hit = Search<char16_t>(file, wide, use_substituted ? &substituted : nullptr, rule, match);
  } else {
    std::string key = ToAnsi(wide);
    std::string key_substituted = ToAnsi(substituted);
    use_substituted = use_substituted && key_substituted != key;
    hit = Search<char>(file, key, use_substituted ? &key_substituted : nullptr, rule, match);
    Clear(key);
    Clear(key_substituted);
  }
  Clear(wide);
  Clear(substituted);
  return hit;
}

}  // namespace hvn::tool
