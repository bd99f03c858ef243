#include "ui/settings_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "options_dialog_fixture.h"
#include "scratch_folder.h"
#include "ui/dialog_texts.h"

namespace svcmp {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::Int32Bytes;
using testing::ReadBytes;
using testing::WriteBytes;

// The settings buttons of a dialog opened with the defaults, over real files.
class SettingsFileTest : public testing::OptionsDialogFixture {
 protected:
  void Save(const std::filesystem::path& path) {
    window_.QueueFileAnswer(path.string());
    ASSERT_TRUE(window_.Click(kIdSaveSettings));
  }
  void Load(const std::filesystem::path& path) {
    window_.QueueFileAnswer(path.string());
    ASSERT_TRUE(window_.Click(kIdLoadSettings));
  }
  void LoadBytes(const Bytes& bytes) {
    WriteBytes(folder_.File("in.ces"), bytes);
    Load(folder_.File("in.ces"));
  }
  void ChooseGroups(int count, const std::vector<const char*>& quantities) {
    window_.TypeText(kIdGroupCountEdit, std::to_string(count));
    for (std::size_t i = 0; i < quantities.size(); ++i) {
      window_.TypeText(QuantityEditId(static_cast<int>(i)), quantities[i]);
    }
  }

  testing::ScratchFolder folder_;
};

Bytes Concat(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

TEST_F(SettingsFileTest, SavingTheDefaultsWritesTheKnownBytes) {
  Save(folder_.File("defaults.ces"));
  const Bytes expected = Concat({0x5C, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, Bytes(72, 0));
  EXPECT_EQ(ReadBytes(folder_.File("defaults.ces")), expected);

  ASSERT_EQ(window_.FileRequests().size(), 1u);
  const FileDialogRequest& request = window_.FileRequests()[0];
  EXPECT_EQ(request.kind, FileDialogKind::Save);
  EXPECT_EQ(request.title, "Save CMP Exporter Settings");
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].name, "CMP Settings (*.ces)");
  EXPECT_EQ(request.filters[0].pattern, "*.ces");
  EXPECT_EQ(request.filters[1].name, "All Files (*.*)");
  EXPECT_EQ(request.filters[1].pattern, "*.*");
  EXPECT_EQ(request.defaultExtension, "ces");
  EXPECT_EQ(request.flags, 0x806u);
  EXPECT_TRUE(window_.IsOpen()) << "saving leaves the dialog open";
}

TEST_F(SettingsFileTest, SavingThreeGroupsWritesTheirQuantitiesThenZeros) {
  ChooseGroups(3, {"4", "1", "2"});
  Save(folder_.File("three.ces"));
  const Bytes expected = Concat(Int32Bytes({92, 0, 0, 3, 4, 1, 2}), Bytes(60, 0));
  EXPECT_EQ(ReadBytes(folder_.File("three.ces")), expected);
}

TEST_F(SettingsFileTest, SavingOneGroupWritesZerosWhateverTheHiddenEditsHold) {
  ChooseGroups(3, {"4", "1", "2"});
  window_.TypeText(kIdGroupCountEdit, "1");
  settings_.GroupQuantities.fill(5);
  Save(folder_.File("one.ces"));
  const Bytes expected = Concat(Int32Bytes({92, 0, 0, 1}), Bytes(72, 0));
  EXPECT_EQ(ReadBytes(folder_.File("one.ces")), expected);
}

TEST_F(SettingsFileTest, SavingWithAnEmptyQuantityWarnsAndLeavesTheFileAlone) {
  const Bytes existing{'k', 'e', 'e', 'p'};
  WriteBytes(folder_.File("kept.ces"), existing);
  ChooseGroups(2, {"3", ""});
  Save(folder_.File("kept.ces"));
  ASSERT_EQ(window_.Messages().size(), 1u);
  EXPECT_EQ(window_.Messages()[0].text, kQuantitiesMissingText);
  EXPECT_EQ(window_.Messages()[0].caption, kWarningCaption);
  EXPECT_EQ(ReadBytes(folder_.File("kept.ces")), existing);
  EXPECT_TRUE(window_.IsOpen());
}

TEST_F(SettingsFileTest, CancelledOrFailedSaveIsSilent) {
  window_.QueueFileAnswer(std::nullopt);
  window_.Click(kIdSaveSettings);
  Save(folder_.File("no such folder") / "x.ces");
  EXPECT_TRUE(window_.Messages().empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Path()));
}

