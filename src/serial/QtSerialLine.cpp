#include "serial/QtSerialLine.h"

#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <algorithm>

#include "core/link/ModbusLink.h"
#include "core/link/NetworkPort.h"
#include "serial/ReadWithLimits.h"

namespace zul {

QtSerialLine::QtSerialLine() {
  port_.setDataBits(QSerialPort::Data8);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  tcp_.ThreadObject()->setParent(&port_);
}

QtSerialLine::~QtSerialLine() { port_.close(); }

void QtSerialLine::SetPortName(const std::string& name) {
  const auto network = ParseNetworkPortName(name);
  if (network_ && network_->IsOpen()) network_->Close();
  network_ = !network                                            ? nullptr
             : network->transport == NetworkTransport::ModbusTcp ? static_cast<SerialLine*>(&mbap_)
                                                                 : &tcp_;
  if (network_) {
    port_.close();
    network_->SetPortName(name);
    return;
  }
  port_.setPortName(QString::fromStdString(name));
}

void QtSerialLine::SetBaudRate(int baud) { port_.setBaudRate(baud); }

void QtSerialLine::SetParity(Parity parity) {
  port_.setParity(parity == Parity::Even  ? QSerialPort::EvenParity
                  : parity == Parity::Odd ? QSerialPort::OddParity
                                          : QSerialPort::NoParity);
}

void QtSerialLine::SetStopBits(int stopBits) {
  port_.setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
}

bool QtSerialLine::Open() {
  if (network_) return network_->Open();
  port_.close();
  port_.clearError();
  if (!port_.open(QIODevice::ReadWrite)) return false;
  // Converters take DTR/RTS as a direction switch: keep them inactive. A
  // pseudo-terminal has neither line, so failures here mean nothing.
  port_.setDataTerminalReady(false);
  port_.setRequestToSend(false);
  port_.clearError();
  return true;
}

bool QtSerialLine::Close() {
  if (network_) network_->Close();
  port_.close();
  return true;
}

bool QtSerialLine::IsOpen() const { return network_ ? network_->IsOpen() : port_.isOpen(); }

bool QtSerialLine::Failed() const {
  auto e = port_.error();
  return e != QSerialPort::NoError && e != QSerialPort::TimeoutError;
}

bool QtSerialLine::Purge() {
  if (network_) return network_->Purge();
  port_.clearError();
  port_.readAll();  // bytes Qt already took from the driver
  return port_.clear(QSerialPort::AllDirections) || !Failed();
}

bool QtSerialLine::Write(std::span<const uint8_t> bytes) {
  if (network_) return network_->Write(bytes);
  const size_t count = bytes.size();
  qint64 written = port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(count));
  if (written != static_cast<qint64>(count)) return false;
  // No write time-out of our own; this only bounds a dead driver.
  const int limitMs = 5000 + static_cast<int>(count);
  QElapsedTimer timer;
  timer.start();
  while (port_.bytesToWrite() > 0) {
    if (!port_.waitForBytesWritten(limitMs) && (Failed() || timer.elapsed() >= limitMs)) return false;
  }
  return true;
}

int QtSerialLine::Read(std::span<uint8_t> buffer, int byteTimeoutMs, bool answerBegun) {
  if (network_) return network_->Read(buffer, byteTimeoutMs, answerBegun);
  if (!port_.isOpen()) return -kResultPortClosed;
  const ReadLimits limits{ReadTotalTimeoutMs(buffer.size()), byteTimeoutMs, answerBegun, answerLimitMs_};
  return ReadWithLimits(port_, buffer, limits,
                        [this] { return Failed() ? LineState::Failed : LineState::Fine; });
}

std::vector<std::string> QtSerialLine::AvailablePorts() const { return ListPorts(); }

std::vector<std::string> QtSerialLine::ListPorts() {
  std::vector<std::string> names;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    names.push_back(info.portName().toStdString());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zul
