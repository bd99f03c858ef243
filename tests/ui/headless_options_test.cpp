#include "ui/headless_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "scratch_folder.h"
#include "ui/dialog_texts.h"
#include "ui/settings_file.h"

namespace svcmp {
namespace {

using testing::Int32Bytes;
using testing::ReadBytes;
using testing::WriteBytes;

class HeadlessOptionsTest : public ::testing::Test {
 protected:
  testing::ScratchFolder folder_;
  ExportSettings settings_;
};

TEST_F(HeadlessOptionsTest, LoadingClampsAsTheDialogDoes) {
  std::vector<std::int32_t> fields{250, 1, 2, 30};
  for (int i = 1; i <= kMaxGroupCount; ++i) fields.push_back(i);
  WriteBytes(folder_.File("big.ces"), Int32Bytes(fields));

  const OptionsRunResult result = LoadSettingsFile(folder_.File("big.ces"), settings_);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(settings_.ScaleDivisor, 100);
  EXPECT_EQ(settings_.OrientationMode, 1);
  EXPECT_EQ(settings_.LodLevel, 2);
  EXPECT_EQ(settings_.GroupCount, 18);
  for (int i = 0; i < kMaxGroupCount; ++i) {
    EXPECT_EQ(settings_.GroupQuantities[static_cast<std::size_t>(i)], i + 1);
  }
}

TEST_F(HeadlessOptionsTest, ShortFileLoadsWithOneGroup) {
  WriteBytes(folder_.File("short.ces"), Int32Bytes({0, 0, 1}));
  const OptionsRunResult result = LoadSettingsFile(folder_.File("short.ces"), settings_);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(settings_.ScaleDivisor, 1);
  EXPECT_EQ(settings_.LodLevel, 1);
  EXPECT_EQ(settings_.GroupCount, 1);
}

TEST_F(HeadlessOptionsTest, UnreadableFileIsAnErrorThatNamesIt) {
  const OptionsRunResult result = LoadSettingsFile(folder_.File("gone.ces"), settings_);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.message.find(kSettingsCannotOpen), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("gone.ces"), std::string::npos) << result.message;
}

TEST_F(HeadlessOptionsTest, LoadedZeroQuantityIsRefusedWithTheDialogsWarning) {
  WriteBytes(folder_.File("zero.ces"), Int32Bytes({92, 0, 0, 3, 4, 0, 2}));
  const OptionsRunResult result = LoadSettingsFile(folder_.File("zero.ces"), settings_);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message, kQuantitiesMissingText);
}

TEST_F(HeadlessOptionsTest, OptionsOverrideTheLoadedFileAndSaveLast) {
  WriteBytes(folder_.File("base.ces"), Int32Bytes({40, 1, 2, 2, 3, 3}));
  OptionsScript script;
  script.loadFrom = folder_.File("base.ces");
  script.lodLevel = 1;
  script.groupCount = 3;
  script.groupQuantities = {4, 1, 2};
  script.saveTo = folder_.File("out.ces");
  const OptionsRunResult result = RunOptionsDialogHeadless(settings_, script);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(settings_.ScaleDivisor, 40);
  EXPECT_EQ(settings_.OrientationMode, 1);
  EXPECT_EQ(settings_.LodLevel, 1);
  EXPECT_EQ(settings_.GroupCount, 3);
  const SettingsImage image = BuildSettingsImage(settings_);
  EXPECT_EQ(ReadBytes(folder_.File("out.ces")),
            std::vector<std::uint8_t>(image.begin(), image.end()));
}

TEST_F(HeadlessOptionsTest, OptionsTheControlsCannotTakeAreRefused) {
  OptionsScript orientation;
  orientation.orientationMode = 2;
  EXPECT_EQ(RunOptionsDialogHeadless(settings_, orientation).message, kOrientationOutOfRange);

  OptionsScript level;
  level.lodLevel = 3;
  EXPECT_EQ(RunOptionsDialogHeadless(settings_, level).message, kLevelOutOfRange);

  OptionsScript quantities;
  quantities.groupCount = 2;
  quantities.groupQuantities = {1, 2, 3};
  EXPECT_EQ(RunOptionsDialogHeadless(settings_, quantities).message, kTooManyQuantities);

  OptionsScript missing;
  missing.groupCount = 3;
  missing.groupQuantities = {1, 2};
  EXPECT_EQ(RunOptionsDialogHeadless(settings_, missing).message, kQuantitiesMissingText);
}

TEST_F(HeadlessOptionsTest, SaveRefusesMissingQuantitiesAndKeepsTheOldFile) {
  const std::vector<std::uint8_t> existing{1, 2, 3};
  WriteBytes(folder_.File("keep.ces"), existing);
  settings_.GroupCount = 2;
  settings_.GroupQuantities[0] = 5;
  const OptionsRunResult refused = SaveSettingsFile(folder_.File("keep.ces"), settings_);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, kQuantitiesMissingText);
  EXPECT_EQ(ReadBytes(folder_.File("keep.ces")), existing);

  const OptionsRunResult unwritable =
      SaveSettingsFile(folder_.File("no such folder") / "x.ces", ExportSettings{});
  EXPECT_FALSE(unwritable.ok);
  EXPECT_FALSE(unwritable.message.empty());
}

}  // namespace
}  // namespace svcmp
