#pragma once
// Everything the windows, `zul dump`, `zul diff` and the reports do with a
// loaded configuration, run for the fuzz targets: whatever a file or a
// controller put into the blocks, these must neither crash nor overrun.
#include <string>

#include "FuzzInput.h"
#include "core/config/AnalogModuleReport.h"
#include "core/config/Configuration.h"
#include "core/config/ConfigurationDump.h"
#include "core/config/InformTables.h"
#include "core/config/ModuleTable.h"
#include "core/config/ZulFile.h"
#include "core/report/RtfReport.h"
#include "support/SampleConfiguration.h"

namespace zul::fuzz {

inline void RequireAsciiRtf(const Report& report) {
  // Every character beyond ASCII is escaped in the file.
  for (char ch : ReportToRtf(report)) Require(static_cast<unsigned char>(ch) < 0x80);
}

inline void UseConfiguration(const Configuration& c) {
  DumpText(c);
  FlattenDump(DumpConfiguration(c));
  static const auto sample = MakeSampleConfiguration();
  DiffConfigurations(c, *sample);
  DiffConfigurations(*sample, c, DiffOptions{.deviceBlocksOnly = true});

  const ModuleTableTexts table = BuildModuleTable(c.service);
  RequireAsciiRtf(SignalReport("t", SignalRows(c, RelayColumn::Shown)));
  RequireAsciiRtf(AnalogReport("t", AnalogRows(c), c.service.AnalogSignalCount));
  RequireAsciiRtf(OutputReport("t", OutputRows(c)));
  for (int slot = 1; slot <= ServiceBlock::kSlots; ++slot) {
    const int type = c.service.ModuleType[static_cast<size_t>(slot - 1)];
    if (ServiceBlock::GroupOf(type) != ServiceBlock::ModuleGroup::Analog) continue;
    const int module = ModuleNumberInGroup(c.service, slot);
    if (module < 1 || module > AnalogModules::kModules) continue;
    RequireAsciiRtf(AnalogModuleReport(c.analogModules, module, type, "t",
                                       table.rows[static_cast<size_t>(slot - 1)].inputs));
  }

  // Saving and opening again gives the same image.
  const std::vector<uint8_t> image = ZulFileBytes(c);
  Configuration again;
  LoadZulFileBytes(image, again);
  Require(ZulFileBytes(again) == image);
}

}  // namespace zul::fuzz
