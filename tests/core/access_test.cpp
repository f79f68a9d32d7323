#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "core/config/AccessLevel.h"

namespace zul {
namespace {

namespace fs = std::filesystem;

class AccessTest : public ::testing::Test {
 protected:
  AccessTest() {
    dir = fs::temp_directory_path() /
          ("zul_access_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    file = dir / kPasswordFileName;
  }
  ~AccessTest() override { fs::remove_all(dir); }

  void Store(std::vector<unsigned char> bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<unsigned char> Stored() const {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path dir;
  fs::path file;
};

struct EntryCase {
  const char* name;
  std::vector<unsigned char> fileBytes;  // empty: no file
  const char* typed;
  bool accepted;
  int level;
};

class PasswordEntry : public AccessTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(PasswordEntry, DecidesVerdictAndLevel) {
  const EntryCase& c = GetParam();
  if (!c.fileBytes.empty()) Store(c.fileBytes);
  EXPECT_EQ(IsPasswordAccepted(c.typed, file), c.accepted);
  EXPECT_EQ(AccessLevelFor(c.typed, file), c.level);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordEntry,
    ::testing::Values(EntryCase{"NoFile_Master", {}, "8411", true, kFullAccess},
                      EntryCase{"NoFile_Empty", {}, "", true, kViewingAccess},
                      EntryCase{"NoFile_Other", {}, "1234", false, kViewingAccess},
                      EntryCase{"NoFile_MasterWithZero", {}, "08411", false, kViewingAccess},
                      EntryCase{"File42_42", {0x2A, 0x00}, "42", true, kFullAccess},
                      EntryCase{"File42_042", {0x2A, 0x00}, "042", false, kViewingAccess},
                      EntryCase{"File42_Master", {0x2A, 0x00}, "8411", false, kViewingAccess},
                      EntryCase{"File42_Empty", {0x2A, 0x00}, "", true, kViewingAccess},
                      EntryCase{"File65535", {0xFF, 0xFF}, "65535", true, kFullAccess},
                      EntryCase{"FileShort_ReadsMissingByteAsZero", {0x2A}, "42", true, kFullAccess}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AccessTest, Change_WritesTwoBytesLowFirstAndReplacesOldFile) {
  Store({1, 2, 3, 4});
  EXPECT_EQ(ChangePassword("65535", file), PasswordChange::Changed);
  EXPECT_EQ(Stored(), (std::vector<unsigned char>{0xFF, 0xFF}));
  EXPECT_EQ(ChangePassword("258", file), PasswordChange::Changed);
  EXPECT_EQ(Stored(), (std::vector<unsigned char>{0x02, 0x01}));
  EXPECT_EQ(ValidPassword(file), "258");
  EXPECT_FALSE(fs::exists(dir / "FParol.dat.new"));
}

TEST_F(AccessTest, Change_RefusedEntriesLeaveTheFileAlone) {
  Store({0x2A, 0x00});
  EXPECT_EQ(ChangePassword("", file), PasswordChange::Empty);
  EXPECT_EQ(ChangePassword("65536", file), PasswordChange::OutOfRange);
  EXPECT_EQ(ChangePassword("99999", file), PasswordChange::OutOfRange);
  EXPECT_EQ(ChangePassword("12a", file), PasswordChange::OutOfRange);
  EXPECT_EQ(Stored(), (std::vector<unsigned char>{0x2A, 0x00}));
}

TEST_F(AccessTest, Change_IntoMissingDirectory_CannotCreateAndNothingLeft) {
  EXPECT_EQ(ChangePassword("42", dir / "missing" / kPasswordFileName), PasswordChange::CannotCreate);
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(PasswordReport, MessagesOfEachOutcome) {
  EXPECT_EQ(ReportOf(PasswordChange::Changed).first, "Пароль заменен!");
  EXPECT_EQ(ReportOf(PasswordChange::Empty).first, "Будьте внимательнее при вводе");
  EXPECT_EQ(ReportOf(PasswordChange::Empty).second, "Пароль не заменен");
  EXPECT_EQ(ReportOf(PasswordChange::OutOfRange).first, "Введите число не более 65535");
  EXPECT_EQ(ReportOf(PasswordChange::OutOfRange).second, "Пароль не заменен");
  EXPECT_EQ(ReportOf(PasswordChange::CannotCreate).first, "Файл не удается создать");
}

TEST_F(AccessTest, Location_WorkingDirectoryUnlessReadOnlyWithoutFile) {
  const fs::path other = dir / "docs";
  EXPECT_EQ(PasswordFileLocation(dir, true, other), dir / kPasswordFileName);
  EXPECT_EQ(PasswordFileLocation(dir, false, other), other / kPasswordFileName);
  Store({0x2A, 0x00});  // a file put there by whoever set the directory up still counts
  EXPECT_EQ(PasswordFileLocation(dir, false, other), dir / kPasswordFileName);
}

}  // namespace
}  // namespace zul
