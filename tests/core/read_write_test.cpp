// The whole-configuration read and write against simulated controllers on an
// in-process line, in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/config/AccessLevel.h"
#include "core/config/Configuration.h"
#include "core/config/ReadConfiguration.h"
#include "core/config/WriteConfiguration.h"
#include "core/config/ZulFile.h"
#include "core/link/ModbusLink.h"
#include "sim/SimulatedLine.h"

namespace zul {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes WithNumber(int block, std::span<const uint8_t> bytes) {
  Bytes b(bytes.size() + 1);
  b[0] = static_cast<uint8_t>(block);
  std::copy(bytes.begin(), bytes.end(), b.begin() + 1);
  return b;
}

Bytes Cut(std::span<const uint8_t> bytes, int length) {
  return Bytes(bytes.begin(), bytes.begin() + std::clamp<int>(length, 0, static_cast<int>(bytes.size())));
}

// A block as the controller keeps it (number first), built from the
// configuration's objects; the objects' exchange buffers are used, hence the copy.
Bytes BlockFrom(Configuration c, int block) {
  if (block >= 1 && block <= 8) {
    const int k = block - 1;
    const int analog = c.service.AiModules;
    if (k < analog) return Cut(c.analogModules.GetRecord(k), c.analogModules.GetRecordLength());
    return Cut(c.networkMaster.Records[static_cast<size_t>(k - analog)], c.networkMaster.RecordLen);
  }
  if (block == 9) return Cut(c.relayModules.GetBlock(), c.relayModules.GetBlockLength());
  if (block == 10) return Cut(c.networkMaster.MasterBlock, c.networkMaster.MasterBlockLen);
  if (block == 11) return Cut(c.function15Blocks.GetBlock(), c.networkMaster.F15BlockLen);
  if (block >= 12 && block <= 25) {
    c.discreteProcessing.PackBlock(block - 12);
    return WithNumber(block, c.discreteProcessing.ExchangeBuffer());
  }
  if (block == 32 || block == 33) {
    c.regulators.Pack(block);
    return WithNumber(block, c.regulators.RegBuf);
  }
  if (block == 35) return WithNumber(block, c.analogModules.GetUnits());
  if (block >= 40 && block <= 51) {
    c.service.FillTextBlock(block - 40);
    return WithNumber(block, c.service.TextBuf);
  }
  if (block >= 68 && block <= 79) {
    c.functionBlocks.StorePage(block - 68);
    return WithNumber(block, c.functionBlocks.PageBuf());
  }
  if (block == 98) return WithNumber(block, c.discreteProcessing.SensorTypes());
  return {};
}

std::vector<int> ReadBlockNumbers(bool regulator, bool programmable, int pages = 12) {
  std::vector<int> blocks{10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11};
  for (int b = 12; b <= 25; ++b) blocks.push_back(b);
  if (regulator) blocks.insert(blocks.end(), {32, 33});
  blocks.push_back(35);
  for (int b = 40; b <= 51; ++b) blocks.push_back(b);
  for (int p = 0; p < pages; ++p) blocks.push_back(68 + p);
  if (programmable) blocks.push_back(98);
  return blocks;
}

// Everything of the configuration a write must leave as it was.
struct Image {
  std::map<int, Bytes> blocks;
  std::array<int, ServiceBlock::kSlots> modules{};
  std::array<uint8_t, ServiceBlock::kIdentityBytes> identity{};
  std::vector<int> counts;
  std::vector<std::string> idents;
  bool operator==(const Image&) const = default;
};

Image ImageOf(const Configuration& c) {
  Image image;
  for (int b : ReadBlockNumbers(true, true)) image.blocks[b] = BlockFrom(c, b);
  const ServiceBlock& s = c.service;
  image.modules = s.ModuleType;
  image.identity = s.Identity;
  image.counts = {s.DiModules,     s.AiModules,        s.DoModules,        s.DiCount,
                  s.AiCount,       s.DoCount,          s.SignalCount,      s.AnalogSignalCount,
                  s.NetBlocksUsed, s.NetDiscreteTotal, s.NetAnalogTotal,   s.GroupStart1,
                  s.GroupStart2,   s.IndicationType,   s.ConfiguredDevice, c.functionBlocks.GetTableSize()};
  for (int i = 0; i < ServiceBlock::kSignals; ++i) image.idents.push_back(s.GetIdentifier(i));
  return image;
}

// Network master block with entry 0 of function 2 (4 discrete signals) and
// entry 1 of function 3 (2 analog signals), both placed after the modules.
Bytes MasterBlockFor(const Composition& comp) {
  Bytes m(194, 0);
  m[0] = 10;
  const int first = comp.DiCount() + 4 * comp.AiCount();
  const uint8_t entries[2][12] = {
      {2, 4, 5, 0, 0, 4, 0, 0, static_cast<uint8_t>(first), static_cast<uint8_t>(comp.AiCount()), 0, 0},
      {3, 2, 6, 0, 0, 2, 0, 0, static_cast<uint8_t>(first + 4), static_cast<uint8_t>(comp.AiCount()), 0xFF,
       0x0F}};
  for (int k = 0; k < 2; ++k) std::copy(entries[k], entries[k] + 12, m.begin() + 1 + 12 * k);
  return m;
}

Composition Modules(std::initializer_list<uint8_t> types) {
  Composition c;
  std::copy(types.begin(), types.end(), c.modules.begin());
  return c;
}

class ReadWriteFixture : public ::testing::Test {
 protected:
  ReadWriteFixture() : bus_(clock_), line_(bus_, clock_), port_(line_, clock_, ui_) {
    port_.BindAccessLevel(&config_.discreteProcessing.AccessLevel);
  }

