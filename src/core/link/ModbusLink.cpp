#include "core/link/ModbusLink.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/config/AccessLevel.h"
#include "core/link/Crc16.h"
#include "core/link/NetworkPort.h"

namespace zul {
namespace {

constexpr std::array<uint8_t, 18> kAllowedFunctions = {1,  2,  3,  4,  5,  6,  14, 15, 16,
                                                       17, 18, 66, 67, 68, 69, 70, 71, 100};
constexpr std::array<int, 13> kBaudRates = {110,   300,   600,   1200,  2400,  4800,  9600,
                                            14400, 19200, 38400, 56000, 57600, 115200};

constexpr int kPauseAfterStoreMs = 300;
constexpr int kPauseBetweenPollsMs = 200;

[[maybe_unused]] bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// An exception answer to the store request (function 69 with bit 7 set),
// whatever its code: the block was not taken. Even "busy" here means the
// controller did not take this block; only the poll's busy means "storing".
bool IsStoreRefused(int result, const uint8_t* answer) {
  return result != kResultOk && answer[1] == (69 | 0x80);
}

bool ParseInt(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end && !text.empty();
}

// Result of a read that came back short: nothing, some, or a port error.
int ShortReadResult(int got) {
  if (got < 0) return -got;
  return got == 0 ? kResultNoAnswer : kResultTimeout;
}

}  // namespace

bool IsSupportedBaudRate(int baud) {
  return std::find(kBaudRates.begin(), kBaudRates.end(), baud) != kBaudRates.end();
}

bool IsAllowedFunction(uint8_t function) {
  return std::find(kAllowedFunctions.begin(), kAllowedFunctions.end(), function) != kAllowedFunctions.end();
}

bool IsWritingFunction(uint8_t function) {
  switch (function) {
    case 5:
    case 6:
    case 15:
    case 16:
    case 69:
    case kBroadcastFunction:
      return true;
    default:
      return false;
  }
}

int AutomaticByteTimeoutMs(int baud) {
  constexpr int kMinimumMs = 50;
  constexpr int kCharacters = 20;
  if (baud <= 0) return kMinimumMs;
  const int charactersMs = (kCharacters * 11 * 1000 + baud - 1) / baud;
  return std::max(kMinimumMs, charactersMs);
}

bool IsSerialPortName(const std::string& name) {
  if (name.find("://") != std::string::npos) return false;  // tcp://..., even a host named *com*
  if (name.find("COM") != std::string::npos || name.find("com") != std::string::npos) return true;
#ifdef _WIN32
  return false;
#else
  if (name.size() > 1 && name[0] == '/') return true;
  return StartsWith(name, "tty") || StartsWith(name, "cu.") || StartsWith(name, "rfcomm") ||
         StartsWith(name, "pts/");
#endif
}

ModbusLink::ModbusLink(SerialLine& line, Clock& clock, Interaction& ui)
    : line_(line), clock_(clock), ui_(&ui) {}

Interaction& ModbusLink::SetInteraction(Interaction& ui) {
  Interaction& before = *ui_;
  ui_ = &ui;
  return before;
}

int ModbusLink::Request(int deviceIndex, uint8_t function, std::span<const uint8_t> data,
                        std::span<uint8_t> answer) {
  const int dataCount = static_cast<int>(std::min(data.size(), size_t{kMaxRequestData} + 1));
  DataCount = dataCount;
  FrameLen = dataCount + 4;
  received_ = 0;
  if (!IsAllowedFunction(function)) return kResultBadFunction;
  // A request that does not fit the frame buffer cannot be sent; callers never build one.
  if (dataCount > kMaxRequestData) return kResultBadFunction;
  if (IsWritingFunction(function) && !MayWrite()) return kResultNoAccess;

  frame_[0] = function == kBroadcastFunction ? 0 : static_cast<uint8_t>(deviceIndex + 1);
  frame_[1] = function;
  std::copy(data.begin(), data.end(), frame_.begin() + 2);
  AppendCrc(std::span(frame_).first(static_cast<size_t>(FrameLen)));

  if (!line_.IsOpen()) return kResultPortClosed;
  int result = Transact(function);
  CopyAnswer(answer);
  return result;
}

int ModbusLink::Transact(uint8_t function) {
  unsigned stage1 = Repeat1;
  unsigned stage2 = Repeat2;
  for (bool retry = false;; retry = true) {
    Pause(static_cast<int>(DelayBeforeRequest));
    // Purge after the pause: the checksum of an exception answer, or the tail
    // of a late answer, may still arrive during it and must not become the
    // head of the next answer.
    if (!line_.Purge()) {
      ShowPortFailure();
      return kResultPortFailure;
    }
    const auto frame = std::span(frame_).first(static_cast<size_t>(FrameLen));
    trace_.Sent(clock_.NowMs(), frame);
    trace_.Request(clock_.NowMs(), frame, retry);
    if (!line_.Write(frame)) {
      ShowPortFailure();
      return kResultPortFailure;
    }
    if (function == kBroadcastFunction) return kResultOk;

    received_ = 0;
    const int head = ReadHead(function);
    // An exception answer has its checksum read too: a noise hit on the
    // function byte must not pass for the controller's refusal.
    const int body = head >= 0 ? ReadBody() : kResultOk;
    trace_.Answer(clock_.NowMs(), std::span(rx_).first(static_cast<size_t>(received_)),
                  head < 0            ? -head
                  : body != kResultOk ? body
                                      : head);
    if (head < 0) {
      Pause(pauseAfterFailedTryMs_);
      if (--stage1 == 0) return -head;
      continue;
    }
    stage1 = Repeat1;

    if (body != kResultOk) {
      Pause(pauseAfterFailedTryMs_);
      if (--stage2 == 0) return body;
      continue;
    }
    return head;  // 0, or the controller's exception code
  }
}

// 0: a good head, read on; > 0: an exception code to return; < 0: a failed
// stage-1 try whose result is the negated value.
int ModbusLink::ReadHead(uint8_t function) {
  int got = line_.Read(std::span(rx_).first(3), EffectiveByteTimeoutMs(), false);
  received_ = std::max(got, 0);
  trace_.Received(clock_.NowMs(), std::span(rx_).first(static_cast<size_t>(received_)));
  if (got < 3) return -ShortReadResult(got);

  AnswerCount = rx_[2];
  if (function == 5 || function == 6 || function == 14)
    AnswerLen = FrameLen;  // an echo of the request
  else if (function == 15 || function == 16)
    AnswerLen = 8;
  else
    AnswerLen = rx_[2] + 5;

  // An answer from another address is not the answer to this request.
  // Some other function byte: line noise or another device. The text of 128
  // ("ошибка приема данных") describes this end best.
  if (rx_[0] != frame_[0]) return -kResultReceiveError;
  if (rx_[1] == function) return 0;
  if (rx_[1] == (function | 0x80)) {
    if (rx_[2] == 0) return 0;  // exception 0 is no exception
    AnswerLen = 5;              // code and checksum
    return rx_[2];
  }
  return -kResultReceiveError;
}

// An answer with a good checksum that still is not the answer to this
// request: an echo that differs from the request, or a block answer without
// the requested block's number.
bool ModbusLink::AnswerFitsRequest(uint8_t function) const {
  // An exception: code and checksum only. Exception 0 is no exception, but it
  // carries nothing, so it cannot be an echo.
  if (rx_[1] != function) return rx_[2] != 0 || (function != 5 && function != 6 && function != 14);
  if (function == 5 || function == 6 || function == 14)
    return std::equal(rx_.begin(), rx_.begin() + AnswerLen, frame_.begin());
  if (function == kBlockReadFunction) return DataCount >= 1 && AnswerCount >= 1 && rx_[3] == frame_[2];
  return true;
}

int ModbusLink::ReadBody() {
  int need = AnswerLen - 3;
  // The head has arrived: a silence now means a cut answer, not a slow one.
  int got = line_.Read(std::span(rx_).subspan(3, static_cast<size_t>(need)), EffectiveByteTimeoutMs(), true);
  received_ = 3 + std::max(got, 0);
  trace_.Received(clock_.NowMs(), std::span(rx_).subspan(3, static_cast<size_t>(std::max(got, 0))));
  // Once the head is in, a missing body is a cut answer: a time-out, not silence.
  if (got < need) return got < 0 ? -got : kResultTimeout;
  if (!CrcMatches(std::span(rx_).first(static_cast<size_t>(AnswerLen)))) return kResultChecksum;
  return AnswerFitsRequest(frame_[1]) ? kResultOk : kResultReceiveError;
}

void ModbusLink::CopyAnswer(std::span<uint8_t> answer) const {
  const size_t count = std::min(static_cast<size_t>(received_), answer.size());
  std::copy_n(rx_.begin(), count, answer.begin());
}

int ModbusLink::EffectiveByteTimeoutMs() const {
  if (ByteTimeout > 0) return ByteTimeout;
  int baud = 0;
  return AutomaticByteTimeoutMs(ParseInt(BaudText, baud) ? baud : 0);
}

bool ModbusLink::MayWrite() const { return accessLevel_ != nullptr && *accessLevel_ == kFullAccess; }

bool ModbusLink::CheckWriteAccess() { return CheckWriteAccess(*ui_); }

bool ModbusLink::CheckWriteAccess(Interaction& ui) const {
  if (MayWrite()) return true;
  ShowError(ui, 0, kResultNoAccess);
  return false;
}

void ModbusLink::ShowPortFailure() {
  const std::string reason = line_.FailureReason();
  ui_->Show(kCaptionError, reason.empty() ? kPortDisconnectedText : kPortDisconnectedText + ("\n" + reason),
            Icon::Error);
}

int ModbusLink::Pause(int ms) {
  const int64_t start = clock_.NowMs();
  int64_t elapsed = 0;
  while (elapsed < ms) {
    clock_.SleepMs(ms - elapsed);
    elapsed = clock_.NowMs() - start;
  }
  return static_cast<int>(elapsed);
}

std::string ModbusLink::ErrorText(int deviceIndex, int resultCode) const {
  const std::string device = "устройство " + std::to_string(deviceIndex + 1) + " " + PortName;
  switch (resultCode) {
    case kResultOk:
      return {};
    case kResultBusy:
      return device + " Идет запись базы данных. Ждите.";
    case kResultReceiveError:
      return device + " ошибка приема данных ";
    case kResultTimeout:
      return device + " тайм-аут приема данных";
    case kResultNoAnswer:
      return device + " не отвечает на запрос";
    case kResultChecksum:
      return device + " ошибка контрольной суммы";
    case kResultCannotOpen:
      return " невозможно открыть последовательный порт ";
    case kResultPortNotSetUp:
      return "вероятно, порт не настроен";
    case kResultPortOffFailure:
      return "сбой настройки порта при выключении прибора";
    case kResultPortFailure:
      return "ошибка настройки порта";
    case kResultPortClosed:
      return "Не выбран COM-порт.";
    case kResultNoAccess:
      return kNoWriteAccessText;
    default: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(resultCode));
      return device + " ошибка обмена " + hex;
    }
  }
}

