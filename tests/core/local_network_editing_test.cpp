// The local network editors' rules without windows: the master entry's type
// rules and closing checks, storing an entry with the chaining and
// renumbering that follow, the window's deletion with the No answer and the
// network write against a simulated controller, the function-15 checks, the
// scaling fields and the range of the discrete online view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/NetworkReport.h"
#include "core/config/ReadConfiguration.h"
#include "core/editing/LocalNetworkEditing.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using Messages = std::vector<std::string>;

// --- closing checks of the master entry editor -------------------------------------------

struct EntryCase {
  const char* name;
  int type;
  int function;
  const char* outputs;
  const char* start;
  const char* count;
  int dataType;
  Messages expected;
  const char* slave = "1";
  const char* maxCode = "0";
};

MasterEntryForm FormOf(const EntryCase& c) {
  MasterEntryForm f;
  f.slaveType = c.type;
  f.function = c.function;
  f.outputs = c.outputs;
  f.startAddress = c.start;
  f.dataCount = c.count;
  f.dataType = c.dataType;
  f.slave = c.slave;
  f.maxCode = c.maxCode;
  return f;
}

class MasterEntryChecks : public ::testing::TestWithParam<EntryCase> {};

TEST_P(MasterEntryChecks, AcceptOrReportEveryBrokenRule) {
  EXPECT_EQ(CheckMasterEntry(FormOf(GetParam())).messages, GetParam().expected);
}

const char* kOutputs = "ошибка в количестве выходов блока\n";
const char* kCount = "ошибка в количестве данных в запросе\n";

