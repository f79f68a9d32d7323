#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "core/ScriptedInteraction.h"
#include "core/config/ConfigurationDump.h"
#include "core/config/ZulFile.h"
#include "support/SampleConfiguration.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

class ZulFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zul_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Path(const std::string& name) const { return dir_ / name; }
  void Write(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<uint8_t> Read(const fs::path& path) {
    return ReadWholeFile(path).value_or(std::vector<uint8_t>{});
  }
  size_t FilesIn() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  fs::path dir_;
  ScriptedInteraction ui_;
};

TEST_F(ZulFileTest, UsualLayoutIs37129Bytes) {
  auto c = MakeSampleConfiguration();
  const auto bytes = ZulFileBytes(*c);
  ASSERT_EQ(bytes.size(), 37129u);
  EXPECT_EQ(bytes[0], 4);                 // device index
  EXPECT_EQ(bytes[1 + 1], 1);             // slot 1 type
  EXPECT_EQ(bytes[1 + 3], 6);             // slot 3 type
  EXPECT_EQ(bytes[24], 1);                // analog record 0 carries its block number
  EXPECT_EQ(bytes[24 + 169], 2);          // slot 1 is network part 0, numbered 2
  EXPECT_EQ(bytes[1376], 9);              // relay block
  EXPECT_EQ(bytes[1569], 10);             // master block
  EXPECT_EQ(bytes[1763], 11);             // function-15 block
  EXPECT_EQ(bytes[1569 + 1], 3);          // entry 0 function 3
  EXPECT_EQ(bytes[37096], 1);             // algorithm count
  EXPECT_EQ(bytes[37097 + 2], 0x5A);      // sensor-type byte 2
  EXPECT_EQ(bytes[1 + 20], 12 * 2 + 24);  // identity byte 20: signal count
}

TEST_F(ZulFileTest, SaveOpenSave_IsByteExact) {
  auto original = MakeSampleConfiguration();
  ASSERT_EQ(SaveZulFile(Path("a"), *original, ui_), ZulSaveResult::Saved);
  const auto first = Read(Path("a.zul"));
  EXPECT_EQ(first, ZulFileBytes(*original));

  auto reopened = std::make_unique<Configuration>();
  ASSERT_EQ(OpenZulFile(Path("a.zul"), *reopened, ui_), ZulOpenResult::Loaded);
  EXPECT_TRUE(ui_.Shown().empty());
  EXPECT_EQ(reopened->service.FileMode, 1);
  EXPECT_EQ(reopened->service.GetText(0), "Насос 1");
  EXPECT_EQ(reopened->service.GetOutputText(2), "Сирена");
  EXPECT_EQ(reopened->functionBlocks.GetAlgName(0), "Пуск насоса");
  EXPECT_EQ(reopened->analogModules.GetPosition(0, 1), "PT-101");
  EXPECT_EQ(reopened->regulators.GetKP(0), original->regulators.GetKP(0));
  EXPECT_EQ(reopened->reserveBlocks.MasterBlock, reopened->networkMaster.MasterBlock);
  EXPECT_EQ(reopened->reserveBlocks.AlgCount, 1);

  ASSERT_EQ(SaveZulFile(Path("b.zul"), *reopened, ui_), ZulSaveResult::Saved);
  EXPECT_EQ(Read(Path("b.zul")), first);
}

// The file holds no block lengths, so a controller that reported other
// lengths must still give a file in the usual layout, or it opens misaligned.
TEST_F(ZulFileTest, OtherReportedBlockLengths_SaveInTheUsualLayout) {
  auto original = MakeSampleConfiguration();
  original->relayModules.SetBlockLength(100);
  original->networkMaster.SetMasterBlockLen(120);
  original->discreteProcessing.SetRecordBlockLen(150);
  original->functionBlocks.SetPageByteCount(150);
  original->service.TextBlockLen = 100;
  const auto image = ZulFileBytes(*original);
  ASSERT_EQ(image.size(), kZulFileSize);

  Configuration reopened;
  ASSERT_TRUE(LoadZulFileBytes(image, reopened));
  EXPECT_EQ(reopened.service.GetText(0), "Насос 1");
  EXPECT_EQ(reopened.functionBlocks.GetAlgName(0), "Пуск насоса");
  EXPECT_EQ(ZulFileBytes(reopened), image);
}

