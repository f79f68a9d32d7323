#pragma once
// Network port names (tcp://, mbtcp://) opened lately, newest first: one list
// for zulprog's port dialog and zul (its `zul ports` and shell completion).
#include <QStringList>

namespace zul {

inline constexpr int kRecentPortCount = 8;

QStringList RecentNetworkPorts();
// Keeps `name` at the head of the list when it is a network port name.
void RememberNetworkPort(const QString& name);

}  // namespace zul
