#include <gtest/gtest.h>

#include <array>

#include "core/ScriptedInteraction.h"
#include "core/link/Crc16.h"
#include "core/link/ModbusLink.h"
#include "support/FakeSerialLine.h"
#include "support/WritingLink.h"

namespace zul {
namespace {

using test::Bytes;
using test::WithCrc;

class ComPortTest : public ::testing::Test {
 protected:
  ComPortTest() { line.ForceOpen(true); }

  int Request(uint8_t function, Bytes data = {}) { return port.Request(0, function, data, answer); }
  size_t Writes() const { return line.Written().size(); }

  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  test::WritingLink port{line, clock, ui};
  std::array<uint8_t, kAnswerBufferSize> answer{};
};

TEST(Crc16, MatchesTheModbusReferenceFrame) {
  const Bytes frame = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A};
  EXPECT_EQ(WithCrc(frame), (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}));
}

// A CRC never lands outside the frame it was given, and a frame too short to
// carry one never matches.
TEST(Crc16, FramesTooShortForACrcAreLeftAloneAndNeverMatch) {
  std::array<uint8_t, 3> guarded = {0x5A, 0x5A, 0x5A};
  AppendCrc(std::span(guarded).first(1));
  EXPECT_EQ(guarded, (std::array<uint8_t, 3>{0x5A, 0x5A, 0x5A}));
  EXPECT_FALSE(CrcMatches(std::span(guarded).first(1)));
  EXPECT_FALSE(CrcMatches({}));
}

struct LeadingCase {
  int count;
  size_t expected;
};

class LeadingBytesOfTen : public ::testing::TestWithParam<LeadingCase> {};

// Block lengths come from configuration fields: a length that is zero or
// larger than its buffer must not reach past the buffer.
TEST_P(LeadingBytesOfTen, StayWithinTheBuffer) {
  const Bytes buffer(10, 1);
  const auto bytes = LeadingBytes(buffer, GetParam().count);
  EXPECT_EQ(bytes.data(), buffer.data());
  EXPECT_EQ(bytes.size(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Link, LeadingBytesOfTen,
                         ::testing::Values(LeadingCase{-1, 0}, LeadingCase{0, 0}, LeadingCase{4, 4},
                                           LeadingCase{10, 10}, LeadingCase{11, 10}));

TEST_F(ComPortTest, RequestFrame_AddressFunctionDataAndCrcLowFirst) {
  line.QueueFrame({0x02, 0x44, 0x01, 0x0C});
  EXPECT_EQ(port.Request(1, 68, Bytes{0x0C}, answer), kResultOk);
  ASSERT_EQ(Writes(), 1u);
  EXPECT_EQ(line.Written()[0], WithCrc({0x02, 0x44, 0x0C}));
  EXPECT_EQ(port.GetFrameLen(), 5);
  EXPECT_EQ(port.GetDataCount(), 1);
}

TEST_F(ComPortTest, UnknownFunction_ResultOneAndNothingSentEvenWithPortClosed) {
  line.ForceOpen(false);
  EXPECT_EQ(Request(7), kResultBadFunction);
  EXPECT_EQ(Request(17), kResultPortClosed);
  line.ForceOpen(true);
  EXPECT_EQ(Request(7), kResultBadFunction);
  EXPECT_EQ(Writes(), 0u);
  EXPECT_TRUE(ui.Shown().empty());
}

TEST_F(ComPortTest, Broadcast_GoesToAddressZeroAndReadsNothing) {
  EXPECT_EQ(port.Request(4, 70, Bytes(7, 1), answer), kResultOk);
  ASSERT_EQ(Writes(), 1u);
  EXPECT_EQ(line.Written()[0][0], 0);
  EXPECT_EQ(line.Written()[0].size(), 11u);
}

struct LengthCase {
  const char* name;
  uint8_t function;
  Bytes data;
  Bytes reply;  // without CRC
  int answerLen;
};

class AnswerLength : public ComPortTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(AnswerLength, FollowsTheFunctionsRule) {
  const auto& c = GetParam();
  line.QueueFrame(c.reply);
  EXPECT_EQ(Request(c.function, c.data), kResultOk);
  EXPECT_EQ(port.GetAnswerLen(), c.answerLen);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + c.answerLen), WithCrc(c.reply));
}

