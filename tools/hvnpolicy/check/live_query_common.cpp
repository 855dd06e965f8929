#include <cstdlib>

#include "check/live_query.h"

namespace hvn::tool {

bool ParseServerAddress(const std::string& text, LiveServer& server) {
  size_t colon = text.rfind(':');
  server.host = text.substr(0, colon);
  if (server.host.empty() || server.host.find(' ') != std::string::npos) return false;
  if (colon == std::string::npos) return true;
  std::string digits = text.substr(colon + 1);
  if (digits.empty() || digits.size() > 5 ||
      digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  unsigned long port = std::strtoul(digits.c_str(), nullptr, 10);
  if (port == 0 || port > 65535) return false;
  server.port = static_cast<uint32_t>(port);
  return true;
}

std::string OneServerList(const std::string& ansi_domain, const std::string& host) {
  std::string list = ansi_domain + " " + host;
  list += '\0';
  list += '\0';
  return list;
}

}  // namespace hvn::tool
