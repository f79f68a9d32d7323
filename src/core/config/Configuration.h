#pragma once
// The whole configuration of one controller as the programmer holds it: every
// block object under its design name. The main window, the CLI and the tests
// each own one and hand references to whatever reads, edits or sends it.
#include <vector>

#include "core/config/ControllerImage.h"
#include "core/model/AnalogModules.h"
#include "core/model/CopyBlocks.h"
#include "core/model/DiscreteProcessing.h"
#include "core/model/Function15Blocks.h"
#include "core/model/FunctionBlocks.h"
#include "core/model/NetworkMaster.h"
#include "core/model/Regulators.h"
#include "core/model/RelayModules.h"
#include "core/model/ReserveBlocks.h"
#include "core/model/ServiceBlock.h"

namespace zul {

struct Configuration {
  ServiceBlock service;
  DiscreteProcessing discreteProcessing;
  FunctionBlocks functionBlocks;
  Regulators regulators;
  AnalogModules analogModules;
  RelayModules relayModules;
  NetworkMaster networkMaster;
  Function15Blocks function15Blocks;
  ReserveBlocks reserveBlocks;
  CopyBlocks copyBlocks;
  // Controller blocks a short file left empty: such a configuration is not
  // written to a controller as a whole. Empty after a read or a whole file.
  std::vector<int> blocksMissingFromFile;
  // What the controller (device mode) or the file (file mode) holds: the
  // measure of every "changed?".
  ControllerImage image;
};

}  // namespace zul
