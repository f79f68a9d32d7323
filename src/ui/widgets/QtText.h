#pragma once
// The core speaks UTF-8 std::string, the windows QString; and every widget a
// test looks for carries its design name.
#include <QString>
#include <string>
#include <string_view>

namespace zul {

inline QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string S(const QString& s) { return s.toStdString(); }

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

}  // namespace zul
