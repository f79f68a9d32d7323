#pragma once
// Reading the whole configuration of one controller (F9, "Ввод с СОМ-порта"):
// the identity, then every block in the controller's order, each handed to its
// owner's loader, with a reference copy of each kept in reserveBlocks.
//
// Usage (GUI, CLI, tests alike):
//   ReadResult r = ReadConfiguration(port, config, ui);
//   if (r.ok) { refresh the module table, enable the editors }
//
// Requests go to config.service.CurrentDevice. Every failure ends the read at
// once after its message was shown through `ui` (the link's ShowError, or the
// block message for exception 5 on a record, regulator or text block); the
// blocks read so far stay in the objects, as the editors expect. Progress goes
// to ui.Progress as "request n of the planned requests" (the plan grows by the
// regulator and sensor blocks once the identity is known) and is hidden
// (maximum 0) at the end. When ui.StopRequested() says so, the read ends
// between two requests with ReadStep::Stopped and no message. The
// configuration is left in device mode (service.FileMode = 0) whatever happens.
#include <cstdint>
#include <string>

namespace zul {

class Interaction;
class ModbusLink;
struct Configuration;

// Which part of the read a failure happened in.
enum class ReadStep {
  None,      // nothing failed
  Identity,  // function 17
  Block,     // a function-68 block (ReadResult::block says which)
  Stopped,   // the user stopped the read before `block` (no message shown)
};

struct ReadResult {
  bool ok = false;
  ReadStep failedStep = ReadStep::None;
  int block = 0;       // block number of the failed request (Block only)
  int resultCode = 0;  // the link's result code of the failed request
  // The controller refused function-block page 6 with exception 3: it keeps
  // 60 function blocks. The read is complete all the same (TableSize 60).
  bool sixtyFunctionBlocks = false;
  int requests = 0;  // function-68/17 requests sent (one per block)

  // One line for logs and the command line: "прочитано" or what failed.
  std::string Describe() const;
};

// Message of the device-block exception 5, e.g.
// "устройство 1   дискр блок № 14  ошибка обмена 05".
std::string BlockExchangeErrorText(int deviceIndex, int block, int code);

inline constexpr const char* kSixtyFunctionBlocksText = "Прибор  на 60 ФБ";

ReadResult ReadConfiguration(ModbusLink& port, Configuration& config, Interaction& ui);

}  // namespace zul
