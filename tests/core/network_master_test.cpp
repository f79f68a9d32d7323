#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/model/DiscreteProcessing.h"
#include "core/model/FunctionBlocks.h"
#include "core/model/NetworkMaster.h"
#include "core/model/ServiceBlock.h"

namespace zul {
namespace {

using Sizes = NetworkMaster::BlockSizes;

void SetEntry(NetworkMaster& mbm, int k, int function, int outputs, int firstDiscrete, int firstAnalog) {
  mbm.SetFunction(k, function);
  mbm.SetOutputs(k, outputs);
  mbm.SetSlave(k, k + 1);
  mbm.SetFirstDiscrete(k, firstDiscrete);
  mbm.SetFirstAnalog(k, firstAnalog);
}

// --- entry fields ----------------------------------------------------------------

struct FieldCase {
  const char* name;
  void (NetworkMaster::*set)(int, int);
  int (NetworkMaster::*get)(int) const;
  int value;
  int offset;  // in the entry
  std::vector<uint8_t> bytes;
};

class EntryFieldTable : public ::testing::TestWithParam<FieldCase> {};

TEST_P(EntryFieldTable, FieldLandsInItsBytesAndNowhereElse) {
  const auto& c = GetParam();
  NetworkMaster mbm;
  (mbm.*c.set)(5, c.value);
  std::array<uint8_t, 194> expected{};
  for (size_t b = 0; b < c.bytes.size(); ++b) expected[1 + 12 * 5 + c.offset + b] = c.bytes[b];
  EXPECT_EQ(mbm.MasterBlock, expected);
  EXPECT_EQ((mbm.*c.get)(5), c.value);
  EXPECT_EQ((mbm.*c.get)(16), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Entry, EntryFieldTable,
    ::testing::Values(
        FieldCase{"Function", &NetworkMaster::SetFunction, &NetworkMaster::GetFunction, 3, 0, {3}},
        FieldCase{"Outputs", &NetworkMaster::SetOutputs, &NetworkMaster::GetOutputs, 6, 1, {6}},
        FieldCase{"Slave", &NetworkMaster::SetSlave, &NetworkMaster::GetSlave, 247, 2, {247}},
        FieldCase{"StartAddress",
                  &NetworkMaster::SetStartAddress,
                  &NetworkMaster::GetStartAddress,
                  0x1234,
                  3,
                  {0x34, 0x12}},
        FieldCase{
            "DataCount", &NetworkMaster::SetDataCount, &NetworkMaster::GetDataCount, 300, 5, {0x2C, 0x01}},
        FieldCase{"SlaveType", &NetworkMaster::SetSlaveType, &NetworkMaster::GetSlaveType, 15, 7, {0x0F}},
        FieldCase{"DataType", &NetworkMaster::SetDataType, &NetworkMaster::GetDataType, 1, 7, {0x10}},
        FieldCase{"ByteOrder", &NetworkMaster::SetByteOrder, &NetworkMaster::GetByteOrder, 1, 7, {0x20}},
        FieldCase{"FirstDiscrete",
                  &NetworkMaster::SetFirstDiscrete,
                  &NetworkMaster::GetFirstDiscrete,
                  252,
                  8,
                  {252}},
        FieldCase{"FirstAnalog", &NetworkMaster::SetFirstAnalog, &NetworkMaster::GetFirstAnalog, 48, 9, {48}},
        FieldCase{
            "MaxCode", &NetworkMaster::SetMaxCode, &NetworkMaster::GetMaxCode, 16384, 10, {0x00, 0x40}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgMBMFields, BitFieldsKeepTheirNeighbours) {
  NetworkMaster mbm;
  const int byte7 = 1 + 12 * 2 + 7;
  mbm.SetMasterByte(byte7, 0xFF);
  mbm.SetSlaveType(2, 3);
  EXPECT_EQ(mbm.GetMasterByte(byte7), 0xF3);
  mbm.SetByteOrder(2, 0);
  EXPECT_EQ(mbm.GetMasterByte(byte7), 0xD3);
  mbm.SetDataType(2, 1);  // writes bits 7-6 as 0
  EXPECT_EQ(mbm.GetMasterByte(byte7), 0x13);

  mbm.SetMasterByte(193, 0xFF);
  mbm.SetBaudIndex(2);  // bits 7-4 become 0
  EXPECT_EQ(mbm.GetMasterByte(193), 0x0B);
  mbm.SetFrameIndex(1);
  EXPECT_EQ(mbm.GetMasterByte(193), 0x09);
  EXPECT_EQ(mbm.GetBaudIndex(), 2);
  EXPECT_EQ(mbm.GetFrameIndex(), 1);
}

TEST(ProgMBMFields, SizesFollowTheFunction) {
  EXPECT_EQ(NetworkMaster::SizesOf(1, 16), (Sizes{16, 0}));
  EXPECT_EQ(NetworkMaster::SizesOf(2, 32), (Sizes{32, 0}));
  EXPECT_EQ(NetworkMaster::SizesOf(3, 6), (Sizes{24, 6}));
  EXPECT_EQ(NetworkMaster::SizesOf(4, 1), (Sizes{4, 1}));
  EXPECT_EQ(NetworkMaster::SizesOf(0, 9), (Sizes{0, 0}));
}

// --- chaining ----------------------------------------------------------------------

struct ChainCase {
  const char* name;
  int function, outputs, firstDiscrete, firstAnalog;
  bool nextInUse;
  bool ok;
  std::string message;
  int nextDiscrete, nextAnalog;  // starts of entry 1 (0 when free)
  int totalDiscrete, totalAnalog;
};

class ChainTable : public ::testing::TestWithParam<ChainCase> {};

TEST_P(ChainTable, LaysOutTheNextEntryOrRefuses) {
  const auto& c = GetParam();
  ServiceBlock serv;
  serv.SetSignalCount(30);
  serv.SetAnalogSignalCount(3);
  NetworkMaster mbm;
  SetEntry(mbm, 0, c.function, c.outputs, c.firstDiscrete, c.firstAnalog);
  if (c.nextInUse)
    SetEntry(mbm, 1, 1, 4, 7, 7);
  else
    mbm.SetSlave(1, 99);  // leftovers of a deleted entry
  const auto before = mbm.MasterBlock;

  auto result = mbm.ChainBlocks(0, serv);
  EXPECT_EQ(result.ok, c.ok);
  EXPECT_EQ(result.message, c.message);
  if (!c.ok) {
    auto expected = before;
    expected[1] = 0;  // the edited entry's function
    EXPECT_EQ(mbm.MasterBlock, expected);
    EXPECT_EQ(serv.GetSignalCount(), 30);
    EXPECT_EQ(serv.GetAnalogSignalCount(), 3);
    return;
  }
  EXPECT_EQ(mbm.GetFirstDiscrete(1), c.nextDiscrete);
  EXPECT_EQ(mbm.GetFirstAnalog(1), c.nextAnalog);
  if (!c.nextInUse) {
    EXPECT_EQ(mbm.GetSlave(1), 0);
  }
  EXPECT_EQ(serv.GetSignalCount(), c.totalDiscrete);
  EXPECT_EQ(serv.GetAnalogSignalCount(), c.totalAnalog);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ChainTable,
    ::testing::Values(ChainCase{"Function3SixOutputsFrom24And6", 3, 6, 24, 6, true, true, "", 48, 12, 52, 12},
                      ChainCase{"NextFreeIsClearedAndTotalsFollow", 3, 6, 24, 6, false, true, "", 0, 0, 48,
                                12},
                      ChainCase{"EndingAt252Fits", 1, 2, 250, 0, false, true, "", 0, 0, 252, 0},
                      ChainCase{"EndingAt48Fits", 4, 3, 0, 45, false, true, "", 0, 0, 12, 48},
                      ChainCase{"DiscreteEndAt253Refused", 1, 3, 250, 0, false, false,
                                std::string(NetworkMaster::kNoDiscreteAddresses), 0, 0, 0, 0},
                      ChainCase{"AnalogEndAt49Refused", 3, 4, 0, 45, false, false,
                                std::string(NetworkMaster::kNoAnalogAddresses), 0, 0, 0, 0},
                      ChainCase{"BothRefused", 3, 12, 240, 40, true, false,
                                std::string(NetworkMaster::kNoDiscreteAddresses) +
                                    std::string(NetworkMaster::kNoAnalogAddresses),
                                0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgMBMChain, OverflowOfALaterEntryLeavesEveryEntryAsItWas) {
  ServiceBlock serv;
  NetworkMaster mbm;
  SetEntry(mbm, 0, 1, 8, 200, 0);
  SetEntry(mbm, 1, 3, 11, 208, 0);  // ends exactly at 252
  mbm.SetOutputs(0, 12);            // the edit moves entry 1 to 212
  auto result = mbm.ChainBlocks(0, serv);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(mbm.GetFunction(0), 0);
  EXPECT_EQ(mbm.GetFirstDiscrete(1), 208);
  EXPECT_EQ(mbm.GetFunction(1), 3);
}

TEST(ProgMBMChain, TheLastEntryIsCheckedAndSetsTheTotals) {
  ServiceBlock serv;
  NetworkMaster mbm;
  SetEntry(mbm, 15, 3, 12, 240, 0);
  EXPECT_FALSE(mbm.ChainBlocks(15, serv).ok);
  EXPECT_EQ(mbm.GetFunction(15), 0);

  SetEntry(mbm, 15, 3, 3, 240, 0);
  EXPECT_TRUE(mbm.ChainBlocks(15, serv).ok);
  EXPECT_EQ(serv.GetSignalCount(), 252);
  EXPECT_EQ(serv.GetAnalogSignalCount(), 3);
}

// --- network analog settings ---------------------------------------------------------

TEST(ProgMBMSettings, NewAndResetSettingsHoldTheDefaults) {
  NetworkMaster mbm;
  mbm.SetNewSettings(0);
  mbm.SetNewSettings(47);
  EXPECT_EQ(mbm.GetPosition(0), "поз.5101");
  EXPECT_EQ(mbm.GetPosition(47), "поз.5148");
  EXPECT_EQ(mbm.GetUnitIndex(47), 1);
  EXPECT_EQ(mbm.GetScaleMin(47), "0,0000");
  EXPECT_EQ(mbm.GetScaleMax(47), "100,0000");
  EXPECT_EQ(mbm.GetSetpointLL(47), "0,0000");
  EXPECT_EQ(mbm.GetSetpointL(47), "0,0000");
  EXPECT_EQ(mbm.GetSetpointH(47), "100,0000");
  EXPECT_EQ(mbm.GetSetpointHH(47), "100,0000");
  // Signal 47 is channel 5 of record 7.
  EXPECT_EQ(mbm.Records[7][1 + 28 * 5] >> 4, 1);

  mbm.SetUnitIndex(0, 7);
  mbm.SetScaleMax(0, "250");
  mbm.ResetSettings(0, 1);
  EXPECT_EQ(mbm.GetPosition(0), "");
  EXPECT_EQ(mbm.GetUnitIndex(0), 1);
  EXPECT_EQ(mbm.GetScaleMax(0), "100,0000");
  mbm.SetNewSettings(48);  // no such signal: nothing happens
  EXPECT_EQ(mbm.GetPosition(48), "");
}

TEST(ProgMBMSettings, NewRecordsAreNumberedAfterTheAnalogModules) {
  NetworkMaster mbm;
  mbm.Records[7].fill(0x55);
  mbm.SetNewRecords(2);
  EXPECT_EQ(mbm.Records[0][0], 3);
  EXPECT_EQ(mbm.Records[5][0], 8);
  EXPECT_EQ(mbm.GetPosition(35), "поз.5136");
  EXPECT_EQ(mbm.GetScaleMax(35), "100,0000");
  EXPECT_EQ(mbm.Records[6], NetworkMaster::Record{});
  EXPECT_EQ(mbm.Records[7], NetworkMaster::Record{});
  mbm.SetNewRecords(9);
  for (const auto& r : mbm.Records) EXPECT_EQ(r, NetworkMaster::Record{});
}

struct ShownCase {
  const char* name;
  std::array<uint8_t, 3> float24;
  const char* shown;
};

class ShownValueTable : public ::testing::TestWithParam<ShownCase> {};

TEST_P(ShownValueTable, TruncatedValuesShowAsTheNumberTyped) {
  const auto& c = GetParam();
  NetworkMaster mbm;
  std::copy(c.float24.begin(), c.float24.end(), mbm.Records[0].begin() + 1 + 28 + 5);  // signal 1, scale max
  EXPECT_EQ(mbm.GetScaleMax(1), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Values, ShownValueTable,
                         ::testing::Values(ShownCase{"JustBelowOne", {0xFE, 0x7F, 0x00}, "1,0000"},
                                           ShownCase{"JustAboveMinusOne", {0x02, 0x80, 0x00}, "-1,0000"},
                                           ShownCase{"Hundred", {0x00, 0x64, 0x07}, "100,0000"},
                                           ShownCase{"TenThousand", {0x20, 0x4E, 0x0E}, "10000,00"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgMBMSettings, TypedValuesAndNamesAreStoredPerSignal) {
  NetworkMaster mbm;
  EXPECT_TRUE(mbm.SetSetpointH(13, "75,5"));
  EXPECT_EQ(mbm.GetValue(13, AnalogValue::SetpointH), 75.5f);
  EXPECT_FALSE(mbm.SetSetpointH(13, "7x"));
  EXPECT_EQ(mbm.GetValue(13, AnalogValue::SetpointH), 75.5f);
  EXPECT_FALSE(mbm.SetScaleMin(48, "1"));
  mbm.SetPosition(13, "ТЕ-101 длинное");
  EXPECT_EQ(mbm.GetPosition(13), "ТЕ-101 д");
  EXPECT_EQ(mbm.GetPosition(12), "");
}

// Each signal's name tells where its settings came from.
void NameSignals(NetworkMaster& mbm, int count) {
  for (int a = 0; a < count; ++a) {
    mbm.SetPosition(a, "s" + std::to_string(a));
    mbm.SetUnitIndex(a, a % 16);
  }
}

TEST(ProgMBMSettings, RemoveMovesLaterSettingsDownAndDefaultsTheEnd) {
  NetworkMaster mbm;
  NameSignals(mbm, 42);
  mbm.RemoveAnalogSettings(2, 6, 42);
  EXPECT_EQ(mbm.GetPosition(1), "s1");
  EXPECT_EQ(mbm.GetPosition(2), "s8");
  EXPECT_EQ(mbm.GetUnitIndex(2), 8);
  EXPECT_EQ(mbm.GetPosition(35), "s41");
  for (int a = 36; a < 42; ++a) {
    EXPECT_EQ(mbm.GetPosition(a), "") << a;
    EXPECT_EQ(mbm.GetScaleMax(a), "100,0000") << a;
  }
}

TEST(ProgMBMSettings, InsertMovesSettingsUpAndLosesWhatPassesTheEnd) {
  NetworkMaster mbm;
  NameSignals(mbm, 48);
  mbm.InsertAnalogSettings(40, 6);
  EXPECT_EQ(mbm.GetPosition(46), "s40");
  EXPECT_EQ(mbm.GetPosition(47), "s41");
  EXPECT_EQ(mbm.GetPosition(40), "s40");  // the gap keeps its settings
  EXPECT_EQ(mbm.GetPosition(39), "s39");
  mbm.InsertAnalogSettings(47, 60);
  mbm.RemoveAnalogSettings(-1, 3);
  EXPECT_EQ(mbm.GetPosition(47), "s41");
}

// --- renumbering when an edit or a deletion moves signals ----------------------------------

// A controller with one discrete-input and one analog module (first network
// signal 36, network analog signals from absolute 6) and four network blocks:
//   entry 0: function 3, 2 outputs, discrete 36..43, analog 6..7
//   entry 1: function 3, 6 outputs, discrete 44..67, analog 8..13
//   entry 2: function 3, 3 outputs, discrete 68..79, analog 14..16
//   entry 3: function 1, 4 outputs, discrete 80..83
class NetworkFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    std::array<uint8_t, 23> identity{};
    identity[0] = 2;
    identity[1] = 1;
    identity[2] = 6;
    serv.LoadIdentity(identity);
    SetEntry(mbm, 0, 3, 2, 36, 6);
    SetEntry(mbm, 1, 3, 6, 44, 8);
    SetEntry(mbm, 2, 3, 3, 68, 14);
    SetEntry(mbm, 3, 1, 4, 80, 17);
    serv.SetSignalCount(84);
    serv.SetAnalogSignalCount(17);
    mbm.RebuildNetSignals(serv);
    NameSignals(mbm, 42);
    for (int s = 36; s < 84; ++s) {
      serv.SetText(s, "t" + std::to_string(s));
      zul.SetDelayTime(s, s % 60);
    }
    fb.SetTypeCode(0, 1);  // AND: four inputs
  }

  // Function block 1's input k refers to signal `number` (1-based) of `source`.
  void Refer(int k, int source, int number) {
    fb.SetInputSource(0, k, source);
    fb.SetInputNumber(0, k, number);
  }
  int Reference(int k) const { return fb.GetInputNumber(0, k); }

  ServiceBlock serv;
  NetworkMaster mbm;
  DiscreteProcessing zul;
  FunctionBlocks fb;
};

TEST_F(NetworkFixture, DeletingASixOutputFunction3BlockInTheMiddleMovesEverythingDown) {
  Refer(0, srcAnalogInvalid, 15);    // first analog signal after the block
  Refer(1, srcAnalogInvalid, 10);    // inside the block
  Refer(2, srcDiscrete, 69);         // first discrete signal after the block
  Refer(3, srcDiscreteInvalid, 45);  // inside the block

  ASSERT_TRUE(mbm.DeleteBlock(1, serv, zul, fb));

  // Entries 2 and 3 move into 1 and 2, laid out from entry 1's positions.
  EXPECT_EQ(mbm.GetOutputs(1), 3);
  EXPECT_EQ(mbm.GetSlave(1), 3);
  EXPECT_EQ(mbm.GetFirstDiscrete(1), 44);
  EXPECT_EQ(mbm.GetFirstAnalog(1), 8);
  EXPECT_EQ(mbm.GetFunction(2), 1);
  EXPECT_EQ(mbm.GetFirstDiscrete(2), 56);
  EXPECT_EQ(mbm.GetFirstAnalog(2), 11);
  for (int k = 3; k < 16; ++k) EXPECT_FALSE(mbm.EntryInUse(k)) << k;
  EXPECT_EQ(mbm.GetFirstDiscrete(3), 0);
  EXPECT_EQ(serv.GetSignalCount(), 60);
  EXPECT_EQ(serv.GetAnalogSignalCount(), 11);
  EXPECT_EQ(serv.NetBlocksUsed, 3);
  EXPECT_EQ(serv.GetIdentifier(44), "DLAI2_1_LL");

  EXPECT_EQ(Reference(0), 9);
  EXPECT_EQ(Reference(1), 0);
  EXPECT_EQ(Reference(2), 45);
  EXPECT_EQ(Reference(3), 0);

  // Settings of network analog signals 8.. (after the block) move down by 6;
  // the last six network positions (36..41) get defaults.
  EXPECT_EQ(mbm.GetPosition(1), "s1");
  EXPECT_EQ(mbm.GetPosition(2), "s8");
  EXPECT_EQ(mbm.GetUnitIndex(2), 8);
  EXPECT_EQ(mbm.GetPosition(35), "s41");
  for (int a = 36; a < 42; ++a) EXPECT_EQ(mbm.GetPosition(a), "") << a;

  EXPECT_EQ(serv.GetText(44), "t68");
  EXPECT_EQ(zul.GetDelayTime(44), 68 % 60);
  EXPECT_EQ(serv.GetText(60), "");
  EXPECT_EQ(zul.Record(60), DiscreteProcessing::kEmptyRecord);
  EXPECT_EQ(mbm.MasterUnchanged, 0);
  EXPECT_EQ(mbm.NotRenumbered, 0);
}

TEST_F(NetworkFixture, DeletingAFreeEntryChangesNothing) {
  const auto before = mbm.MasterBlock;
  EXPECT_FALSE(mbm.DeleteBlock(4, serv, zul, fb));
  EXPECT_FALSE(mbm.DeleteBlock(16, serv, zul, fb));
  EXPECT_EQ(mbm.MasterBlock, before);
  EXPECT_EQ(serv.GetSignalCount(), 84);
  EXPECT_EQ(mbm.NotRenumbered, 1);
}

TEST_F(NetworkFixture, ShrinkingFunction3ToTwoDiscreteOutputsRenumbersByMinus22AndMinus6) {
  Refer(0, srcAnalogInvalid, 15);
  Refer(1, srcDiscrete, 46);  // second signal of the shrunk block
  Refer(2, srcDiscrete, 69);
  Refer(3, srcDiscrete, 44);  // the block before

  const Sizes before = mbm.GetBlockSizes(1);
  mbm.SetFunction(1, 1);
  mbm.SetOutputs(1, 2);
  ASSERT_TRUE(mbm.ChainBlocks(1, serv).ok);
  mbm.RenumberAfterEdit(1, before, serv, zul, fb);

  EXPECT_EQ(mbm.DiscreteShift, -22);
  EXPECT_EQ(mbm.AnalogShift, -6);
  EXPECT_EQ(mbm.GetFirstDiscrete(2), 46);
  EXPECT_EQ(mbm.GetFirstAnalog(2), 8);
  EXPECT_EQ(serv.GetSignalCount(), 62);
  EXPECT_EQ(Reference(0), 9);
  EXPECT_EQ(Reference(1), 0);
  EXPECT_EQ(Reference(2), 47);
  EXPECT_EQ(Reference(3), 44);
  EXPECT_EQ(zul.GetDelayTime(46), 68 % 60);
  EXPECT_EQ(serv.GetText(46), "t68");
  EXPECT_EQ(serv.GetText(44), "");  // the block's own signals start empty
  EXPECT_EQ(mbm.GetPosition(2), "s8");
  EXPECT_EQ(mbm.MasterUnchanged, 0);
}

TEST_F(NetworkFixture, GrowingABlockMovesTheNextBlocksRecordsWithoutLosingAny) {
  Refer(0, srcAnalogInvalid, 9);  // first analog signal of entry 1
  Refer(1, srcDiscrete, 37);      // inside the grown block
  Refer(2, srcDiscrete, 45);      // first discrete signal of entry 1
  Refer(3, srcAnalogInvalid, 7);  // inside the grown block

  const Sizes before = mbm.GetBlockSizes(0);
  mbm.SetOutputs(0, 3);
  ASSERT_TRUE(mbm.ChainBlocks(0, serv).ok);
  mbm.RenumberAfterEdit(0, before, serv, zul, fb);

  EXPECT_EQ(mbm.DiscreteShift, 4);
  EXPECT_EQ(mbm.AnalogShift, 1);
  EXPECT_EQ(mbm.GetFirstDiscrete(1), 48);
  EXPECT_EQ(serv.GetSignalCount(), 88);
  EXPECT_EQ(serv.GetAnalogSignalCount(), 18);
  for (int s = 44; s < 84; ++s) {
    EXPECT_EQ(serv.GetText(s + 4), "t" + std::to_string(s)) << s;
    EXPECT_EQ(zul.GetDelayTime(s + 4), s % 60) << s;
  }
  for (int s = 36; s < 48; ++s) EXPECT_EQ(serv.GetText(s), "") << s;
  EXPECT_EQ(Reference(0), 10);
  EXPECT_EQ(Reference(1), 0);
  EXPECT_EQ(Reference(2), 49);
  EXPECT_EQ(Reference(3), 0);
  // Entry 1's settings move up one place; the grown block's three are reset.
  EXPECT_EQ(mbm.GetPosition(3), "s2");
  EXPECT_EQ(mbm.GetPosition(11), "s10");
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(mbm.GetPosition(a), "") << a;
    EXPECT_EQ(mbm.GetUnitIndex(a), 1) << a;
  }
}

// --- blocks from the line and the file -------------------------------------------------------

std::vector<uint8_t> Answer(int function, size_t dataSize, uint8_t seed) {
  std::vector<uint8_t> answer(3 + dataSize + 2);
  answer[0] = 1;
  answer[1] = static_cast<uint8_t>(function);
  answer[2] = static_cast<uint8_t>(dataSize);
  for (size_t i = 3; i < answer.size(); ++i) answer[i] = static_cast<uint8_t>(seed + 13 * i);
  return answer;
}

TEST(ProgMBMBlocks, MasterAndRecordAnswersRoundTripByteExact) {
  NetworkMaster mbm;
  auto master = Answer(68, 194, 1);
  mbm.StoreMasterAnswer(68, master.data(), master.size());
  EXPECT_TRUE(std::equal(mbm.MasterBlock.begin(), mbm.MasterBlock.end(), master.begin() + 3));

  auto record = Answer(68, 169, 2);
  mbm.StoreRecordAnswer(68, record.data(), record.size(), 7);
  EXPECT_TRUE(std::equal(mbm.Records[7].begin(), mbm.Records[7].end(), record.begin() + 3));

  NetworkMaster copy;
  copy.LoadRecord(7, mbm.Records[7].data(), mbm.Records[7].size());
  for (int i = 0; i < 169; ++i) copy.SetRecordByte(0, i, mbm.GetRecordByte(7, i));
  EXPECT_EQ(copy.Records[7], mbm.Records[7]);
  EXPECT_EQ(copy.Records[0], mbm.Records[7]);
  for (int i = 0; i < 194; ++i) copy.SetMasterByte(i, mbm.GetMasterByte(i));
  EXPECT_EQ(copy.MasterBlock, mbm.MasterBlock);
}

TEST(ProgMBMBlocks, OtherFunctionsAndRecordsOutsideLeaveTheBlocks) {
  NetworkMaster mbm;
  auto answer = Answer(3, 194, 1);
  mbm.StoreMasterAnswer(3, answer.data(), answer.size());
  mbm.StoreRecordAnswer(3, answer.data(), answer.size(), 0);
  mbm.StoreRecordAnswer(68, answer.data(), answer.size(), 8);
  mbm.StoreRecordAnswer(68, answer.data(), answer.size(), -1);
  mbm.LoadRecord(8, answer.data(), answer.size());
  EXPECT_EQ(mbm.MasterBlock, (std::array<uint8_t, 194>{}));
  for (const auto& r : mbm.Records) EXPECT_EQ(r, NetworkMaster::Record{});
}

TEST(ProgMBMBlocks, OversizeAndShortInputIsClampedToTheArrays) {
  NetworkMaster mbm;
  auto big = Answer(68, 400, 3);
  mbm.StoreMasterAnswer(68, big.data(), big.size());
  EXPECT_TRUE(std::equal(mbm.MasterBlock.begin(), mbm.MasterBlock.end(), big.begin() + 3));
  mbm.LoadRecord(2, big.data(), big.size());
  EXPECT_TRUE(std::equal(mbm.Records[2].begin(), mbm.Records[2].end(), big.begin()));

  auto shortAnswer = Answer(68, 5, 4);
  mbm.StoreMasterAnswer(68, shortAnswer.data(), 3 + 5);
  EXPECT_EQ(mbm.MasterBlock[4], shortAnswer[7]);
  EXPECT_EQ(mbm.MasterBlock[5], 0);
  mbm.StoreRecordAnswer(68, shortAnswer.data(), 2, 2);
  EXPECT_EQ(mbm.Records[2], NetworkMaster::Record{});

  mbm.SetMasterBlockLen(255);
  mbm.SetRecordLen(1000);
  EXPECT_EQ(mbm.MasterBlockLen, 194);
  EXPECT_EQ(mbm.RecordLen, 169);
  mbm.SetMasterBlockLen(-4);
  EXPECT_EQ(mbm.MasterBlockLen, 1);
}

TEST(ProgMBMOnline, ValuesLandAtTheirSignalsWithinTheTableAndTheAnswer) {
  NetworkMaster mbm;
  std::vector<uint8_t> answer = {1, 71, 24};
  for (const char* text : {"  12,50", "-100,00", "   0,00"})
    answer.insert(answer.end(), text, text + 7), answer.push_back(0);
  answer[3 + 7] = 0xE1;
  answer[3 + 8 + 7] = 0x06;
  mbm.StoreOnlineAnswer(answer.data(), answer.size(), 3, 46);  // the third lies past signal 47
  EXPECT_EQ(mbm.GetOnlineText(46), "  12,50");
  EXPECT_EQ(mbm.OnlineAlarm[46], 1);
  EXPECT_EQ(mbm.OnlineFault[46], (std::array<int, 3>{1, 1, 1}));
  EXPECT_EQ(mbm.GetOnlineText(47), "-100,00");
  EXPECT_EQ(mbm.OnlineAlarm[47], 6);
  EXPECT_EQ(mbm.OnlineFault[47], (std::array<int, 3>{0, 0, 0}));

  mbm.StoreOnlineAnswer(answer.data(), 3 + 8 + 4, 48, 0);  // a short answer fills what it holds
  EXPECT_EQ(mbm.GetOnlineText(0), "  12,50");
  EXPECT_EQ(mbm.GetOnlineText(1), "");
}

}  // namespace
}  // namespace zul
