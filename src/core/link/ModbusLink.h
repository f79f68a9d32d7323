#pragma once
// The one way to the controller: builds a Modbus RTU request, runs the
// transaction with its two retry stages, and turns every outcome into one
// integer result code. ShowError turns a code into the message the user sees.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "core/Interaction.h"
#include "core/link/Clock.h"
#include "core/link/FrameTrace.h"
#include "core/link/SerialLine.h"

namespace zul {

// Result codes of ModbusLink::Request beyond controller exception codes.
enum ResultCode : int {
  kResultOk = 0,
  kResultBadFunction = 1,
  kResultBusy = 6,
  kResultReceiveError = 128,
  kResultTimeout = 129,
  kResultNoAnswer = 130,
  kResultChecksum = 131,
  kResultCannotOpen = 132,
  kResultPortNotSetUp = 133,
  kResultPortOffFailure = 134,
  kResultPortFailure = 135,
  kResultPortClosed = 256,
  kResultNoAccess = 257,  // a writing request refused without full access; nothing was sent
};

inline constexpr size_t kAnswerBufferSize = 260;  // 255 data bytes + 5
inline constexpr int kFrameBufferSize = 3000;
inline constexpr int kMaxRequestData = kFrameBufferSize - 4;
inline constexpr int kBroadcastFunction = 70;
inline constexpr uint8_t kBlockReadFunction = 68;

inline constexpr const char* kPortDisconnectedText =
    "COM-порт отключен. Проверьте оборудование, перезапустите программу.";

bool IsAllowedFunction(uint8_t function);
// Functions that change something in a controller: 5, 6, 15, 16, 69, 70.
bool IsWritingFunction(uint8_t function);

// The baud rates a port can be set to (110 .. 115200).
bool IsSupportedBaudRate(int baud);

// The silence that ends an answer once it has begun: the longer of 50 ms and
// 20 character times (11 bits each) at `baud`.
int AutomaticByteTimeoutMs(int baud);

// Accepts Windows names ("COM3", "com3") and the platform's serial device
// names and paths (ttyUSB0, /dev/ttyS0, a pseudo-terminal path or symlink);
// never a network name (core/link/NetworkPort.h), which OpenPort takes as well.
bool IsSerialPortName(const std::string& name);

// The first `count` bytes of `bytes`, no more than it holds; none for a
// negative count. Block lengths come from configuration fields and may be off.
inline std::span<const uint8_t> LeadingBytes(std::span<const uint8_t> bytes, int count) {
  return bytes.first(std::min(static_cast<size_t>(std::max(count, 0)), bytes.size()));
}

// The bytes a block sends, as its length field counts them: the field
// includes the block-number byte, so the bytes are one fewer.
inline std::span<const uint8_t> BlockPayload(std::span<const uint8_t> bytes, int lengthField) {
  return LeadingBytes(bytes, lengthField - 1);
}

class ModbusLink {
 public:
  ModbusLink(SerialLine& line, Clock& clock, Interaction& ui);

  // deviceIndex is 0-based (address = index + 1). The answer (or whatever part
  // of it arrived) is copied to the front of `answer`, as much as fits.
  int Request(int deviceIndex, uint8_t function, std::span<const uint8_t> data, std::span<uint8_t> answer);

  // The one gate every write to a controller passes: writing functions go out
  // only while the bound access level is full. Unbound, the link writes
  // nothing. The owner binds the level it keeps (the configuration's).
  void BindAccessLevel(const int* level) { accessLevel_ = level; }
  // Told of every block a controller confirmed storing (its bytes after the
  // block number), so that the owner's controller image follows every write.
  using StoredBlockHook = std::function<void(int deviceIndex, int block, std::span<const uint8_t> bytes)>;
  void OnBlockStored(StoredBlockHook hook) { storedHook_ = std::move(hook); }
  bool MayWrite() const;
  // MayWrite, showing the refusal when there is one (on the link's own Interaction:
  // procedures on the link's thread use these two).
  bool CheckWriteAccess();
  void ShowError(int deviceIndex, int resultCode);
  // The same for a caller on another thread than the link's: the message goes
  // to the caller's Interaction and the line is left alone.
  bool CheckWriteAccess(Interaction& ui) const;
  void ShowError(Interaction& ui, int deviceIndex, int resultCode) const;
  // Where the link's messages go from now on; returns where they went before.
  // An exchange on a worker thread hands the link its own Interaction.
  Interaction& SetInteraction(Interaction& ui);
  // The text ShowError shows (empty for 0); also used by the command line.
  std::string ErrorText(int deviceIndex, int resultCode) const;

