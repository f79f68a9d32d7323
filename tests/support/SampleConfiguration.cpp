#include "support/SampleConfiguration.h"

#include "core/config/NewComposition.h"

namespace zul {

std::unique_ptr<Configuration> MakeSampleConfiguration(std::string_view codeLine) {
  auto c = std::make_unique<Configuration>();
  ApplyComposition(c->Serv, OrderComposition(TypesOfCodeLine(codeLine), {}));
  c->Serv.ConfiguredDevice = 4;
  c->Serv.DefaultIdentifiers();
  c->Serv.DefaultOutputIdentifiers();
  for (int s = 0; s < TServClass::kSignals; ++s) c->Serv.DefaultText(s);
  c->Serv.SetText(0, "Насос 1");
  c->Serv.SetOutputText(2, "Сирена");

  for (int m = 0; m < c->Serv.AiModules; ++m)
    c->ProgMBA.SetModuleDefaults(m, c->Serv.ModuleType[static_cast<size_t>(c->Serv.DiModules + m)]);
  c->ProgMBA.SetDefaultUnits();
  c->ProgMBA.SetUnitName(3, "бар");
  if (c->Serv.AiModules > 0) {
    c->ProgMBA.SetScaleMax(0, 1, "250");
    c->ProgMBA.SetSetpointHH(0, 1, "240,5");
    c->ProgMBA.SetPosition(0, 1, "PT-101");
  }
  c->ProgMBM.SetNewRecords(c->Serv.AiModules);
  c->ProgMR.SetDefaults();
  c->ProgMR.SetMode(2, 0, 1);
  c->ProgMR.SetAckInput(3, 0, 7);

  c->ProgMBM.MasterBlock[0] = TProgMBMClass::kMasterBlockNumber;
  c->ProgMBM.SetFunction(0, 3);
  c->ProgMBM.SetOutputs(0, 2);
  c->ProgMBM.SetSlave(0, 17);
  c->ProgMBM.SetStartAddress(0, 0x1234);
  c->ProgMBM.SetDataCount(0, 2);
  c->ProgF15.Clear();
  c->ProgF15.SetFunction(0, 15);
  c->ProgF15.SetInputs(0, 2);
  c->ProgF15.SetSlave(0, 9);
  c->ProgF15.SetInputSignal(0, 1, 5);

  c->ProgZul.DefaultProcessing(c->Serv.DiModules, c->Serv.AiModules, c->Serv.DoModules > 0);
  c->ProgZul.SetDelayTime(3, 12);
  c->ProgZul.SetArchive(3, 0x80);
  c->ProgZul.SetSensorTypeByte(2, 0x5A);
  c->ProgZul.UnpackSensorTypes();

  c->ProgReg.SetPV(0, 25);
  c->ProgReg.SetSPSource(0, 1);
  c->ProgReg.SetKP(0, "2,5");
  c->ProgReg.SetTi(0, "120");
  c->ProgReg.SetNewPrograms();

  c->ProgFB.ResetAfterRead();
  c->ProgFB.SetTypeCode(0, 1);
  c->ProgFB.SetInputSource(0, 0, 0);
  c->ProgFB.SetInputPolarity(0, 0, 1);
  c->ProgFB.SetInputNumber(0, 0, 3);
  c->ProgFB.SetTypeCode(1, 6);
  c->ProgFB.SetSubtype(1, 2);
  c->ProgFB.SetTime(1, 30);
  c->ProgFB.RecountBlocks();
  c->ProgFB.SetAlgName(0, "Пуск насоса");
  c->ProgFB.SetAlgStart(1, 1);
  c->ProgFB.SetAlgMember(0, 0, 1);
  c->ProgFB.SetAlgMember(0, 1, 2);
  c->ProgFB.SetAlgCount(1);
  return c;
}

}  // namespace zul