INSTANTIATE_TEST_SUITE_P(
    Rules, MasterEntryChecks,
    ::testing::Values(
        EntryCase{"Zul01F1Start10", 0, 1, "16", "10", "16", -1, {}},
        EntryCase{"Zul01F1Start08",
                  0,
                  1,
                  "16",
                  "08",
                  "16",
                  -1,
                  {"ошибка в начальном адресе данных в запросе блока ЗУЛ-01\n"}},
        EntryCase{"Zul01F2PastThirtyTwo",
                  0,
                  2,
                  "8",
                  "1C",
                  "8",
                  -1,
                  {"сумма нач адр и кол-ва данных в запросе >32(Dec)\n"}},
        EntryCase{"Zul01F1TwentyOutputs",
                  0,
                  1,
                  "20",
                  "0",
                  "20",
                  -1,
                  {"ошибка в количестве выходов блока ЗУЛ-01\n"}},
        EntryCase{"OtherIeeeCountTwicePerOutput", 15, 3, "4", "0", "8", 1, {}},
        EntryCase{"OtherIeeeCountOncePerOutput", 15, 3, "4", "0", "4", 1, {kCount}},
        EntryCase{"OtherIntegerCountOncePerOutput", 15, 4, "4", "0", "4", 0, {}},
        EntryCase{"Lk13SevenOutputs", 4, 3, "7", "0", "7", 0, {kOutputs}},
        EntryCase{"Lk13TwelveOutputs", 4, 4, "12", "0", "12", 0, {}},
        EntryCase{"Lk12EveryRuleBroken",
                  1,
                  3,
                  "2",
                  "1",
                  "3",
                  0,
                  {kOutputs, "ошибка в начальном адресе данных в запросе\n", kCount}},
        EntryCase{"Zul05F3IntegerAlwaysRefused", 5, 3, "2", "0", "2", 0, {kCount}},
        EntryCase{"Zul05F2OutputsNotQuarter", 5, 2, "6", "0", "6", -1, {kOutputs}},
        EntryCase{"Zul05F2At192", 5, 2, "192", "0", "192", -1, {}},
        EntryCase{"NoType", -1, 1, "4", "0", "4", -1, {"тип устройства не задан\n"}},
        EntryCase{"NoFunction", 15, 0, "4", "0", "4", -1, {"код функции не задан\n"}},
        EntryCase{
            "SlaveZero", 15, 1, "4", "0", "4", -1, {"адрес Slave в локальной сети задан неверно\n"}, "0"},
        EntryCase{
            "Slave256", 15, 1, "4", "0", "4", -1, {"адрес Slave в локальной сети задан неверно\n"}, "256"},
        EntryCase{"SlaveEmpty", 15, 1, "4", "0", "4", -1, {"адрес Slave в локальной сети не задан\n"}, ""},
        EntryCase{"OutputsEmpty", 15, 1, "", "0", "4", -1, {"количество выходов блока не задано\n"}},
        EntryCase{"CountEmpty", 15, 1, "4", "0", "", -1, {"количество данных в запросе не задано\n"}},
        EntryCase{"MaxCodeAtLimit", 1, 3, "1", "0", "1", 0, {}, "1", "16384"},
        EntryCase{"MaxCodeOneAbove",
                  1,
                  3,
                  "1",
                  "0",
                  "1",
                  0,
                  {"ошибка в максимальном значении кода\n"},
                  "1",
                  "16385"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MasterEntryEmptyField, NamesTheFieldWhoseStoredValueGoesBack) {
  MasterEntryForm f = FormOf({"", 15, 1, "4", "", "4", -1, {}});
  EXPECT_EQ(CheckMasterEntry(f).emptyField, MasterField::StartAddress);
  f.startAddress = "0";
  f.maxCode = " ";
  EXPECT_EQ(CheckMasterEntry(f).emptyField, MasterField::MaxCode);
}

// --- the type and function lists ---------------------------------------------------------

struct TypeChoice {
  int type;
  int discreteTotal;
  int function;
  const char* outputs;
  const char* maxCode;
  bool maxEnabled;
  int dataType;
};

class SlaveTypeChoice : public ::testing::TestWithParam<TypeChoice> {};

TEST_P(SlaveTypeChoice, PresetsTheFieldsOfTheType) {
  const TypeChoice& c = GetParam();
  MasterEntryForm f;
  ChooseSlaveType(f, c.type, c.discreteTotal);
  EXPECT_EQ(f.function, c.function);
  EXPECT_EQ(f.outputs, c.outputs);
  EXPECT_EQ(f.dataCount, c.outputs);
  EXPECT_EQ(f.maxCode, c.maxCode);
  EXPECT_EQ(f.maxCodeEnabled, c.maxEnabled);
  EXPECT_EQ(f.dataType, c.dataType);
  EXPECT_FALSE(f.dataTypeEnabled);
  EXPECT_FALSE(f.byteOrderEnabled);
}

INSTANTIATE_TEST_SUITE_P(Types, SlaveTypeChoice,
                         ::testing::Values(TypeChoice{0, 0, 1, "16", "0000", false, -1},
                                           TypeChoice{1, 0, 3, "1", "16384", true, 0},
                                           TypeChoice{3, 0, 3, "1", "8192", true, 0},
                                           TypeChoice{4, 100, 3, "6", "8192", true, 0},
                                           TypeChoice{4, 253, 3, "0", "8192", true, 0},
                                           TypeChoice{5, 0, 1, "0", "0000", true, -1},
                                           TypeChoice{9, 0, 0, "0", "0000", true, -1},
                                           TypeChoice{15, 0, 1, "0", "0000", true, -1}));

TEST(FunctionChoice, EachTypeAllowsItsFunctionsAndSetsItsDataType) {
  MasterEntryForm f;
  ChooseSlaveType(f, 1, 0);
  EXPECT_EQ(ChooseFunction(f, 2), kFunctionNotAllowedText);
  EXPECT_EQ(f.function, 0);
  EXPECT_FALSE(f.maxCodeEnabled);
  EXPECT_EQ(ChooseFunction(f, 4), "");
  EXPECT_TRUE(f.maxCodeEnabled);

  ChooseSlaveType(f, 0, 0);
  EXPECT_EQ(ChooseFunction(f, 3), kFunctionNotAllowedText);
  EXPECT_EQ(f.function, 0);

  ChooseSlaveType(f, 5, 0);
  ChooseFunction(f, 3);
  EXPECT_EQ(f.dataType, 1);
  EXPECT_EQ(f.byteOrder, 0);
  EXPECT_FALSE(f.dataTypeEnabled);

  ChooseSlaveType(f, 15, 0);
  ChooseFunction(f, 4);
  EXPECT_EQ(f.dataType, 0);
  EXPECT_TRUE(f.dataTypeEnabled);
  ChooseDataType(f, 1);
  EXPECT_TRUE(f.byteOrderEnabled);
  EXPECT_EQ(f.byteOrder, 0);
  ChooseDataType(f, 0);
  EXPECT_FALSE(f.byteOrderEnabled);
  EXPECT_EQ(f.byteOrder, -1);
}

// --- the network of a controller with one discrete-input and one analog module ------------

// First network signal 36, network analog signals from absolute 6.
class NetworkEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    std::array<uint8_t, 23> identity{};
    identity[0] = 2;
    identity[1] = 1;
    identity[2] = 6;
    c.service.LoadIdentity(identity);
    c.service.SetSignalCount(36);
    c.service.SetAnalogSignalCount(6);
    c.networkMaster.SetNewRecords(1);
    c.functionBlocks.SetTypeCode(0, 1);  // AND: four inputs
    c.discreteProcessing.AccessLevel = kFullAccess;
  }

  // Creates entry k through the editor's rules; true when accepted.
  bool Create(int k, int type, int function, int outputs, int dataType = 0) {
    MasterEditSession s = BeginMasterEdit(c, k);
    if (s.refused) return false;
    MasterEntryForm f = s.form;
    ChooseSlaveType(f, type, c.service.SignalCount);
    ChooseFunction(f, function);
    if (dataType >= 0 && f.dataTypeEnabled) ChooseDataType(f, dataType);
    f.slave = std::to_string(k + 1);
    f.outputs = f.dataCount = std::to_string(outputs);
    return ApplyMasterEdit(c, s, f).accepted;
  }
  // Five blocks: 36..39 (f1, 4), 40..47 (f3, 2: analog 6..7), 48..55 (f1, 8),
  // 56..67 (f3, 3: analog 8..10), 68..71 (f2, 4).
  void FiveBlocks() {
    ASSERT_TRUE(Create(0, 15, 1, 4));
    ASSERT_TRUE(Create(1, 15, 3, 2));
    ASSERT_TRUE(Create(2, 15, 1, 8));
    ASSERT_TRUE(Create(3, 15, 4, 3));
    ASSERT_TRUE(Create(4, 15, 2, 4));
    for (int s = 36; s < 72; ++s) c.service.SetText(s, "t" + std::to_string(s));
  }
  void Refer(int k, int source, int number) {
    c.functionBlocks.SetInputSource(0, k, source);
    c.functionBlocks.SetInputNumber(0, k, number);
  }

  Configuration c;
};