  // Waits at least `ms` milliseconds; returns the milliseconds that passed.
  int Pause(int ms);

  // Store-and-confirm of one configuration block: function 69, then function-14
  // polls until the controller has stored it. Failures are shown to the user.
  bool WriteBlock(int deviceIndex, uint8_t block, std::span<const uint8_t> bytes);

  // Every frame goes to `observer` too (nullptr: none); it must outlive the link or be detached.
  void SetFrameObserver(FrameObserver* observer) { trace_.SetObserver(observer); }

  int OpenPort();  // 0 or -1
  void ClosePort();
  bool IsPortOpen() const { return line_.IsOpen(); }
  std::vector<std::string> AvailablePorts() const { return line_.AvailablePorts(); }

  unsigned GetRepeat1() const { return Repeat1; }
  void SetRepeat1(unsigned v) { Repeat1 = v; }
  unsigned GetRepeat2() const { return Repeat2; }
  void SetRepeat2(unsigned v) { Repeat2 = v; }
  unsigned GetDelayBeforeRequest() const { return DelayBeforeRequest; }
  void SetDelayBeforeRequest(unsigned v) { DelayBeforeRequest = v; }
  // The pause after a try that failed, before the next request (a late answer
  // must not become the head of the next one). A line scan needs none after silence.
  int GetPauseAfterFailedTry() const { return pauseAfterFailedTryMs_; }
  void SetPauseAfterFailedTry(int ms) { pauseAfterFailedTryMs_ = ms < 0 ? 0 : ms; }
  int GetDelayBeforeReceive() const { return DelayBeforeReceive; }
  void SetDelayBeforeReceive(int v) { DelayBeforeReceive = v; }
  // 0 (the default) follows the baud rate, see AutomaticByteTimeoutMs.
  int GetByteTimeout() const { return ByteTimeout; }
  void SetByteTimeout(int ms) { ByteTimeout = ms < 0 ? 0 : ms; }
  int EffectiveByteTimeoutMs() const;

  const std::string& GetBaudText() const { return BaudText; }
  void SetBaudText(const std::string& v) { BaudText = v; }
  const std::string& GetParityText() const { return ParityText; }
  void SetParityText(const std::string& v) { ParityText = v; }
  const std::string& GetStopBitsText() const { return StopBitsText; }
  void SetStopBitsText(const std::string& v) { StopBitsText = v; }
  const std::string& GetPortName() const { return PortName; }
  void SetPortName(const std::string& v) { PortName = v; }

  // What the last exchange looked like.
  int GetFrameLen() const { return FrameLen; }
  int GetDataCount() const { return DataCount; }
  int GetAnswerLen() const { return AnswerLen; }
  int GetAnswerCount() const { return AnswerCount; }
  // Bytes of the last answer that actually arrived (head and body).
  int GetReceivedCount() const { return received_; }

  // How long WriteBlock keeps polling a controller that keeps saying it is busy.
  static constexpr int kBusyGiveUpMs = 60000;

 private:
  int Transact(uint8_t function);
  int ReadHead(uint8_t function);
  int ReadBody();
  bool AnswerFitsRequest(uint8_t function) const;
  void CopyAnswer(std::span<uint8_t> answer) const;
  void ShowPortFailure();

  SerialLine& line_;
  Clock& clock_;
  Interaction* ui_;
  FrameTrace trace_;

  int FrameLen = 0;
  int DataCount = 0;
  int AnswerLen = 0;
  int AnswerCount = 0;
  unsigned Repeat1 = 5;
  unsigned Repeat2 = 10;
  unsigned DelayBeforeRequest = 25;
  int DelayBeforeReceive = 20;
  int ByteTimeout = 0;
  std::string BaudText = "9600";
  std::string ParityText = "N";
  std::string StopBitsText = "2";
  std::string PortName = "COM1";  // any length: platform names are longer than COM1

  std::array<uint8_t, kFrameBufferSize> frame_{};
  std::array<uint8_t, kFrameBufferSize> rx_{};
  int received_ = 0;
  int pauseAfterFailedTryMs_ = 300;
  const int* accessLevel_ = nullptr;
  StoredBlockHook storedHook_;
};

}  // namespace zul
