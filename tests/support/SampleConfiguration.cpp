#include "support/SampleConfiguration.h"

#include "core/config/NewComposition.h"

namespace zul {

std::unique_ptr<Configuration> MakeSampleConfiguration(std::string_view codeLine) {
  auto c = std::make_unique<Configuration>();
  ApplyComposition(c->service, OrderComposition(TypesOfCodeLine(codeLine), {}));
  c->service.ConfiguredDevice = 4;
  c->service.DefaultIdentifiers();
  c->service.DefaultOutputIdentifiers();
  for (int s = 0; s < ServiceBlock::kSignals; ++s) c->service.DefaultText(s);
  c->service.SetText(0, "Насос 1");
  c->service.SetOutputText(2, "Сирена");

  for (int m = 0; m < c->service.AiModules; ++m)
    c->analogModules.SetModuleDefaults(m,
                                       c->service.ModuleType[static_cast<size_t>(c->service.DiModules + m)]);
  c->analogModules.SetDefaultUnits();
  c->analogModules.SetUnitName(3, "бар");
  if (c->service.AiModules > 0) {
    c->analogModules.SetScaleMax(0, 1, "250");
    c->analogModules.SetSetpointHH(0, 1, "240,5");
    c->analogModules.SetPosition(0, 1, "PT-101");
  }
  c->networkMaster.SetNewRecords(c->service.AiModules);
  c->relayModules.SetDefaults();
  c->relayModules.SetMode(2, 0, 1);
  c->relayModules.SetAckInput(3, 0, 7);

  c->networkMaster.MasterBlock[0] = NetworkMaster::kMasterBlockNumber;
  c->networkMaster.SetFunction(0, 3);
  c->networkMaster.SetOutputs(0, 2);
  c->networkMaster.SetSlave(0, 17);
  c->networkMaster.SetStartAddress(0, 0x1234);
  c->networkMaster.SetDataCount(0, 2);
  c->function15Blocks.Clear();
  c->function15Blocks.SetFunction(0, 15);
  c->function15Blocks.SetInputs(0, 2);
  c->function15Blocks.SetSlave(0, 9);
  c->function15Blocks.SetInputSignal(0, 1, 5);

  c->discreteProcessing.DefaultProcessing(c->service.DiModules, c->service.AiModules,
                                          c->service.DoModules > 0);
  c->discreteProcessing.SetDelayTime(3, 12);
  c->discreteProcessing.SetArchive(3, 0x80);
  c->discreteProcessing.SetSensorTypeByte(2, 0x5A);
  c->discreteProcessing.UnpackSensorTypes();

  c->regulators.SetPV(0, 25);
  c->regulators.SetSPSource(0, 1);
  c->regulators.SetKP(0, "2,5");
  c->regulators.SetTi(0, "120");
  c->regulators.SetNewPrograms();

  c->functionBlocks.ResetAfterRead();
  c->functionBlocks.SetTypeCode(0, 1);
  c->functionBlocks.SetInputSource(0, 0, 0);
  c->functionBlocks.SetInputPolarity(0, 0, 1);
  c->functionBlocks.SetInputNumber(0, 0, 3);
  c->functionBlocks.SetTypeCode(1, 6);
  c->functionBlocks.SetSubtype(1, 2);
  c->functionBlocks.SetTime(1, 30);
  c->functionBlocks.RecountBlocks();
  c->functionBlocks.SetAlgName(0, "Пуск насоса");
  c->functionBlocks.SetAlgStart(1, 1);
  c->functionBlocks.SetAlgMember(0, 0, 1);
  c->functionBlocks.SetAlgMember(0, 1, 2);
  c->functionBlocks.SetAlgCount(1);
  return c;
}

}  // namespace zul