INSTANTIATE_TEST_SUITE_P(
    Functions, AnswerLength,
    ::testing::Values(
        LengthCase{"Confirm14EchoesFourBytes", 14, {}, {0x01, 0x0E}, 4},
        LengthCase{
            "Coil5EchoesEightBytes", 5, {0x10, 0x23, 0xFF, 0x00}, {0x01, 0x05, 0x10, 0x23, 0xFF, 0x00}, 8},
        LengthCase{"Register6EchoesEightBytes",
                   6,
                   {0x00, 0x10, 0x12, 0x34},
                   {0x01, 0x06, 0x00, 0x10, 0x12, 0x34},
                   8},
        LengthCase{"Write16IsEightBytes", 16, {0, 1, 0, 1, 2, 0, 5}, {0x01, 0x10, 0x00, 0x01, 0x00, 0x01}, 8},
        LengthCase{"Write15IsEightBytes", 15, {0, 1, 0, 8, 1, 0xFF}, {0x01, 0x0F, 0x00, 0x01, 0x00, 0x08}, 8},
        LengthCase{"Identity17IsCountPlusFive", 17, {}, {0x01, 0x11, 0x03, 0xAA, 0xBB, 0xCC}, 8},
        LengthCase{"Block68IsCountPlusFive", 68, {0x0C}, {0x01, 0x44, 0x02, 0x0C, 0x00}, 7},
        LengthCase{"ExceptionZeroIsANormalAnswer", 68, {0x0C}, {0x01, 0xC4, 0x00}, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComPortTest, ExceptionAnswer_ReturnsCodeAfterOneTryOnceItsCrcIsRead) {
  line.QueueFrame({0x01, 0xC4, 0x02});
  EXPECT_EQ(Request(68, {0x14}), 2);
  EXPECT_EQ(Writes(), 1u);
  EXPECT_EQ(port.GetAnswerLen(), 5);
  EXPECT_EQ(clock.NowMs(), 25);
}

// Answers that arrive whole but are not the answer to the request: each is a
// failed try, retried; a good answer after it is taken, and when nothing else
// comes the request ends with the link's error, never with success.
struct ForeignAnswerCase {
  const char* name;
  uint8_t function;
  Bytes data;
  Bytes wrong;   // raw, as it arrives
  Bytes good;    // raw
  int endsWith;  // when only the wrong answer comes
};

class ForeignAnswers : public ComPortTest, public ::testing::WithParamInterface<ForeignAnswerCase> {};

TEST_P(ForeignAnswers, AreFailedTriesNeverTheAnswer) {
  const ForeignAnswerCase& k = GetParam();
  line.QueueReply(k.wrong);
  line.QueueReply(k.good);
  EXPECT_EQ(Request(k.function, k.data), kResultOk);
  EXPECT_EQ(Writes(), 2u);
  EXPECT_EQ(Bytes(answer.begin(), answer.begin() + static_cast<long>(k.good.size())), k.good);

  for (int i = 0; i < 20; ++i) line.QueueReply(k.wrong);
  EXPECT_EQ(Request(k.function, k.data), k.endsWith);
  EXPECT_TRUE(ui.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Link, ForeignAnswers,
                         ::testing::Values(ForeignAnswerCase{"FromAnotherAddress",
                                                             17,
                                                             {},
                                                             WithCrc({0x02, 0x11, 0x01, 0x05}),
                                                             WithCrc({0x01, 0x11, 0x01, 0x05}),
                                                             kResultReceiveError},
                                           ForeignAnswerCase{"OfAnotherBlock",
                                                             68,
                                                             {0x0C},
                                                             WithCrc({0x01, 0x44, 0x02, 0x0D, 0x07}),
                                                             WithCrc({0x01, 0x44, 0x02, 0x0C, 0x07}),
                                                             kResultReceiveError},
                                           ForeignAnswerCase{"BlockAnswerWithoutItsNumber",
                                                             68,
                                                             {0x0C},
                                                             WithCrc({0x01, 0x44, 0x00}),
                                                             WithCrc({0x01, 0x44, 0x01, 0x0C}),
                                                             kResultReceiveError},
                                           // A noise hit turned 0x44 into 0xC4: the byte count reads as an
                                           // exception code, and only the checksum tells the two apart.
                                           ForeignAnswerCase{
                                               "NoisyFunctionByte",
                                               68,
                                               {0x0C},
                                               [] {
                                                 Bytes b = WithCrc({0x01, 0x44, 0x02, 0x0C, 0x07});
                                                 b[1] = 0xC4;
                                                 return b;
                                               }(),
                                               WithCrc({0x01, 0x44, 0x02, 0x0C, 0x07}),
                                               kResultChecksum},
                                           ForeignAnswerCase{"ExceptionWithoutItsChecksum",
                                                             68,
                                                             {0x0C},
                                                             {0x01, 0xC4, 0x02},
                                                             WithCrc({0x01, 0x44, 0x02, 0x0C, 0x07}),
                                                             kResultTimeout},
                                           ForeignAnswerCase{"ConfirmationFromAnotherAddress",
                                                             14,
                                                             {},
                                                             WithCrc({0x02, 0x0E}),
                                                             WithCrc({0x01, 0x0E}),
                                                             kResultReceiveError},
                                           ForeignAnswerCase{"EchoOfAnotherCoil",
                                                             5,
                                                             {0x10, 0x23, 0xFF, 0x00},
                                                             WithCrc({0x01, 0x05, 0x10, 0x24, 0xFF, 0x00}),
                                                             WithCrc({0x01, 0x05, 0x10, 0x23, 0xFF, 0x00}),
                                                             kResultReceiveError}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
  const char* name;
  std::vector<Bytes> replies;  // raw, one per try; missing = silence
  int result;
  size_t writes;
  int64_t elapsedMs;
};

class Failures : public ComPortTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failures, EndWithTheirResultAfterTheirTries) {
  const auto& c = GetParam();
  for (const auto& r : c.replies) line.QueueReply(r);
  EXPECT_EQ(Request(17), c.result);
  EXPECT_EQ(Writes(), c.writes);
  EXPECT_EQ(clock.NowMs(), c.elapsedMs);
  EXPECT_TRUE(ui.Shown().empty());  // the caller decides what to show
}

const Bytes kIdentity = WithCrc({0x01, 0x11, 0x02, 0x05, 0x06});
const Bytes kBadCrc = {0x01, 0x11, 0x02, 0x05, 0x06, 0x00, 0x00};

INSTANTIATE_TEST_SUITE_P(
    Link, Failures,
    ::testing::Values(
        // 5 tries x (25 delay + 1300 read time-out + 300 pause)
        FailureCase{"SilentControllerCostsRepeat1Tries", {}, kResultNoAnswer, 5, 5 * (25 + 1300 + 300)},
        FailureCase{"OneMissingAnswerThenGood", {{}, kIdentity}, kResultOk, 2, 25 + 1300 + 300 + 25},
        FailureCase{"TwoHeadBytesEveryTry",
                    {{1, 0x11}, {1, 0x11}, {1, 0x11}, {1, 0x11}, {1, 0x11}},
                    kResultTimeout,
                    5,
                    5 * (25 + 50 + 300)},
        FailureCase{
            "TenBadChecksumsEndWith131",
            {kBadCrc, kBadCrc, kBadCrc, kBadCrc, kBadCrc, kBadCrc, kBadCrc, kBadCrc, kBadCrc, kBadCrc},
            kResultChecksum,
            10,
            10 * (25 + 300)},
        FailureCase{"ShortBodiesUseTheSecondStage",
                    {{1, 0x11, 2, 5},
                     {1, 0x11, 2, 5},
                     {1, 0x11, 2, 5},
                     {1, 0x11, 2, 5},
                     {1, 0x11, 2, 5},
                     {1, 0x11, 2, 5},
                     {1, 0x11, 2, 5},
                     {1, 0x11, 2, 5},
                     {1, 0x11, 2, 5},
                     {1, 0x11, 2, 5}},
                    kResultTimeout,
                    10,
                    10 * (25 + 50 + 300)},
        FailureCase{"ForeignFunctionByteFailsStageOne",
                    {{1, 0x03, 2}, {1, 0x03, 2}, {1, 0x03, 2}, {1, 0x03, 2}, {1, 0x03, 2}},
                    kResultReceiveError,
                    5,
                    5 * (25 + 300)},
        FailureCase{"GoodHeadResetsStageOne",
                    {{}, {}, {}, {}, kBadCrc, {}, {}, {}, {}, kIdentity},
                    kResultOk,
                    10,
                    9 * (25 + 300) + 8 * 1300 + 25}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComPortTest, NegativeReadCount_IsTheResultWithoutSign) {
  line.readError = -133;
  EXPECT_EQ(Request(17), 133);
}

TEST_F(ComPortTest, PurgeFailure_ShowsDisconnectedAndReturns135) {
  line.failPurge = true;
  EXPECT_EQ(Request(17), kResultPortFailure);
  EXPECT_EQ(Writes(), 0u);
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().caption, "Ошибка");
  EXPECT_EQ(ui.Last().text, "COM-порт отключен. Проверьте оборудование, перезапустите программу.");
  EXPECT_EQ(ui.Last().icon, Icon::Error);
}

TEST_F(ComPortTest, LongAnswer_IsCutToTheCallersBuffer) {
  Bytes reply = {0x01, 0x44, 200, 0x0C};
  reply.resize(203, 0x5A);
  line.QueueFrame(reply);
  std::array<uint8_t, 16> small{};
  EXPECT_EQ(port.Request(0, 68, Bytes{0x0C}, small), kResultOk);
  EXPECT_EQ(small[15], 0x5A);
}

struct ErrorCase {
  int code;
  const char* caption;
  const char* text;
  Icon icon;
};

class ShowErrorTable : public ComPortTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ShowErrorTable, ShowsTextCaptionAndIcon) {
  const auto& c = GetParam();
  port.ShowError(0, c.code);
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().caption, c.caption);
  EXPECT_EQ(ui.Last().text, c.text);
  EXPECT_EQ(ui.Last().icon, c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ShowErrorTable,
    ::testing::Values(
        ErrorCase{3, "Предупреждение", "устройство 1 COM1 ошибка обмена 03", Icon::Warning},
        ErrorCase{6, "Предупреждение", "устройство 1 COM1 Идет запись базы данных. Ждите.", Icon::Warning},
        ErrorCase{128, "Предупреждение", "устройство 1 COM1 ошибка приема данных ", Icon::Warning},
        ErrorCase{129, "Предупреждение", "устройство 1 COM1 тайм-аут приема данных", Icon::Warning},
        ErrorCase{130, "Предупреждение", "устройство 1 COM1 не отвечает на запрос", Icon::Warning},
        ErrorCase{131, "Предупреждение", "устройство 1 COM1 ошибка контрольной суммы", Icon::Warning},
        ErrorCase{132, "Предупреждение", " невозможно открыть последовательный порт ", Icon::Warning},
        ErrorCase{133, "Ошибка", "вероятно, порт не настроен", Icon::Error},
        ErrorCase{134, "Ошибка", "сбой настройки порта при выключении прибора", Icon::Error},
        ErrorCase{135, "Ошибка", "ошибка настройки порта", Icon::Error},
        ErrorCase{255, "Предупреждение", "устройство 1 COM1 ошибка обмена FF", Icon::Warning},
        ErrorCase{256, "Ошибка", "Не выбран COM-порт.", Icon::Error}));

TEST_F(ComPortTest, ShowError_ZeroShowsNothingAndDeviceNumberIsIndexPlusOne) {
  port.ShowError(0, 0);
  EXPECT_TRUE(ui.Shown().empty());
  port.SetPortName("/tmp/zul0");
  port.ShowError(4, 130);
  EXPECT_EQ(ui.Last().text, "устройство 5 /tmp/zul0 не отвечает на запрос");
}

TEST_F(ComPortTest, ShowError256_ClosesThePortFirst) {
  port.ShowError(0, kResultPortClosed);
  EXPECT_FALSE(line.IsOpen());
}

TEST_F(ComPortTest, Pause_SleepsOnTheMonotonicClockAndReturnsElapsed) {
  EXPECT_EQ(port.Pause(300), 300);
  EXPECT_EQ(clock.NowMs(), 300);
  EXPECT_EQ(port.Pause(0), 0);
  EXPECT_EQ(port.Pause(-5), 0);
}

// --- an answer whose body never comes ------------------------------------

struct ByteTimeoutCase {
  const char* name;
  const char* baud;
  int setting;  // 0: follows the baud rate
  int expectedMs;
};

class ByteTimeout : public ComPortTest, public ::testing::WithParamInterface<ByteTimeoutCase> {};

TEST_P(ByteTimeout, EndsAHeadOnlyAnswerInsteadOfWaitingTheWholeAnswerTime) {
  const auto& c = GetParam();
  port.SetBaudText(c.baud);
  port.SetByteTimeout(c.setting);
  EXPECT_EQ(port.EffectiveByteTimeoutMs(), c.expectedMs);
  port.SetRepeat2(3);
  for (int i = 0; i < 3; ++i) line.QueueReply({0x01, 0x44, 0xAA});  // a 175-byte answer cut after its head
  EXPECT_EQ(Request(68, {0x0C}), kResultTimeout);
  EXPECT_EQ(Writes(), 3u);
  EXPECT_EQ(clock.NowMs(), 3 * (25 + c.expectedMs + 300));
}

INSTANTIATE_TEST_SUITE_P(Link, ByteTimeout,
                         ::testing::Values(ByteTimeoutCase{"FiftyMsAt9600", "9600", 0, 50},
                                           ByteTimeoutCase{"FiftyMsAt115200", "115200", 0, 50},
                                           ByteTimeoutCase{"TwentyCharactersAt1200", "1200", 0, 184},
                                           ByteTimeoutCase{"TwentyCharactersAt110", "110", 0, 2000},
                                           ByteTimeoutCase{"TheSettingWins", "9600", 250, 250}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComPortTest, ByteTimeout_NeverOutlastsTheAnswersTotalTime) {
  port.SetByteTimeout(60000);
  port.SetRepeat2(1);
  line.QueueReply({0x01, 0x11, 0x02});  // 4 more bytes: 4 * 100 + 1000 ms at most
  EXPECT_EQ(Request(17), kResultTimeout);
  EXPECT_EQ(clock.NowMs(), 25 + 1400 + 300);
}

// --- the access gate -------------------------------------------------------

class AccessGate : public ::testing::TestWithParam<uint8_t> {
 protected:
  AccessGate() { line.ForceOpen(true); }
  VirtualClock clock;
  test::FakeSerialLine line{&clock};
  ScriptedInteraction ui;
  ModbusLink port{line, clock, ui};
  std::array<uint8_t, kAnswerBufferSize> answer{};
};

TEST_P(AccessGate, WritingFunctionsAreRefusedWithoutFullAccessAndSendNothing) {
  const uint8_t function = GetParam();
  const Bytes data(7, 0);
  int level = kViewingAccess;
  for (const int* bound : std::array<const int*, 2>{nullptr, &level}) {
    port.BindAccessLevel(bound);
    EXPECT_FALSE(port.MayWrite());
    EXPECT_EQ(port.Request(0, function, data, answer), kResultNoAccess);
  }
  EXPECT_TRUE(line.Written().empty());
  EXPECT_TRUE(ui.Shown().empty());  // Request leaves the showing to its caller
  level = kFullAccess;
  EXPECT_TRUE(port.MayWrite());
  port.Request(0, function, data, answer);
  EXPECT_FALSE(line.Written().empty());
}

INSTANTIATE_TEST_SUITE_P(Link, AccessGate, ::testing::Values(5, 6, 15, 16, 69, 70));

TEST_F(AccessGate, ReadingFunctionsNeedNoAccess) {
  port.SetRepeat1(1);
  for (uint8_t function : {1, 2, 3, 4, 14, 17, 68, 71}) {
    EXPECT_FALSE(IsWritingFunction(function));
    port.Request(0, function, {}, answer);
  }
  EXPECT_EQ(line.Written().size(), 8u);
}

TEST_F(AccessGate, WriteBlockShowsTheRefusalOnce) {
  const Bytes block(10, 1);
  EXPECT_FALSE(port.WriteBlock(0, 2, block));
  EXPECT_TRUE(line.Written().empty());
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().text, "Ваш уровень доступа не позволяет\nпроизводить вывод в СОМ-порт");
  EXPECT_EQ(ui.Last().icon, Icon::Warning);
}

// --- store and confirm ---------------------------------------------------

class WriteBlockTest : public ComPortTest {
 protected:
  const Bytes block = Bytes(169, 0x11);
  bool Write() { return port.WriteBlock(0, 2, block); }
  Bytes Functions() const {
    Bytes f;
    for (const auto& w : line.Written()) f.push_back(w[1]);
    return f;
  }
  void QueueStoreAnswer() { line.QueueFrame({0x01, 0x45, 0x01, 0x02}); }
  void QueueBusy() { line.QueueFrame({0x01, 0x8E, 0x06}); }
  void QueueConfirm() { line.QueueFrame({0x01, 0x0E}); }
};

TEST_F(WriteBlockTest, StoresThenPollsUntilConfirmed) {
  QueueStoreAnswer();
  QueueBusy();
  QueueBusy();
  QueueConfirm();
  EXPECT_TRUE(Write());
  EXPECT_EQ(Functions(), (Bytes{69, 14, 14, 14}));
  const Bytes& store = line.Written()[0];
  EXPECT_EQ(store.size(), 1 + 1 + 1 + 169 + 2u);
  EXPECT_EQ(store[2], 2);
  EXPECT_TRUE(ui.Shown().empty());
  EXPECT_EQ(clock.NowMs(), 25 + 300 + 3 * 25 + 2 * 200);
}

TEST_F(WriteBlockTest, StuckBusyController_GivesUpAfterSixtySecondsWithResult6) {
  QueueStoreAnswer();
  for (int i = 0; i < 1000; ++i) QueueBusy();
  EXPECT_FALSE(Write());
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().text, "устройство 1 COM1 Идет запись базы данных. Ждите.");
  EXPECT_GE(clock.NowMs(), ModbusLink::kBusyGiveUpMs);
  EXPECT_LT(clock.NowMs(), ModbusLink::kBusyGiveUpMs + 1000);
}

TEST_F(WriteBlockTest, SilentController_ShowsNoAnswerAfterOneRound) {
  EXPECT_FALSE(Write());
  EXPECT_EQ(Functions(), (Bytes{69, 69, 69, 69, 69, 14, 14, 14, 14, 14}));
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().text, "устройство 1 COM1 не отвечает на запрос");
}

