#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/model/Cp1251.h"
#include "core/model/ServiceBlock.h"

namespace zul {
namespace {

using Slots = std::vector<int>;

std::array<uint8_t, ServiceBlock::kIdentityBytes> IdentityWith(const Slots& slots, int signals = 0,
                                                               int analog = 0, int indication = 0) {
  std::array<uint8_t, ServiceBlock::kIdentityBytes> id{};
  for (size_t s = 0; s < slots.size(); ++s) id[1 + s] = static_cast<uint8_t>(slots[s]);
  id[0] = static_cast<uint8_t>(slots.size());
  id[20] = static_cast<uint8_t>(signals);
  id[21] = static_cast<uint8_t>(analog);
  id[22] = static_cast<uint8_t>(indication);
  return id;
}

// A function-17 answer as the link leaves it in a caller's buffer of 260 bytes.
std::vector<uint8_t> IdentityAnswer(const std::array<uint8_t, ServiceBlock::kIdentityBytes>& id,
                                    uint8_t byteCount = ServiceBlock::kIdentityBytes) {
  std::vector<uint8_t> answer(260, 0xEE);
  answer[0] = 1;
  answer[1] = 17;
  answer[2] = byteCount;
  std::copy(id.begin(), id.end(), answer.begin() + 3);
  return answer;
}

class ServTest : public ::testing::Test {
 protected:
  std::unique_ptr<ServiceBlock> serv = std::make_unique<ServiceBlock>();
};

// ---------------------------------------------------------------- identity and counts

struct CompositionCase {
  const char* name;
  Slots slots;
  int di, ai, doModules, key, diCount, aiCount, doCount, start1, start2, firstNet;
};

class ServComposition : public ::testing::TestWithParam<CompositionCase> {};

TEST_P(ServComposition, DecodeIdentity_CountsGroupsAndSignals) {
  const auto& c = GetParam();
  auto serv = std::make_unique<ServiceBlock>();
  serv->DecodeIdentity(17, IdentityAnswer(IdentityWith(c.slots, 60, 6, 1)));
  EXPECT_EQ(serv->DiModules, c.di);
  EXPECT_EQ(serv->AiModules, c.ai);
  EXPECT_EQ(serv->DoModules, c.doModules);
  EXPECT_EQ(serv->KeyModules, c.key);
  EXPECT_EQ(serv->GetDiCount(), c.diCount);
  EXPECT_EQ(serv->GetAiCount(), c.aiCount);
  EXPECT_EQ(serv->GetDoCount(), c.doCount);
  EXPECT_EQ(serv->GroupStart0, 0);
  EXPECT_EQ(serv->GetGroupStart1(), c.start1);
  EXPECT_EQ(serv->GetGroupStart2(), c.start2);
  EXPECT_EQ(serv->FirstNetSignal(), c.firstNet);
  EXPECT_EQ(serv->GetSignalCount(), 60);
  EXPECT_EQ(serv->GetAnalogSignalCount(), 6);
  EXPECT_EQ(serv->GetIndicationType(), 1);
  for (size_t s = 0; s < c.slots.size(); ++s) EXPECT_EQ(serv->ModuleType[s], c.slots[s]);
}

INSTANTIATE_TEST_SUITE_P(
    Slots, ServComposition,
    ::testing::Values(
        CompositionCase{"DiDiAiDo", {1, 1, 6, 3}, 2, 1, 1, 0, 24, 6, 8, 3, 4, 48},
        CompositionCase{"UnnamedCodes", {11, 13, 14}, 1, 1, 0, 0, 12, 6, 0, 2, 3, 36},
        CompositionCase{"KeyModuleCountsTwice", {2, 10, 5, 4, 12, 9}, 2, 1, 3, 1, 24, 6, 24, 3, 4, 48},
        CompositionCase{"Empty", {}, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0},
        CompositionCase{"UnknownCodesCountNowhere", {0, 15, 200, 255}, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServTest, DecodeIdentity_OtherFunctionChangesNothing) {
  serv->LoadIdentity(IdentityWith({1, 6}, 36, 6));
  const auto before = serv->Identity;
  serv->DecodeIdentity(68, IdentityAnswer(IdentityWith({1, 1, 6, 3}, 60)));
  EXPECT_EQ(serv->Identity, before);
  EXPECT_EQ(serv->DiModules, 1);
  EXPECT_EQ(serv->GetSignalCount(), 36);
}

TEST_F(ServTest, DecodeIdentity_TakesOnlyTheBytesTheAnswerCarries) {
  // A byte count of 5 carries the module count and four slots; the rest of the
  // buffer is stale and must not become module types.
  serv->DecodeIdentity(17, IdentityAnswer(IdentityWith({1, 1, 6, 3, 1, 1}, 60, 6, 2), 5));
  EXPECT_EQ(serv->DiModules, 2);
  EXPECT_EQ(serv->ModuleType[4], 0);
  EXPECT_EQ(serv->GetSignalCount(), 0);
  // A short buffer is never read past its end.
  const std::vector<uint8_t> shortAnswer{1, 17, 255, 4, 1, 2};
  serv->DecodeIdentity(17, shortAnswer);
  EXPECT_EQ(serv->DiModules, 2);
  EXPECT_EQ(serv->Identity[0], 4);
  EXPECT_EQ(serv->Identity[3], 0);
}

TEST_F(ServTest, LoadIdentity_ClampsSignalCountsToTheTables) {
  serv->LoadIdentity(IdentityWith({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 255, 255));
  EXPECT_EQ(serv->GetSignalCount(), ServiceBlock::kSignals);
  EXPECT_EQ(serv->GetAnalogSignalCount(), ServiceBlock::kAnalogSignals);
  EXPECT_EQ(serv->Identity[20], 255);
  EXPECT_FALSE(serv->CompositionFits());
  serv->LoadIdentity(IdentityWith({1, 1, 6, 3}, 60, 6));
  EXPECT_TRUE(serv->CompositionFits());
}

struct IndicationCase {
  int type;
  int cells;
  const char* name;
};

class ServIndication : public ::testing::TestWithParam<IndicationCase> {};

TEST_P(ServIndication, GetIndicationCells_FollowsIdentityByte22) {
  const auto& c = GetParam();
  ServiceBlock serv;
  serv.SetIndicationType(c.type);
  EXPECT_EQ(serv.Identity[22], c.type);
  EXPECT_EQ(serv.GetIndicationCells(), c.cells);
  EXPECT_EQ(serv.IndicationCells, c.cells);
  EXPECT_EQ(ServiceBlock::IndicationName(c.type), c.name);
}

// A read or an opened file sets the cells with the identity, so that no
// window sees the cell count of the controller read before.
TEST_P(ServIndication, DecodedIdentitySetsTheCells) {
  const auto& c = GetParam();
  for (const bool fromLine : {true, false}) {
    ServiceBlock serv;
    std::vector<uint8_t> identity(ServiceBlock::kIdentityBytes, 0);
    identity[22] = static_cast<uint8_t>(c.type);
    if (fromLine) {
      std::vector<uint8_t> answer = {1, ServiceBlock::kIdentityFunction, ServiceBlock::kIdentityBytes};
      answer.insert(answer.end(), identity.begin(), identity.end());
      answer.insert(answer.end(), {0, 0});
      serv.DecodeIdentity(ServiceBlock::kIdentityFunction, answer);
    } else {
      serv.LoadIdentity(identity);
    }
    EXPECT_EQ(serv.IndicationCells, c.cells) << (fromLine ? "read" : "file");
  }
}

INSTANTIATE_TEST_SUITE_P(Types, ServIndication,
                         ::testing::Values(IndicationCase{0, 12, "12+ЖКИ(4х20)"},
                                           IndicationCase{1, 24, "24+ЖКИ(4х20)"},
                                           IndicationCase{2, 192, "ЖКД(640х480)"},
                                           IndicationCase{3, 6, "6+ЖКИ(4х20)"},
                                           IndicationCase{4, 192, "ЖКИ(4х20)"},
                                           // Unknown types keep the initial 24 cells.
                                           IndicationCase{5, 24, ""}));

// ---------------------------------------------------------------- identifiers

struct IdentCase {
  int signal;
  const char* identifier;
  const char* shortIdentifier;
};

class ServDefaultIdentifiers : public ::testing::TestWithParam<IdentCase> {};

TEST_P(ServDefaultIdentifiers, NumbersInputsThenAnalogLimits) {
  const auto& c = GetParam();
  auto serv = std::make_unique<ServiceBlock>();
  serv->LoadIdentity(IdentityWith({1, 1, 6, 7, 3}, 72, 12));
  serv->DefaultIdentifiers();
  EXPECT_EQ(serv->GetIdentifier(c.signal), c.identifier);
  EXPECT_EQ(serv->GetShortIdentifier(c.signal), c.shortIdentifier);
}

INSTANTIATE_TEST_SUITE_P(Signals, ServDefaultIdentifiers,
                         ::testing::Values(IdentCase{0, "DI_1_1    ", "DI_1_1  "},
                                           IdentCase{23, "DI_2_12    ", "DI_2_12  "},  // a number is one cell
                                           IdentCase{24, "AI1_1_LL  ", "AI1_1_LL"},
                                           IdentCase{25, "AI1_1_L   ", "AI1_1_L "},
                                           IdentCase{26, "AI1_1_H   ", "AI1_1_H "},
                                           IdentCase{35, "AI1_3_HH  ", "AI1_3_HH"},
                                           IdentCase{71, "AI2_6_HH  ", "AI2_6_HH"},
                                           IdentCase{72, "", ""},  // the first network signal
                                           IdentCase{-1, "", ""}, IdentCase{252, "", ""}));

TEST_F(ServTest, DefaultOutputIdentifiers_NumberRelayOutputs) {
  serv->LoadIdentity(IdentityWith({1, 3, 12}));
  serv->DefaultOutputIdentifiers();
  EXPECT_EQ(serv->GetOutputIdentifier(0), "DO_1_1");
  EXPECT_EQ(serv->GetOutputIdentifier(15), "DO_2_8");
  EXPECT_EQ(serv->GetOutputIdentifier(16), "");
  EXPECT_EQ(serv->GetOutputIdentifier(64), "");
}

TEST_F(ServTest, DefaultIdentifiers_OversizeCompositionStaysInTheTables) {
  // Sixteen analog and relay-output slots do not fit; nothing is written past the tables.
  serv->LoadIdentity(IdentityWith(Slots(16, 6)));
  serv->DefaultIdentifiers();
  EXPECT_EQ(serv->GetIdentifier(251), "AI11_3_HH  ");
  serv->LoadIdentity(IdentityWith(Slots(16, 3)));
  serv->DefaultOutputIdentifiers();
  EXPECT_EQ(serv->GetOutputIdentifier(63), "DO_8_8");
  EXPECT_FALSE(serv->CompositionFits());
}

TEST_F(ServTest, RebuildNetSignals_NumbersBlocksAfterTheModuleSignals) {
  serv->LoadIdentity(IdentityWith({1, 1, 6, 3}, 100));
  serv->DefaultIdentifiers();
  std::array<int, 16> functions{2, 0, 3, 1, 4};
  std::array<int, 16> outputs{3, 9, 2, 1, 1};
  serv->RebuildNetSignals(functions, outputs);
  EXPECT_EQ(serv->GetIdentifier(47), "AI1_6_HH  ");
  EXPECT_EQ(serv->GetIdentifier(48), "DLDI_1_1  ");
  EXPECT_EQ(serv->GetIdentifier(50), "DLDI_1_3  ");
  EXPECT_EQ(serv->GetIdentifier(51), "DLAI3_1_LL");
  EXPECT_EQ(serv->GetIdentifier(57), "DLAI3_2_H ");
  EXPECT_EQ(serv->GetIdentifier(59), "DLDI_4_1  ");
  EXPECT_EQ(serv->GetIdentifier(63), "DLAI5_1_HH");
  EXPECT_EQ(serv->GetIdentifier(64), "");
  EXPECT_EQ(serv->NetDiscretePerBlock[0], 3);
  EXPECT_EQ(serv->NetDiscretePerBlock[1], 0);  // a free entry contributes nothing
  EXPECT_EQ(serv->NetAnalogPerBlock[2], 2);
  EXPECT_EQ(serv->NetDiscreteTotal, 4);
  EXPECT_EQ(serv->NetAnalogTotal, 3);
  EXPECT_EQ(serv->NetBlocksUsed, 4);

  // A smaller table clears the identifiers the old one left behind.
  serv->RebuildNetSignals({1}, {2});
  EXPECT_EQ(serv->GetIdentifier(49), "DLDI_1_2  ");
  EXPECT_EQ(serv->GetIdentifier(50), "");
  EXPECT_EQ(serv->GetIdentifier(47), "AI1_6_HH  ");
  EXPECT_EQ(serv->NetBlocksUsed, 1);
  EXPECT_EQ(serv->NetAnalogTotal, 0);
}

TEST_F(ServTest, RebuildNetSignals_BeyondTheSignalBaseIsCountedButNotWritten) {
  std::array<int, 16> functions;
  std::array<int, 16> outputs;
  functions.fill(4);
  outputs.fill(255);
  serv->RebuildNetSignals(functions, outputs);
  EXPECT_EQ(serv->GetIdentifier(251), "DLAI1_63_HH");
  EXPECT_EQ(serv->NetAnalogTotal, 16 * 255);
}

// ---------------------------------------------------------------- texts

TEST_F(ServTest, SetText_PadsWithBlanksAndGetTextTrimsThem) {
  serv->SetText(3, "AB");
  EXPECT_EQ(std::string(serv->Text[3].begin(), serv->Text[3].end()), "AB            ");
  EXPECT_EQ(serv->GetText(3), "AB");
  serv->SetOutputText(63, "Насос");
  EXPECT_EQ(serv->GetOutputText(63), "Насос");
  EXPECT_EQ(serv->OutText[63][5], ' ');
}

struct LongTextCase {
  const char* name;
  std::string text;
  std::string kept;
};

class ServLongText : public ::testing::TestWithParam<LongTextCase> {};

TEST_P(ServLongText, SetText_KeepsTheFirst14Characters) {
  const auto& c = GetParam();
  auto serv = std::make_unique<ServiceBlock>();
  serv->SetText(251, c.text);
  serv->SetOutputText(0, c.text);
  EXPECT_EQ(serv->GetText(251), c.kept);
  EXPECT_EQ(serv->GetOutputText(0), c.kept);
}

std::string Repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

INSTANTIATE_TEST_SUITE_P(Texts, ServLongText,
                         ::testing::Values(LongTextCase{"Latin20", "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMN"},
                                           LongTextCase{"Cyrillic100", Repeat("Я", 100), Repeat("Я", 14)},
                                           LongTextCase{"Mixed100", Repeat("Ж1", 50), Repeat("Ж1", 7)},
                                           LongTextCase{"Unencodable", "日本語", "???"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServTest, TextAccess_OutOfRangeIndexesDoNothing) {
  serv->SetText(-1, "X");
  serv->SetText(252, "X");
  serv->SetOutputText(64, "X");
  serv->DefaultText(252);
  EXPECT_EQ(serv->GetText(252), "");
  EXPECT_EQ(serv->GetOutputText(-1), "");
}

struct DefaultTextCase {
  int signal;
  const char* text;
};

class ServDefaultText : public ::testing::TestWithParam<DefaultTextCase> {};

TEST_P(ServDefaultText, WritesTheNumberOverThePattern) {
  auto serv = std::make_unique<ServiceBlock>();
  serv->DefaultText(GetParam().signal);
  EXPECT_EQ(serv->GetText(GetParam().signal), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, ServDefaultText,
    ::testing::Values(DefaultTextCase{0, "Дискр.сигн.001"}, DefaultTextCase{8, "Дискр.сигн.009"},
                      DefaultTextCase{9, "Дискр.сигн.010"}, DefaultTextCase{41, "Дискр.сигн.042"},
                      DefaultTextCase{98, "Дискр.сигн.099"}, DefaultTextCase{99, "Дискр.сигн.100"},
                      DefaultTextCase{251, "Дискр.сигн.252"}));

class ServTextRows : public ServTest {
 protected:
  void SetUp() override {
    for (int s = 0; s < ServiceBlock::kSignals; ++s) serv->SetText(s, "T" + std::to_string(s));
  }
  // Rows whose text differs from the numbering SetUp gave them.
  std::vector<int> MovedRows() const {
    std::vector<int> rows;
    for (int s = 0; s < ServiceBlock::kSignals; ++s) {
      if (serv->GetText(s) != "T" + std::to_string(s)) rows.push_back(s);
    }
    return rows;
  }
};

TEST_F(ServTextRows, InsertTexts_NearTheEndChangesNothing) {
  serv->InsertTexts(190, 5);
  EXPECT_TRUE(MovedRows().empty());
}

TEST_F(ServTextRows, InsertTexts_OpensAGapWithinTheExchangedRows) {
  serv->InsertTexts(10, 3);
  EXPECT_EQ(serv->GetText(10), "T10");  // the gap keeps its old rows until the caller fills it
  EXPECT_EQ(serv->GetText(13), "T10");
  EXPECT_EQ(serv->GetText(191), "T188");
  EXPECT_EQ(serv->GetText(192), "T192");  // rows beyond 191 take no part
  EXPECT_EQ(MovedRows().size(), 191u - 13u + 1u);
}

TEST_F(ServTextRows, DeleteTexts_ClosesTheGapAndKeepsTheEnd) {
  serv->DeleteTexts(0, 1);
  EXPECT_EQ(serv->GetText(0), "T1");
  EXPECT_EQ(serv->GetText(190), "T191");
  EXPECT_EQ(serv->GetText(191), "T191");
  EXPECT_EQ(serv->GetText(192), "T192");
}

TEST_F(ServTextRows, MovingTexts_IgnoresRangesOutsideTheExchangedRows) {
  for (auto [first, count] : {std::pair{-1, 2}, {5, 0}, {5, -3}, {0, 192}, {200, 1}, {0, 1000000}}) {
    serv->InsertTexts(first, count);
    serv->DeleteTexts(first, count);
  }
  EXPECT_TRUE(MovedRows().empty());
}

TEST_F(ServTextRows, BlankTexts_FillsRowsWithBlanksWithinTheBase) {
  EXPECT_EQ(serv->BlankTexts(250, 5), 255);
  EXPECT_EQ(serv->GetText(249), "T249");
  EXPECT_EQ(serv->GetText(250), "");
  EXPECT_EQ(serv->Text[251][13], ' ');
  EXPECT_EQ(serv->BlankTexts(-3, 4), 1);
  EXPECT_EQ(serv->GetText(0), "");
  EXPECT_EQ(serv->GetText(1), "T1");
}

// ---------------------------------------------------------------- text blocks

std::vector<uint8_t> TextBlockAnswer(uint8_t byteCount, uint8_t fill, size_t size = 260) {
  std::vector<uint8_t> answer(size, fill);
  const uint8_t head[] = {1, 68, byteCount, 40};
  std::copy_n(head, std::min(size, sizeof(head)), answer.begin());
  return answer;
}

TEST_F(ServTest, TextBlocks_RoundTripThroughTheBuffers) {
  for (int s = 0; s < ServiceBlock::kExchangedTexts; ++s) serv->DefaultText(s);
  for (int o = 0; o < ServiceBlock::kOutputs; ++o) serv->SetOutputText(o, "Выход " + std::to_string(o));
  auto copy = std::make_unique<ServiceBlock>();
  for (int n = 0; n < ServiceBlock::kTextBlocks; ++n) {
    serv->FillTextBlock(n);
    std::vector<uint8_t> answer = TextBlockAnswer(225, 0);
    std::copy(serv->TextBuf.begin(), serv->TextBuf.end(), answer.begin() + 4);
    copy->LoadTextBlock(answer);
    copy->PutTextBlock(n);
  }
  for (int n = 0; n < ServiceBlock::kOutTextBlocks; ++n) {
    serv->FillOutputTextBlock(n);
    copy->LoadOutputTextBlock(serv->OutTextBuf);
    copy->PutOutputTextBlock(n);
  }
  for (int s = 0; s < ServiceBlock::kExchangedTexts; ++s) EXPECT_EQ(copy->Text[s], serv->Text[s]) << s;
  EXPECT_EQ(copy->GetText(192), "");  // not exchanged
  for (int o = 0; o < ServiceBlock::kExchangedOutTexts; ++o)
    EXPECT_EQ(copy->OutText[o], serv->OutText[o]) << o;
  EXPECT_EQ(copy->GetOutputText(40), "");

  // The file path takes the same bytes without the answer head.
  serv->FillTextBlock(11);
  auto fromFile = std::make_unique<ServiceBlock>();
  fromFile->LoadTextBlockRaw(serv->TextBuf);
  fromFile->PutTextBlock(11);
  EXPECT_EQ(fromFile->GetText(176), "Дискр.сигн.177");
  EXPECT_EQ(fromFile->GetText(191), "Дискр.сигн.192");
}

TEST_F(ServTest, TextBlockRows_MapBlockNToRows16N) {
  serv->SetText(16 * 3 + 2, "Row50");
  serv->FillTextBlock(3);
  EXPECT_EQ(std::string(serv->TextBuf.begin() + 2 * 14, serv->TextBuf.begin() + 2 * 14 + 5), "Row50");
  serv->SetOutputText(10 * 2 + 9, "Out29");
  serv->FillOutputTextBlock(2);
  EXPECT_EQ(std::string(serv->OutTextBuf.begin() + 9 * 14, serv->OutTextBuf.begin() + 9 * 14 + 5), "Out29");
  // Block indexes out of range leave the buffers and rows alone.
  const auto buf = serv->TextBuf;
  serv->FillTextBlock(12);
  serv->FillTextBlock(-1);
  serv->PutTextBlock(12);
  serv->PutOutputTextBlock(4);
  serv->FillOutputTextBlock(4);
  EXPECT_EQ(serv->TextBuf, buf);
}

struct ClampCase {
  const char* name;
  uint8_t byteCount;
  size_t answerSize;
  size_t copied;  // bytes of TextBuf that take the answer's fill byte
};

class ServTextBlockClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ServTextBlockClamp, LoadTextBlock_CopiesNoMoreThanTheAnswerCarriesOrTheBufferHolds) {
  const auto& c = GetParam();
  auto serv = std::make_unique<ServiceBlock>();
  serv->LoadTextBlock(TextBlockAnswer(c.byteCount, 'x', c.answerSize));
  const auto copied = static_cast<size_t>(std::count(serv->TextBuf.begin(), serv->TextBuf.end(), 'x'));
  EXPECT_EQ(copied, c.copied);
}

INSTANTIATE_TEST_SUITE_P(Answers, ServTextBlockClamp,
                         ::testing::Values(ClampCase{"Normal", 225, 260, 224},
                                           ClampCase{"ByteCount255", 255, 260, 224},
                                           ClampCase{"ShortByteCount", 101, 260, 100},
                                           ClampCase{"ShortBuffer", 225, 50, 46},
                                           ClampCase{"HeadOnly", 225, 4, 0}, ClampCase{"Empty", 0, 3, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServTest, RawTextBlocks_AreClampedToTheirBuffers) {
  const std::vector<uint8_t> oversize(1000, 'y');
  serv->TextBlockLen = 1000;  // a length no buffer holds
  serv->LoadTextBlockRaw(oversize);
  serv->LoadOutputTextBlock(oversize);
  EXPECT_EQ(std::count(serv->TextBuf.begin(), serv->TextBuf.end(), 'y'), 224);
  EXPECT_EQ(std::count(serv->OutTextBuf.begin(), serv->OutTextBuf.end(), 'y'), 140);
  const std::vector<uint8_t> few(3, 'z');
  serv->LoadTextBlockRaw(few);
  EXPECT_EQ(serv->TextBuf[2], 'z');
  EXPECT_EQ(serv->TextBuf[3], 0);
  serv->LoadTextBlockRaw({});
}

// A short block must not leave an earlier block's texts in the rows it does
// not reach: they would be shown, and written back, as this block's.
struct ShortTextLoad {
  const char* name;
  void (*load)(ServiceBlock&, const std::vector<uint8_t>& full, const std::vector<uint8_t>& shortBytes);
  bool output;  // the output-text buffer
};

class ServShortTextLoads : public ::testing::TestWithParam<ShortTextLoad> {};

TEST_P(ServShortTextLoads, ClearWhatTheShortBlockDoesNotCarry) {
  const ShortTextLoad& k = GetParam();
  auto serv = std::make_unique<ServiceBlock>();
  k.load(*serv, std::vector<uint8_t>(260, 'y'), std::vector<uint8_t>(30, 'z'));
  const auto& buffer =
      k.output ? std::span<const uint8_t>(serv->OutTextBuf) : std::span<const uint8_t>(serv->TextBuf);
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), 'y'), 0);
  EXPECT_GT(std::count(buffer.begin(), buffer.end(), 'z'), 0);
  EXPECT_EQ(buffer.back(), 0);
}

INSTANTIATE_TEST_SUITE_P(Loaders, ServShortTextLoads,
                         ::testing::Values(ShortTextLoad{"DeviceAnswer",
                                                         [](ServiceBlock& s, const std::vector<uint8_t>& full,
                                                            const std::vector<uint8_t>& shortBytes) {
                                                           std::vector<uint8_t> answer(full);
                                                           answer[2] = 225;
                                                           s.LoadTextBlock(answer);
                                                           answer = shortBytes;
                                                           answer[2] =
                                                               20;  // the block number and 19 text bytes
                                                           s.LoadTextBlock(answer);
                                                         },
                                                         false},
                                           ShortTextLoad{"FileBlock",
                                                         [](ServiceBlock& s, const std::vector<uint8_t>& full,
                                                            const std::vector<uint8_t>& shortBytes) {
                                                           s.LoadTextBlockRaw(full);
                                                           s.LoadTextBlockRaw(shortBytes);
                                                         },
                                                         false},
                                           ShortTextLoad{"OutputTextBlock",
                                                         [](ServiceBlock& s, const std::vector<uint8_t>& full,
                                                            const std::vector<uint8_t>& shortBytes) {
                                                           s.LoadOutputTextBlock(full);
                                                           s.LoadOutputTextBlock(shortBytes);
                                                         },
                                                         true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- number check

struct NumberCase {
  const char* text;
  int kind;
  NumberTextError expected;
  double value;
};

class ServCheckNumberText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ServCheckNumberText, AcceptsOrRefuses) {
  const auto& c = GetParam();
  double value = -1234.5;
  EXPECT_EQ(ServiceBlock::CheckNumberText(c.text, c.kind, &value), c.expected);
  if (c.expected == NumberTextError::None) {
    EXPECT_DOUBLE_EQ(value, c.value);
  }
}

constexpr auto kOk = NumberTextError::None;
constexpr auto kEmpty = NumberTextError::Empty;
constexpr auto kBad = NumberTextError::Invalid;

INSTANTIATE_TEST_SUITE_P(
    Texts, ServCheckNumberText,
    ::testing::Values(
        NumberCase{"", 0, kEmpty, 0}, NumberCase{"", 5, kEmpty, 0}, NumberCase{"12", 0, kOk, 12},
        NumberCase{"-12,5", 1, kOk, -12.5}, NumberCase{",5", 2, kOk, 0.5}, NumberCase{"32767", 0, kOk, 32767},
        NumberCase{"-32767", 2, kOk, -32767}, NumberCase{"32768", 0, kBad, 0},
        NumberCase{"-32767,5", 1, kBad, 0}, NumberCase{"1,2,3", 0, kBad, 0}, NumberCase{"12,", 0, kBad, 0},
        NumberCase{"1?", 0, kBad, 0}, NumberCase{"1Б", 0, kBad, 0}, NumberCase{"б", 0, kBad, 0},
        NumberCase{"--1", 0, kBad, 0}, NumberCase{"1-2", 0, kBad, 0}, NumberCase{"-", 0, kBad, 0},
        NumberCase{"1.5", 0, kBad, 0}, NumberCase{"abc", 0, kBad, 0}, NumberCase{" ", 0, kBad, 0},
        NumberCase{" 7 ", 0, kOk, 7}, NumberCase{"99999999999999999999999", 1, kBad, 0},
        NumberCase{"0", 5, kOk, 0}, NumberCase{"3", 5, kOk, 3}, NumberCase{"4", 5, kBad, 0},
        NumberCase{"-1", 5, kBad, 0}, NumberCase{"1,5", 5, kBad, 0}, NumberCase{"100000", 3, kOk, 100000}));

}  // namespace
}  // namespace zul
