#include "base/policy_store.h"

#include <algorithm>
#include <cstring>

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

// ":A:B:" from a multi-string of names.
std::string ColonList(const char* data, size_t size) {
  std::string list = ":";
  size_t i = 0;
  while (i < size && data[i] != '\0') {
    size_t length = platform::BoundedLength(data + i, size - i);
    list.append(data + i, length);
    list += ':';
    i += length + 1;
  }
  return Upper(list);
}

bool HasNames(const char* list) {
  return list != nullptr && list[0] != '\0' && std::strcmp(list, ":") != 0;
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
    policies_.push_back(std::move(stored));
  }
  if (policies_.empty()) {
    error = "no policy under " + policies_path;
    return false;
  }
  const std::string groups_path = path + "\\Groups";
  platform::UniqueKey groups_key;
  if (::RegOpenKeyExA(root, groups_path.c_str(), 0, KEY_READ, groups_key.Receive()) == 0) {
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
      groups_[Upper(std::string(name, name_length))] = ColonList(members.data(), size);
    }
  }
  return true;
}

bool PolicyStore::NamesUser(const char* list, const std::string& user,
                            const std::string& qualified) const {
  if (list == nullptr) return false;
  std::string names = list;
  return names.find(":" + user + ":") != std::string::npos ||
         names.find(":" + qualified + ":") != std::string::npos ||
         names.find(":*:") != std::string::npos;
}

const StoredPolicy* PolicyStore::Select(const std::u16string& domain,
                                        const std::u16string& user) const {
  const std::string user_name = Upper(ToAnsi(user));
  const std::string qualified = Upper(ToAnsi(domain)) + "\\" + user_name;
  const StoredPolicy* best = nullptr;
  for (const auto& stored : policies_) {
    const PasswordPolicy& policy = stored->policy;
    bool applies = !HasNames(policy.UserList) && !HasNames(policy.GroupList);
    applies = applies || NamesUser(policy.UserList, user_name, qualified);
    if (!applies && HasNames(policy.GroupList)) {
      for (const auto& [group, members] : groups_) {
        if (std::string(policy.GroupList).find(":" + group + ":") != std::string::npos &&
            NamesUser(members.c_str(), user_name, qualified)) {
          applies = true;
          break;
        }
      }
    }
    if (!applies) continue;
    if (best == nullptr || policy.Priority > best->policy.Priority ||
        (policy.Priority == best->policy.Priority && Upper(stored->name) < Upper(best->name)))
      best = stored.get();
  }
  return best;
}

const StoredPolicy* PolicyStore::Find(const std::string& name) const {
  for (const auto& stored : policies_)
    if (Upper(stored->name) == Upper(name)) return stored.get();
  return nullptr;
}

}  // namespace hvn::tool
