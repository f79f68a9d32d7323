// Every block loader fed with arbitrary answer payloads: a whole read from a
// controller whose every answer is well framed (address, function, byte count,
// checksum) but carries whatever the fuzzer chose, or an exception; then
// everything the windows and `zul dump` do with what was read. After a whole
// read: every block answer taken was the requested block's; every byte of a
// block past what its answer carried is zero (the saved file holds nothing of
// a frame); and save -> open -> save gives the same bytes.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "ArrivalLine.h"
#include "ConfigurationUse.h"
#include "core/ScriptedInteraction.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/link/Crc16.h"
#include "core/link/ModbusLink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zul;
  using namespace zul::fuzz;
  FuzzInput in(data, size);
  VirtualClock clock;
  ArrivalLine line(clock);
  line.answer = [&in](const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> answer = {frame[0], frame[1]};
    const uint8_t count = in.Byte();
    if (count == 0xFF) {
      answer[1] |= 0x80;  // an exception with the code that follows
      answer.push_back(in.Byte());
    } else {
      answer.push_back(count);
      const auto payload = in.Bytes(count);
      answer.insert(answer.end(), payload.begin(), payload.end());
      answer.resize(3 + static_cast<size_t>(count));  // the input ran out: zeros
    }
    answer.resize(answer.size() + 2);
    AppendCrc(answer);
    return std::vector<Piece>{{0, answer}};
  };
  ScriptedInteraction ui;
  ModbusLink port(line, clock, ui);
  port.SetRepeat1(1);
  port.SetRepeat2(1);
  port.SetDelayBeforeRequest(0);
  port.OpenPort();

  // The last answer taken for each block.
  struct Taken : FrameObserver {
    std::vector<uint8_t> request;
    std::map<int, std::vector<uint8_t>> blocks;
    void RequestSent(int64_t, std::span<const uint8_t> bytes, bool) override {
      request.assign(bytes.begin(), bytes.end());
    }
    void AnswerReceived(int64_t, std::span<const uint8_t> bytes, int result) override {
      if (result == kResultOk && request.size() > 2 && request[1] == 68)
        blocks[request[2]].assign(bytes.begin(), bytes.end());
    }
  } taken;
  port.SetFrameObserver(&taken);

  auto c = std::make_unique<Configuration>();
  const ReadResult read = ReadConfiguration(port, *c, ui);
  port.SetFrameObserver(nullptr);
  if (read.ok) {
    const std::vector<uint8_t> file = ZulFileBytes(*c);
    const auto sections = ZulSplit(file.data(), file.size(), ZulLengthsOf(*c)).sections;
    for (const ZulSection& section : ZulFileLayout(ZulLengthsOf(*c))) {
      const auto answer = taken.blocks.find(section.key);
      if (section.key >= kZulDeviceIndex || answer == taken.blocks.end()) continue;
      const std::vector<uint8_t>& a = answer->second;
      Require(a.size() >= 6 && a[3] == section.key);
      const std::vector<uint8_t> saved = ZulSectionToBlock(section, sections.at(section.key));
      const size_t sent = std::min<size_t>(a[2], saved.size());
      Require(std::all_of(saved.begin() + static_cast<std::ptrdiff_t>(sent), saved.end(),
                          [](uint8_t b) { return b == 0; }));
    }
    auto again = std::make_unique<Configuration>();
    LoadZulFileBytes(file, *again);
    Require(ZulFileBytes(*again) == file);
  }
  UseConfiguration(*c);
  return 0;
}