TEST_F(WriteBlockTest, OtherFailures_RetryTheWholeStoreRepeat1Times) {
  port.SetRepeat1(2);
  for (int round = 0; round < 2; ++round) {
    QueueStoreAnswer();
    line.QueueFrame({0x01, 0x8E, 0x03});
  }
  EXPECT_FALSE(Write());
  EXPECT_EQ(Functions(), (Bytes{69, 14, 69, 14}));
  ASSERT_EQ(ui.Shown().size(), 1u);
  EXPECT_EQ(ui.Last().text, "устройство 1 COM1 ошибка обмена 03");
}

TEST_F(WriteBlockTest, Exception7_EndsAtOnce) {
  QueueStoreAnswer();
  line.QueueFrame({0x01, 0x8E, 0x07});
  EXPECT_FALSE(Write());
  EXPECT_EQ(Functions(), (Bytes{69, 14}));
  EXPECT_EQ(ui.Last().text, "устройство 1 COM1 ошибка обмена 07");
}

// What the answer to the store request itself decides: an exception, whatever
// its code, is a failed try (the poll after it would only hear "nothing
// pending"); a lost or a garbled answer leaves the verdict to the polls.
struct StoreAnswerCase {
  const char* name;
  std::vector<Bytes> replies;  // raw, one per frame sent; empty: silence
  bool stored;
  Bytes functions;
  const char* message;  // nullptr: none
};