TEST_F(NetworkEditing, CreatedBlocksChainAndSetTheTotals) {
  FiveBlocks();
  const NetworkMaster& m = c.networkMaster;
  EXPECT_EQ(m.GetFirstDiscrete(3), 56);
  EXPECT_EQ(m.GetFirstAnalog(3), 8);
  EXPECT_EQ(m.GetFirstDiscrete(4), 68);
  EXPECT_EQ(c.service.SignalCount, 72);
  EXPECT_EQ(c.service.AnalogSignalCount, 11);
  EXPECT_EQ(m.GetSlaveType(1), 15);
  EXPECT_EQ(m.MasterUnchanged, 0);
  EXPECT_EQ(c.service.GetIdentifier(40), "DLAI2_1_LL");
}

TEST_F(NetworkEditing, RefusedChainingPutsTheBlockAndTotalsBack) {
  FiveBlocks();
  const auto master = c.networkMaster.MasterBlock;
  MasterEditSession s = BeginMasterEdit(c, 5);
  MasterEntryForm f = s.form;
  ChooseSlaveType(f, 15, c.service.SignalCount);
  ChooseFunction(f, 2);
  f.slave = "9";
  f.outputs = f.dataCount = "184";  // 72 + 184 passes 252
  const MasterEditResult r = ApplyMasterEdit(c, s, f);
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ(r.messages, Messages{std::string(NetworkMaster::kNoDiscreteAddresses)});
  EXPECT_EQ(c.networkMaster.MasterBlock, master);
  EXPECT_EQ(c.service.SignalCount, 72);
  EXPECT_EQ(c.networkMaster.EntryError[5], 1);
}

TEST_F(NetworkEditing, NewEntryRefusedWithoutFreeDiscreteAddressesWarnedWithoutAnalog) {
  c.service.SetSignalCount(252);
  EXPECT_TRUE(BeginMasterEdit(c, 0).refused);
  EXPECT_EQ(BeginMasterEdit(c, 0).openMessage, kNoFreeNetAddressesText);
  c.service.SetSignalCount(40);
  c.service.SetAnalogSignalCount(48);
  const MasterEditSession s = BeginMasterEdit(c, 0);
  EXPECT_FALSE(s.refused);
  EXPECT_EQ(s.openMessage, kNoFreeNetAnalogText);
  EXPECT_EQ(s.form.firstDiscrete, 40);
}

TEST_F(NetworkEditing, CorrectionOpensWithTheEntrysFields) {
  FiveBlocks();
  const MasterEditSession s = BeginMasterEdit(c, 3);
  EXPECT_EQ(s.mode, 1);
  EXPECT_EQ(s.form.function, 4);
  EXPECT_EQ(s.form.outputs, "3");
  EXPECT_EQ(s.form.startAddress, "0000");
  EXPECT_TRUE(s.form.maxCodeEnabled);
  EXPECT_TRUE(s.form.dataTypeEnabled);
  EXPECT_EQ(s.before, (NetworkMaster::BlockSizes{12, 3}));
}

TEST_F(NetworkEditing, CorrectionThatGrowsABlockMovesTheLaterTexts) {
  FiveBlocks();
  MasterEditSession s = BeginMasterEdit(c, 0);
  MasterEntryForm f = s.form;
  f.outputs = f.dataCount = "8";
  ASSERT_TRUE(ApplyMasterEdit(c, s, f).renumbered);
  EXPECT_EQ(c.networkMaster.GetFirstDiscrete(1), 44);
  EXPECT_EQ(c.service.GetText(44), "t40");
  EXPECT_EQ(c.service.SignalCount, 76);
}

TEST_F(NetworkEditing, DeletingEntryThreeOfFiveMovesFourAndFiveDown) {
  FiveBlocks();
  LocalNetworkSession session(c);
  ASSERT_TRUE(session.DeleteEntry(2));
  const NetworkMaster& m = c.networkMaster;
  EXPECT_EQ(m.GetFunction(2), 4);
  EXPECT_EQ(m.GetFirstDiscrete(2), 48);
  EXPECT_EQ(m.GetFirstAnalog(2), 8);
  EXPECT_EQ(m.GetFunction(3), 2);
  EXPECT_EQ(m.GetFirstDiscrete(3), 60);
  for (int k = 4; k < 16; ++k) EXPECT_FALSE(m.EntryInUse(k)) << k;
  EXPECT_EQ(c.service.SignalCount, 64);
  EXPECT_EQ(c.service.GetText(48), "t56");
  EXPECT_TRUE(session.NetworkChanged());
}

TEST_F(NetworkEditing, DeletingTheLastEntryReducesTheTotalsByItsSizes) {
  FiveBlocks();
  LocalNetworkSession session(c);
  ASSERT_TRUE(session.DeleteEntry(4));
  EXPECT_EQ(c.service.SignalCount, 68);
  EXPECT_EQ(c.service.AnalogSignalCount, 11);
  EXPECT_EQ(MasterButtonCaption(c.networkMaster.GetFunction(4)), "");
  EXPECT_EQ(MasterButtonCaption(c.networkMaster.GetFunction(3)), "Ф4");
  ASSERT_TRUE(session.DeleteEntry(3));  // now the f4 block is the last
  EXPECT_EQ(c.service.SignalCount, 56);
  EXPECT_EQ(c.service.AnalogSignalCount, 8);
}