TEST_F(SettingsFileTest, LoadingAShortFileReadsMissingFieldsAsZero) {
  settings_.GroupQuantities.fill(9);
  LoadBytes(Int32Bytes({50, 1, 2}));
  EXPECT_EQ(window_.FileRequests().back().title, "Load CMP Exporter Settings");
  EXPECT_EQ(window_.FileRequests().back().kind, FileDialogKind::Open);

  EXPECT_EQ(Text(kIdScaleEdit), "50");
  EXPECT_EQ(Slider(), 50);
  EXPECT_TRUE(window_.Item(kIdBackToFront).checked);
  EXPECT_TRUE(window_.Item(kIdLevel2).checked);
  EXPECT_TRUE(window_.Item(kIdLevel2Label).visible);
  EXPECT_FALSE(window_.Item(kIdLevel0Label).visible);
  EXPECT_EQ(Text(kIdGroupCountEdit), "1");
  EXPECT_TRUE(ShowsRows(0));
  for (int group = 0; group < kMaxGroupCount; ++group) EXPECT_EQ(Text(QuantityEditId(group)), "0");
  EXPECT_EQ(settings_.ScaleDivisor, 50);
  EXPECT_EQ(settings_.OrientationMode, 1);
  EXPECT_EQ(settings_.LodLevel, 2);
  EXPECT_EQ(settings_.GroupCount, 1);
  EXPECT_EQ(settings_.GroupQuantities[0], 9) << "loading leaves the record's quantities alone";
}

TEST_F(SettingsFileTest, LoadingClampsTheScaleThroughTheEdit) {
  LoadBytes(Int32Bytes({0, 0, 0, 1}));
  EXPECT_EQ(Text(kIdScaleEdit), "1");
  EXPECT_EQ(settings_.ScaleDivisor, 1);
  EXPECT_EQ(Slider(), 1);

  LoadBytes(Int32Bytes({250, 0, 0, 1}));
  EXPECT_EQ(Text(kIdScaleEdit), "100");
  EXPECT_EQ(settings_.ScaleDivisor, 100);
  EXPECT_EQ(Slider(), 100);
}

TEST_F(SettingsFileTest, LoadingThirtyGroupsShowsAllEighteenFromTheFile) {
  std::vector<std::int32_t> fields{92, 0, 0, 30};
  for (int i = 1; i <= kMaxGroupCount; ++i) fields.push_back(i * 10);
  LoadBytes(Concat(Int32Bytes(fields), {0xAA, 0xBB}));  // bytes past 88 are ignored
  EXPECT_EQ(Text(kIdGroupCountEdit), "18");
  EXPECT_EQ(settings_.GroupCount, 18);
  EXPECT_TRUE(ShowsRows(18));
  for (int group = 0; group < kMaxGroupCount; ++group) {
    EXPECT_EQ(Text(QuantityEditId(group)), std::to_string((group + 1) * 10));
  }
}

TEST_F(SettingsFileTest, LoadedZeroQuantityWarnsOnClosing) {
  LoadBytes(Int32Bytes({92, 0, 0, 3, 4, 0, 2, 8}));
  EXPECT_EQ(Text(QuantityEditId(0)), "4");
  EXPECT_EQ(Text(QuantityEditId(1)), "0");
  EXPECT_EQ(Text(QuantityEditId(2)), "2");
  EXPECT_EQ(Text(QuantityEditId(3)), "0") << "rows past the count get 0, not the file's value";
  EXPECT_TRUE(ShowsRows(3));
  window_.Click(kIdCancel);
  ASSERT_EQ(window_.Messages().size(), 1u);
  EXPECT_EQ(window_.Messages()[0].text, kQuantitiesMissingText);
  EXPECT_TRUE(window_.IsOpen());
}

TEST_F(SettingsFileTest, OrientationOrLevelTheButtonsCannotShowBecomesWhatTheyShow) {
  window_.Click(kIdLevel1);
  window_.Click(kIdBackToFront);
  LoadBytes(Int32Bytes({92, 7, -1, 1}));
  EXPECT_TRUE(window_.Item(kIdUpsideDown).checked);
  EXPECT_FALSE(window_.Item(kIdBackToFront).checked);
  EXPECT_TRUE(window_.Item(kIdLevel0).checked);
  EXPECT_TRUE(window_.Item(kIdLevel0Label).visible);
  EXPECT_FALSE(window_.Item(kIdLevel1Label).visible);
  EXPECT_EQ(settings_.OrientationMode, kOrientationUpsideDown);
  EXPECT_EQ(settings_.LodLevel, 0);
}

TEST_F(SettingsFileTest, UnreadableOrCancelledLoadChangesNothing) {
  window_.TypeText(kIdScaleEdit, "33");
  const ExportSettings before = settings_;
  window_.QueueFileAnswer(std::nullopt);
  window_.Click(kIdLoadSettings);
  Load(folder_.File("missing.ces"));
  Load(folder_.Path());  // a folder opens on some systems but cannot be read
  EXPECT_EQ(settings_.ScaleDivisor, before.ScaleDivisor);
  EXPECT_EQ(settings_.GroupCount, before.GroupCount);
  EXPECT_EQ(Text(kIdScaleEdit), "33");
  EXPECT_EQ(Text(QuantityEditId(0)), "") << "quantity edits are untouched";
  EXPECT_TRUE(window_.Messages().empty());
}