  SimulatedController& Add(ControllerSetup setup) {
    SimulatedController& c = bus_.Add(setup);
    if (!line_.IsOpen()) {
      EXPECT_EQ(port_.OpenPort(), 0);
    }
    return c;
  }
  SimulatedController& Add(const Composition& comp, int address = 1, bool random = false) {
    ControllerSetup setup;
    setup.address = address;
    setup.composition = comp;
    setup.randomBlocks = random;
    setup.seed = 7;
    return Add(setup);
  }

  std::vector<int> Requested(uint8_t function) const {
    std::vector<int> blocks;
    for (const Bytes& f : line_.Written())
      if (f.size() > 2 && f[1] == function) blocks.push_back(f[2]);
    return blocks;
  }
  size_t FramesOf(uint8_t function) const {
    return static_cast<size_t>(
        std::count_if(line_.Written().begin(), line_.Written().end(),
                      [function](const Bytes& f) { return f.size() > 1 && f[1] == function; }));
  }
  std::vector<std::string> ShownTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : ui_.Shown()) texts.push_back(m.text);
    return texts;
  }

  VirtualClock clock_;
  SimulatedBus bus_;
  SimulatedLine line_;
  ScriptedInteraction ui_;
  ModbusLink port_;
  Configuration config_;
};

// ---------------------------------------------------------------- read

struct ReadCase {
  const char* name;
  Composition composition;
  bool regulator;
  bool programmable;
};

class ReadCompositions : public ReadWriteFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadCompositions, RequestsTheComposition_sBlocksAndKeepsThemByteForByte) {
  const ReadCase& c = GetParam();
  SimulatedController& sim = Add(c.composition, 1, true);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  ASSERT_TRUE(r.ok) << r.Describe();
  EXPECT_TRUE(ui_.Shown().empty());
  EXPECT_EQ(FramesOf(17), 1u);
  const std::vector<int> expected = ReadBlockNumbers(c.regulator, c.programmable);
  EXPECT_EQ(Requested(68), expected);
  for (int b : expected) EXPECT_EQ(BlockFrom(config_, b), sim.Blocks().at(b)) << "block " << b;
  EXPECT_EQ(config_.service.ModuleType[0], c.composition.modules[0]);
  EXPECT_EQ(config_.reserveBlocks.MasterBlock, config_.networkMaster.MasterBlock);
  EXPECT_EQ(ui_.ProgressSteps().back().maximum, 0);  // hidden at the end
}

INSTANTIATE_TEST_SUITE_P(Compositions, ReadCompositions,
                         ::testing::Values(ReadCase{"Plain", Modules({1, 1, 6, 3}), false, false},
                                           ReadCase{"Regulator", Modules({1, 6, 3, 14}), true, false},
                                           ReadCase{"Programmable", Modules({10, 6, 3}), false, true},
                                           ReadCase{"Both", Modules({1, 10, 6, 8, 3, 14}), true, true},
                                           ReadCase{"NoAnalog", Modules({1, 3}), false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadWriteFixture, ReadWithTwoAnalogModules_PutsBlocks3To8IntoNetworkParts) {
  SimulatedController& sim = Add(Modules({1, 6, 7, 3}), 1, true);
  ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);
  for (int m = 0; m < 2; ++m) EXPECT_EQ(Cut(config_.analogModules.GetRecord(m), 169), sim.Blocks().at(m + 1));
  for (int part = 0; part < 6; ++part)
    EXPECT_EQ(Bytes(config_.networkMaster.Records[part].begin(), config_.networkMaster.Records[part].end()),
              sim.Blocks().at(part + 3));
}

TEST_F(ReadWriteFixture, LostAndCorruptAnswersAreRetriedAndTheBlocksStillArriveWhole) {
  ControllerSetup setup;
  setup.composition = Modules({1, 6, 3, 14});
  setup.randomBlocks = true;
  setup.faults.badCrc.requests = {2, 15};
  setup.faults.drop.requests = {30};
  setup.faults.cut.requests = {41};
  SimulatedController& sim = Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  ASSERT_TRUE(r.ok) << r.Describe();
  EXPECT_TRUE(ui_.Shown().empty());
  EXPECT_EQ(line_.Written().size(), static_cast<size_t>(r.requests) + 4);  // one more try per fault
  for (int b : ReadBlockNumbers(true, false))
    EXPECT_EQ(BlockFrom(config_, b), sim.Blocks().at(b)) << "block " << b;
}

// Answers that arrive whole and with a good checksum but are not the answer
// to the request (request 13 asks for block 12): a failed try each, so the
// read goes on and every block holds what the controller keeps for it.
struct ForeignReadAnswer {
  const char* name;
  void (*configure)(FaultSettings&);
};

class ReadForeignAnswers : public ReadWriteFixture,
                           public ::testing::WithParamInterface<ForeignReadAnswer> {};

TEST_P(ReadForeignAnswers, AreRetriedAndEveryBlockIsTheControllers) {
  ControllerSetup setup;
  setup.composition = Modules({1, 6, 3});
  setup.randomBlocks = true;
  GetParam().configure(setup.faults);
  SimulatedController& sim = Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  ASSERT_TRUE(r.ok) << r.Describe();
  EXPECT_TRUE(ui_.Shown().empty());
  EXPECT_EQ(line_.Written().size(), static_cast<size_t>(r.requests) + 1);
  for (int b : ReadBlockNumbers(false, false)) EXPECT_EQ(BlockFrom(config_, b), sim.Blocks().at(b)) << b;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReadForeignAnswers,
    ::testing::Values(
        ForeignReadAnswer{"Block13ForBlock12", [](FaultSettings& f) { f.otherBlock.requests = {13}; }},
        ForeignReadAnswer{"NoiseOnTheFunctionByte",
                          [](FaultSettings& f) { f.noisyFunction.requests = {13}; }},
        ForeignReadAnswer{"FromAnotherAddress", [](FaultSettings& f) { f.otherAddress.requests = {13}; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReadWriteFixture, AControllerAnsweringFromAnotherAddress_IsNotRead) {
  ControllerSetup setup;
  setup.faults.otherAddress.probability = 1.0;
  Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedStep, ReadStep::Identity);
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"устройство 1 COM1 ошибка приема данных "});
}

// The identity needs all its 23 bytes: fewer would read as empty slots and
// zero counts, and be saved as such.
class ReadShortIdentity : public ReadWriteFixture, public ::testing::WithParamInterface<int> {};

TEST_P(ReadShortIdentity, FailsTheReadWithTheLinksMessage) {
  ControllerSetup setup;
  setup.identityByteCount = GetParam();
  Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedStep, ReadStep::Identity);
  EXPECT_EQ(r.resultCode, kResultReceiveError);
  EXPECT_EQ(Requested(68), std::vector<int>{});
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"устройство 1 COM1 ошибка приема данных "});
}

