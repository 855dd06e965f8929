#include "serve/served_policies.h"

#include "base/policy_source.h"

namespace hvn::tool {

ServedPolicies::ServedPolicies(std::string reg_file, std::string key)
    : reg_file_(std::move(reg_file)),
      key_(std::move(key)),
      store_(std::make_unique<PolicyStore>()) {}

bool ServedPolicies::Load(std::string& error) {
  // Taken before the reading, so that an edit made while it runs is seen at the next look.
  signature_ = StoreSignature(reg_file_, key_);
  return LoadPolicyStore(reg_file_, key_, *store_, error);
}

std::string ServedPolicies::Refresh(uint64_t now_ms) {
  if (now_ms - looked_ms_ < kLookIntervalMs) return "";
  looked_ms_ = now_ms;
  const uint64_t signature = StoreSignature(reg_file_, key_);
  if (signature == signature_) return "";
  signature_ = signature;
  auto fresh = std::make_unique<PolicyStore>();
  std::string error;
  if (!LoadPolicyStore(reg_file_, key_, *fresh, error))
    return "reading the policies again failed, the last good ones keep answering: " + error;
  store_ = std::move(fresh);
  return "policies read again: " + std::to_string(store_->Policies().size()) + " from " + key_;
}

}  // namespace hvn::tool