TEST_F(NetworkEditing, DeletingAFreeEntryDoesNothing) {
  FiveBlocks();
  LocalNetworkSession session(c);
  const auto master = c.networkMaster.MasterBlock;
  EXPECT_FALSE(session.DeleteEntry(7));
  EXPECT_EQ(c.networkMaster.MasterBlock, master);
  EXPECT_FALSE(session.NetworkChanged());
}

TEST_F(NetworkEditing, NoAfterADeletionRestoresBlockTextsRecordsAndReferences) {
  FiveBlocks();
  Refer(0, srcDiscrete, 57);       // signal 56, the first of the deleted f4 block
  Refer(1, srcAnalogInvalid, 10);  // analog signal 9, inside it
  c.discreteProcessing.SetDelayTime(60, 17);
  const Configuration before = c;
  LocalNetworkSession session(c);
  ASSERT_TRUE(session.DeleteEntry(3));
  EXPECT_NE(c.functionBlocks.GetInputNumber(0, 1), 10);
  ScriptedInteraction ui;
  ui.QueueAnswer(Answer::No);
  VirtualClock clock;
  SimulatedBus bus(clock);
  SimulatedLine line(bus, clock);
  zul::test::WritingLink port(line, clock, ui);
  EXPECT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Close);
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().text, kNetworkSendQuestion);
  EXPECT_EQ(ui.Last().caption, kNetworkSendCaption);
  EXPECT_EQ(c.networkMaster.MasterBlock, before.networkMaster.MasterBlock);
  EXPECT_EQ(c.service.SignalCount, 72);
  EXPECT_EQ(c.service.AnalogSignalCount, 11);
  EXPECT_EQ(c.service.GetText(56), "t56");
  EXPECT_EQ(c.discreteProcessing.GetDelayTime(60), 17);
  EXPECT_EQ(c.functionBlocks.GetInputNumber(0, 0), 57);
  EXPECT_EQ(c.functionBlocks.GetInputNumber(0, 1), 10);
  EXPECT_EQ(c.service.GetIdentifier(56), before.service.GetIdentifier(56));
  EXPECT_TRUE(line.Written().empty());
}

TEST_F(NetworkEditing, CancelKeepsTheWindowAndTheDeletion) {
  FiveBlocks();
  LocalNetworkSession session(c);
  ASSERT_TRUE(session.DeleteEntry(0));
  ScriptedInteraction ui;
  ui.QueueAnswer(Answer::Cancel);
  VirtualClock clock;
  SimulatedBus bus(clock);
  SimulatedLine line(bus, clock);
  zul::test::WritingLink port(line, clock, ui);
  EXPECT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Stay);
  EXPECT_EQ(c.service.SignalCount, 68);
}

TEST_F(NetworkEditing, FileModeNeverAsksNeverWritesAndMarksTheFile) {
  FiveBlocks();
  c.service.FileMode = 1;
  LocalNetworkSession session(c);
  ASSERT_TRUE(session.DeleteEntry(0));
  session.DeleteFunction15Entry(1);
  ScriptedInteraction ui;
  VirtualClock clock;
  SimulatedBus bus(clock);
  SimulatedLine line(bus, clock);
  zul::test::WritingLink port(line, clock, ui);
  EXPECT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Close);
  EXPECT_TRUE(ui.Shown().empty());
  EXPECT_TRUE(line.Written().empty());
  EXPECT_EQ(c.service.FileChanged, 1);
  EXPECT_EQ(c.service.SignalCount, 68);
}

TEST_F(NetworkEditing, LineSettingsWithoutAChoiceAreNotWritten) {
  LocalNetworkSession session(c);
  session.ChooseBaud(2);
  session.ChooseFrame(-1);
  ScriptedInteraction ui;
  VirtualClock clock;
  SimulatedBus bus(clock);
  SimulatedLine line(bus, clock);
  zul::test::WritingLink port(line, clock, ui);
  EXPECT_FALSE(session.WriteNetwork(port, ui));
  EXPECT_EQ(ui.Last().text, kLineSettingsErrorText);
  EXPECT_TRUE(line.Written().empty());
  EXPECT_EQ(c.networkMaster.GetBaudIndex(), 2);
}

struct DamagedEntry {
  const char* name;
  int function;
  int outputs;
  int firstDiscrete;
  int firstAnalog;
  bool valid;
};
class EntryValidity : public ::testing::TestWithParam<DamagedEntry> {};