INSTANTIATE_TEST_SUITE_P(Counts, ReadShortIdentity, ::testing::Values(0, 10, 22));

TEST_F(ReadWriteFixture, SilentController_OnlyIdentityTriesAndNothingChanges) {
  ControllerSetup setup;
  setup.faults.silent = true;
  Add(setup);
  config_.service.FileMode = 1;
  config_.service.SetText(3, "keep me");
  const Image before = ImageOf(config_);

  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedStep, ReadStep::Identity);
  EXPECT_EQ(r.resultCode, kResultNoAnswer);
  EXPECT_EQ(FramesOf(17), port_.GetRepeat1());
  EXPECT_EQ(line_.Written().size(), port_.GetRepeat1());
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"устройство 1 COM1 не отвечает на запрос"});
  EXPECT_EQ(ui_.ProgressSteps().back().maximum, 0);
  EXPECT_EQ(config_.service.FileMode, 0);
  EXPECT_EQ(ImageOf(config_), before);
}

struct RefusedBlock {
  int block;
  int code;
  const char* message;
};

class ReadRefusals : public ReadWriteFixture, public ::testing::WithParamInterface<RefusedBlock> {};

TEST_P(ReadRefusals, ARefusedBlockIsNamedAndEndsTheRead) {
  const RefusedBlock& c = GetParam();
  ControllerSetup setup;
  setup.composition = Modules({1, 6, 3, 14});
  setup.blockExceptions[c.block] = c.code;
  Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.block, c.block);
  EXPECT_EQ(r.resultCode, c.code);
  EXPECT_EQ(Requested(68).back(), c.block);
  ASSERT_EQ(ui_.Shown().size(), 1u);
  EXPECT_EQ(ui_.Last().text, c.message);
  EXPECT_EQ(ui_.Last().caption, kCaptionWarning);
  EXPECT_EQ(ui_.Last().icon, Icon::Warning);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ReadRefusals,
    ::testing::Values(RefusedBlock{20, 5, "устройство 1   дискр блок № 20  ошибка обмена 05"},
                      RefusedBlock{33, 5, "устройство 1   рег блок № 33  ошибка обмена 05"},
                      RefusedBlock{45, 5, "устройство 1   текст блок № 45  ошибка обмена 05"},
                      RefusedBlock{20, 2, "устройство 1 COM1 ошибка обмена 02"},
                      RefusedBlock{3, 5, "устройство 1 COM1 ошибка обмена 05"},
                      RefusedBlock{70, 5, "устройство 1 COM1 ошибка обмена 05"}));

TEST_F(ReadWriteFixture, SixtyFunctionBlockController_IsRecognisedAndTheReadCompletes) {
  ControllerSetup setup;
  setup.fbTableSize = 60;
  SimulatedController& sim = Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  EXPECT_TRUE(r.ok) << r.Describe();
  EXPECT_TRUE(r.sixtyFunctionBlocks);
  EXPECT_EQ(config_.functionBlocks.GetTableSize(), 60);
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"Прибор  на 60 ФБ"});
  const std::vector<int> blocks = Requested(68);
  EXPECT_EQ(std::count_if(blocks.begin(), blocks.end(), [](int b) { return b >= 68; }), 7);
  for (int b = 68; b < 74; ++b) EXPECT_EQ(BlockFrom(config_, b), sim.Blocks().at(b));
}

TEST_F(ReadWriteFixture, ARefusedEarlyFunctionBlockPage_IsAFailure) {
  ControllerSetup setup;
  setup.blockExceptions[69] = 3;
  Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.sixtyFunctionBlocks);
  EXPECT_EQ(config_.functionBlocks.GetTableSize(), 120);
}

