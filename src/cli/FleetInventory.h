#pragma once
// The lines of a plant for `zul fleet`: each with a name (its folder in a
// backup), a port (serial or network name), the line settings and the device
// addresses on it. Read from JSON or from a text file of one line a line:
//   NAME PORT ADDRESSES [baud=B] [parity=N|O|E] [stop=1|2] [delay=MS]
// with ADDRESSES as 1,2,5-7; '#' starts a comment.
#include <QString>
#include <optional>
#include <vector>

#include "cli/LinkSession.h"

namespace zul::cli {

struct FleetLine {
  QString name;
  LineOptions options;       // port and settings; deviceIndex unused
  std::vector<int> devices;  // addresses 1..31, as listed
};

// The lines, or nullopt with a message naming the line of the file at fault.
std::optional<std::vector<FleetLine>> ParseInventory(const QByteArray& text, QString& error);

}  // namespace zul::cli