// A file this program saved opens to the configuration saved, whichever
// function-block table the controller had.
struct TableCase {
  const char* name;
  int tableSize;
  size_t fileSize;
};

class ZulFileTables : public ZulFileTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(ZulFileTables, SaveOpenSave_IsByteExact) {
  const TableCase& k = GetParam();
  auto original = MakeSampleConfiguration();
  original->functionBlocks.SetTableSize(k.tableSize);
  original->functionBlocks.SetAlgName(k.tableSize - 1, "Последний");
  ASSERT_EQ(SaveZulFile(Path("t"), *original, ui_), ZulSaveResult::Saved);
  const auto first = Read(Path("t.zul"));
  ASSERT_EQ(first.size(), k.fileSize);

  // What was in memory before must not survive in blocks the file has no room for.
  auto reopened = MakeSampleConfiguration();
  reopened->functionBlocks.SetTypeCode(100, 6);
  reopened->functionBlocks.SetAlgName(100, "Старый");
  ASSERT_EQ(OpenZulFile(Path("t.zul"), *reopened, ui_), ZulOpenResult::Loaded);
  EXPECT_TRUE(ui_.Shown().empty());
  EXPECT_EQ(reopened->functionBlocks.GetTableSize(), k.tableSize);
  EXPECT_EQ(reopened->functionBlocks.GetAlgName(0), "Пуск насоса");
  EXPECT_EQ(reopened->functionBlocks.GetAlgName(k.tableSize - 1), "Последний");
  EXPECT_EQ(reopened->functionBlocks.GetAlgCount(), 1);
  EXPECT_EQ(reopened->functionBlocks.GetTypeCode(100), 0);
  EXPECT_EQ(reopened->functionBlocks.GetAlgName(100), "");
  EXPECT_TRUE(reopened->blocksMissingFromFile.empty());

  ASSERT_EQ(SaveZulFile(Path("u.zul"), *reopened, ui_), ZulSaveResult::Saved);
  EXPECT_EQ(Read(Path("u.zul")), first);
}

INSTANTIATE_TEST_SUITE_P(Tables, ZulFileTables,
                         ::testing::Values(TableCase{"SixtyBlocks", 60, 19129},
                                           TableCase{"FullTable", 120, 37129}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ZulFileTest, ShortFile_ListsTheControllerBlocksItLeftEmpty) {
  auto bytes = ZulFileBytes(*MakeSampleConfiguration());
  bytes.resize(8296 + 190 * 10 + 5);  // inside the eleventh function-block page
  auto c = std::make_unique<Configuration>();
  ASSERT_TRUE(!LoadZulFileBytes(bytes, *c));
  EXPECT_EQ(c->blocksMissingFromFile, (std::vector<int>{78, 79, 98}));
  ASSERT_TRUE(LoadZulFileBytes(ZulFileBytes(*MakeSampleConfiguration()), *c));
  EXPECT_TRUE(c->blocksMissingFromFile.empty());
}

TEST_F(ZulFileTest, OpenRebuildsNetworkSignalIdentifiers) {
  auto c = MakeSampleConfiguration();
  c->service.SetSignalCount(c->service.SignalCount + 8);  // entry 0: two analog inputs, four limits each
  Write(Path("n.zul"), ZulFileBytes(*c));
  auto opened = std::make_unique<Configuration>();
  ASSERT_EQ(OpenZulFile(Path("n.zul"), *opened, ui_), ZulOpenResult::Loaded);
  EXPECT_EQ(opened->service.NetAnalogTotal, 2);
  EXPECT_FALSE(opened->service.GetIdentifier(opened->service.FirstNetSignal()).empty());
}

TEST_F(ZulFileTest, GarbageFilesLoadBoundedAndSaveStably) {
  // Identity bytes claiming 16 analog modules, counts past the signal base,
  // algorithm entries past the table: all must stay within the arrays.
  std::mt19937 random(7);
  for (size_t size : {size_t{37129}, size_t{8192}, size_t{20000}, size_t{36 * 1024 + 1000}}) {
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    Write(Path("junk.zul"), bytes);
    auto c = std::make_unique<Configuration>();
    const ZulOpenResult r = OpenZulFile(Path("junk.zul"), *c, ui_);
    ASSERT_TRUE(r == ZulOpenResult::Loaded || r == ZulOpenResult::LoadedShort) << size;
    EXPECT_FALSE(FlattenDump(DumpConfiguration(*c)).empty());
    const auto once = ZulFileBytes(*c);
    ASSERT_EQ(once.size(), kZulFileSize);
    Write(Path("again.zul"), once);
    auto d = std::make_unique<Configuration>();
    ASSERT_EQ(OpenZulFile(Path("again.zul"), *d, ui_), ZulOpenResult::Loaded);
    EXPECT_EQ(ZulFileBytes(*d), once) << size;
  }
}

struct SizeCase {
  const char* name;
  size_t size;
  ZulOpenResult result;
  const char* warning;  // nullptr: none
  int tableSizeAfter;
};

class ZulFileSizes : public ZulFileTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ZulFileSizes, RecognisedBySizeBeforeReading) {
  const SizeCase& k = GetParam();
  auto sample = MakeSampleConfiguration();
  auto bytes = ZulFileBytes(*sample);
  bytes.resize(k.size, 0);
  Write(Path("f.zul"), bytes);

