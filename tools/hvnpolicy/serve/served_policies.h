// The policies `serve` answers from, read again only when their source changed, and never
// given up for a source that cannot be read: the last good policies keep answering.
#ifndef HVN_TOOLS_HVNPOLICY_SERVE_SERVED_POLICIES_H_
#define HVN_TOOLS_HVNPOLICY_SERVE_SERVED_POLICIES_H_

#include <cstdint>
#include <memory>
#include <string>

#include "base/policy_store.h"

namespace hvn::tool {

// A value that changes whenever the policies' source changes: natively the registry file's
// modification time and size, on Windows the last-write times of the key, of its "Policies"
// and "Groups" subkeys and of every policy's key. 0 when the source cannot be looked at.
uint64_t StoreSignature(const std::string& reg_file, const std::string& key);

class ServedPolicies {
 public:
  // The policies of `key`, stored first from `reg_file` when that is not empty (natively).
  ServedPolicies(std::string reg_file, std::string key);

  // The first reading. False, with the reason in `error`, when the policies cannot be read.
  bool Load(std::string& error);

  // Looks at the source at most once every kLookIntervalMs (`now_ms`, a monotonic clock) and
  // reads it again when its signature changed since the last reading. Returns a line for the
  // log when it read (what it read, or why it failed and that the last good policies stay),
  // else an empty text.
  std::string Refresh(uint64_t now_ms);

  const PolicyStore& Store() const { return *store_; }

  static constexpr uint64_t kLookIntervalMs = 1000;

 private:
  std::string reg_file_;
  std::string key_;
  std::unique_ptr<PolicyStore> store_;
  uint64_t signature_ = 0;
  uint64_t looked_ms_ = 0;
};

}  // namespace hvn::tool

#endif  // HVN_TOOLS_HVNPOLICY_SERVE_SERVED_POLICIES_H_
