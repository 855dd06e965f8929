#include "base/policy_store.h"

#include <algorithm>
#include <cstring>

#include "base/policy_wire.h"
#include "base/utf8_text.h"
#include "config/registry_value.h"
#include "platform/ansi_text.h"

namespace hvn::tool {
namespace {

constexpr DWORD kNameSize = 256;
constexpr DWORD kMembersSize = 65536;

std::string Upper(std::string text) {
  if (!text.empty()) platform::AnsiToUpper(&text[0], text.size());
  return text;
}

// The upper-case names of a multi-string, sorted.
NameSet Names(const char* data, size_t size) {
  NameSet names;
  size_t i = 0;
  while (i < size && data[i] != '\0') {
    size_t length = platform::BoundedLength(data + i, size - i);
    names.push_back(Upper(std::string(data + i, length)));
    i += length + 1;
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The names of a policy's list as the registry form stores it (":NAME1:NAME2:"), sorted.
NameSet ListNames(const char* list) {
  NameSet names;
  if (list == nullptr) return names;
  const char* start = list;
  for (const char* c = list;; ++c) {
    if (*c != ':' && *c != '\0') continue;
    if (c > start) names.emplace_back(start, c);
    if (*c == '\0') break;
    start = c + 1;
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool Holds(const NameSet& names, const std::string& name) {
  return std::binary_search(names.begin(), names.end(), name);
}

// The set names the user as USER, DOMAIN\USER or "*".
bool NamesUser(const NameSet& names, const std::string& user, const std::string& qualified) {
  return Holds(names, user) || Holds(names, qualified) || Holds(names, "*");
}

}  // namespace

void ReadRule2900Text(HKEY key, char16_t (&text)[kRule2900TextCapacity]) {
  std::memset(text, 0, sizeof(text));
  char ansi[kRule2900TextCapacity] = {};
  uint32_t first_error = 0;
  if (ReadRegistryText(key, "2900_Text", ansi, sizeof(ansi), first_error) != 0) return;
  platform::AnsiToWide(ansi, platform::BoundedLength(ansi, sizeof(ansi)), text,
                       kRule2900TextCapacity);
}

bool PolicyStore::Load(HKEY root, const std::string& path, std::string& error) {
  policies_.clear();
  groups_.clear();
  const std::string policies_path = path + "\\Policies";
  platform::UniqueKey policies_key;
  if (::RegOpenKeyExA(root, policies_path.c_str(), 0, KEY_READ, policies_key.Receive()) != 0) {
    error = "cannot open the policies key " + policies_path;
    return false;
  }
  for (DWORD index = 0;; ++index) {
    char name[kNameSize];
    DWORD name_length = kNameSize;
    if (::RegEnumKeyExA(policies_key.Get(), index, name, &name_length, nullptr, nullptr, nullptr,
                        nullptr) != 0)
      break;
    auto stored = std::make_unique<StoredPolicy>();
    stored->name.assign(name, name_length);
    const std::string key_path = policies_path + "\\" + stored->name;
    if (uint32_t rc = stored->policy.Load(root, key_path.c_str()); rc != 0) {
      error = "cannot read the policy " + key_path + " (error " + std::to_string(rc) + ")";
      return false;
    }
    platform::UniqueKey key;
    if (::RegOpenKeyExA(root, key_path.c_str(), 0, KEY_READ, key.Receive()) == 0)
      ReadRule2900Text(key.Get(), stored->rule2900_text);
    PolicyWireForm wire = FormatPolicyReply(stored->policy, stored->rule2900_text);
    if (!wire.too_long.empty()) {
      error = "policy \"" + stored->name + "\": " + wire.too_long + ": not loaded";
      return false;
    }
    stored->wire = Utf16LeBytes(wire.text);
    const char* const templates[3] = {stored->policy.MsgPolTemplate, stored->policy.MsgRejTemplate,
                                      stored->policy.MsgRejGeneric};
    for (int i = 0; i < 3; ++i)
      if (templates[i] != nullptr) stored->templates[i] = FromAnsi(templates[i]);
    policies_.push_back(std::move(stored));
  }
  if (policies_.empty()) {
    error = "no policy under " + policies_path;
    return false;
  }
  // In name order, so that of equal priorities the first by name is met first.
  std::stable_sort(policies_.begin(), policies_.end(),
                   [](const auto& a, const auto& b) { return Upper(a->name) < Upper(b->name); });
  ReadGroups(root, path + "\\Groups");
  for (auto& stored : policies_) {
    const NameSet group_names = ListNames(stored->policy.GroupList);
    stored->users = ListNames(stored->policy.UserList);
    stored->for_everyone = stored->users.empty() && group_names.empty();
    for (const std::string& group : group_names) {
      auto found = groups_.find(group);
      if (found != groups_.end()) stored->groups.push_back(&found->second);
    }
  }
  return true;
}

void PolicyStore::ReadGroups(HKEY root, const std::string& groups_path) {
  platform::UniqueKey groups_key;
  if (::RegOpenKeyExA(root, groups_path.c_str(), 0, KEY_READ, groups_key.Receive()) != 0) return;
  std::vector<char> members(kMembersSize + 2);
  for (DWORD index = 0;; ++index) {
    char name[kNameSize];
    DWORD name_length = kNameSize;
    DWORD size = kMembersSize;
    DWORD type = 0;
    std::fill(members.begin(), members.end(), '\0');
    LONG rc = ::RegEnumValueA(groups_key.Get(), index, name, &name_length, nullptr, &type,
                              reinterpret_cast<BYTE*>(members.data()), &size);
    if (rc == ERROR_MORE_DATA) continue;  // a group too large to hold: left out
    if (rc != 0) break;
    groups_[Upper(std::string(name, name_length))] = Names(members.data(), size);
  }
}

const StoredPolicy* PolicyStore::Select(const std::u16string& domain,
                                        const std::u16string& user) const {
  const std::string user_name = Upper(ToAnsi(user));
  const std::string qualified = Upper(ToAnsi(domain)) + "\\" + user_name;
  const StoredPolicy* best = nullptr;
  for (const auto& stored : policies_) {
    // Only a higher priority can win over the policy chosen so far (they are in name order).
    if (best != nullptr && stored->policy.Priority <= best->policy.Priority) continue;
    bool applies = stored->for_everyone || NamesUser(stored->users, user_name, qualified);
    for (size_t i = 0; !applies && i < stored->groups.size(); ++i)
      applies = NamesUser(*stored->groups[i], user_name, qualified);
    if (applies) best = stored.get();
  }
  return best;
}

const StoredPolicy* PolicyStore::Find(const std::string& name) const {
  for (const auto& stored : policies_)
    if (Upper(stored->name) == Upper(name)) return stored.get();
  return nullptr;
}

}  // namespace hvn::tool