TEST_F(SettingsFileTest, SaveThenLoadRestoresEveryChoice) {
  window_.TypeText(kIdScaleEdit, "37");
  window_.Click(kIdBackToFront);
  window_.Click(kIdLevel2);
  ChooseGroups(4, {"5", "6", "7", "8"});
  Save(folder_.File("round.ces"));
  window_.PressEnter();
  const ExportSettings saved = settings_;

  ExportSettings loaded;
  InMemoryDialogWindow window;
  OptionsDialog dialog(window, loaded);
  window.Open(dialog);
  window.QueueFileAnswer(folder_.File("round.ces").string());
  window.Click(kIdLoadSettings);
  EXPECT_EQ(window.GetItemText(kIdScaleEdit), "37");
  EXPECT_EQ(window.GetSliderPosition(kIdScaleSlider), 37);
  EXPECT_TRUE(window.Item(kIdBackToFront).checked);
  EXPECT_TRUE(window.Item(kIdLevel2).checked);
  EXPECT_EQ(window.GetItemText(kIdGroupCountEdit), "4");
  window.PressEnter();
  ASSERT_EQ(window.Result(), DialogResult::Ok);
  EXPECT_EQ(loaded.ScaleDivisor, saved.ScaleDivisor);
  EXPECT_EQ(loaded.OrientationMode, saved.OrientationMode);
  EXPECT_EQ(loaded.LodLevel, saved.LodLevel);
  EXPECT_EQ(loaded.GroupCount, saved.GroupCount);
  EXPECT_EQ(loaded.GroupQuantities, saved.GroupQuantities);
}

TEST(SettingsImage, FieldsAreLittleEndianAndSigned) {
  ExportSettings settings{0x12345678, -1, 2, 2, {}};
  settings.GroupQuantities = {-2, 0x01020304, 7};
  const SettingsImage image = BuildSettingsImage(settings);
  const Bytes head(image.begin(), image.begin() + 28);
  EXPECT_EQ(head, Concat({0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 2,    0,
                          0,    0,    2,    0,    0,    0,    0xFE, 0xFF, 0xFF, 0xFF},
                         {4, 3, 2, 1, 0, 0, 0, 0}))
      << "only the first GroupCount quantities are stored";

  const ExportSettings parsed = ParseSettingsImage(image);
  EXPECT_EQ(parsed.ScaleDivisor, 0x12345678);
  EXPECT_EQ(parsed.OrientationMode, -1);
  EXPECT_EQ(parsed.GroupQuantities[0], -2);
  EXPECT_EQ(parsed.GroupQuantities[1], 0x01020304);
  EXPECT_EQ(parsed.GroupQuantities[2], 0);
}

TEST(SettingsImage, FieldsPastTheEndOfAShortFileReadAsZero) {
  ExportSettings settings{92, 1, 2, 18, {}};
  settings.GroupQuantities.fill(3);
  const SettingsImage image = BuildSettingsImage(settings);

  const ExportSettings none = ParseSettingsImage({});
  EXPECT_EQ(none.ScaleDivisor, 0);
  EXPECT_EQ(none.GroupCount, 0);
  const ExportSettings twelve = ParseSettingsImage(std::span(image.data(), 12));
  EXPECT_EQ(twelve.LodLevel, 2);
  EXPECT_EQ(twelve.GroupCount, 0);
  const ExportSettings sixteen = ParseSettingsImage(std::span(image.data(), 16));
  EXPECT_EQ(sixteen.GroupCount, 18);
  EXPECT_EQ(sixteen.GroupQuantities[0], 0);
  const ExportSettings whole = ParseSettingsImage(image);
  EXPECT_EQ(whole.GroupQuantities[17], 3);
}

TEST(SettingsFiles, FailuresAreTellableApartForCmptool) {
  testing::ScratchFolder folder;
  const SettingsReadResult missing = ReadSettingsFile(folder.File("missing.ces"));
  EXPECT_EQ(missing.status, SettingsFileStatus::CannotOpen);
  EXPECT_NE(missing.reason.find("missing.ces"), std::string::npos) << missing.reason;

  const SettingsReadResult folderRead = ReadSettingsFile(folder.Path());
  EXPECT_NE(folderRead.status, SettingsFileStatus::Ok);
  EXPECT_FALSE(folderRead.reason.empty());

  const SettingsWriteResult unwritable =
      WriteSettingsFile(folder.File("no such folder") / "x.ces", SettingsImage{});
  EXPECT_EQ(unwritable.status, SettingsFileStatus::CannotWrite);
  EXPECT_NE(unwritable.reason.find(kSettingsCannotWrite), std::string::npos) << unwritable.reason;
}

}  // namespace
}  // namespace svcmp