TEST_F(ReadWriteFixture, OutputTextsAreBlankAndAlgorithmsGoneAfterARead) {
  Add(Modules({1, 6, 3}));
  config_.service.SetOutputText(5, "old text");
  config_.functionBlocks.SetAlgCount(3);
  ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);
  for (int o = 0; o < ServiceBlock::kOutputs; ++o) EXPECT_EQ(config_.service.GetOutputText(o), "") << o;
  EXPECT_EQ(config_.functionBlocks.GetAlgCount(), 0);
  EXPECT_EQ(config_.functionBlocks.GetAlgStart(0), FunctionBlocks::kEmptyEntry);
}

TEST_F(ReadWriteFixture, ReadFromAnotherDevice_AddressesItAndMakesItTheConfiguredOne) {
  Add(Modules({1, 6, 3}), 1);
  SimulatedController& five = Add(Modules({1, 1, 3}), 5);
  config_.service.CurrentDevice = 4;
  ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);
  EXPECT_EQ(config_.service.ConfiguredDevice, 4);
  EXPECT_EQ(config_.service.DiModules, 2);
  EXPECT_EQ(BlockFrom(config_, 12), five.Blocks().at(12));
}

// A block answer's byte count becomes the block's length and decides the
// file's layout: one the block cannot have fails the read, one it can is kept.
struct ClaimedLength {
  const char* name;
  int block;
  int byteCount;
  bool ok;
};

class ReadClaimedLengths : public ReadWriteFixture, public ::testing::WithParamInterface<ClaimedLength> {};

TEST_P(ReadClaimedLengths, ImpossibleCountsFailTheReadPossibleOnesAreKept) {
  const ClaimedLength& k = GetParam();
  ControllerSetup setup;
  setup.composition = Modules({1, 10, 6, 3, 14});
  setup.blockByteCounts[k.block] = k.byteCount;
  Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  EXPECT_EQ(r.ok, k.ok) << r.Describe();
  if (k.ok) {
    EXPECT_TRUE(ui_.Shown().empty());
    return;
  }
  EXPECT_EQ(r.block, k.block);
  EXPECT_EQ(r.resultCode, kResultReceiveError);
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"устройство 1 COM1 ошибка приема данных "});
}

