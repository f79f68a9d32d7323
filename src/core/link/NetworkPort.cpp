#include "core/link/NetworkPort.h"

#include <charconv>

namespace zul {

std::optional<NetworkPort> ParseNetworkPortName(const std::string& name) {
  NetworkPort result;
  std::string rest;
  if (name.rfind("tcp://", 0) == 0) {
    rest = name.substr(6);
  } else if (name.rfind("mbtcp://", 0) == 0) {
    result.transport = NetworkTransport::ModbusTcp;
    rest = name.substr(8);
  } else {
    return std::nullopt;
  }
  // The last colon: an IPv6 address in brackets has its own.
  const size_t colon = rest.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size()) return std::nullopt;
  result.host = rest.substr(0, colon);
  if (result.host.size() > 2 && result.host.front() == '[' && result.host.back() == ']')
    result.host = result.host.substr(1, result.host.size() - 2);
  if (result.host.find_first_of(" /[]") != std::string::npos) return std::nullopt;
  const char* first = rest.data() + colon + 1;
  const char* last = rest.data() + rest.size();
  auto [end, ec] = std::from_chars(first, last, result.port);
  if (ec != std::errc() || end != last || result.port < 1 || result.port > 65535) return std::nullopt;
  return result;
}

}  // namespace zul
