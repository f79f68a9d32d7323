#include "serial/RecentPorts.h"

#include <QSettings>

#include "core/link/NetworkPort.h"

namespace zul {
namespace {

constexpr const char* kRecentPortsKey = "recentPorts";

// Named explicitly: zul and zulprog are different applications to Qt.
QSettings Store() { return QSettings("zulprog", "ports"); }

}  // namespace

QStringList RecentNetworkPorts() { return Store().value(kRecentPortsKey).toStringList(); }

void RememberNetworkPort(const QString& name) {
  if (!IsNetworkPortName(name.toStdString())) return;
  QStringList ports = RecentNetworkPorts();
  ports.removeAll(name);
  ports.prepend(name);
  while (ports.size() > kRecentPortCount) ports.removeLast();
  Store().setValue(kRecentPortsKey, ports);
}

}  // namespace zul
