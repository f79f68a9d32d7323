#include "core/config/NewComposition.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/model/ServiceBlock.h"

namespace zul {

namespace {

bool IsRelay(int t) { return t == 3 || t == 4 || t == 5 || t == 12; }
bool IsDiscrete(int t) { return t == 1 || t == 2 || t == 10; }
bool IsAnalog(int t) { return (t >= 6 && t <= 9) || t == 13; }
constexpr int kLk11 = 14;

// Types whose data are never carried over into a new configuration.
bool NeverKept(int t) { return t == 0 || t == 1 || t == 2 || t == 11 || t == 14 || t == 15; }

// -1 for a character that is no hexadecimal digit.
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int HexValue(char c) { return std::max(HexDigit(c), 0); }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
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

std::optional<SlotTypes> ParseModuleList(std::string_view text, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<SlotTypes> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  std::vector<std::string_view> items;
  if (text.find(',') != std::string_view::npos) {
    for (size_t start = 0;;) {
      const size_t comma = text.find(',', start);
      items.push_back(Trimmed(
          text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
  } else {
    for (size_t i = 0; i < text.size(); ++i) items.push_back(text.substr(i, 1));
  }
  if (items.empty()) return fail("no module codes");
  if (items.size() > kCompositionSlots) return fail("more than 16 module codes: " + std::string(text));
  SlotTypes types{};
  for (size_t s = 0; s < items.size(); ++s) {
    const std::string_view item = items[s];
    int code = -1;
    if (item.size() == 1 && HexDigit(item[0]) >= 0) {
      code = HexDigit(item[0]);
    } else if (item.size() == 2 && item[0] == '1' && item[1] >= '0' && item[1] <= '5') {
      code = 10 + (item[1] - '0');
    }
    if (code < 0) return fail("module code must be 0..15 (or A..F): '" + std::string(item) + "'");
    types[s] = code;
  }
  return types;
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
