#include "sim/SimulatedBus.h"

#include "core/link/Crc16.h"

namespace zul {

std::string Hex(const uint8_t* bytes, size_t count) {
  static const char* const kDigits = "0123456789abcdef";
  std::string text;
  text.reserve(2 * count);
  for (size_t i = 0; i < count; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

SimulatedController& SimulatedBus::Add(const ControllerSetup& setup) {
  controllers_.push_back(std::make_unique<SimulatedController>(setup, clock_));
  return *controllers_.back();
}

SimulatedController* SimulatedBus::Find(int address) {
  for (auto& c : controllers_) {
    if (c->Address() == address) return c.get();
  }
  return nullptr;
}

Reply SimulatedBus::Deliver(std::span<const uint8_t> frame) {
  Reply reply;
  const Reception* answering = nullptr;
  Reception reception;
  for (auto& c : controllers_) {
    Reception r = c->Receive(frame);
    if (r.addressed) {
      reception = r;
      answering = &reception;
      reply = r.reply;
    }
  }
  Log(frame, frame.size() >= 4 && CrcMatches(frame), answering, reply);
  return reply;
}

void SimulatedBus::Log(std::span<const uint8_t> frame, bool crcGood, const Reception* by,
                       const Reply& reply) {
  if (!log_) return;
  std::ostream& out = *log_;
  out << "{\"t_ms\":" << clock_.NowMs() - startMs_;
  const size_t count = frame.size();
  out << ",\"address\":" << (count > 0 ? std::to_string(frame[0]) : "null");
  out << ",\"function\":" << (count > 1 ? std::to_string(frame[1]) : "null");
  out << ",\"data\":\"" << (count > 4 ? Hex(frame.data() + 2, count - 4) : "") << "\"";
  out << ",\"crc_ok\":" << (crcGood ? "true" : "false");
  if (by) {
    out << ",\"request\":" << by->request;
    out << ",\"answer\":"
        << (reply.bytes.empty() ? "null" : "\"" + Hex(reply.bytes.data(), reply.bytes.size()) + "\"");
    out << ",\"fault\":"
        << (reply.fault == FaultKind::None ? "null" : std::string("\"") + FaultName(reply.fault) + "\"");
  } else {
    out << ",\"answer\":null";
  }
  out << "}\n";
  out.flush();
}

}  // namespace zul
