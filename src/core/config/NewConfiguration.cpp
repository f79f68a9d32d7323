#include "core/config/NewConfiguration.h"

#include <algorithm>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"

namespace zul {
namespace {

using Group = TServClass::ModuleGroup;
constexpr int kProgrammableDiscrete = 10;

// Position of slot `slot` within its group: the module index the group's
// block owner uses (analog record, relay module).
int IndexInGroup(const SlotTypes& types, int slot) {
  const Group group = TServClass::GroupOf(types[static_cast<size_t>(slot)]);
  int index = 0;
  for (int s = 0; s < slot; ++s) index += TServClass::GroupOf(types[static_cast<size_t>(s)]) == group;
  return index;
}

// The open configuration's slot whose data a new slot keeps, or -1.
int KeptSource(const OrderedComposition& ordered, const NewConfigurationBase& base, bool onBasis, int slot) {
  const auto s = static_cast<size_t>(slot);
  if (!onBasis || ordered.keep[s] != 1 || ordered.origin[s] < 1) return -1;
  const int from = ordered.origin[s] - 1;
  const int oldType = base.types[static_cast<size_t>(from)];
  const int newType = ordered.types[s];
  const Group group = TServClass::GroupOf(newType);
  const bool sameKind =
      group == Group::RelayOutput ? TServClass::GroupOf(oldType) == Group::RelayOutput : oldType == newType;
  return sameKind ? from : -1;
}

void BuildModules(const Configuration& open, const NewConfigurationBase& base,
                  const NewConfigurationRequest& request, const OrderedComposition& ordered,
                  Configuration& n) {
  n.ProgMR.SetDefaults();
  int analog = 0;
  int relay = 0;
  for (int slot = 0; slot < kCompositionSlots; ++slot) {
    const int type = ordered.types[static_cast<size_t>(slot)];
    const int from = KeptSource(ordered, base, request.onBasis, slot);
    switch (TServClass::GroupOf(type)) {
      case Group::Analog: {
        if (analog >= TProgMBAClass::kModules) break;
        if (from >= 0) {
          n.ProgMBA.LoadRecord(analog, open.ProgMBA.GetRecord(IndexInGroup(base.types, from)));
          n.ProgMBA.SetRecordByte(analog, 0, static_cast<uint8_t>(analog + 1));
        } else {
          n.ProgMBA.SetModuleDefaults(analog, type);
        }
        ++analog;
        break;
      }
      case Group::RelayOutput: {
        if (relay >= TProgMRClass::kModules) break;
        if (from >= 0) {
          const int old = IndexInGroup(base.types, from);
          for (int i = 0; i < TProgMRClass::kModuleSize; ++i)
            n.ProgMR.SetByte(1 + relay * TProgMRClass::kModuleSize + i,
                             open.ProgMR.GetByte(1 + old * TProgMRClass::kModuleSize + i));
        }
        ++relay;
        break;
      }
      case Group::DiscreteInput:
        if (type == kProgrammableDiscrete && from >= 0) {
          n.ProgZul.SetSensorTypeByte(2 * slot, open.ProgZul.GetSensorTypeByte(2 * from));
          n.ProgZul.SetSensorTypeByte(2 * slot + 1, open.ProgZul.GetSensorTypeByte(2 * from + 1));
        }
        break;
      case Group::None:
        break;
    }
  }
  n.ProgZul.UnpackSensorTypes();
}

}  // namespace

NewConfigurationBase NewConfigurationBase::Of(const TServClass& serv) {
  NewConfigurationBase base;
  for (size_t s = 0; s < base.types.size(); ++s) base.types[s] = serv.ModuleType[s];
  base.signalCount = serv.Identity[TServClass::kIdSignalCount];
  base.analogSignalCount = serv.Identity[TServClass::kIdAnalogSignalCount];
  return base;
}

std::unique_ptr<Configuration> BuildNewConfiguration(const Configuration& open,
                                                     const NewConfigurationBase& base,
                                                     const NewConfigurationRequest& request) {
  auto n = std::make_unique<Configuration>();
  SlotFlags keep{};
  if (request.onBasis) keep = request.keep;
  const OrderedComposition ordered = OrderComposition(request.typed, keep);
  ApplyComposition(n->Serv, ordered);
  TServClass& serv = n->Serv;

  const CompositionCounts old = CountComposition(base.types);
  const bool sameComposition =
      request.onBasis && old.discrete == serv.DiModules && old.analog == serv.AiModules;
  if (sameComposition) {
    auto identity = serv.Identity;
    identity[TServClass::kIdSignalCount] = static_cast<uint8_t>(base.signalCount);
    identity[TServClass::kIdAnalogSignalCount] = static_cast<uint8_t>(base.analogSignalCount);
    serv.LoadIdentity(identity);
    serv.GetIndicationCells();
  }
  serv.ConfiguredDevice = 0;

  BuildModules(open, base, request, ordered, *n);
  if (sameComposition) {
    n->ProgMBM.Records = open.ProgMBM.Records;
    n->ProgMBM.MasterBlock = open.ProgMBM.MasterBlock;
    n->ProgF15.LoadBlock(open.ProgF15.GetBlock());
    n->ProgFB = open.ProgFB;
  } else {
    n->ProgMBM.SetNewRecords(serv.AiModules);
    n->ProgMBM.MasterBlock.fill(0);
    n->ProgMBM.MasterBlock[0] = TProgMBMClass::kMasterBlockNumber;
    n->ProgF15.Clear();
    n->ProgFB.ResetAfterRead();
  }

  if (request.onBasis) {
    for (int i = 0; i < TProgZulClass::kSignals; ++i) n->ProgZul.SetRecord(i, open.ProgZul.Record(i));
    if (serv.DoModules > 0) n->ProgZul.ApplyRelayDefaults();
    serv.Text = open.Serv.Text;
    serv.OutText = open.Serv.OutText;
    n->ProgMBA.LoadUnits(open.ProgMBA.GetUnits());
  } else {
    for (int s = 0; s < TServClass::kSignals; ++s) serv.DefaultText(s);
    n->ProgZul.DefaultProcessing(serv.DiModules, serv.AiModules, serv.DoModules > 0);
    n->ProgMBA.SetDefaultUnits();
  }
  n->ProgReg.SetNewPrograms();
  return n;
}

NewConfigurationResult CreateConfigurationFile(const std::filesystem::path& chosen, const Configuration& open,
                                               const NewConfigurationBase& base,
                                               const NewConfigurationRequest& request, Interaction& ui,
                                               std::filesystem::path* createdAs) {
  if (!CountComposition(request.typed).Fits()) {
    ui.Show(kCaptionError, kNewConfigInputError, Icon::Error);
    return NewConfigurationResult::InvalidComposition;
  }
  const auto path = ZulFileName(chosen);
  if (!path) {
    ui.Show(kNewConfigWrongNameCaption, kZulWrongName, Icon::Warning);
    return NewConfigurationResult::WrongName;
  }
  std::error_code ec;
  if (std::filesystem::exists(*path, ec) && ui.Ask({kNewConfigCaption, kNewConfigExists, Icon::Question,
                                                    Buttons::YesNo, Answer::No}) != Answer::Yes) {
    return NewConfigurationResult::Declined;
  }
  const auto config = BuildNewConfiguration(open, base, request);
  const auto bytes = ZulFileBytes(*config);
  if (bytes.empty() || !WriteFileReplacing(*path, bytes)) {
    ui.Show(kNewConfigCaption, kNewConfigCannotCreate, Icon::Warning);
    return NewConfigurationResult::CannotCreate;
  }
  ui.Show(kNewConfigCreatedCaption, kNewConfigCreated + path->string(), Icon::Information);
  if (createdAs) *createdAs = *path;
  return NewConfigurationResult::Created;
}

}  // namespace zul