INSTANTIATE_TEST_SUITE_P(Counts, ReadClaimedLengths,
                         ::testing::Values(ClaimedLength{"ZeroForAnAnalogModule", 1, 0, false},
                                           ClaimedLength{"NumberOnlyForARecordBlock", 12, 1, false},
                                           ClaimedLength{"OneShortRecordBlockAmongWholeOnes", 14, 100, false},
                                           ClaimedLength{"OneShortPageAmongWholeOnes", 70, 100, false},
                                           ClaimedLength{"ShortTextBlock", 41, 100, false},
                                           ClaimedLength{"ZeroForTheMasterBlock", 10, 0, false},
                                           ClaimedLength{"UnitsOneByteTooMany", 35, 98, false},
                                           ClaimedLength{"RecordBlockTooLong", 14, 200, false},
                                           ClaimedLength{"RegulatorBlockTooLong", 32, 255, false},
                                           ClaimedLength{"TextBlockTooLong", 41, 226, false},
                                           ClaimedLength{"PageTooLong", 70, 255, false},
                                           ClaimedLength{"SensorTypesTooLong", 98, 34, false},
                                           ClaimedLength{"WholeUnits", 35, 97, true},
                                           ClaimedLength{"ShortUnits", 35, 50, true},
                                           ClaimedLength{"OnlyTheBlockNumber", 11, 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A controller that serves a kind of block short: the bytes it sent are
// kept, every byte beyond them is zero (never the answer's checksum), in the
// configuration and in the saved file alike.
struct ShortKind {
  const char* name;
  std::vector<int> blocks;  // every block of the kind, all served with `count`
  int count;
};

class ReadShortBlocks : public ReadWriteFixture, public ::testing::WithParamInterface<ShortKind> {};

TEST_P(ReadShortBlocks, KeepWhatWasSentAndZerosBeyond) {
  const ShortKind& k = GetParam();
  ControllerSetup setup;
  setup.composition = Modules({1, 10, 6, 3, 14});
  setup.randomBlocks = true;
  for (int b : k.blocks) setup.blockByteCounts[b] = k.count;
  SimulatedController& sim = Add(setup);
  const ReadResult r = ReadConfiguration(port_, config_, ui_);
  ASSERT_TRUE(r.ok) << r.Describe();
  const std::vector<uint8_t> file = ZulFileBytes(config_);
  const auto sections = ZulSplit(file.data(), file.size()).sections;
  for (const ZulSection& section : ZulFileLayout()) {
    if (std::find(k.blocks.begin(), k.blocks.end(), section.key) == k.blocks.end()) continue;
    const Bytes saved = ZulSectionToBlock(section, sections.at(section.key));
    const Bytes& kept = sim.Blocks().at(section.key);
    const auto sent = static_cast<std::ptrdiff_t>(k.count);
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + sent), Bytes(kept.begin(), kept.begin() + sent))
        << "block " << section.key;
    EXPECT_TRUE(std::all_of(saved.begin() + sent, saved.end(), [](uint8_t b) { return b == 0; }))
        << "block " << section.key;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReadShortBlocks,
    ::testing::Values(ShortKind{"AnalogRecord", {1}, 100},
                      ShortKind{"NetworkParts", {2, 3, 4, 5, 6, 7, 8}, 100}, ShortKind{"Relay", {9}, 150},
                      ShortKind{"Master", {10}, 100}, ShortKind{"Function15", {11}, 40},
                      ShortKind{"Records", {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}, 100},
                      ShortKind{"Regulators", {32, 33}, 100}, ShortKind{"Units", {35}, 50},
                      ShortKind{"Pages", {68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79}, 100},
                      ShortKind{"SensorTypes", {98}, 10}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- write

class WriteFixture : public ReadWriteFixture {
 protected:
  // Reads the configuration from a controller of composition `from` at
  // address 1 (with the network of MasterBlockFor when asked) and places a
  // second controller of composition `to` at address 2 as the target.
  void Prepare(const Composition& from, const Composition& to, bool network = true) {
    SimulatedController& source = Add(from, 1);
    if (network) {
      ASSERT_TRUE(source.SetBlock(10, MasterBlockFor(from)));
    }
    target_ = &Add(to, 2);
    ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);
    config_.discreteProcessing.AccessLevel = kFullAccess;
    config_.service.CurrentDevice = config_.service.ConfiguredDevice = 1;
    ui_.Clear();
    written0_ = line_.Written().size();
  }
  std::vector<int> Stored() const {
    std::vector<int> blocks;
    for (size_t i = written0_; i < line_.Written().size(); ++i) {
      const Bytes& f = line_.Written()[i];
      if (f.size() > 2 && f[1] == 69) blocks.push_back(f[2]);
    }
    return blocks;
  }
  // Reads the target back into a fresh configuration.
  Configuration ReadTarget() {
    Configuration back;
    back.service.CurrentDevice = 1;
    ScriptedInteraction quiet;
    ModbusLink port(line_, clock_, quiet);
    EXPECT_TRUE(ReadConfiguration(port, back, quiet).ok);
    return back;
  }

  SimulatedController* target_ = nullptr;
  size_t written0_ = 0;
};

TEST_F(WriteFixture, WithoutFullAccess_NothingIsSent) {
  Prepare(Modules({1, 6, 3}), Modules({1, 6, 3}));
  config_.discreteProcessing.AccessLevel = kViewingAccess;
  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  EXPECT_EQ(r.outcome, WriteOutcome::NoAccess);
  EXPECT_EQ(line_.Written().size(), written0_);
  EXPECT_EQ(ShownTexts(),
            std::vector<std::string>{"Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт"});
}

TEST_F(WriteFixture, EqualCompositions_StoreEveryBlockAndLeaveTheConfigurationAsItWas) {
  Prepare(Modules({1, 1, 6, 3}), Modules({1, 1, 6, 3}));
  config_.discreteProcessing.Modified = 1;
  const Image before = ImageOf(config_);
  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  ASSERT_TRUE(r.ok()) << r.Describe();
  EXPECT_TRUE(r.sameComposition);
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{kCompositionMatchesText});
  std::vector<int> expected{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  for (int b = 12; b <= 25; ++b) expected.push_back(b);
  expected.push_back(35);
  for (int b = 40; b <= 51; ++b) expected.push_back(b);
  for (int b = 68; b <= 79; ++b) expected.push_back(b);
  std::vector<int> stored = Stored();
  stored.erase(std::unique(stored.begin(), stored.end()), stored.end());
  EXPECT_EQ(stored, expected);
  for (int b : expected) EXPECT_EQ(target_->Blocks().at(b), BlockFrom(config_, b)) << "block " << b;
  EXPECT_EQ(ImageOf(config_), before);
  EXPECT_EQ(config_.service.CurrentDevice, 1);
  EXPECT_EQ(config_.discreteProcessing.Modified, 0);
  EXPECT_EQ(ui_.ProgressSteps().back().maximum, 0);
}

TEST_F(WriteFixture, RegulatorAndProgrammableModules_AddTheirBlocks) {
  Prepare(Modules({10, 6, 14}), Modules({10, 6, 14}));
  ASSERT_TRUE(WriteConfiguration(port_, config_, ui_).ok());
  const std::vector<int> stored = Stored();
  for (int b : {32, 33, 98}) EXPECT_NE(std::find(stored.begin(), stored.end(), b), stored.end()) << b;
  EXPECT_EQ(std::find(stored.begin(), stored.end(), 9), stored.end());  // no relay module
  for (int b : {32, 33, 98}) EXPECT_EQ(target_->Blocks().at(b), BlockFrom(config_, b)) << b;
}

TEST_F(WriteFixture, EveryStoreFollowsAPauseOfFiftyMilliseconds) {
  Prepare(Modules({1, 6, 3}), Modules({1, 6, 3}));
  std::ostringstream log;
  bus_.SetLog(&log);
  ASSERT_TRUE(WriteConfiguration(port_, config_, ui_).ok());
  // The frame before each store is the last confirmation poll. Between its
  // arrival and the store's arrival lie its answer, the 50 ms pause, the
  // link's own pause before a request and the store's wire time.
  std::istringstream lines(log.str());
  std::string line;
  double lastT = -1;
  int lastFunction = 0;
  int stores = 0;
  const double charMs = 11000.0 / line_.Baud();
  while (std::getline(lines, line)) {
    const double t = std::stod(line.substr(line.find("\"t_ms\":") + 7));
    const int function = std::stoi(line.substr(line.find("\"function\":") + 11));
    const size_t data = line.find("\"data\":\"") + 8;
    const std::string hex = line.substr(data, line.find('"', data) - data);
    const double frameMs =
        (static_cast<double>(std::count_if(hex.begin(), hex.end(), ::isxdigit)) / 2 + 4) * charMs;
    if (function == 69 && lastFunction == 14) {
      EXPECT_GE(t - lastT - frameMs + 1, 50 + port_.GetDelayBeforeRequest());
      ++stores;
    }
    lastT = t;
    lastFunction = function;
  }
  EXPECT_GT(stores, 40);
}

struct CompositionCase {
  const char* name;
  Composition config;
  Composition device;
  int discreteShift;
  int analogShift;
};

class WriteDifferingCompositions : public WriteFixture,
                                   public ::testing::WithParamInterface<CompositionCase> {};

TEST_P(WriteDifferingCompositions, NetworkSignalsMoveForTheTransferOnly) {
  const CompositionCase& c = GetParam();
  Prepare(c.config, c.device);
  const int first = c.config.DiCount() + 4 * c.config.AiCount();
  ProcessingRecord marker{0x41, 1, 0, 0, 0, 0, 0, 0, 0, 0x05, 0};
  config_.discreteProcessing.SetRecord(first, marker);
  config_.service.SetText(first, "первый сетевой");
  config_.functionBlocks.SetTypeCode(0, 1);
  config_.functionBlocks.SetInputSource(0, 0, srcDiscrete);
  config_.functionBlocks.SetInputNumber(0, 0, first + 1);
  const Image before = ImageOf(config_);

  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  ASSERT_TRUE(r.ok()) << r.Describe();
  EXPECT_FALSE(r.sameComposition);
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{kCompositionDiffersText});
  EXPECT_EQ(r.discreteShift, c.discreteShift);
  EXPECT_EQ(r.analogShift, c.analogShift);
  EXPECT_EQ(ImageOf(config_), before);

  const Configuration back = ReadTarget();
  const int moved = first + c.discreteShift;
  EXPECT_EQ(back.networkMaster.GetFirstDiscrete(0), moved);
  EXPECT_EQ(back.networkMaster.GetFirstDiscrete(1), moved + 4);
  EXPECT_EQ(back.networkMaster.GetFirstAnalog(1), c.config.AiCount() + c.analogShift);
  EXPECT_EQ(back.discreteProcessing.Record(moved), marker);
  EXPECT_EQ(back.service.GetText(moved), "первый сетевой");
  EXPECT_EQ(back.functionBlocks.GetInputNumber(0, 0), moved + 1);
}

INSTANTIATE_TEST_SUITE_P(Examples, WriteDifferingCompositions,
                         ::testing::Values(CompositionCase{"OneAnalogModuleLess", Modules({1, 1, 6, 6, 3}),
                                                           Modules({1, 1, 6, 3}), -24, -6},
                                           CompositionCase{"OneDiscreteModuleMore", Modules({1, 3}),
                                                           Modules({1, 1, 3}), 12, 0},
                                           CompositionCase{"OneAnalogModuleMore", Modules({1, 6, 3}),
                                                           Modules({1, 6, 7, 3}), 24, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteFixture, OneAnalogModuleLess_Block1CarriesTheModuleAndBlocks2To8TheNetworkParts) {
  Prepare(Modules({1, 1, 6, 6, 3}), Modules({1, 1, 6, 3}));
  ASSERT_TRUE(WriteConfiguration(port_, config_, ui_).ok());
  const Bytes& block1 = target_->Blocks().at(1);
  const auto record = config_.analogModules.GetRecord(0);
  EXPECT_TRUE(std::equal(block1.begin() + 1, block1.end(), record.begin() + 1));
  for (int k = 1; k < 8; ++k) {
    const Bytes& stored = target_->Blocks().at(k + 1);
    const auto& part = config_.networkMaster.Records[static_cast<size_t>(k - 1)];
    EXPECT_EQ(stored[0], k + 1);
    EXPECT_TRUE(std::equal(stored.begin() + 1, stored.end(), part.begin() + 1)) << "block " << k + 1;
  }
}

struct RefusedWrite {
  const char* name;
  Composition config;
  Composition device;
  std::vector<std::string> messages;
  WriteOutcome outcome;
};

class WriteRefusals : public WriteFixture, public ::testing::WithParamInterface<RefusedWrite> {};

TEST_P(WriteRefusals, NothingIsStoredAndTheConfigurationStays) {
  const RefusedWrite& c = GetParam();
  Prepare(c.config, c.device, false);
  if (c.outcome == WriteOutcome::NotSet) config_.service.ModuleType.fill(0);
  const Image before = ImageOf(config_);
  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  EXPECT_EQ(r.outcome, c.outcome);
  EXPECT_EQ(ShownTexts(), c.messages);
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(ImageOf(config_), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, WriteRefusals,
                         ::testing::Values(RefusedWrite{"DiscreteCountsDifferWithAnalogModules",
                                                        Modules({1, 6}),
                                                        Modules({1, 1, 6}),
                                                        {kCompositionDiffersText, kCompositionRefusedText},
                                                        WriteOutcome::Incompatible},
                                           RefusedWrite{"NoModules",
                                                        Modules({1, 3}),
                                                        Modules({1, 3}),
                                                        {kConfigurationNotSetText},
                                                        WriteOutcome::NotSet}),
                         [](const auto& info) { return std::string(info.param.name); });

// A store the controller refuses, whatever the exception code (6 "busy"
// included), leaves its old block: the write fails at that block.
struct RefusedStore {
  int code;
  const char* message;
};

class WriteRefusedStores : public WriteFixture, public ::testing::WithParamInterface<RefusedStore> {};

TEST_P(WriteRefusedStores, EndTheWriteAndRestoreTheConfiguration) {
  ControllerSetup from;
  from.composition = Modules({1, 6, 3});
  Add(from);
  ControllerSetup to = from;
  to.address = 2;
  to.blockExceptions[15] = GetParam().code;
  target_ = &Add(to);
  ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);
  config_.discreteProcessing.AccessLevel = kFullAccess;
  config_.service.CurrentDevice = config_.service.ConfiguredDevice = 1;
  ui_.Clear();
  const Image before = ImageOf(config_);
  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  EXPECT_EQ(r.outcome, WriteOutcome::BlockFailed);
  EXPECT_EQ(r.block, 15);
  EXPECT_EQ(ui_.Last().text, GetParam().message);
  EXPECT_EQ(std::count(r.writtenBlocks.begin(), r.writtenBlocks.end(), 15), 0);
  EXPECT_EQ(ImageOf(config_), before);
}

INSTANTIATE_TEST_SUITE_P(Codes, WriteRefusedStores,
                         ::testing::Values(RefusedStore{4, "устройство 2 COM1 ошибка обмена 04"},
                                           RefusedStore{
                                               6, "устройство 2 COM1 Идет запись базы данных. Ждите."}));

TEST_F(WriteFixture, AStoreOnceRefusedAsBusy_IsSentAgainAndStored) {
  ControllerSetup from;
  from.composition = Modules({1, 6, 3});
  from.randomBlocks = true;
  Add(from);
  ControllerSetup to;
  to.composition = from.composition;
  to.address = 2;
  to.faults.exception.requests = {2};  // the first store: exception 6, the block not taken
  target_ = &Add(to);
  ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);
  config_.discreteProcessing.AccessLevel = kFullAccess;
  config_.service.CurrentDevice = config_.service.ConfiguredDevice = 1;
  written0_ = line_.Written().size();
  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  ASSERT_TRUE(r.ok()) << r.Describe();
  const std::vector<int> stored = Stored();
  ASSERT_GE(stored.size(), 2u);
  EXPECT_EQ(stored[0], stored[1]);  // sent again
  for (int b : ReadBlockNumbers(false, false)) EXPECT_EQ(target_->Blocks().at(b), BlockFrom(config_, b)) << b;
}

TEST_F(WriteFixture, AShortIdentityOfTheTarget_WritesNothing) {
  ControllerSetup from;
  from.composition = Modules({1, 6, 3});
  Add(from);
  ControllerSetup to = from;
  to.address = 2;
  to.identityByteCount = 10;
  target_ = &Add(to);
  ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);
  config_.discreteProcessing.AccessLevel = kFullAccess;
  config_.service.CurrentDevice = config_.service.ConfiguredDevice = 1;
  ui_.Clear();
  written0_ = line_.Written().size();
  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  EXPECT_EQ(r.outcome, WriteOutcome::IdentityFailed);
  EXPECT_TRUE(Stored().empty());
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"устройство 2 COM1 ошибка приема данных "});
}