  auto c = std::make_unique<Configuration>();
  c->functionBlocks.SetTableSize(90);
  EXPECT_EQ(OpenZulFile(Path("f.zul"), *c, ui_), k.result);
  if (k.warning) {
    ASSERT_EQ(ui_.Shown().size(), 1u);
    EXPECT_EQ(ui_.Last().text, k.warning);
    EXPECT_EQ(ui_.Last().caption, "Предупреждение");
    EXPECT_EQ(ui_.Last().icon, Icon::Warning);
  } else {
    EXPECT_TRUE(ui_.Shown().empty());
  }
  EXPECT_EQ(c->functionBlocks.GetTableSize(), k.tableSizeAfter);
  const bool loaded = k.result == ZulOpenResult::Loaded || k.result == ZulOpenResult::LoadedShort;
  EXPECT_EQ(c->service.FileMode, loaded ? 1 : 0);
  EXPECT_EQ(c->service.ModuleType[0], loaded ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZulFileSizes,
    ::testing::Values(SizeCase{"Usual", 37129, ZulOpenResult::Loaded, nullptr, 120},
                      SizeCase{"LongerWithin36KiB", 37500, ZulOpenResult::Loaded, nullptr, 120},
                      SizeCase{"Of37KiB", 37888, ZulOpenResult::Refused, kZulFile120Fb, 120},
                      SizeCase{"Of17KiB", 17500, ZulOpenResult::Refused, kZulFile60Fb, 60},
                      SizeCase{"Of12KiB", 12 * 1024 + 100, ZulOpenResult::Refused, kZulFile40Fb, 90},
                      SizeCase{"Below8KiB", 8191, ZulOpenResult::Refused, kZulFileUnknown, 90},
                      SizeCase{"Of8KiB", 8192, ZulOpenResult::LoadedShort, kZulFileShort, 120},
                      // 18 KiB is the size of a 60-block file: cut short, it stays one.
                      SizeCase{"Of18KiB", 19119, ZulOpenResult::LoadedShort, kZulFileShort, 60},
                      SizeCase{"Empty", 0, ZulOpenResult::Refused, kZulFileUnknown, 90}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ZulFileTest, AfterA60FbFile_SaveWritesTheSmallerTable) {
  auto c = MakeSampleConfiguration();
  Write(Path("old.zul"), std::vector<uint8_t>(17500, 0));
  EXPECT_EQ(OpenZulFile(Path("old.zul"), *c, ui_), ZulOpenResult::Refused);
  ASSERT_EQ(SaveZulFile(Path("small.zul"), *c, ui_), ZulSaveResult::Saved);
  ZulBlockLengths sixty;
  sixty.fbTableSize = 60;
  EXPECT_EQ(Read(Path("small.zul")).size(), ZulFileSize(sixty));
}

TEST_F(ZulFileTest, ShortFile_LeavesMissingBlocksEmptyNotFromBefore) {
  auto sample = MakeSampleConfiguration();
  auto bytes = ZulFileBytes(*sample);
  bytes.resize(8296);  // ends right before the function-block pages

  auto c = MakeSampleConfiguration("1111111000000000");  // a different configuration in memory
  c->discreteProcessing.SetSensorTypeByte(0, 0x77);
  Write(Path("short.zul"), bytes);
  EXPECT_EQ(OpenZulFile(Path("short.zul"), *c, ui_), ZulOpenResult::LoadedShort);
  EXPECT_EQ(ui_.Last().text, kZulFileShort);

  // What the file holds is read ...
  EXPECT_EQ(c->service.ModuleType[2], 6);
  EXPECT_EQ(c->service.GetText(0), "Насос 1");
  EXPECT_EQ(c->service.GetOutputText(2), "Сирена");
  EXPECT_EQ(c->networkMaster.GetSlave(0), 17);
  EXPECT_EQ(c->regulators.GetPV(0), 25);
  // ... and everything past its end is empty, not the old configuration's.
  EXPECT_EQ(c->functionBlocks.GetTypeCode(0), 0);
  EXPECT_EQ(c->functionBlocks.GetTypeCode(1), 0);
  EXPECT_EQ(c->functionBlocks.GetAlgCount(), 0);
  EXPECT_EQ(c->functionBlocks.GetAlgName(0), "");
  EXPECT_EQ(c->functionBlocks.GetAlgStart(1), FunctionBlocks::kEmptyEntry);
  EXPECT_EQ(c->discreteProcessing.GetSensorTypeByte(0), 0);
  EXPECT_EQ(c->reserveBlocks.SensorTypes[0], 0);
}

TEST_F(ZulFileTest, ShortFile_CutInsideABlockKeepsItsFirstBytes) {
  auto sample = MakeSampleConfiguration();
  auto bytes = ZulFileBytes(*sample);
  bytes.resize(8296 + 19 + 5);  // the first function block and a little of the second

  auto c = MakeSampleConfiguration();
  c->functionBlocks.SetTime(1, 99);
  Write(Path("cut.zul"), bytes);
  EXPECT_EQ(OpenZulFile(Path("cut.zul"), *c, ui_), ZulOpenResult::LoadedShort);
  EXPECT_EQ(c->functionBlocks.GetTypeCode(0), 1);
  EXPECT_EQ(c->functionBlocks.GetInputNumber(0, 0), 3);
  EXPECT_EQ(c->functionBlocks.GetTypeCode(1), 6);
  EXPECT_EQ(c->functionBlocks.GetTime(1), 0);  // byte 6 of the second record lies past the end
}

TEST_F(ZulFileTest, FileAnalogRecordsBeyondTheCompositionAreCleared) {
  auto c = MakeSampleConfiguration("1166666000000000");  // five analog modules in memory
  auto sample = MakeSampleConfiguration();               // one analog module in the file
  Write(Path("one.zul"), ZulFileBytes(*sample));
  ASSERT_EQ(OpenZulFile(Path("one.zul"), *c, ui_), ZulOpenResult::Loaded);
  EXPECT_EQ(c->analogModules.GetRecordByte(4, 0), 0);
  EXPECT_EQ(c->analogModules.GetPosition(4, 0), "");
}

TEST_F(ZulFileTest, CannotOpen_WarnsAndKeepsTheConfiguration) {
  fs::create_directories(Path("folder.zul"));
  for (const char* name : {"missing.zul", "folder.zul"}) {
    auto c = MakeSampleConfiguration();
    c->service.ReopenFile = 1;
    EXPECT_EQ(OpenZulFile(Path(name), *c, ui_), ZulOpenResult::CannotOpen) << name;
    EXPECT_EQ(ui_.Last().text, kZulCannotOpen);
    EXPECT_EQ(ui_.Last().caption, kZulCannotOpenCaption);
    EXPECT_EQ(c->service.ReopenFile, 0);
    EXPECT_EQ(c->service.GetText(0), "Насос 1");
  }
}

struct NameCase {
  const char* chosen;
  const char* saved;  // nullptr: refused
};

class ZulFileNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(ZulFileNames, ExtensionRule) {
  const auto saved = ZulFileName(GetParam().chosen);
  if (GetParam().saved) {
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->string(), GetParam().saved);
  } else {
    EXPECT_FALSE(saved);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, ZulFileNames,
                         ::testing::Values(NameCase{"conf", "conf.zul"}, NameCase{"conf.zul", "conf.zul"},
                                           NameCase{"dir/conf.ZUL", "dir/conf.ZUL"},
                                           NameCase{"conf.txt", nullptr}, NameCase{"conf.zul.bak", nullptr}));

TEST_F(ZulFileTest, TxtName_RefusedAndNothingWritten) {
  auto c = MakeSampleConfiguration();
  c->service.FileChanged = 1;
  EXPECT_EQ(SaveZulFile(Path("conf.txt"), *c, ui_), ZulSaveResult::WrongName);
  EXPECT_EQ(ui_.Last().text, kZulWrongName);
  EXPECT_EQ(ui_.Last().caption, kZulWrongNameCaption);
  EXPECT_EQ(FilesIn(), 0u);
  EXPECT_EQ(c->service.FileChanged, 1);
}

TEST_F(ZulFileTest, SaveClearsTheChangeFlags) {
  auto c = MakeSampleConfiguration();
  c->service.FileChanged = 1;
  c->discreteProcessing.Modified = 1;
  fs::path saved;
  ASSERT_EQ(SaveZulFile(Path("conf"), *c, ui_, &saved), ZulSaveResult::Saved);
  EXPECT_EQ(saved, Path("conf.zul"));
  EXPECT_EQ(c->service.FileChanged, 0);
  EXPECT_EQ(c->discreteProcessing.Modified, 0);
  EXPECT_TRUE(ui_.Shown().empty());
}

TEST_F(ZulFileTest, ReplacingALongerFileOfTheSameComposition_LeavesExactlyTheNewBytes) {
  auto c = MakeSampleConfiguration();
  auto old = ZulFileBytes(*c);
  old.resize(40000, 0xEE);
  old[30000] = 0x42;
  Write(Path("x.zul"), old);
  ui_.QueueAnswer(Answer::Yes);
  ASSERT_EQ(SaveZulFile(Path("x.zul"), *c, ui_), ZulSaveResult::Saved);
  EXPECT_EQ(ui_.Shown().size(), 1u);
  EXPECT_EQ(ui_.Last().text, kZulReplace);
  EXPECT_EQ(ui_.Last().caption, kZulReplaceCaption);
  EXPECT_EQ(Read(Path("x.zul")), ZulFileBytes(*c));
  EXPECT_EQ(FilesIn(), 1u);  // no temporary file left behind
}

struct ReplaceCase {
  const char* name;
  Answer replace;
  Answer otherFile;  // answer to the composition question, when asked
  ZulSaveResult result;
  size_t questions;
};

class ZulFileReplace : public ZulFileTest, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(ZulFileReplace, DifferentCompositionIsQuestioned_OldFileUntouchedUnlessSaved) {
  const ReplaceCase& k = GetParam();
  auto c = MakeSampleConfiguration();
  auto other = MakeSampleConfiguration("1111000000000000");
  const auto old = ZulFileBytes(*other);
  Write(Path("y.zul"), old);
  ui_.QueueAnswer(k.replace);
  ui_.QueueAnswer(k.otherFile);
  EXPECT_EQ(SaveZulFile(Path("y.zul"), *c, ui_), k.result);
  EXPECT_EQ(ui_.Shown().size(), k.questions);
  if (k.questions == 2) {
    EXPECT_EQ(ui_.Last().text, kZulMismatch);
    EXPECT_EQ(ui_.Last().caption, kZulMismatchCaption);
  }
  EXPECT_EQ(Read(Path("y.zul")), old);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZulFileReplace,
    ::testing::Values(ReplaceCase{"NoToReplace", Answer::No, Answer::No, ZulSaveResult::ChooseAnotherName, 1},
                      ReplaceCase{"YesThenAnotherFile", Answer::Yes, Answer::Yes,
                                  ZulSaveResult::ChooseAnotherName, 2},
                      ReplaceCase{"YesThenStop", Answer::Yes, Answer::No, ZulSaveResult::Cancelled, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ZulFileTest, UncreatableFile_WarnsAndLeavesNothing) {
  auto c = MakeSampleConfiguration();
  c->service.FileChanged = 1;
  EXPECT_EQ(SaveZulFile(Path("no/such/dir/conf.zul"), *c, ui_), ZulSaveResult::CannotCreate);
  EXPECT_EQ(ui_.Last().text, kZulCannotCreate);
  EXPECT_EQ(ui_.Last().caption, kZulCannotCreateCaption);
  EXPECT_EQ(c->service.FileChanged, 1);
  EXPECT_EQ(FilesIn(), 0u);
}

}  // namespace
}  // namespace zul
