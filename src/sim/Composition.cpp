#include "sim/Composition.h"

#include <sstream>

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
  Composition c;
  c.indicationType = out->indicationType;
  std::stringstream in(text);
  std::string item;
  int slot = 0;
  while (std::getline(in, item, ',')) {
    if (slot == kModuleSlots) {
      *error = "more than 16 module codes: " + text;
      return false;
    }
    int code = -1;
    try {
      size_t used = 0;
      code = std::stoi(item, &used);
      if (used != item.size()) code = -1;
    } catch (...) {
      code = -1;
    }
    if (code < 0 || code > kMaxModuleType) {
      *error = "module code must be 0..14: '" + item + "'";
      return false;
    }
    c.modules[slot++] = static_cast<uint8_t>(code);
  }
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
