#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/ScriptedInteraction.h"
#include "core/model/DiscreteProcessing.h"

namespace zul {
namespace {

constexpr int kEmpty = -1;  // expectation: the empty record

ProcessingRecord Rec(std::array<uint8_t, 11> bytes) { return bytes; }

// Record i carries i in its reserved byte, so every move is visible.
void Mark(DiscreteProcessing& z) {
  for (int i = 0; i < DiscreteProcessing::kSignals; ++i) {
    z.SetRecord(i, Rec({0x40, 0, 0, 0, 0, 0, 0, 0, 0, 0, static_cast<uint8_t>(i)}));
  }
}

int MarkAt(const DiscreteProcessing& z, int i) {
  if (z.Record(i) == DiscreteProcessing::kEmptyRecord) return kEmpty;
  return z.Record(i)[10];
}

// ---- record activity -------------------------------------------------------------

struct ActivityCase {
  const char* name;
  ProcessingRecord record;
  bool active;
};

class RecordActivity : public ::testing::TestWithParam<ActivityCase> {};

TEST_P(RecordActivity, FollowsAlarmDelayAndRelayOutputsOnly) {
  DiscreteProcessing z;
  z.SetRecord(7, GetParam().record);
  EXPECT_EQ(z.IsRecordActive(7), GetParam().active);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordActivity,
    ::testing::Values(ActivityCase{"Empty", DiscreteProcessing::kEmptyRecord, false},
                      ActivityCase{"Zero", Rec({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), false},
                      ActivityCase{"WarningAlarm", Rec({0x60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), true},
                      ActivityCase{"ArchivedOnly", Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0}), false},
                      ActivityCase{"DelayUnitOnly", Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0}), false},
                      ActivityCase{"CellOnly", Rec({0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), false},
                      ActivityCase{"ReservedOnly", Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF}), false},
                      ActivityCase{"DelayTime", Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0}), true},
                      ActivityCase{"RelayModule8", Rec({0x20, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0}), true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- bit fields in place -------------------------------------------------------------

struct FieldCase {
  const char* name;
  int (DiscreteProcessing::*get)(int) const;
  void (DiscreteProcessing::*set)(int, int);
  int byte;
  uint8_t mask;
};

class RecordField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(RecordField, SetterReplacesOnlyItsBitsAndGetterKeepsThemInPlace) {
  const auto& c = GetParam();
  DiscreteProcessing z;
  z.SetRecord(3, Rec({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  (z.*c.set)(3, 0);
  EXPECT_EQ(z.GetByte(3, c.byte), 0xFF & ~c.mask);
  EXPECT_EQ((z.*c.get)(3), 0);
  (z.*c.set)(3, c.mask);
  EXPECT_EQ(z.GetByte(3, c.byte), 0xFF);
  EXPECT_EQ((z.*c.get)(3), c.mask);
  for (int k = 0; k < DiscreteProcessing::kRecordSize; ++k) {
    if (k != c.byte) {
      EXPECT_EQ(z.GetByte(3, k), 0xFF) << "byte " << k;
    }
  }
  EXPECT_EQ(z.Record(2), ProcessingRecord{}) << "neighbour untouched";
}

INSTANTIATE_TEST_SUITE_P(
    Fields, RecordField,
    ::testing::Values(
        FieldCase{"Contact", &DiscreteProcessing::GetContact, &DiscreteProcessing::SetContact, 0, 0x20},
        FieldCase{"AlarmType", &DiscreteProcessing::GetAlarmType, &DiscreteProcessing::SetAlarmType, 0, 0xC0},
        FieldCase{"Cell", &DiscreteProcessing::GetCell, &DiscreteProcessing::SetCell, 0, 0x1F},
        FieldCase{"DelayUnit", &DiscreteProcessing::GetDelayUnit, &DiscreteProcessing::SetDelayUnit, 9, 0x40},
        FieldCase{"DelayTime", &DiscreteProcessing::GetDelayTime, &DiscreteProcessing::SetDelayTime, 9, 0x3F},
        FieldCase{"Archive", &DiscreteProcessing::GetArchive, &DiscreteProcessing::SetArchive, 9, 0x80}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordField, OutOfRangeIndexesAreIgnored) {
  DiscreteProcessing z;
  z.SetByte(252, 0, 0xFF);
  z.SetByte(-1, 0, 0xFF);
  z.SetByte(0, 11, 0xFF);
  z.SetAlarmType(1000, 0xC0);
  EXPECT_EQ(z.GetByte(252, 0), 0);
  EXPECT_EQ(z.GetByte(0, 11), 0);
  for (int i = 0; i < DiscreteProcessing::kSignals; ++i) EXPECT_EQ(z.Record(i), ProcessingRecord{});
}

// ---- range operations -------------------------------------------------------------------

enum class RangeOp { Remove, Insert, Clear };

struct RangeCase {
  const char* name;
  RangeOp op;
  int start;
  int count;
  std::vector<std::pair<int, int>> expect;  // position -> mark (kEmpty for the empty record)
};

class RangeOperation : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeOperation, MovesRecordsAsLaidOut) {
  const auto& c = GetParam();
  DiscreteProcessing z;
  Mark(z);
  switch (c.op) {
    case RangeOp::Remove:
      z.RemoveRecords(c.start, c.count);
      break;
    case RangeOp::Insert:
      z.InsertRecords(c.start, c.count);
      break;
    case RangeOp::Clear:
      EXPECT_EQ(z.ClearRecords(c.start, c.count), c.start + c.count);
      break;
  }
  for (auto [pos, mark] : c.expect) EXPECT_EQ(MarkAt(z, pos), mark) << "record " << pos;
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, RangeOperation,
    ::testing::Values(
        RangeCase{"RemoveAtEnd", RangeOp::Remove, 250, 5, {{249, 249}, {250, kEmpty}, {251, kEmpty}}},
        RangeCase{"RemoveFirst", RangeOp::Remove, 0, 1, {{0, 1}, {1, 2}, {250, 251}, {251, kEmpty}}},
        RangeCase{"RemoveMiddle", RangeOp::Remove, 10, 3, {{9, 9}, {10, 13}, {248, 251}, {249, kEmpty}}},
        RangeCase{"RemoveMoreThanAll", RangeOp::Remove, 0, 1000, {{0, kEmpty}, {251, kEmpty}}},
        RangeCase{"RemoveNegativeStartIgnored", RangeOp::Remove, -1, 3, {{0, 0}, {251, 251}}},
        RangeCase{"InsertKeepsGap",
                  RangeOp::Insert,
                  10,
                  3,
                  {{9, 9}, {10, 10}, {11, 11}, {12, 12}, {13, 10}, {251, 248}}},
        RangeCase{"InsertAtLast", RangeOp::Insert, 251, 1, {{250, 250}, {251, 251}}},
        RangeCase{"InsertWholeBaseIgnored", RangeOp::Insert, 0, 252, {{0, 0}, {251, 251}}},
        RangeCase{"InsertHugeCountIgnored", RangeOp::Insert, 5, 1 << 30, {{5, 5}, {251, 251}}},
        RangeCase{"ClearPastEnd", RangeOp::Clear, 250, 10, {{249, 249}, {250, kEmpty}, {251, kEmpty}}},
        RangeCase{"ClearAll", RangeOp::Clear, 0, 252, {{0, kEmpty}, {251, kEmpty}}},
        RangeCase{"ClearNothing", RangeOp::Clear, 5, 0, {{5, 5}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RangeOperation, CopyRecordCopiesAllElevenBytes) {
  DiscreteProcessing z;
  const ProcessingRecord r{0xE5, 1, 2, 3, 4, 5, 6, 7, 8, 0xC5, 0x77};
  z.SetRecord(4, r);
  z.CopyRecord(4, 200);
  EXPECT_EQ(z.Record(200), r);
  z.CopyRecord(4, 252);  // ignored
  EXPECT_EQ(z.Record(4), r);
}

// ---- blocks -----------------------------------------------------------------------------

std::vector<uint8_t> Pattern(size_t n, int seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + static_cast<size_t>(seed) * 13 + 1);
  return v;
}

TEST(RecordBlocks, UnpackingBlockOnePlacesItsFirstRecordAtSignal18) {
  DiscreteProcessing z;
  auto data = Pattern(DiscreteProcessing::kBlockSize, 1);
  z.LoadBlockFromFile(data);
  z.UnpackBlock(1);
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + 11, z.Record(18).begin()));
  EXPECT_TRUE(std::equal(data.end() - 11, data.end(), z.Record(35).begin()));
  EXPECT_EQ(z.Record(17), ProcessingRecord{});
  EXPECT_EQ(z.Record(36), ProcessingRecord{});
}

TEST(RecordBlocks, EveryBlockRoundTripsThroughPackAndUnpack) {
  DiscreteProcessing source;
  for (int b = 0; b < DiscreteProcessing::kBlocks; ++b) {
    source.LoadBlockFromFile(Pattern(DiscreteProcessing::kBlockSize, b));
    source.UnpackBlock(b);
  }
  DiscreteProcessing copy;
  for (int b = 0; b < DiscreteProcessing::kBlocks; ++b) {
    source.PackBlock(b);
    auto packed = source.ExchangeBuffer();
    EXPECT_TRUE(std::equal(packed.begin(), packed.end(), Pattern(DiscreteProcessing::kBlockSize, b).begin()))
        << "block " << b;
    // Through the answer form: three header bytes and the block number first.
    std::vector<uint8_t> answer{0x01, 68, 199, static_cast<uint8_t>(12 + b)};
    answer.insert(answer.end(), packed.begin(), packed.end());
    copy.LoadBlockFromAnswer(answer);
    copy.UnpackBlock(b);
  }
  for (int i = 0; i < DiscreteProcessing::kSignals; ++i) EXPECT_EQ(copy.Record(i), source.Record(i)) << i;
}

TEST(RecordBlocks, AnswerLengthsAreClampedToTheBlock) {
  DiscreteProcessing z;
  std::vector<uint8_t> oversize(1000, 0xAB);
  z.LoadBlockFromAnswer(oversize);
  z.UnpackBlock(13);
  EXPECT_EQ(z.Record(251)[10], 0xAB);
  EXPECT_EQ(z.Record(234)[0], 0xAB);
  EXPECT_EQ(z.Record(233)[0], 0x00);

  std::vector<uint8_t> shortAnswer{1, 68, 3, 12, 0x60, 0x01};
  z.LoadBlockFromAnswer(shortAnswer);
  EXPECT_EQ(z.ExchangeBuffer()[0], 0x60);
  EXPECT_EQ(z.ExchangeBuffer()[1], 0x01);
  EXPECT_EQ(z.ExchangeBuffer()[2], 0x00);
  z.LoadBlockFromAnswer(std::vector<uint8_t>{1, 68});
  EXPECT_EQ(z.ExchangeBuffer()[0], 0x00);

  z.UnpackBlock(14);  // no such block: nothing happens
  z.PackBlock(-1);
  z.SetRecordBlockLen(4000);
  EXPECT_EQ(z.GetRecordBlockLen(), 199);
  z.SetRecordBlockLen(-3);
  EXPECT_EQ(z.GetRecordBlockLen(), 1);
}

// ---- sensor types ------------------------------------------------------------------------------

TEST(SensorTypes, SettingSensor12OfSlot1BuildsItsWord) {
  DiscreteProcessing z;
  z.SetSensorType(11, 0, 1);
  EXPECT_EQ(z.GetSensorTypeByte(0), 0x00);
  EXPECT_EQ(z.GetSensorTypeByte(1), 0x08);
  z.SetSensorType(0, 0, 1);
  z.SetSensorType(11, 0, 0);
  EXPECT_EQ(z.GetSensorTypeByte(0), 0x01);
  EXPECT_EQ(z.GetSensorTypeByte(1), 0x00);
  for (int k = 2; k < DiscreteProcessing::kSensorBytes; ++k) EXPECT_EQ(z.GetSensorTypeByte(k), 0);
}

TEST(SensorTypes, BlockRoundTripsThroughTheMatrix) {
  DiscreteProcessing z;
  auto bytes = Pattern(DiscreteProcessing::kSensorBytes, 5);
  std::vector<uint8_t> answer{1, 68, 33, 98};
  answer.insert(answer.end(), bytes.begin(), bytes.end());
  answer.resize(500, 0xFF);  // a device that sends too much
  z.LoadSensorTypesFromAnswer(answer);
  z.UnpackSensorTypes();
  DiscreteProcessing copy;
  for (int s = 0; s < 16; ++s) {
    for (int j = 0; j < 16; ++j) {
      const unsigned word = bytes[2 * s] | (bytes[2 * s + 1] << 8);
      EXPECT_EQ(z.GetSensorType(j, s), static_cast<int>((word >> j) & 1));
      copy.SetSensorType(j, s, z.GetSensorType(j, s));
    }
  }
  auto restored = copy.SensorTypes();
  EXPECT_TRUE(std::equal(restored.begin(), restored.end(), bytes.begin()));
}

TEST(SensorTypes, ShortAnswerClearsTheRest) {
  DiscreteProcessing z;
  z.SetSensorTypeByte(5, 0x55);
  z.LoadSensorTypesFromAnswer(std::vector<uint8_t>{1, 68, 2, 98, 0x11});
  EXPECT_EQ(z.GetSensorTypeByte(0), 0x11);
  EXPECT_EQ(z.GetSensorTypeByte(5), 0);
  z.SetSensorType(16, 0, 1);  // outside the matrix: ignored
  z.SetSensorType(0, -1, 1);
  EXPECT_EQ(z.GetSensorType(16, 0), 0);
}

// ---- CheckValue --------------------------------------------------------------------------------------

struct CheckCase {
  int kind;
  const char* text;
  int result;
};

class CheckValueRules : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckValueRules, AcceptsOnlyTheKindsRange) {
  const auto& c = GetParam();
  DiscreteProcessing z;
  ScriptedInteraction ui;
  std::vector<bool> paints;
  EXPECT_EQ(z.CheckValue(c.text, c.kind, ui, [&](bool red) { paints.push_back(red); }), c.result);
  if (c.result == 0) {
    EXPECT_TRUE(ui.Shown().empty());
    EXPECT_EQ(ui.Beeps(), 0);
    EXPECT_TRUE(paints.empty());
  } else {
    ASSERT_EQ(ui.Shown().size(), 1u);
    EXPECT_EQ(ui.Last().caption, "Ошибка");
    EXPECT_EQ(ui.Last().text, " Ошибка ввода ");
    EXPECT_EQ(ui.Last().icon, Icon::Error);
    EXPECT_EQ(ui.Beeps(), 1);
    EXPECT_EQ(paints, (std::vector<bool>{true, false}));
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CheckValueRules,
                         ::testing::Values(CheckCase{6, "0", 0}, CheckCase{6, "60", 0}, CheckCase{6, "61", 1},
                                           CheckCase{6, "", 1}, CheckCase{6, "-1", 1}, CheckCase{6, "5x", 1},
                                           CheckCase{6, "99999999999", 1}, CheckCase{7, "1", 0},
                                           CheckCase{7, "10", 0}, CheckCase{7, "0", 1}, CheckCase{7, "5", 1},
                                           CheckCase{7, "", 1}, CheckCase{3, "anything", 0},
                                           CheckCase{3, "", 1}));

// ---- AskCreateScheme ------------------------------------------------------------------------------------

TEST(AskCreateScheme, DecliningClosesTheEditor) {
  DiscreteProcessing z;
  ScriptedInteraction ui;
  ui.QueueAnswer(Answer::No);
  EXPECT_TRUE(z.AskCreateScheme(ui));
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().text, "Конфигурация не задана. Будете создавать?");
  EXPECT_EQ(ui.Last().buttons, Buttons::YesNo);
}

TEST(AskCreateScheme, AcceptingWithoutFullAccessIsRefused) {
  DiscreteProcessing z;
  ScriptedInteraction ui;
  ui.QueueAnswer(Answer::Yes);
  EXPECT_FALSE(z.AskCreateScheme(ui));
  ASSERT_EQ(ui.Shown().size(), 2u);
  EXPECT_EQ(ui.Last().text, "Ваш уровень доступа не позволяет создавать схему");
  EXPECT_EQ(ui.Last().icon, Icon::Warning);

  z.AccessLevel = 1;
  ui.Clear();
  ui.QueueAnswer(Answer::Yes);
  EXPECT_FALSE(z.AskCreateScheme(ui));
  EXPECT_EQ(ui.Shown().size(), 1u);
}

// ---- new configuration ----------------------------------------------------------------------------------

TEST(DefaultProcessing, OneDiscreteAndOneAnalogModuleWithRelays) {
  DiscreteProcessing z;
  Mark(z);
  z.DefaultProcessing(1, 1, true);
  // Discrete inputs: cell 1, emergency, normally open, archived; the first 24
  // signals drive output 1 of relay module 1 after 5 s.
  EXPECT_EQ(z.Record(0), (ProcessingRecord{0xA1, 1, 0, 0, 0, 0, 0, 0, 0, 0x85, 0}));
  EXPECT_EQ(z.Record(11), (ProcessingRecord{0xA1, 1, 0, 0, 0, 0, 0, 0, 0, 0x85, 0}));
  // Analog setpoints: cell 2, LL and HH emergency, L and H warning.
  EXPECT_EQ(z.Record(12), (ProcessingRecord{0xA2, 1, 0, 0, 0, 0, 0, 0, 0, 0x85, 0}));
  EXPECT_EQ(z.GetAlarmType(13), 0x40);
  EXPECT_EQ(z.GetAlarmType(14), 0x40);
  EXPECT_EQ(z.GetAlarmType(15), 0x80);
  EXPECT_EQ(z.GetAlarmType(33), 0x40);
  EXPECT_EQ(z.Record(24), (ProcessingRecord{0xA2, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0}));
  EXPECT_EQ(z.Record(35), (ProcessingRecord{0xA2, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0}));
  EXPECT_EQ(z.Record(36), DiscreteProcessing::kEmptyRecord);
  EXPECT_EQ(z.Record(251), DiscreteProcessing::kEmptyRecord);
}

TEST(DefaultProcessing, AnalogModulesFollowTheDiscreteOnes) {
  DiscreteProcessing z;
  z.DefaultProcessing(2, 3, false);
  EXPECT_EQ(z.GetCell(23), 2);
  EXPECT_EQ(z.GetCell(24), 3);  // the first analog module is module 3
  EXPECT_EQ(z.GetCell(71), 4);
  EXPECT_EQ(z.GetCell(72), 5);
  EXPECT_EQ(z.GetCell(95), 5);
  EXPECT_EQ(z.GetDelayTime(0), 0);
  EXPECT_EQ(z.GetByte(0, 1), 0);
  EXPECT_EQ(z.GetArchive(95), 0x80);
  EXPECT_EQ(z.Record(96), DiscreteProcessing::kEmptyRecord);
}

TEST(DefaultProcessing, OversizeCompositionStaysInsideTheBase) {
  DiscreteProcessing z;
  z.DefaultProcessing(16, 16, true);
  EXPECT_EQ(z.GetCell(251), 19);  // signal 251 belongs to the third analog module
  EXPECT_EQ(z.GetArchive(251), 0x80);
}

TEST(InitialState, MatchesAFreshProgram) {
  DiscreteProcessing z;
  EXPECT_EQ(z.GetRecordBlockLen(), 199);
  EXPECT_EQ(z.GetSensorBlockLen(), 33);
  EXPECT_EQ(z.ModuleSynced[0], 0);
  EXPECT_EQ(z.ModuleSynced[16], 1);
  EXPECT_EQ(z.RowSignal[0], -1);
  EXPECT_EQ(z.RowSignal[251], -1);
  EXPECT_EQ(z.CurSignal, -1);
  EXPECT_EQ(z.CurRow, -1);
  EXPECT_EQ(z.ClipState, -1);
  EXPECT_EQ(z.AccessLevel, 0);
  EXPECT_EQ(z.Record(0), ProcessingRecord{});
}

}  // namespace
}  // namespace zul
