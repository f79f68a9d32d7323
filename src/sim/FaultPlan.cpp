#include "sim/FaultPlan.h"

#include "core/link/Crc16.h"

namespace zul {

const char* FaultName(FaultKind kind) {
  switch (kind) {
    case FaultKind::Drop:
      return "drop";
    case FaultKind::Short:
      return "short";
    case FaultKind::BadCrc:
      return "badcrc";
    case FaultKind::Late:
      return "late";
    case FaultKind::Exception:
      return "exception";
    case FaultKind::NoisyFunction:
      return "noisyfunction";
    case FaultKind::OtherAddress:
      return "otheraddress";
    case FaultKind::OtherBlock:
      return "otherblock";
    case FaultKind::None:
      break;
  }
  return "none";
}

bool FaultPlan::Hits(const FaultRule& rule, int number) {
  // One draw per rule and request whatever happens, so that the faults of a
  // seed do not shift when another rule is added.
  double draw = std::uniform_real_distribution<double>(0.0, 1.0)(random_);
  return rule.requests.count(number) > 0 || draw < rule.probability;
}

// The rules added later draw only when set, so the faults of a seed stay as they were.
bool FaultPlan::HitsIfSet(const FaultRule& rule, int number) { return rule.Active() && Hits(rule, number); }

FaultKind FaultPlan::Before(int number) {
  const bool exception = HitsIfSet(settings_.exception, number);
  const bool otherBlock = HitsIfSet(settings_.otherBlock, number);
  if (exception) return FaultKind::Exception;
  return otherBlock ? FaultKind::OtherBlock : FaultKind::None;
}

Reply FaultPlan::Apply(int number, std::vector<uint8_t> answer) {
  bool drop = Hits(settings_.drop, number) || settings_.silent;
  bool cut = Hits(settings_.cut, number);
  bool badCrc = Hits(settings_.badCrc, number);
  bool late = Hits(settings_.late, number);
  bool noisyFunction = HitsIfSet(settings_.noisyFunction, number);
  bool otherAddress = HitsIfSet(settings_.otherAddress, number);

  Reply reply;
  if (answer.empty()) return reply;
  if (drop) {
    reply.fault = FaultKind::Drop;
    return reply;
  }
  if (cut) {
    size_t keep = settings_.shortMode == ShortMode::Partial ? 2
                  : settings_.shortMode == ShortMode::Head  ? 3
                                                            : answer.size() / 2;
    if (keep >= answer.size()) keep = answer.size() - 1;
    answer.resize(keep);
    reply.fault = FaultKind::Short;
  } else if (badCrc) {
    answer.back() ^= 0x5A;
    reply.fault = FaultKind::BadCrc;
  } else if (late) {
    reply.delayMs = settings_.lateMs;
    reply.fault = FaultKind::Late;
  } else if (noisyFunction && answer.size() >= 2) {
    answer[1] ^= 0x80;
    reply.fault = FaultKind::NoisyFunction;
  } else if (otherAddress) {
    answer[0] = static_cast<uint8_t>(answer[0] % 31 + 1);
    AppendCrc(answer);
    reply.fault = FaultKind::OtherAddress;
  }
  reply.bytes = std::move(answer);
  return reply;
}

}  // namespace zul
