#include "core/config/NewConfiguration.h"

#include <algorithm>

#include "core/Interaction.h"
#include "core/config/Configuration.h"
#include "core/config/ZulFile.h"

namespace zul {
namespace {

using Group = ServiceBlock::ModuleGroup;
constexpr int kProgrammableDiscrete = 10;

// Position of slot `slot` within its group: the module index the group's
// block owner uses (analog record, relay module).
int IndexInGroup(const SlotTypes& types, int slot) {
  const Group group = ServiceBlock::GroupOf(types[static_cast<size_t>(slot)]);
  int index = 0;
  for (int s = 0; s < slot; ++s) index += ServiceBlock::GroupOf(types[static_cast<size_t>(s)]) == group;
  return index;
}

// The open configuration's slot whose data a new slot keeps, or -1.
int KeptSource(const OrderedComposition& ordered, const NewConfigurationBase& base, bool onBasis, int slot) {
  const auto s = static_cast<size_t>(slot);
  if (!onBasis || ordered.keep[s] != 1 || ordered.origin[s] < 1) return -1;
  const int from = ordered.origin[s] - 1;
  const int oldType = base.types[static_cast<size_t>(from)];
  const int newType = ordered.types[s];
  const Group group = ServiceBlock::GroupOf(newType);
  const bool sameKind =
      group == Group::RelayOutput ? ServiceBlock::GroupOf(oldType) == Group::RelayOutput : oldType == newType;
  return sameKind ? from : -1;
}

void BuildModules(const Configuration& open, const NewConfigurationBase& base,
                  const NewConfigurationRequest& request, const OrderedComposition& ordered,
                  Configuration& n) {
  n.relayModules.SetDefaults();
  int analog = 0;
  int relay = 0;
  for (int slot = 0; slot < kCompositionSlots; ++slot) {
    const int type = ordered.types[static_cast<size_t>(slot)];
    const int from = KeptSource(ordered, base, request.onBasis, slot);
    switch (ServiceBlock::GroupOf(type)) {
      case Group::Analog: {
        if (analog >= AnalogModules::kModules) break;
        if (from >= 0) {
          n.analogModules.LoadRecord(analog, open.analogModules.GetRecord(IndexInGroup(base.types, from)));
          n.analogModules.SetRecordByte(analog, 0, static_cast<uint8_t>(analog + 1));
        } else {
          n.analogModules.SetModuleDefaults(analog, type);
        }
        ++analog;
        break;
      }
      case Group::RelayOutput: {
        if (relay >= RelayModules::kModules) break;
        if (from >= 0) {
          const int old = IndexInGroup(base.types, from);
          for (int i = 0; i < RelayModules::kModuleSize; ++i)
            n.relayModules.SetByte(1 + relay * RelayModules::kModuleSize + i,
                                   open.relayModules.GetByte(1 + old * RelayModules::kModuleSize + i));
        }
        ++relay;
        break;
      }
      case Group::DiscreteInput:
        if (type == kProgrammableDiscrete && from >= 0) {
          n.discreteProcessing.SetSensorTypeByte(2 * slot,
                                                 open.discreteProcessing.GetSensorTypeByte(2 * from));
          n.discreteProcessing.SetSensorTypeByte(2 * slot + 1,
                                                 open.discreteProcessing.GetSensorTypeByte(2 * from + 1));
        }
        break;
      case Group::None:
        break;
    }
  }
  n.discreteProcessing.UnpackSensorTypes();
}

}  // namespace

NewConfigurationBase NewConfigurationBase::Of(const ServiceBlock& serv) {
  NewConfigurationBase base;
  for (size_t s = 0; s < base.types.size(); ++s) base.types[s] = serv.ModuleType[s];
  base.signalCount = serv.Identity[ServiceBlock::kIdSignalCount];
  base.analogSignalCount = serv.Identity[ServiceBlock::kIdAnalogSignalCount];
  return base;
}

std::unique_ptr<Configuration> BuildNewConfiguration(const Configuration& open,
                                                     const NewConfigurationBase& base,
                                                     const NewConfigurationRequest& request) {
  auto n = std::make_unique<Configuration>();
  SlotFlags keep{};
  if (request.onBasis) keep = request.keep;
  const OrderedComposition ordered = OrderComposition(request.typed, keep);
  ApplyComposition(n->service, ordered);
  ServiceBlock& serv = n->service;

  const CompositionCounts old = CountComposition(base.types);
  const bool sameComposition =
      request.onBasis && old.discrete == serv.DiModules && old.analog == serv.AiModules;
  if (sameComposition) {
    auto identity = serv.Identity;
    identity[ServiceBlock::kIdSignalCount] = static_cast<uint8_t>(base.signalCount);
    identity[ServiceBlock::kIdAnalogSignalCount] = static_cast<uint8_t>(base.analogSignalCount);
    serv.LoadIdentity(identity);
  }
  serv.ConfiguredDevice = 0;

  BuildModules(open, base, request, ordered, *n);
  if (sameComposition) {
    n->networkMaster.Records = open.networkMaster.Records;
    n->networkMaster.MasterBlock = open.networkMaster.MasterBlock;
    n->function15Blocks.LoadBlock(open.function15Blocks.GetBlock());
    n->functionBlocks = open.functionBlocks;
  } else {
    n->networkMaster.SetNewRecords(serv.AiModules);
    n->networkMaster.MasterBlock.fill(0);
    n->networkMaster.MasterBlock[0] = NetworkMaster::kMasterBlockNumber;
    n->function15Blocks.Clear();
    n->functionBlocks.ResetAfterRead();
  }

  if (request.onBasis) {
    for (int i = 0; i < DiscreteProcessing::kSignals; ++i)
      n->discreteProcessing.SetRecord(i, open.discreteProcessing.Record(i));
    if (serv.DoModules > 0) n->discreteProcessing.ApplyRelayDefaults();
    serv.Text = open.service.Text;
    serv.OutText = open.service.OutText;
    n->analogModules.LoadUnits(open.analogModules.GetUnits());
  } else {
    for (int s = 0; s < ServiceBlock::kSignals; ++s) serv.DefaultText(s);
    n->discreteProcessing.DefaultProcessing(serv.DiModules, serv.AiModules, serv.DoModules > 0);
    n->analogModules.SetDefaultUnits();
  }
  n->regulators.SetNewPrograms();
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
