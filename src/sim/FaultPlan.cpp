#include "sim/FaultPlan.h"

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

Reply FaultPlan::Apply(int number, std::vector<uint8_t> answer) {
  bool drop = Hits(settings_.drop, number) || settings_.silent;
  bool cut = Hits(settings_.cut, number);
  bool badCrc = Hits(settings_.badCrc, number);
  bool late = Hits(settings_.late, number);

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
  }
  reply.bytes = std::move(answer);
  return reply;
}

}  // namespace zul