void ModbusLink::ShowError(int deviceIndex, int resultCode) {
  if (resultCode == kResultPortClosed) ClosePort();
  ShowError(*ui_, deviceIndex, resultCode);
}

void ModbusLink::ShowError(Interaction& ui, int deviceIndex, int resultCode) const {
  if (resultCode == kResultOk) return;
  const bool isError = resultCode >= kResultPortNotSetUp && resultCode <= kResultPortFailure;
  const bool error = isError || resultCode == kResultPortClosed;
  ui.Show(error ? kCaptionError : kCaptionWarning, ErrorText(deviceIndex, resultCode),
          error ? Icon::Error : Icon::Warning);
}

bool ModbusLink::WriteBlock(int deviceIndex, uint8_t block, std::span<const uint8_t> bytes) {
  if (!CheckWriteAccess()) return false;
  bytes = LeadingBytes(bytes, kMaxRequestData - 1);
  std::vector<uint8_t> data;
  data.reserve(bytes.size() + 1);
  data.push_back(block);
  data.insert(data.end(), bytes.begin(), bytes.end());
  std::array<uint8_t, kAnswerBufferSize> answer{};

  unsigned tries = Repeat1;
  for (;;) {
    answer.fill(0);  // nothing of an earlier answer may pass for this one
    const int stored = Request(deviceIndex, 69, data, answer);
    if (IsStoreRefused(stored, answer.data())) {
      // The controller said outright that it did not take the block: polling
      // would only hear that nothing is pending and call it stored.
      Pause(kPauseBetweenPollsMs);
      if (--tries == 0) {
        ShowError(deviceIndex, stored);
        return false;
      }
      continue;
    }
    Pause(kPauseAfterStoreMs);  // a lost or garbled store answer is judged by the polls

    int result;
    int64_t busySince = -1;
    while ((result = Request(deviceIndex, 14, {}, answer)) == kResultBusy) {
      // Busy while it stores; but a controller stuck busy must not hang us.
      const int64_t now = clock_.NowMs();
      if (busySince < 0) busySince = now;
      if (now - busySince >= kBusyGiveUpMs) {
        ShowError(deviceIndex, kResultBusy);
        return false;
      }
      Pause(kPauseBetweenPollsMs);
    }
    if (result == kResultOk) {
      if (storedHook_) storedHook_(deviceIndex, block, bytes);
      return true;
    }
    if (result == 7 || result == kResultNoAnswer ||
        (result >= kResultCannotOpen && result <= kResultPortFailure)) {
      ShowError(deviceIndex, result);
      return false;
    }
    Pause(kPauseBetweenPollsMs);
    if (--tries == 0) {
      ShowError(deviceIndex, result);
      return false;
    }
  }
}

int ModbusLink::OpenPort() {
  if (!line_.Close()) {
    ShowPortFailure();
    return -1;
  }

  int baud = 0;
  if (!ParseInt(BaudText, baud) || !IsSupportedBaudRate(baud)) return -1;
  line_.SetBaudRate(baud);

  switch (ParityText.empty() ? '\0' : ParityText[0]) {
    case 'E':
      line_.SetParity(Parity::Even);
      break;
    case 'N':
      line_.SetParity(Parity::None);
      break;
    case 'O':
      line_.SetParity(Parity::Odd);
      break;
    default:
      return -1;
  }

  int stopBits = 0;
  if (!ParseInt(StopBitsText, stopBits) || (stopBits != 1 && stopBits != 2)) return -1;
  line_.SetStopBits(stopBits);

  if (!IsSerialPortName(PortName) && !IsNetworkPortName(PortName)) return -1;
  line_.SetPortName(PortName);
  if (!line_.Open()) {
    ShowPortFailure();
    return -1;
  }
  return line_.IsOpen() ? 0 : -1;
}

void ModbusLink::ClosePort() { line_.Close(); }

}  // namespace zul
