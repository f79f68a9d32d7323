#include "core/config/NewComposition.h"

#include <cstdint>

#include "core/model/ServiceBlock.h"

namespace zul {

namespace {

bool IsRelay(int t) { return t == 3 || t == 4 || t == 5 || t == 12; }
bool IsDiscrete(int t) { return t == 1 || t == 2 || t == 10; }
bool IsAnalog(int t) { return (t >= 6 && t <= 9) || t == 13; }
constexpr int kLk11 = 14;

// Types whose data are never carried over into a new configuration.
bool NeverKept(int t) { return t == 0 || t == 1 || t == 2 || t == 11 || t == 14 || t == 15; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

}  // namespace

SlotTypes TypesOfCodeLine(std::string_view line) {
  SlotTypes types{};
  for (size_t s = 0; s < types.size() && s < line.size(); ++s) types[s] = HexValue(line[s]);
  return types;
}

std::string CodeLineOf(const SlotTypes& types) {
  std::string line;
  for (int t : types) line += kCompositionHexDigits[t & 0x0F];
  return line;
}

int CodeOfListEntry(int entry) {
  if (entry < 0 || entry > 15 || entry == 11 || entry == 13 || entry == 15) return 0;
  return entry;
}

CompositionCounts CountComposition(const SlotTypes& types) {
  CompositionCounts c;
  for (int t : types) {
    c.discrete += IsDiscrete(t);
    c.relay += IsRelay(t);
    c.keys += t == 5;
    c.analog += IsAnalog(t);
    c.lk11 += t == kLk11;
  }
  return c;
}

bool IsCompositionValid(std::string_view line) {
  return !line.empty() && CountComposition(TypesOfCodeLine(line)).Fits();
}

OrderedComposition OrderComposition(const SlotTypes& types, const SlotFlags& keep) {
  OrderedComposition out;
  size_t next = 0;
  auto take = [&](bool (*belongs)(int)) {
    for (size_t s = 0; s < types.size(); ++s) {
      if (!belongs(types[s]) || next >= out.types.size()) continue;
      out.types[next] = types[s];
      out.keep[next] = keep[s];
      out.origin[next] = static_cast<int>(s) + 1;
      ++next;
    }
  };
  take(IsDiscrete);
  take(IsAnalog);
  take(IsRelay);
  take([](int t) { return t == kLk11; });
  return out;
}

void ApplyComposition(ServiceBlock& serv, const OrderedComposition& composition) {
  const CompositionCounts c = CountComposition(composition.types);
  std::array<uint8_t, ServiceBlock::kIdentityBytes> identity{};
  identity[ServiceBlock::kIdModuleCount] = static_cast<uint8_t>(c.discrete + c.analog + c.relay);
  for (size_t s = 0; s < composition.types.size(); ++s) {
    identity[ServiceBlock::kIdFirstSlot + s] = static_cast<uint8_t>(composition.types[s]);
  }
  identity[ServiceBlock::kIdDoCount] = static_cast<uint8_t>(8 * c.relay);
  identity[ServiceBlock::kIdSignalCount] = static_cast<uint8_t>(12 * c.discrete + 24 * c.analog);
  identity[ServiceBlock::kIdAnalogSignalCount] = static_cast<uint8_t>(6 * c.analog);
  identity[ServiceBlock::kIdIndicationType] = 1;
  serv.LoadIdentity(identity);
  serv.GetIndicationCells();
  for (size_t s = 0; s < composition.keep.size(); ++s) serv.KeepSlot[s] = composition.keep[s];
}

KeepBox KeepBoxAfterChoice(int oldType, int newType) {
  if (oldType != newType) {
    if (IsRelay(oldType) && IsRelay(newType)) return {true, false};
    return {false, true};
  }
  if (NeverKept(newType)) return {false, true};
  return {true, false};
}

bool KeepBoxOnBasisMode(int type) { return !NeverKept(type); }

}  // namespace zul
