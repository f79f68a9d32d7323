#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/model/CopyBlocks.h"
#include "core/model/ReserveBlocks.h"
#include "core/model/ServiceBlock.h"

namespace zul {
namespace {

template <typename Area>
bool AllZero(const Area& area) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(area.data());
  return std::all_of(bytes, bytes + sizeof(area), [](unsigned char b) { return b == 0; });
}

template <typename Cells>
bool AllEmpty(const Cells& rows) {
  return std::all_of(rows.begin(), rows.end(), [](const auto& row) {
    return std::all_of(row.begin(), row.end(), [](const std::string& cell) { return cell.empty(); });
  });
}

// The areas hold whole device blocks; a wrong size would cut a block short or
// let a copy run over the next area.
TEST(reserveBlocks, AreasHaveTheBlockSizes) {
  using R = ReserveBlocks;
  EXPECT_EQ(sizeof(R::ModuleRecords), 8u * 169u);
  EXPECT_EQ(sizeof(R::RelayBlock), 193u);
  EXPECT_EQ(sizeof(R::MasterBlock), 194u);
  EXPECT_EQ(sizeof(R::NetParts), 8u * 169u);
  EXPECT_EQ(sizeof(R::F15Block), 81u);
  EXPECT_EQ(sizeof(R::ProcessingRecords), 252u * 11u);
  EXPECT_EQ(sizeof(R::Texts), 252u * 15u);
  EXPECT_EQ(sizeof(R::OutTexts), 64u * 15u);
  EXPECT_EQ(sizeof(R::UnitsBlock), 96u);
  EXPECT_EQ(sizeof(R::FBRecords), 120u * 19u);
  EXPECT_EQ(sizeof(R::AlgName), 120u * 100u);
  EXPECT_EQ(sizeof(R::RegulatorRecords), 2u * 6u * 28u);
  EXPECT_EQ(sizeof(R::SensorTypes), 16u);
  EXPECT_EQ(R().BlockInts.size(), 120u);
  // The identifier copies have the service block's shape.
  static_assert(std::is_same_v<decltype(R::Ident), decltype(ServiceBlock::Ident)>);
  static_assert(std::is_same_v<decltype(R::OutIdent), decltype(ServiceBlock::OutIdent)>);
}

template <typename Blocks>
void ExpectEmptyAreas(const Blocks& b) {
  EXPECT_EQ(b.SignalCount, 0);
  EXPECT_EQ(b.AnalogSignalCount, 0);
  EXPECT_TRUE(AllZero(b.ModuleRecords));
  EXPECT_TRUE(AllZero(b.RelayBlock));
  EXPECT_TRUE(AllZero(b.MasterBlock));
  EXPECT_TRUE(AllZero(b.NetParts));
  EXPECT_TRUE(AllZero(b.F15Block));
  EXPECT_TRUE(AllZero(b.ProcessingRecords));
  EXPECT_TRUE(AllZero(b.Texts));
  EXPECT_TRUE(AllZero(b.OutTexts));
  EXPECT_TRUE(AllZero(b.UnitsBlock));
  EXPECT_TRUE(AllEmpty(b.Ident));
  EXPECT_TRUE(AllEmpty(b.OutIdent));
  EXPECT_TRUE(AllZero(b.FBRecords));
  EXPECT_TRUE(AllZero(b.AlgStart));
  EXPECT_TRUE(AllZero(b.AlgMembers));
  EXPECT_TRUE(AllZero(b.AlgName));
  EXPECT_TRUE(AllZero(b.RegulatorRecords));
  EXPECT_TRUE(AllZero(b.SensorTypes));
  EXPECT_EQ(b.AlgCount, 0);
  EXPECT_TRUE(AllZero(b.BlockInts));
}

TEST(reserveBlocks, ConstructedEmpty) { ExpectEmptyAreas(*std::make_unique<ReserveBlocks>()); }

TEST(copyBlocks, ConstructedEmptyWithZeroBookkeeping) {
  const auto copy = std::make_unique<CopyBlocks>();
  ExpectEmptyAreas(*copy);
  EXPECT_EQ(copy->FirstCopiedSignal, 0);
  EXPECT_EQ(copy->LastCopiedSignal, 0);
  EXPECT_EQ(copy->FirstCopiedOutput, 0);
  EXPECT_EQ(copy->LastCopiedOutput, 0);
  EXPECT_EQ(copy->CopiedFBCount, 0);
  EXPECT_TRUE(AllZero(copy->CopiedFB));
}

// The reference copy keeps the service block's identifiers and texts and gives
// them back unchanged, as the whole-configuration write relies on.
TEST(reserveBlocks, KeepsTheServiceBlocksIdentifiersAndTexts) {
  auto serv = std::make_unique<ServiceBlock>();
  const std::array<uint8_t, 23> identity{4, 1, 1, 6, 3};
  serv->LoadIdentity(identity);
  serv->DefaultIdentifiers();
  serv->DefaultOutputIdentifiers();
  for (int s = 0; s < ServiceBlock::kSignals; ++s) serv->DefaultText(s);
  auto reserve = std::make_unique<ReserveBlocks>();
  reserve->Ident = serv->Ident;
  reserve->OutIdent = serv->OutIdent;
  for (int s = 0; s < ServiceBlock::kSignals; ++s)
    std::copy_n(serv->Text[s].begin(), 14, reserve->Texts[s].begin());

  auto restored = std::make_unique<ServiceBlock>();
  restored->Ident = reserve->Ident;
  restored->OutIdent = reserve->OutIdent;
  for (int s = 0; s < ServiceBlock::kSignals; ++s)
    std::copy_n(reserve->Texts[s].begin(), 14, restored->Text[s].begin());
  EXPECT_EQ(restored->GetIdentifier(47), "AI1_6_HH  ");
  EXPECT_EQ(restored->GetOutputIdentifier(7), "DO_1_8");
  EXPECT_EQ(restored->GetText(251), "Дискр.сигн.252");
  EXPECT_EQ(reserve->Texts[251][14], 0);
}

}  // namespace
}  // namespace zul
