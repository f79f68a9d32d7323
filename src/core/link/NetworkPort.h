#pragma once
// Port names that reach a line over Ethernet: "tcp://HOST:PORT" carries RTU
// frames as they are (a serial device server in raw TCP mode),
// "mbtcp://HOST:PORT" speaks Modbus TCP to a gateway.
#include <optional>
#include <string>

namespace zul {

enum class NetworkTransport { RtuOverTcp, ModbusTcp };

struct NetworkPort {
  NetworkTransport transport = NetworkTransport::RtuOverTcp;
  std::string host;
  int port = 0;
};

// nullopt unless the name is one of the two forms with a host and a port 1..65535.
std::optional<NetworkPort> ParseNetworkPortName(const std::string& name);
inline bool IsNetworkPortName(const std::string& name) { return ParseNetworkPortName(name).has_value(); }

}  // namespace zul
