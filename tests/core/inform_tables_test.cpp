#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/InformTables.h"
#include "core/config/InputInfo.h"
#include "core/link/ModbusLink.h"
#include "core/model/Cp1251.h"
#include "support/FakeSerialLine.h"

namespace zul {
namespace {

using test::Bytes;

// A controller with these module types in slots 1.., identifiers generated.
void Compose(Configuration& c, std::initializer_list<int> types) {
  std::array<uint8_t, 23> id{};
  int slot = 1, di = 0, ai = 0, dout = 0;
  for (int t : types) {
    id[static_cast<size_t>(slot++)] = static_cast<uint8_t>(t);
    const auto g = ServiceBlock::GroupOf(t);
    di += g == ServiceBlock::ModuleGroup::DiscreteInput;
    ai += g == ServiceBlock::ModuleGroup::Analog;
    dout += g == ServiceBlock::ModuleGroup::RelayOutput;
  }
  id[0] = static_cast<uint8_t>(di + ai + dout);
  id[19] = static_cast<uint8_t>(8 * dout);
  id[20] = static_cast<uint8_t>(12 * di + 24 * ai);
  id[21] = static_cast<uint8_t>(6 * ai);
  c.service.LoadIdentity(id);
  c.service.ClearIdentifiers();
  c.service.DefaultIdentifiers();
  c.service.DefaultOutputIdentifiers();
}

class InformTest : public ::testing::Test {
 protected:
  InformTest() {
    line.ForceOpen(true);
    Compose(c, {1, 1, 6, 3});
    c.discreteProcessing.AccessLevel = kFullAccess;
    port.BindAccessLevel(&c.discreteProcessing.AccessLevel);
  }
  Configuration c;
  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  ModbusLink port{line, clock, ui};
};

// --- the tables ----------------------------------------------------------------------

TEST_F(InformTest, TwoDiscreteAndOneAnalogModule_48SignalRowsAnd6AnalogRows) {
  c.service.SetText(0, "Насос 1");
  const auto rows = SignalRows(c, RelayColumn::Shown);
  ASSERT_EQ(rows.size(), 48u);
  EXPECT_EQ(rows[0], (SignalRow{"1", "DI_1_1    ", " 0x00", "Насос 1", "       -"}));  // the blank cells too
  EXPECT_EQ(rows[47][1], "AI1_6_HH  ");
  EXPECT_EQ(rows[47][2], " 0x2F");

  c.analogModules.SetPosition(0, 2, "TE-3");
  const auto analog = AnalogRows(c);
  ASSERT_EQ(analog.size(), 60u);
  EXPECT_EQ(analog[2], (AnalogRow{"3", "AI1_3", " 0x02", "TE-3"}));
  EXPECT_EQ(analog[5][0], "6");
  EXPECT_EQ(analog[6], AnalogRow{});
}

struct RelayCase {
  int module;  // relay mask 1..8 set
  RelayColumn column;
  const char* shown;
};

class RelayColumnTest : public InformTest, public ::testing::WithParamInterface<RelayCase> {};

TEST_P(RelayColumnTest, LooksAtRelayModules1To5Only) {
  if (GetParam().module > 0) c.discreteProcessing.SetByte(4, GetParam().module, 0x80);
  EXPECT_EQ(SignalRows(c, GetParam().column)[4][4], GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Masks, RelayColumnTest,
                         ::testing::Values(RelayCase{0, RelayColumn::Shown, "       -"},
                                           RelayCase{1, RelayColumn::Shown, "       V"},
                                           RelayCase{5, RelayColumn::Shown, "       V"},
                                           RelayCase{6, RelayColumn::Shown, "       -"},
                                           RelayCase{8, RelayColumn::Shown, "       -"},
                                           RelayCase{1, RelayColumn::Blank, "        "}));

TEST_F(InformTest, NetworkAnalogInputsFollowTheOwnOnes) {
  // Block 1: two discrete inputs; block 2: one analog input (four limit signals).
  std::array<int, 16> functions{}, outputs{};
  functions[0] = 1, outputs[0] = 2;
  functions[1] = 3, outputs[1] = 1;
  c.service.RebuildNetSignals(functions, outputs);
  c.networkMaster.SetPosition(0, "FT-7");
  const auto analog = AnalogRows(c);
  EXPECT_EQ(analog[6], (AnalogRow{"7", "DLAI2_1", " 0x06", "FT-7"}));
  EXPECT_EQ(analog[7], AnalogRow{});
}

TEST_F(InformTest, BrokenNetworkTableEndsTheWalkInsideTheTables) {
  c.service.NetAnalogTotal = 1000;  // counts no identifier backs
  const auto analog = AnalogRows(c);
  EXPECT_EQ(analog.size(), 60u);
  EXPECT_EQ(analog[6], AnalogRow{});
}

TEST_F(InformTest, OutputRowsShowTheRelayRecord) {
  c.relayModules.SetOutputType(2, 0, 1);
  c.relayModules.SetMode(2, 0, 1);
  c.relayModules.SetAckPanel(2, 0, 1);
  c.relayModules.SetAckTop(2, 0, 0);
  c.relayModules.SetAckInput(2, 0, 17);
  c.relayModules.SetResetPanel(2, 0, 0);
  c.relayModules.SetResetTop(2, 0, 1);
  c.relayModules.SetResetInput(2, 0, 200);
  c.relayModules.SetOutputType(3, 0, 0);
  c.relayModules.SetMode(3, 0, 0);
  c.service.SetOutputText(2, "Клапан");
  const auto rows = OutputRows(c);
  ASSERT_EQ(rows.size(), 8u);
  EXPECT_EQ(rows[2], (OutputRow{" 3", "Клапан", " 0x02", "DO_1_3", "управл.", "с   блокировкой", "есть",
                                "нет", "17", "нет", "есть", "200"}));
  EXPECT_EQ(rows[3][4], "сигнал.");
  EXPECT_EQ(rows[3][5], "свет(п-вод в ровн)");
}

// --- an edited signal text ---------------------------------------------------------------

struct TextWriteCase {
  const char* name;
  int fileMode;
  int access;
  int signal;
  int textChanged;
  TextWrite outcome;
  int block;  // -1: nothing sent
  int fileChanged;
  bool warned;
};

class TextWriteTest : public InformTest, public ::testing::WithParamInterface<TextWriteCase> {};

TEST_P(TextWriteTest, SendsOnlyWhatTheControllerHolds) {
  const auto& p = GetParam();
  c.service.SetSignalCount(252);
  c.service.FileMode = p.fileMode;
  c.discreteProcessing.AccessLevel = p.access;
  c.service.SetText(p.signal, "Новый текст");
  c.service.TextChanged = p.textChanged;
  line.QueueFrame({0x01, 0x45, 0x01, static_cast<uint8_t>(p.block)});  // store
  line.QueueFrame({0x01, 0x0E});                                       // confirmed
  std::vector<int> progress;
  EXPECT_EQ(SendEditedSignalText(c, port, ui, p.signal, [&](int v) { progress.push_back(v); }), p.outcome);
  EXPECT_EQ(c.service.FileChanged, p.fileChanged);
  EXPECT_EQ(c.service.GetText(p.signal), "Новый текст");
  EXPECT_EQ(!ui.Shown().empty(), p.warned);
  if (p.warned) {
    EXPECT_EQ(ui.Last().text, kNoWriteAccessText);
  }
  if (p.block < 0) {
    EXPECT_TRUE(line.Written().empty());
    return;
  }
  ASSERT_EQ(line.Written().size(), 2u);
  const Bytes& store = line.Written()[0];
  EXPECT_EQ(store[1], 69);
  EXPECT_EQ(store.size() - 4, 225u);  // address, function, CRC around the request data
  EXPECT_EQ(store[2], p.block);
  const size_t row = static_cast<size_t>(p.signal % 16);
  EXPECT_EQ(GetTextField(store.data() + 3 + 14 * row, 14), "Новый текст");
  EXPECT_EQ(progress.back(), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextWriteTest,
    ::testing::Values(
        TextWriteCase{"Device", 0, kFullAccess, 19, 1, TextWrite::Written, 41, 0, false},
        TextWriteCase{"FileMode", 1, kFullAccess, 19, 1, TextWrite::FileChanged, -1, 1, false},
        TextWriteCase{"NoAccess", 0, kViewingAccess, 19, 1, TextWrite::NoAccess, -1, 0, true},
        TextWriteCase{"NotTyped", 0, kFullAccess, 19, 0, TextWrite::Unchanged, -1, 0, false},
        TextWriteCase{"LastHeld", 0, kFullAccess, 191, 1, TextWrite::Written, 51, 0, false},
        TextWriteCase{"BeyondTheController", 0, kFullAccess, 192, 1, TextWrite::MemoryOnly, -1, 0, false},
        TextWriteCase{"LastSignal", 0, kFullAccess, 251, 1, TextWrite::MemoryOnly, -1, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InformTest, FailedTextWrite_ReportedAndTheTextStays) {
  c.service.SetText(3, "abc");
  c.service.TextChanged = 1;
  EXPECT_EQ(SendEditedSignalText(c, port, ui, 3), TextWrite::Failed);
  EXPECT_FALSE(ui.Shown().empty());
  EXPECT_EQ(c.service.GetText(3), "abc");
  EXPECT_EQ(c.service.TextChanged, 1);
}

// --- copying and replacing groups ------------------------------------------------------

TEST_F(InformTest, CopyChecksTheNumbersAgainstTheBase) {
  const struct {
    int first, last;
    bool ok;
  } cases[] = {{1, 48, true}, {49, 49, false}, {1, 49, false}, {5, 4, false}, {0, 3, false}, {48, 48, true}};
  for (const auto& k : cases) {
    ui.Clear();
    EXPECT_EQ(CopySignalTexts(c, ui, k.first, k.last), k.ok) << k.first << ".." << k.last;
    EXPECT_EQ(ui.Shown().empty(), k.ok);
    if (!k.ok) {
      EXPECT_EQ(ui.Last().text, kWrongInputNumberText);
    }
  }
}

TEST_F(InformTest, CopyTakesTheSignalsOfTheEditorsRows) {
  c.discreteProcessing.RowSignal[0] = 30;  // row 1 shows signal 30, row 2 is empty
  c.discreteProcessing.RowSignal[2] = 10;
  EXPECT_EQ(SignalOfTypedNumber(c, 1), 30);
  EXPECT_EQ(SignalOfTypedNumber(c, 2), 1);
  EXPECT_FALSE(CopySignalTexts(c, ui, 1, 3));  // 30 .. 10 runs backwards
  EXPECT_TRUE(CopySignalTexts(c, ui, 2, 1));   // 1 .. 30
  EXPECT_EQ(c.copyBlocks.FirstCopiedSignal, 1);
  EXPECT_EQ(c.copyBlocks.LastCopiedSignal, 30);
}

TEST_F(InformTest, ReplaceStopsAtTheLastSignal) {
  for (int s = 0; s < 252; ++s) c.service.SetText(s, "t" + std::to_string(s));
  ASSERT_TRUE(CopySignalTexts(c, ui, 1, 10));
  EXPECT_EQ(ReplaceSignalTexts(c, ui, 45), 4);
  EXPECT_EQ(c.service.GetText(44), "t0");
  EXPECT_EQ(c.service.GetText(47), "t3");
  EXPECT_EQ(c.service.GetText(48), "t48");  // beyond the base: untouched
  EXPECT_EQ(c.discreteProcessing.RebuildOnly, 1);
  EXPECT_EQ(c.service.FileChanged, 0);
  EXPECT_EQ(ReplaceSignalTexts(c, ui, 49), -1);
  EXPECT_EQ(ui.Last().text, kWrongInputNumberText);
}

TEST_F(InformTest, OutputGroupsUseTheTypedNumbers) {
  for (int o = 0; o < 64; ++o) c.service.SetOutputText(o, "o" + std::to_string(o));
  EXPECT_FALSE(CopyOutputTexts(c, ui, 1, 9));
  EXPECT_EQ(ui.Last().text, kWrongOutputNumberText);
  ASSERT_TRUE(CopyOutputTexts(c, ui, 2, 4));
  EXPECT_EQ(ReplaceOutputTexts(c, ui, 7), 2);
  EXPECT_EQ(c.service.GetOutputText(6), "o1");
  EXPECT_EQ(c.service.GetOutputText(7), "o2");
  EXPECT_EQ(c.service.GetOutputText(8), "o8");
}

// --- names from a file -------------------------------------------------------------------

class NamesFileTest : public InformTest {
 protected:
  NamesFileTest() {
    std::filesystem::create_directories(dir);
    for (int o = 0; o < 64; ++o) c.service.SetOutputText(o, "old" + std::to_string(o));
  }
  ~NamesFileTest() override { std::filesystem::remove_all(dir); }

  std::string Write(size_t size, std::initializer_list<int> types) {
    std::vector<uint8_t> bytes(size, 0);
    int slot = 2;
    for (int t : types)
      if (bytes.size() > 24) bytes[static_cast<size_t>(slot++)] = static_cast<uint8_t>(t);
    for (int o = 0; o < 40 && size >= 7960; ++o) {
      const std::string text = Utf8ToCp1251("file" + std::to_string(o));
      std::fill_n(bytes.begin() + 7400 + 14 * o, 14, ' ');
      std::copy(text.begin(), text.end(), bytes.begin() + 7400 + 14 * o);
    }
    const auto path = (dir / ("f" + std::to_string(size) + ".zul")).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "zul_names_test";
};

TEST_F(NamesFileTest, OwnFormatLoadsOutputTexts0To39) {
  EXPECT_EQ(LoadOutputNamesFromFile(c, ui, Write(37129, {1, 1, 6, 3})), NamesLoad::Loaded);
  EXPECT_TRUE(ui.Shown().empty());
  EXPECT_EQ(c.service.GetOutputText(0), "file0");
  EXPECT_EQ(c.service.GetOutputText(39), "file39");
  EXPECT_EQ(c.service.GetOutputText(40), "old40");
  EXPECT_EQ(GetTextField(c.reserveBlocks.OutTexts[39].data(), 14), "file39");
  EXPECT_EQ(GetTextField(c.reserveBlocks.OutTexts[63].data(), 14), "old63");
}

TEST_F(NamesFileTest, OtherCompositionWarnsAndStillLoads) {
  EXPECT_EQ(LoadOutputNamesFromFile(c, ui, Write(37129, {1, 6, 3})), NamesLoad::Loaded);
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().text, "Рабочая конфигурация \nне соответствует конфигурации в файле");
  EXPECT_EQ(c.service.GetOutputText(0), "file0");
}

TEST_F(NamesFileTest, SizesOfOtherFormatsAreRefused) {
  const struct {
    size_t size;
    const char* text;
  } cases[] = {{20 * 1024, "Файл создан для ЗУЛ-05 на 120 ФБ"},
               {19 * 1024, "Файл создан для ЗУЛ-05 на 120 ФБ"},
               {34 * 1024 + 1023, "Файл создан для ЗУЛ-05 на 120 ФБ"},
               {17 * 1024 + 5, "Файл создан для ЗУЛ на 60 ФБ"},
               {12 * 1024, "Файл создан для ЗУЛ на 40 ФБ"},
               {8 * 1024 - 1, "Файл не опознан"},
               {0, "Файл не опознан"}};
  for (const auto& k : cases) {
    ui.Clear();
    EXPECT_EQ(LoadOutputNamesFromFile(c, ui, Write(k.size, {1, 1, 6, 3})), NamesLoad::Refused) << k.size;
    ASSERT_EQ(ui.Shown().size(), 1u);
    EXPECT_EQ(ui.Last().text, k.text);
    EXPECT_EQ(ui.Last().caption, kCaptionWarning);
    EXPECT_EQ(c.service.GetOutputText(0), "old0");
  }
}

TEST_F(NamesFileTest, MissingFileCannotBeOpened) {
  EXPECT_EQ(LoadOutputNamesFromFile(c, ui, (dir / "none.zul").string()), NamesLoad::CannotOpen);
  EXPECT_EQ(ui.Last().text, "Файл не удается открыть");
  EXPECT_EQ(ui.Last().caption, "Открытие файла");
}

// --- input information ---------------------------------------------------------------

TEST_F(InformTest, InputInfoOfAnAnalogSetpoint) {
  c.analogModules.SetPosition(0, 2, "TE-3");
  const InputInfo info = DescribeInput(c, 24 + 4 * 2 + 3);  // AI1_3_HH
  EXPECT_EQ(info.kind, InputInfo::Kind::Analog);
  EXPECT_EQ(info.header, "36 (адрес 0x23)      AI1_3_HH  ");
  EXPECT_EQ(info.module, 1);
  EXPECT_EQ(info.moduleType, "ЛК-7");
  EXPECT_EQ(info.input, 3);
  EXPECT_EQ(info.position, "TE-3");
  EXPECT_EQ(info.setpointName, "уставка HH");
  EXPECT_EQ(DescribeInput(c, 23).kind, InputInfo::Kind::None);
  EXPECT_EQ(DescribeInput(c, 252).kind, InputInfo::Kind::None);
}

TEST_F(InformTest, InputInfoOfNetworkSignals) {
  std::array<int, 16> functions{}, outputs{};
  functions[0] = 2, outputs[0] = 2;
  functions[1] = 4, outputs[1] = 2;
  c.networkMaster.SetFunction(0, 2);
  c.networkMaster.SetOutputs(0, 2);
  c.networkMaster.SetFunction(1, 4);
  c.networkMaster.SetOutputs(1, 2);
  c.networkMaster.SetSlave(1, 7);
  c.networkMaster.SetSlaveType(1, 15);
  c.networkMaster.SetPosition(1, "PT-2");
  c.service.RebuildNetSignals(functions, outputs);
  const InputInfo d = DescribeInput(c, 49);
  EXPECT_EQ(d.kind, InputInfo::Kind::Network);
  EXPECT_EQ(d.module, 1);
  EXPECT_EQ(d.input, 2);
  EXPECT_FALSE(d.scaling);
  const InputInfo a = DescribeInput(c, 50 + 4 + 2);  // block 2, input 2, H
  EXPECT_EQ(a.module, 2);
  EXPECT_EQ(a.slave, 7);
  EXPECT_EQ(a.slaveType, "не определен");
  EXPECT_EQ(a.input, 2);
  EXPECT_TRUE(a.scaling);
  EXPECT_EQ(a.position, "PT-2");
  EXPECT_EQ(a.setpointName, "уставка H");
  EXPECT_EQ(DescribeInput(c, 58).kind, InputInfo::Kind::None);  // past the last block
}

}  // namespace
}  // namespace zul
