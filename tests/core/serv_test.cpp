#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/model/Cp1251.h"
#include "core/model/TServClass.h"

namespace zul {
namespace {

using Slots = std::vector<int>;

std::array<uint8_t, TServClass::kIdentityBytes> IdentityWith(const Slots& slots, int signals = 0,
                                                             int analog = 0, int indication = 0) {
  std::array<uint8_t, TServClass::kIdentityBytes> id{};
  for (size_t s = 0; s < slots.size(); ++s) id[1 + s] = static_cast<uint8_t>(slots[s]);
  id[0] = static_cast<uint8_t>(slots.size());
  id[20] = static_cast<uint8_t>(signals);
  id[21] = static_cast<uint8_t>(analog);
  id[22] = static_cast<uint8_t>(indication);
  return id;
}

// A function-17 answer as the link leaves it in a caller's buffer of 260 bytes.
std::vector<uint8_t> IdentityAnswer(const std::array<uint8_t, TServClass::kIdentityBytes>& id,
                                    uint8_t byteCount = TServClass::kIdentityBytes) {
  std::vector<uint8_t> answer(260, 0xEE);
  answer[0] = 1;
  answer[1] = 17;
  answer[2] = byteCount;
  std::copy(id.begin(), id.end(), answer.begin() + 3);
  return answer;
}

class ServTest : public ::testing::Test {
 protected:
  std::unique_ptr<TServClass> serv = std::make_unique<TServClass>();
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
  auto serv = std::make_unique<TServClass>();
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
  EXPECT_EQ(serv->GetSignalCount(), TServClass::kSignals);
  EXPECT_EQ(serv->GetAnalogSignalCount(), TServClass::kAnalogSignals);
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
  TServClass serv;
  serv.SetIndicationType(c.type);
  EXPECT_EQ(serv.Identity[22], c.type);
  EXPECT_EQ(serv.GetIndicationCells(), c.cells);
  EXPECT_EQ(serv.IndicationCells, c.cells);
  EXPECT_EQ(TServClass::IndicationName(c.type), c.name);
}

INSTANTIATE_TEST_SUITE_P(Types, ServIndication,
                         ::testing::Values(IndicationCase{0, 12, "12+ЖКИ(4х20)"},
                                           IndicationCase{1, 24, "24+ЖКИ(4х20)"},
                                           IndicationCase{2, 192, "ЖКД(640х480)"},
                                           IndicationCase{3, 6, "6+ЖКИ(4х20)"},
                                           IndicationCase{4, 192, "ЖКИ(4х20)"},
                                           // Unknown types keep the initial 24 cells.
                                           IndicationCase{5, 24, ""}));

}  // namespace
}  // namespace zul
