#pragma once
// The module composition typed for a new configuration: one hexadecimal digit
// per slot. It is checked against what the controller can hold, then put in
// order (discrete input modules first, then analog, relay and the ЛК-11
// module) and made the service block's composition.
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace zul {

class ServiceBlock;

inline constexpr int kCompositionSlots = 16;
using SlotTypes = std::array<int, kCompositionSlots>;
using SlotFlags = std::array<int, kCompositionSlots>;

inline constexpr const char* kCompositionHexDigits = "0123456789ABCDEF";
inline constexpr const char* kCompositionErrorText = "Ошибка создания конфигурации \nЗакончить?";
inline constexpr const char* kCompositionErrorCaption = "Подтвердите окончание ";

// Type codes of a code line ("11630000..."), slot 1 first; characters that are
// not hexadecimal digits and missing slots give 0.
SlotTypes TypesOfCodeLine(std::string_view line);
// One upper-case digit per slot.
std::string CodeLineOf(const SlotTypes& types);
// A module list as typed on a command line, slot 1 first, at most 16 slots:
// with commas, decimal type codes 0..15 (the letters A..F also accepted, "1,1,6,14"
// or "1,1,6,E"); without, one hexadecimal digit per slot as the execution line
// shows them ("116E"). Every code is kept as typed, D (13) included: it is an
// analog module here as in the typed code line of the new-configuration dialog.
// nullopt (and `error` says why) for anything else.
std::optional<SlotTypes> ParseModuleList(std::string_view text, std::string* error = nullptr);
// The code a module list entry puts into the code line: the reserved entries
// 11, 13 and 15 give 0.
int CodeOfListEntry(int entry);

struct CompositionCounts {
  int discrete = 0;  // 1, 2, A
  int relay = 0;     // 3, 4, 5, C
  int keys = 0;      // 5
  int analog = 0;    // 6..9, D
  int lk11 = 0;      // E
  // At most 8 relay and 8 analog modules, one ЛК-11, and the module signals within the signal base.
  bool Fits() const { return relay <= 8 && analog <= 8 && lk11 <= 1 && 12 * discrete + 24 * analog < 253; }
};
CompositionCounts CountComposition(const SlotTypes& types);

// Whether a code line can become a configuration (not empty, and it fits).
bool IsCompositionValid(std::string_view line);

struct OrderedComposition {
  SlotTypes types{};
  SlotFlags keep{};  // each slot's keep flag moved with its module
  // The typed slot (1-based) each module came from; 0 for an empty slot.
  std::array<int, kCompositionSlots> origin{};
};
// Discrete input modules in their slot order, then the analog modules, the
// relay modules and the ЛК-11 module; the remaining slots empty. Codes of no
// group (B, F) are dropped.
OrderedComposition OrderComposition(const SlotTypes& types, const SlotFlags& keep);

// Makes the ordered composition the service block's: its identity (module
// count, types, outputs, signal counts, indication type 1 "24+ЖКИ(4х20)"), the
// counts that follow, and the keep flags.
void ApplyComposition(ServiceBlock& serv, const OrderedComposition& composition);

// Keep boxes of the new-configuration dialog (mode "on the basis of the open file").
// After a slot's list changed from `oldType` (the open configuration's) to `newType`.
struct KeepBox {
  bool enabled = false;
  bool clearIt = false;  // uncheck the box
};
KeepBox KeepBoxAfterChoice(int oldType, int newType);
// When the mode is switched to "on the basis of the open file": the slot's box checked and enabled, or
// neither.
bool KeepBoxOnBasisMode(int type);

}  // namespace zul
