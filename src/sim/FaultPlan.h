#pragma once
// Faults a simulated controller puts on its answers, chosen per request
// (numbered from 1 for each controller) either on a list of request numbers
// or with a probability from a seeded generator, so a run can be repeated
// exactly. When several faults are chosen for one request the first of
// drop, short, bad CRC, late, exception, noisy function, other address,
// other block wins.
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace zul {

enum class FaultKind { None, Drop, Short, BadCrc, Late, Exception, NoisyFunction, OtherAddress, OtherBlock };

// How an answer is cut short: the first two bytes only (the head does not
// arrive whole), the three head bytes only, or half of the answer.
enum class ShortMode { Partial, Head, Body };

const char* FaultName(FaultKind kind);

struct FaultRule {
  double probability = 0.0;
  std::set<int> requests;  // 1-based request numbers
  bool Active() const { return probability > 0.0 || !requests.empty(); }
};

struct FaultSettings {
  FaultRule drop, cut, badCrc, late;
  // Answers that arrive whole yet are not what was asked for:
  FaultRule exception;      // the request is not acted on; exception `exceptionCode` answers it
  FaultRule noisyFunction;  // bit 7 of the function byte flipped, CRC left as it was
  FaultRule otherAddress;   // sent from the next address, with a good CRC
  FaultRule otherBlock;     // a block read serves the next block, its number and bytes
  int exceptionCode = 6;
  ShortMode shortMode = ShortMode::Body;
  int lateMs = 1500;
  bool silent = false;  // never answers
  uint64_t seed = 1;
};

// An answer as it leaves the controller.
struct Reply {
  std::vector<uint8_t> bytes;  // empty: nothing is sent
  int delayMs = 0;             // extra wait before the first byte
  FaultKind fault = FaultKind::None;
};

class FaultPlan {
 public:
  explicit FaultPlan(const FaultSettings& settings) : settings_(settings), random_(settings.seed) {}

  // The faults decided before the controller hears request `number`:
  // Exception (it does not act on it), OtherBlock, or None.
  FaultKind Before(int number);
  // Picks the fault for request `number` and applies it to the answer.
  Reply Apply(int number, std::vector<uint8_t> answer);

  const FaultSettings& Settings() const { return settings_; }

 private:
  bool Hits(const FaultRule& rule, int number);
  bool HitsIfSet(const FaultRule& rule, int number);

  FaultSettings settings_;
  std::mt19937_64 random_;
};

}  // namespace zul