// A configuration opened from a short file has empty blocks; they must not
// reach a controller. Blocks the write would not send do not matter.
struct ShortFileWrite {
  const char* name;
  Composition modules;
  size_t fileSize;
  WriteOutcome outcome;
  std::vector<int> empty;  // named in the refusal
};

class WriteShortFiles : public WriteFixture, public ::testing::WithParamInterface<ShortFileWrite> {};

TEST_P(WriteShortFiles, EmptyBlocksToBeSentRefuseTheWrite) {
  const ShortFileWrite& k = GetParam();
  Prepare(k.modules, k.modules, false);
  std::vector<uint8_t> file = ZulFileBytes(config_);
  file.resize(k.fileSize);
  LoadZulFileBytes(file, config_);
  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  EXPECT_EQ(r.outcome, k.outcome) << r.Describe();
  if (k.outcome == WriteOutcome::IncompleteFile) {
    EXPECT_TRUE(Stored().empty());
    EXPECT_EQ(line_.Written().size(), written0_);  // not even the identity is asked
    EXPECT_EQ(r.emptyBlocks, k.empty);
    EXPECT_EQ(ShownTexts(), std::vector<std::string>{IncompleteFileText(k.empty)});
  }
}

std::vector<int> Range(int first, int last) {
  std::vector<int> blocks;
  for (int b = first; b <= last; ++b) blocks.push_back(b);
  return blocks;
}