// Entries from a file or the line are checked against the signal tables;
// deleting a damaged one stays within them.
TEST_P(EntryValidity, DamagedEntriesAreRecognisedAndDeletedSafely) {
  const DamagedEntry& t = GetParam();
  Configuration c;
  c.service.SetSignalCount(252);
  c.service.SetAnalogSignalCount(48);
  NetworkMaster& m = c.networkMaster;
  m.SetFunction(0, t.function);
  m.SetOutputs(0, t.outputs);
  m.SetFirstDiscrete(0, t.firstDiscrete);
  m.SetFirstAnalog(0, t.firstAnalog);
  EXPECT_EQ(NetworkEntryValid(m, c.service, 0), t.valid);
  EXPECT_TRUE(NetworkAnalogSpanOf(c, 0).count <= NetworkMaster::kAnalogSignals);
  LocalNetworkSession session(c);
  EXPECT_TRUE(session.DeleteEntry(0));
  EXPECT_FALSE(m.EntryInUse(0));
  EXPECT_GE(c.service.SignalCount, 0);
  EXPECT_GE(c.service.AnalogSignalCount, 0);
}
INSTANTIATE_TEST_SUITE_P(Entries, EntryValidity,
                         ::testing::Values(DamagedEntry{"Sound", 3, 6, 24, 6, true},
                                           DamagedEntry{"Function7", 7, 6, 24, 6, false},
                                           DamagedEntry{"DiscretePastTheTable", 3, 200, 100, 6, false},
                                           DamagedEntry{"AnalogPastTheTable", 4, 12, 0, 45, false},
                                           DamagedEntry{"StartPastTheTable", 1, 8, 250, 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Entries that start among the module signals (first network signal 36,
// analog 6) are refused before anything is stored or renumbered, and
// deleting one leaves the module signals' records, texts and references.
TEST_F(NetworkEditing, EntriesAmongTheModuleSignalsAreRefusedAndMoveNothing) {
  FiveBlocks();
  for (int s = 0; s < 36; ++s) c.service.SetText(s, "m" + std::to_string(s));
  c.discreteProcessing.SetAlarmType(2, 0x40);
  Refer(0, srcDiscrete, 3);
  NetworkMaster& m = c.networkMaster;
  m.SetFirstDiscrete(0, 0);
  m.SetFirstAnalog(0, 0);
  EXPECT_EQ(DamagedNetworkEntries(c), std::vector<int>{0});
  EXPECT_NE(DamagedNetworkEntriesText(c).find(": 1."), std::string::npos);
  const Configuration before = c;
  const MasterEditSession open = BeginMasterEdit(c, 0);
  EXPECT_TRUE(open.refused);
  EXPECT_EQ(open.openMessage, kEntryInsideModulesText);

  // A session that slipped past the opening is refused at the store.
  MasterEditSession s = BeginMasterEdit(c, 1);
  MasterEntryForm f = s.form;
  f.firstDiscrete = 0;
  f.outputs = f.dataCount = "3";
  const MasterEditResult r = ApplyMasterEdit(c, s, f);
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ(r.messages, Messages{kEntryInsideModulesText});

  LocalNetworkSession session(c);
  ASSERT_TRUE(session.DeleteEntry(0));
  for (int i = 0; i < 36; ++i) EXPECT_EQ(c.service.GetText(i), "m" + std::to_string(i)) << i;
  EXPECT_EQ(c.discreteProcessing.GetAlarmType(2), 0x40);
  EXPECT_EQ(c.functionBlocks.GetInputNumber(0, 0), 3);
  EXPECT_EQ(m.GetFunction(0), 3);  // the second entry moved up
  EXPECT_EQ(c.service.SignalCount, 68);
  EXPECT_EQ(before.service.SignalCount, 72);
}

// --- writing the network to a simulated controller ----------------------------------------

class NetworkWrite : public ::testing::Test {
 protected:
  NetworkWrite() : bus(clock), line(bus, clock), port(line, clock, ui) {
    controller = &bus.Add({});  // two discrete input modules, an analog and a relay module
    port.OpenPort();
  }
  void Read() {
    ASSERT_TRUE(ReadConfiguration(port, c, ui).ok);
    c.discreteProcessing.AccessLevel = kFullAccess;
  }
  bool Create(int k, int type, int function, int outputs) {
    MasterEditSession s = BeginMasterEdit(c, k);
    MasterEntryForm f = s.form;
    ChooseSlaveType(f, type, c.service.SignalCount);
    ChooseFunction(f, function);
    f.slave = "3";
    f.outputs = f.dataCount = std::to_string(outputs);
    return ApplyMasterEdit(c, s, f).accepted;
  }
  // The controller refuses the store of the write's block number `index`
  // (0-based) with an exception; one store costs the same requests whichever block it is.
  void RefuseStoreNumber(std::ptrdiff_t index) {
    const int before = controller->Requests();
    ASSERT_TRUE(port.WriteBlock(0, 10, BlockPayload(std::span(c.reserveBlocks.MasterBlock).subspan(1), 194)));
    const int perBlock = controller->Requests() - before;
    FaultSettings faults;
    faults.exceptionCode = 4;  // a failure, not "busy"
    // Every try of that store, however many the link makes.
    const int store = controller->Requests() + 1 + perBlock * static_cast<int>(index);
    for (int r = store; r < store + 20; ++r) faults.exception.requests.insert(r);
    controller->SetFaults(faults);
  }
  std::vector<int> WrittenBlocks() const {
    std::vector<int> blocks;
    for (size_t i = mark; i < line.Written().size(); ++i) {
      const auto& frame = line.Written()[i];
      if (frame.size() > 2 && frame[1] == 69) blocks.push_back(frame[2]);
    }
    return blocks;
  }

  VirtualClock clock;
  SimulatedBus bus;
  SimulatedLine line;
  ScriptedInteraction ui;
  zul::test::WritingLink port;
  SimulatedController* controller = nullptr;
  Configuration c;
  size_t mark = 0;
};

TEST_F(NetworkWrite, CreatedBlocksGoAsRecordsThenTheMasterBlock) {
  Read();
  LocalNetworkSession session(c);
  ASSERT_TRUE(Create(0, 0, 1, 16));
  ASSERT_TRUE(Create(1, 1, 3, 1));
  c.networkMaster.SetPosition(0, "TE-101");
  mark = line.Written().size();
  ui.QueueAnswer(Answer::Yes);
  ASSERT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Close);
  EXPECT_EQ(WrittenBlocks(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 10}));
  const BlockBytes& master = controller->Blocks().at(10);
  EXPECT_TRUE(std::equal(master.begin(), master.end(), c.networkMaster.MasterBlock.begin()));
  EXPECT_EQ(controller->Blocks().at(2)[1 + 27], c.networkMaster.Records[0][1 + 27]);
  EXPECT_EQ(c.reserveBlocks.MasterBlock, c.networkMaster.MasterBlock);
  EXPECT_FALSE(session.NetworkChanged());
  EXPECT_EQ(ui.ProgressSteps().back().maximum, 0);
}

TEST_F(NetworkWrite, DeletingTheFirstOfThreeWritesTheMovedProcessingTextAndFunctionBlockPages) {
  Read();
  ASSERT_TRUE(Create(0, 0, 1, 16));
  ASSERT_TRUE(Create(1, 1, 3, 1));
  ASSERT_TRUE(Create(2, 15, 2, 8));
  c.service.SetText(64, "moved");  // signal of the third block
  c.functionBlocks.SetTypeCode(0, 1);
  c.functionBlocks.SetInputSource(0, 0, srcDiscrete);
  c.functionBlocks.SetInputNumber(0, 0, 69);
  LocalNetworkSession session(c);
  ASSERT_TRUE(session.DeleteEntry(0));
  mark = line.Written().size();
  ui.QueueAnswer(Answer::Yes);
  ASSERT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Close);
  std::vector<int> expected{2, 3, 4, 5, 6, 7, 8, 10};
  for (int b = 12 + 48 / 18; b <= 25; ++b) expected.push_back(b);
  for (int b = 40 + 48 / 16; b <= 51; ++b) expected.push_back(b);
  for (int p = 0; p < c.functionBlocks.GetPageCount(); ++p) expected.push_back(68 + p);
  EXPECT_EQ(WrittenBlocks(), expected);
  EXPECT_EQ(c.service.GetText(48), "moved");
  EXPECT_EQ(c.functionBlocks.GetInputNumber(0, 0), 53);
  // The controller holds what the configuration holds.
  Configuration again;
  ASSERT_TRUE(ReadConfiguration(port, again, ui).ok);
  EXPECT_EQ(again.networkMaster.MasterBlock, c.networkMaster.MasterBlock);
  EXPECT_EQ(again.service.GetText(48), "moved");
  EXPECT_EQ(again.functionBlocks.GetInputNumber(0, 0), 53);
  EXPECT_EQ(again.service.SignalCount, c.service.SignalCount);
}

// A write refused half-way keeps the edits and the window; the next close
// sends only what the controller does not hold yet, and the controller ends
// with what the configuration holds.
TEST_F(NetworkWrite, WriteFailingHalfWayStaysAndResendsWhatStillDiffers) {
  Read();
  port.OnBlockStored([this](int, int block, std::span<const uint8_t> bytes) { c.image.Store(block, bytes); });
  ASSERT_TRUE(Create(0, 0, 1, 16));
  ASSERT_TRUE(Create(1, 1, 3, 1));
  ASSERT_TRUE(Create(2, 15, 2, 8));
  c.service.SetText(64, "moved");
  LocalNetworkSession session(c);
  ASSERT_TRUE(session.DeleteEntry(0));
  const std::vector<int> planned = session.NetworkWriteBlocks();
  const auto failing = std::find(planned.begin(), planned.end(), 15);
  ASSERT_NE(failing, planned.end());
  RefuseStoreNumber(failing - planned.begin());

  mark = line.Written().size();
  ui.QueueAnswer(Answer::Yes);
  EXPECT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Stay);
  EXPECT_TRUE(session.PartlyWritten());
  EXPECT_EQ(ui.Last().text, kNetworkPartlyWrittenText);
  EXPECT_EQ(c.service.GetText(48), "moved");  // the edits stay
  const std::vector<int> rest = session.NetworkWriteBlocks();
  ASSERT_FALSE(rest.empty());
  for (int b : rest) EXPECT_TRUE(std::find(failing, planned.end(), b) != planned.end()) << b;

  controller->SetFaults({});
  mark = line.Written().size();
  ui.QueueAnswer(Answer::Yes);
  EXPECT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Close);
  EXPECT_EQ(WrittenBlocks(), rest);
  EXPECT_FALSE(session.PartlyWritten());
  Configuration again;
  ASSERT_TRUE(ReadConfiguration(port, again, ui).ok);
  EXPECT_EQ(again.networkMaster.MasterBlock, c.networkMaster.MasterBlock);
  EXPECT_EQ(again.service.GetText(48), "moved");
  for (int i = 0; i < DiscreteProcessing::kSignals; ++i)
    EXPECT_EQ(again.discreteProcessing.Record(i), c.discreteProcessing.Record(i)) << i;
}