class StoreAnswer : public WriteBlockTest, public ::testing::WithParamInterface<StoreAnswerCase> {};

TEST_P(StoreAnswer, DecidesWhetherThePollsAreBelieved) {
  const StoreAnswerCase& k = GetParam();
  port.SetRepeat1(2);
  for (const Bytes& reply : k.replies) line.QueueReply(reply);
  EXPECT_EQ(Write(), k.stored);
  EXPECT_EQ(Functions(), k.functions);
  if (k.message) {
    ASSERT_EQ(ui.Shown().size(), 1u);
    EXPECT_EQ(ui.Last().text, k.message);
  } else {
    EXPECT_TRUE(ui.Shown().empty());
  }
}

// A controller with nothing pending confirms a poll at once.
const Bytes kConfirm = test::WithCrc({0x01, 0x0E});
const Bytes kRefused3 = test::WithCrc({0x01, 0xC5, 0x03});
const Bytes kRefused5 = test::WithCrc({0x01, 0xC5, 0x05});

INSTANTIATE_TEST_SUITE_P(
    Cases, StoreAnswer,
    ::testing::Values(
        StoreAnswerCase{"RefusedWith3_FailsAfterItsTriesWithoutPolling",
                        {kRefused3, kRefused3, kConfirm},
                        false,
                        Bytes{69, 69},
                        "устройство 1 COM1 ошибка обмена 03"},
        StoreAnswerCase{"RefusedWith5_FailsLikewise",
                        {kRefused5, kRefused5, kConfirm},
                        false,
                        Bytes{69, 69},
                        "устройство 1 COM1 ошибка обмена 05"},
        // Busy to the store itself: the block was not taken, however the poll answers.
        StoreAnswerCase{"BusyStore_IsAFailedTry",
                        {test::WithCrc({0x01, 0xC5, 0x06}), test::WithCrc({0x01, 0xC5, 0x06}), kConfirm},
                        false,
                        Bytes{69, 69},
                        "устройство 1 COM1 Идет запись базы данных. Ждите."},
        StoreAnswerCase{
            "BusyStoreThenTaken_IsStoredOnTheSecondTry",
            {test::WithCrc({0x01, 0xC5, 0x06}), test::WithCrc({0x01, 0x45, 0x01, 0x02}), kConfirm},
            true,
            Bytes{69, 69, 14},
            nullptr},
        StoreAnswerCase{
            "LostStoreAnswer_IsJudgedByThePoll", {{}, {}, kConfirm}, true, Bytes{69, 69, 14}, nullptr},
        StoreAnswerCase{"ForeignFunctionByte_IsJudgedByThePoll",
                        {{0x01, 0x03, 0x05}, {}, kConfirm},
                        true,
                        Bytes{69, 69, 14},
                        nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteBlockTest, RefusalThenAcceptance_IsStoredOnTheSecondTry) {
  line.QueueFrame({0x01, 0xC5, 0x04});
  QueueStoreAnswer();
  QueueConfirm();
  EXPECT_TRUE(Write());
  EXPECT_EQ(Functions(), (Bytes{69, 69, 14}));
  EXPECT_TRUE(ui.Shown().empty());
}

// --- opening the port ------------------------------------------------------

struct OpenCase {
  const char* name;
  const char* baud;
  const char* parity;
  const char* stop;
  const char* port;
  int result;
};

class OpenPortTable : public ComPortTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenPortTable, ChecksEverySettingSilently) {
  const auto& c = GetParam();
  port.SetBaudText(c.baud);
  port.SetParityText(c.parity);
  port.SetStopBitsText(c.stop);
  port.SetPortName(c.port);
  EXPECT_EQ(port.OpenPort(), c.result);
  EXPECT_EQ(line.IsOpen(), c.result == 0);
  EXPECT_TRUE(ui.Shown().empty());
}

// Device paths name ports where the system has them; Windows knows COM names only.
#ifdef _WIN32
constexpr int kDevicePathResult = -1;
#else
constexpr int kDevicePathResult = 0;
#endif

INSTANTIATE_TEST_SUITE_P(
    Settings, OpenPortTable,
    ::testing::Values(OpenCase{"Defaults", "9600", "N", "2", "COM1", 0},
                      OpenCase{"Baud4800", "4800", "E", "1", "COM1", 0},
                      OpenCase{"Baud4801", "4801", "N", "2", "COM1", -1},
                      OpenCase{"BaudWithTail", "9600x", "N", "2", "COM1", -1},
                      OpenCase{"LowerCaseParity", "9600", "n", "2", "COM1", -1},
                      OpenCase{"EmptyParity", "9600", "", "2", "COM1", -1},
                      OpenCase{"ThreeStopBits", "9600", "O", "3", "COM1", -1},
                      OpenCase{"LowerCaseCom", "115200", "N", "1", "com3", 0},
                      OpenCase{"EmptyName", "9600", "N", "2", "", -1},
                      OpenCase{"DeviceName", "9600", "N", "2", "ttyUSB0", kDevicePathResult},
                      OpenCase{"DevicePath", "9600", "N", "2", "/dev/ttyS0", kDevicePathResult},
                      OpenCase{"PtySymlink", "9600", "N", "2", "/tmp/zul0", kDevicePathResult},
                      OpenCase{"NotAPort", "9600", "N", "2", "printer", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ComPortTest, OpenPort_HandsSettingsToTheLineAsChecked) {
  port.SetBaudText("19200");
  port.SetParityText("O");
  port.SetStopBitsText("3");
  EXPECT_EQ(port.OpenPort(), -1);
  EXPECT_EQ(line.baud, 19200);  // applied before the stop-bit check failed
  EXPECT_EQ(line.parity, Parity::Odd);
}

TEST_F(ComPortTest, OpenPort_FailingOpenOrCloseShowsDisconnected) {
  line.failOpen = true;
  EXPECT_EQ(port.OpenPort(), -1);
  line.failOpen = false;
  line.failClose = true;
  EXPECT_EQ(port.OpenPort(), -1);
  ASSERT_EQ(ui.Shown().size(), 2u);
  for (const auto& m : ui.Shown()) {
    EXPECT_EQ(m.caption, "Ошибка");
    EXPECT_EQ(m.text, kPortDisconnectedText);
  }
}

}  // namespace
}  // namespace zul
