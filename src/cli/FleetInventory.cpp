#include "cli/FleetInventory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <set>

#include "core/link/ModbusLink.h"
#include "core/link/NetworkPort.h"

namespace zul::cli {
namespace {

// A line's name becomes a folder name: nothing that could leave the folder.
bool IsGoodName(const QString& name) {
  static const QRegularExpression pattern("^[A-Za-z0-9_][A-Za-z0-9._-]{0,63}$");
  return pattern.match(name).hasMatch();
}

bool AddAddresses(const QString& text, std::vector<int>& devices) {
  for (const QString& item : text.split(',')) {
    const QStringList range = item.split('-');
    bool okFrom = false, okTo = range.size() == 1;
    const int from = range.front().toInt(&okFrom);
    const int to = range.size() == 2 ? range.back().toInt(&okTo) : from;
    if (!okFrom || !okTo || range.size() > 2 || from < 1 || to > 31 || from > to) return false;
    for (int a = from; a <= to; ++a) devices.push_back(a);
  }
  return true;
}

bool SetSetting(FleetLine& line, const QString& key, const QString& value) {
  bool ok = true;
  if (key == "baud") {
    line.options.baud = value;
    value.toInt(&ok);
  } else if (key == "parity") {
    line.options.parity = value;
    ok = value == "N" || value == "O" || value == "E";
  } else if (key == "stop") {
    line.options.stopBits = value;
    ok = value == "1" || value == "2";
  } else if (key == "delay") {
    line.options.delayMs = value.toInt(&ok);
    ok = ok && line.options.delayMs >= 0 && line.options.delayMs <= 10000;
  } else {
    return false;
  }
  return ok;
}

// What every line must satisfy, whichever format it came in.
QString Check(const FleetLine& line, const std::set<QString>& names) {
  if (!IsGoodName(line.name)) return "the name '" + line.name + "' is not a folder name (A-Z a-z 0-9 . _ -)";
  if (names.count(line.name)) return "the name '" + line.name + "' is used twice";
  const std::string port = line.options.port.toStdString();
  if (!IsSerialPortName(port) && !IsNetworkPortName(port))
    return "'" + line.options.port + "' is not a port name";
  if (line.devices.empty()) return "no device addresses";
  if (std::set<int>(line.devices.begin(), line.devices.end()).size() != line.devices.size())
    return "an address is listed twice";
  return {};
}

std::optional<std::vector<FleetLine>> ParseJson(const QByteArray& text, QString& error) {
  QJsonParseError parseError;
  const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
  if (document.isNull()) {
    error = "JSON: " + parseError.errorString() + " at offset " + QString::number(parseError.offset);
    return std::nullopt;
  }
  std::vector<FleetLine> lines;
  std::set<QString> names;
  const QJsonArray array = document.object().value("lines").toArray();
  for (qsizetype i = 0; i < array.size(); ++i) {
    const QJsonObject object = array[i].toObject();
    FleetLine line;
    line.name = object.value("name").toString();
    line.options.port = object.value("port").toString();
    QString problem;
    for (const QJsonValue& device : object.value("devices").toArray()) {
      const int address = device.toInt(0);
      if (address < 1 || address > 31) problem = "addresses must be 1..31";
      line.devices.push_back(address);
    }
    for (const char* key : {"baud", "parity", "stop", "delay"}) {
      const QJsonValue value = object.value(key);
      if (value.isUndefined()) continue;
      const QString v = value.isDouble() ? QString::number(value.toInt()) : value.toString();
      if (!SetSetting(line, key, v)) problem = QString("bad %1").arg(key);
    }
    if (problem.isEmpty()) problem = Check(line, names);
    if (!problem.isEmpty()) {
      error = QString("lines[%1]: %2").arg(i).arg(problem);
      return std::nullopt;
    }
    names.insert(line.name);
    lines.push_back(std::move(line));
  }
  if (lines.empty()) {
    error = "JSON: no \"lines\"";
    return std::nullopt;
  }
  return lines;
}

std::optional<std::vector<FleetLine>> ParseText(const QByteArray& text, QString& error) {
  std::vector<FleetLine> lines;
  std::set<QString> names;
  const QStringList rows = QString::fromUtf8(text).split('\n');
  for (qsizetype i = 0; i < rows.size(); ++i) {
    const QString row = rows[i].section('#', 0, 0).trimmed();
    if (row.isEmpty()) continue;
    const QStringList words = row.split(QRegularExpression("\\s+"));
    FleetLine line;
    QString problem;
    if (words.size() < 3) {
      problem = "NAME PORT ADDRESSES expected";
    } else {
      line.name = words[0];
      line.options.port = words[1];
      if (!AddAddresses(words[2], line.devices)) problem = "addresses must be like 1,2,5-7 within 1..31";
      for (qsizetype w = 3; w < words.size() && problem.isEmpty(); ++w) {
        const QString key = words[w].section('=', 0, 0);
        if (!words[w].contains('=') || !SetSetting(line, key, words[w].section('=', 1)))
          problem = "bad setting '" + words[w] + "'";
      }
    }
    if (problem.isEmpty()) problem = Check(line, names);
    if (!problem.isEmpty()) {
      error = QString("line %1: %2").arg(i + 1).arg(problem);
      return std::nullopt;
    }
    names.insert(line.name);
    lines.push_back(std::move(line));
  }
  if (lines.empty()) {
    error = "no lines";
    return std::nullopt;
  }
  return lines;
}

}  // namespace

std::optional<std::vector<FleetLine>> ParseInventory(const QByteArray& text, QString& error) {
  return text.trimmed().startsWith('{') ? ParseJson(text, error) : ParseText(text, error);
}

}  // namespace zul::cli