INSTANTIATE_TEST_SUITE_P(Files, WriteShortFiles,
                         ::testing::Values(ShortFileWrite{"CutBeforeThePages", Modules({1, 6, 3}), 8296,
                                                          WriteOutcome::IncompleteFile, Range(68, 79)},
                                           ShortFileWrite{"CutInTheRecordBlocks", Modules({1, 6, 3}),
                                                          1844 + 5 * 198 + 10, WriteOutcome::IncompleteFile,
                                                          [] {
                                                            std::vector<int> b = Range(17, 25);
                                                            for (int x : {35}) b.push_back(x);
                                                            for (int x : Range(40, 51)) b.push_back(x);
                                                            for (int x : Range(68, 79)) b.push_back(x);
                                                            return b;
                                                          }()},
                                           ShortFileWrite{"CutInTheSensorTypesOfAProgrammableModule",
                                                          Modules({1, 10, 6, 3}),
                                                          kZulFileSize - 1,
                                                          WriteOutcome::IncompleteFile,
                                                          {98}},
                                           ShortFileWrite{"CutInTheSensorTypesNobodyUses",
                                                          Modules({1, 6, 3}),
                                                          kZulFileSize - 1,
                                                          WriteOutcome::Written,
                                                          {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WriteBlockListText, ShortensRuns) {
  EXPECT_EQ(BlockListText({12, 13, 14, 32, 33, 35, 68, 69, 70, 71}), "12-14, 32, 33, 35, 68-71");
  EXPECT_EQ(BlockListText({98}), "98");
}

// A 60-block file, whole or cut short (its sensor types, which no module of
// this composition uses): it stays a 60-block file, and only its six pages
// reach the controller, never pages taken from its names.
class SixtyBlockFiles : public WriteFixture, public ::testing::WithParamInterface<size_t> {};

TEST_P(SixtyBlockFiles, OpenAsSixtyBlocksAndWriteTheirSixPages) {
  const size_t cut = GetParam();
  ControllerSetup from;
  from.composition = Modules({1, 6, 3});
  from.fbTableSize = 60;
  from.randomBlocks = true;
  Add(from);
  ControllerSetup to = from;
  to.address = 2;
  to.randomBlocks = false;
  target_ = &Add(to);
  ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);
  std::vector<uint8_t> file = ZulFileBytes(config_);
  ASSERT_EQ(file.size(), 19129u);
  file.resize(file.size() - cut);

  Configuration opened;
  EXPECT_EQ(LoadZulFileBytes(file, opened), cut == 0);
  EXPECT_EQ(opened.functionBlocks.GetTableSize(), 60);
  opened.discreteProcessing.AccessLevel = kFullAccess;
  config_.discreteProcessing.AccessLevel = kFullAccess;  // the level the link's gate looks at
  opened.service.CurrentDevice = 1;
  port_.BindAccessLevel(&opened.discreteProcessing.AccessLevel);  // the link serves the opened file now
  written0_ = line_.Written().size();
  const WriteResult r = WriteConfiguration(port_, opened, ui_);
  ASSERT_TRUE(r.ok()) << r.Describe();
  std::vector<int> pages;
  for (int b : Stored())
    if (b >= 68 && b <= 79) pages.push_back(b);
  EXPECT_EQ(pages, Range(68, 73));
  for (int b = 68; b <= 73; ++b) EXPECT_EQ(target_->Blocks().at(b), BlockFrom(config_, b)) << b;
}

INSTANTIATE_TEST_SUITE_P(Cuts, SixtyBlockFiles, ::testing::Values(size_t{0}, size_t{10}, size_t{500}));

// The lengths of a write come from what is written: a file carries the usual
// ones, whatever a controller with short blocks reported at the last read.
TEST_F(WriteFixture, AFileOpenedAfterAShortBlockRead_GoesOutWithWholeBlocks) {
  const Composition modules = Modules({1, 6, 3});
  ControllerSetup shortOne;
  shortOne.composition = modules;
  for (int b = 1; b <= 8; ++b) shortOne.blockByteCounts[b] = b == 1 ? 100 : 120;
  shortOne.blockByteCounts[9] = 150;
  for (int b = 12; b <= 25; ++b) shortOne.blockByteCounts[b] = 100;
  for (int b = 68; b <= 79; ++b) shortOne.blockByteCounts[b] = 100;
  shortOne.blockByteCounts[35] = 50;
  Add(shortOne);
  ASSERT_TRUE(ReadConfiguration(port_, config_, ui_).ok);

  ControllerSetup other;
  other.composition = modules;
  other.address = 2;
  other.randomBlocks = true;
  const std::vector<uint8_t> file = Add(other).ZulBytes();
  ControllerSetup fresh;
  fresh.composition = modules;
  fresh.address = 3;
  target_ = &Add(fresh);

  ASSERT_TRUE(LoadZulFileBytes(file, config_));
  config_.discreteProcessing.AccessLevel = kFullAccess;
  config_.service.CurrentDevice = 2;
  ui_.Clear();
  written0_ = line_.Written().size();
  const WriteResult r = WriteConfiguration(port_, config_, ui_);
  ASSERT_TRUE(r.ok()) << r.Describe();
  const auto sections = ZulSplit(file.data(), file.size()).sections;
  for (const ZulSection& section : ZulFileLayout()) {
    if (std::find(r.writtenBlocks.begin(), r.writtenBlocks.end(), section.key) == r.writtenBlocks.end())
      continue;
    EXPECT_EQ(target_->Blocks().at(section.key), ZulSectionToBlock(section, sections.at(section.key)))
        << "block " << section.key;
  }
  EXPECT_EQ(r.blocksWritten, 50);
}

TEST_F(WriteFixture, TheControllerCheckedIsTheControllerWritten) {
  Prepare(Modules({1, 6, 3}), Modules({1, 6, 3}));
  // A file saved for device 1, written to the device the user chose.
  config_.service.ConfiguredDevice = 0;
  config_.service.CurrentDevice = 1;
  ASSERT_TRUE(WriteConfiguration(port_, config_, ui_).ok());
  std::set<int> addresses;
  for (size_t i = written0_; i < line_.Written().size(); ++i) addresses.insert(line_.Written()[i][0]);
  EXPECT_EQ(addresses, std::set<int>{2});
  EXPECT_EQ(config_.service.CurrentDevice, 1);
}

}  // namespace
}  // namespace zul