// No after a write that failed half-way puts the edits back and says that
// only a whole write makes the controller consistent again.
TEST_F(NetworkWrite, NoAfterAHalfWrittenNetworkNamesTheWholeWrite) {
  Read();
  LocalNetworkSession session(c);
  ASSERT_TRUE(Create(0, 0, 1, 16));
  ASSERT_TRUE(Create(1, 1, 3, 1));
  c.networkMaster.SetPosition(0, "TE-101");
  ASSERT_EQ(session.NetworkWriteBlocks(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 10}));
  RefuseStoreNumber(3);  // past the first records
  ui.QueueAnswer(Answer::Yes);
  ASSERT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Stay);
  ASSERT_TRUE(session.PartlyWritten());
  controller->SetFaults({});
  ui.QueueAnswer(Answer::No);
  EXPECT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Close);
  EXPECT_EQ(ui.Last().text, kNetworkNeedsWholeWriteText);
  EXPECT_FALSE(session.NetworkChanged());
}

// Without full access the answer Yes sends nothing and keeps nothing: the
// totals go back to the layout the controller has.
TEST_F(NetworkWrite, YesWithViewingAccessPutsTheEditsBack) {
  Read();
  const Configuration before = c;
  LocalNetworkSession session(c);
  ASSERT_TRUE(Create(0, 0, 1, 16));
  c.discreteProcessing.AccessLevel = kViewingAccess;
  mark = line.Written().size();
  ui.QueueAnswer(Answer::Yes);
  EXPECT_EQ(session.Close(port, ui), LocalNetworkSession::Verdict::Close);
  EXPECT_EQ(ui.Last().text, kNoWriteAccessText);
  EXPECT_TRUE(WrittenBlocks().empty());
  EXPECT_EQ(c.networkMaster.MasterBlock, before.networkMaster.MasterBlock);
  EXPECT_EQ(c.service.SignalCount, before.service.SignalCount);
}

