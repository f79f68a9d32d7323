#pragma once
// The whole configuration of one controller as the programmer holds it: every
// block object under its design name. The main window, the CLI and the tests
// each own one and hand references to whatever reads, edits or sends it.
#include "core/model/TCopyBlocksClass.h"
#include "core/model/TProgF15Class.h"
#include "core/model/TProgFBClass.h"
#include "core/model/TProgMBAClass.h"
#include "core/model/TProgMBMClass.h"
#include "core/model/TProgMRClass.h"
#include "core/model/TProgRegClass.h"
#include "core/model/TProgZulClass.h"
#include "core/model/TReservBlocksClass.h"
#include "core/model/TServClass.h"

namespace zul {

struct Configuration {
  TServClass Serv;
  TProgZulClass ProgZul;
  TProgFBClass ProgFB;
  TProgRegClass ProgReg;
  TProgMBAClass ProgMBA;
  TProgMRClass ProgMR;
  TProgMBMClass ProgMBM;
  TProgF15Class ProgF15;
  TReservBlocksClass ReservBlocks;
  TCopyBlocksClass CopyBlocks;
};

}  // namespace zul
