#include "sim/Composition.h"

#include "core/config/NewComposition.h"

namespace zul {
namespace {

template <typename Pred>
int CountIf(const std::array<uint8_t, kModuleSlots>& modules, Pred pred) {
  int n = 0;
  for (uint8_t t : modules) n += pred(t) ? 1 : 0;
  return n;
}

template <typename Pred>
int NthSlot(const std::array<uint8_t, kModuleSlots>& modules, int index, Pred pred) {
  for (int s = 0; s < kModuleSlots; ++s) {
    if (pred(modules[s]) && index-- == 0) return s + 1;
  }
  return 0;
}

}  // namespace

int Composition::DiModules() const { return CountIf(modules, IsDiscreteInput); }
int Composition::AiModules() const { return CountIf(modules, IsAnalog); }
int Composition::DoModules() const { return CountIf(modules, IsRelay); }

bool Composition::Has(int type) const {
  for (uint8_t t : modules) {
    if (t == type) return true;
  }
  return false;
}

int Composition::AnalogModuleType(int index) const {
  int slot = AnalogModuleSlot(index);
  return slot == 0 ? 0 : modules[slot - 1];
}

int Composition::DiscreteModuleSlot(int index) const { return NthSlot(modules, index, IsDiscreteInput); }
int Composition::AnalogModuleSlot(int index) const { return NthSlot(modules, index, IsAnalog); }

bool Composition::Parse(const std::string& text, Composition* out, std::string* error) {
  const auto types = ParseModuleList(text, error);
  if (!types) return false;
  Composition c;
  c.indicationType = out->indicationType;
  for (size_t s = 0; s < c.modules.size(); ++s) c.modules[s] = static_cast<uint8_t>((*types)[s]);
  *out = c;
  return true;
}

std::string Composition::ToString() const {
  int last = kModuleSlots;
  while (last > 1 && modules[last - 1] == 0) --last;
  std::string text;
  for (int s = 0; s < last; ++s) text += (s ? "," : "") + std::to_string(modules[s]);
  return text;
}

}  // namespace zul