TEST_F(NetworkWrite, ViewingAccessWritesNothing) {
  Read();
  c.discreteProcessing.AccessLevel = kViewingAccess;
  LocalNetworkSession session(c);
  session.ChooseBaud(1);
  mark = line.Written().size();
  EXPECT_FALSE(session.WriteNetwork(port, ui));
  EXPECT_EQ(ui.Last().text, kNoWriteAccessText);
  EXPECT_TRUE(WrittenBlocks().empty());
}

// --- the function-15 editor --------------------------------------------------------------

struct F15Case {
  const char* name;
  const char* function;
  const char* inputs;
  const char* count;
  int badSignalAt;  // -1 none
  Messages expected;
  bool functionHint = false;
};

class Function15Checks : public ::testing::TestWithParam<F15Case> {};

TEST_P(Function15Checks, ReportsAndStoresNothingOnError) {
  const F15Case& t = GetParam();
  Configuration c;
  c.function15Blocks.Clear();
  Function15Form f;
  f.function = t.function;
  f.slaveIndex = 4;
  f.inputs = t.inputs;
  f.dataCount = t.count;
  f.signalNumbers.fill("7");
  if (t.badSignalAt >= 0) f.signalNumbers[static_cast<size_t>(t.badSignalAt)] = "253";
  const Function15Check r = CheckFunction15Entry(c, 0, f, true);
  EXPECT_EQ(r.messages, t.expected);
  EXPECT_EQ(r.functionHint, t.functionHint);
  const bool stored = t.expected.empty() && !t.functionHint && std::string(t.function) == "15";
  EXPECT_EQ(c.function15Blocks.GetFunction(0), stored ? 15 : 0);
  if (stored) {
    EXPECT_EQ(c.function15Blocks.GetSlave(0), 5);
    EXPECT_EQ(c.function15Blocks.GetInputSignal(0, 0), 7);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Function15Checks,
    ::testing::Values(F15Case{"Accepted", "15", "16", "16", -1, {}},
                      F15Case{"Inputs33", "15", "33", "33", -1, {"ошибка в количестве входов блока"}},
                      F15Case{"CountDiffers", "15", "16", "8", -1, {"ошибка в количестве данных в запросе"}},
                      F15Case{
                          "Signal253AtInput5", "15", "8", "8", 4, {"ошибка в адресе дискретного сигнала 5"}},
                      F15Case{"Function16", "16", "8", "8", -1, {}, true},
                      F15Case{"ZeroInputs", "15", "0", "0", -1, {" Ошибка ввода "}},
                      F15Case{"FreeEntryLeftFree", "0", "", "", 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Function15Editor, SignalFieldsFollowTheInputsCount) {
  EXPECT_EQ(EnabledSignalFields("5"), 5);
  EXPECT_EQ(EnabledSignalFields("40"), 32);
  EXPECT_EQ(EnabledSignalFields("-3"), 0);
  EXPECT_EQ(EnabledSignalFields(""), 0);
}

// --- scaling and online range --------------------------------------------------------------

struct ScalingText {
  const char* text;
  int kind;
  bool valid;
};
class ScalingFields : public ::testing::TestWithParam<ScalingText> {};
TEST_P(ScalingFields, EmptyAndOutOfRangeTextsAreRefused) {
  EXPECT_EQ(ScalingTextValid(GetParam().text, GetParam().kind), GetParam().valid) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(Texts, ScalingFields,
                         ::testing::Values(ScalingText{"", 2, false}, ScalingText{"12,5", 0, true},
                                           ScalingText{"-100", 1, true}, ScalingText{"40000", 2, false},
                                           ScalingText{"1,2,3", 2, false}, ScalingText{"--1", 0, false}));

TEST_F(NetworkEditing, AnalogSpanCoversOnlyTheEntrysNetworkPositions) {
  ASSERT_TRUE(Create(0, 15, 3, 6));
  ASSERT_TRUE(Create(1, 15, 4, 3));
  ASSERT_TRUE(Create(2, 15, 1, 4));
  EXPECT_EQ(NetworkAnalogSpanOf(c, 1).first, 6);
  EXPECT_EQ(NetworkAnalogSpanOf(c, 1).count, 3);
  EXPECT_TRUE(NetworkAnalogSpanOf(c, 2).empty());
  c.networkMaster.SetFirstAnalog(1, 46);  // a damaged entry passing the 48th
  EXPECT_TRUE(NetworkAnalogSpanOf(c, 1).empty());
}

struct RangeCase {
  const char* start;
  const char* count;
  bool ok;
  int field;
  const char* hint;
};
class DiscreteRange : public ::testing::TestWithParam<RangeCase> {};
// A block of 16 limit signals 60..75.
TEST_P(DiscreteRange, StartWithinTheBlockAndAtMostTwelveLeft) {
  const RangeCase& t = GetParam();
  const RangeCheck r = CheckDiscreteRange(t.start, t.count, 60, 16);
  EXPECT_EQ(r.ok, t.ok);
  EXPECT_EQ(r.field, t.field);
  EXPECT_EQ(r.hint, t.hint);
}
INSTANTIATE_TEST_SUITE_P(Ranges, DiscreteRange,
                         ::testing::Values(RangeCase{"60", "12", true, 1, ""},
                                           RangeCase{"64", "12", true, 1, ""},
                                           RangeCase{"70", "6", true, 1, ""},
                                           RangeCase{"70", "7", false, 1, "Величина вне диапазона 1 - 6"},
                                           RangeCase{"59", "4", false, 0, "Величина вне диапазона 60 - 75"},
                                           RangeCase{"-1", "4", false, 0, "Величина вне диапазона 60 - 75"},
                                           RangeCase{"60", "13", false, 1, "Величина вне диапазона 1 - 12"},
                                           RangeCase{"60", "0", false, 1, "Величина вне диапазона 1 - 12"},
                                           RangeCase{"", "4", false, 0, ""},
                                           RangeCase{"60", "", false, 1, ""}));

// --- report ------------------------------------------------------------------------------

TEST_F(NetworkEditing, ReportListsEntriesLineSettingsFunction15AndScaledSignals) {
  FiveBlocks();
  c.networkMaster.SetBaudIndex(3);
  c.networkMaster.SetFrameIndex(2);
  c.networkMaster.SetPosition(0, "FT-7");
  c.function15Blocks.SetFunction(1, 15);
  c.function15Blocks.SetInputs(1, 2);
  c.function15Blocks.SetInputSignal(1, 0, 40);
  c.function15Blocks.SetInputSignal(1, 1, 41);
  const Report r = NetworkReport(c, "Файл a.zul");
  auto has = [&r](const std::string& text) {
    for (const std::string& line : r.lines)
      if (line.find(text) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has("2\tФ3\tдругие \t2\t0000\t2\t2\t41-48\t7-8\t0\tцелочисл."));
  EXPECT_TRUE(has("1\tФ1\tдругие \t1\t0000\t4\t4\t37-40\t—\t0\t—"));
  EXPECT_TRUE(has("16\t—"));
  EXPECT_TRUE(has("Скорость(бит/с):\t\t115200"));
  EXPECT_TRUE(has("Четность:\t\t1 стоп-бит с контр. четности"));
  EXPECT_TRUE(has("Входы блока 2 ф15 (номера дискр. сигналов)"));
  EXPECT_TRUE(has("1: 40\t2: 41"));
  EXPECT_TRUE(has("7\tDLAI2_1_\tFT-7"));
  EXPECT_FALSE(has(kInvalidEntryHint));
  EXPECT_EQ(ScaledSignalRows(c).size(), 5u);
}

// A damaged entry is marked where it is listed, and an analog one whose
// signals cannot be scaled is named instead of left out.
TEST_F(NetworkEditing, ReportMarksDamagedEntriesAndTheScalingItCannotShow) {
  FiveBlocks();
  c.networkMaster.SetFirstDiscrete(1, 0);
  c.networkMaster.SetFirstAnalog(1, 0);
  c.networkMaster.SetDataType(3, 1);
  c.networkMaster.SetByteOrder(3, 1);
  const Report r = NetworkReport(c, "Файл a.zul");
  auto at = [&r](const std::string& text) {
    return std::find_if(r.lines.begin(), r.lines.end(),
                        [&text](const std::string& line) { return line.find(text) != std::string::npos; });
  };
  const auto entry = at("2\tФ3\tдругие ");
  ASSERT_NE(entry, r.lines.end());
  ASSERT_NE(entry + 1, r.lines.end());
  EXPECT_NE((entry + 1)->find(kInvalidEntryHint), std::string::npos);
  EXPECT_NE(at("блок 2: аналоговые сигналы не показаны"), r.lines.end());
  EXPECT_NE(at("IEEE754 младш.рег."), r.lines.end());
}

}  // namespace
}  // namespace zul
