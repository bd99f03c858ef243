#include "ui/options_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>

#include "options_dialog_fixture.h"
#include "ui/dialog_texts.h"

namespace svcmp {
namespace {

using Quantities = std::array<std::int32_t, kMaxGroupCount>;

class OptionsDialogTest : public testing::OptionsDialogFixture {
 protected:
  void ChooseGroups(int count, std::initializer_list<const char*> quantities) {
    ASSERT_TRUE(window_.TypeText(kIdGroupCountEdit, std::to_string(count)));
    int group = 0;
    for (const char* quantity : quantities) {
      ASSERT_TRUE(window_.TypeText(QuantityEditId(group++), quantity));
    }
  }
  void ExpectOneQuantityWarning() const {
    ASSERT_EQ(window_.Messages().size(), 1u);
    EXPECT_EQ(window_.Messages()[0].text, kQuantitiesMissingText);
    EXPECT_EQ(window_.Messages()[0].caption, kWarningCaption);
    EXPECT_EQ(window_.Messages()[0].icon, MessageIcon::Exclamation);
  }
};

TEST(OptionsDialog, OpeningResetsTheChoicesButKeepsTheQuantities) {
  ExportSettings settings{5, 1, 2, 7, {}};
  settings.GroupQuantities[0] = 3;
  settings.GroupQuantities[17] = 9;
  const Quantities before = settings.GroupQuantities;
  InMemoryDialogWindow window;
  OptionsDialog dialog(window, settings);
  window.Open(dialog);

  EXPECT_EQ(settings.ScaleDivisor, 92);
  EXPECT_EQ(settings.OrientationMode, kOrientationUpsideDown);
  EXPECT_EQ(settings.LodLevel, 0);
  EXPECT_EQ(settings.GroupCount, 1);
  EXPECT_EQ(settings.GroupQuantities, before);
  EXPECT_FALSE(window.LoopDetected());
}

TEST_F(OptionsDialogTest, OpensWithLevelZeroUpsideDownScale92AndOneGroup) {
  EXPECT_TRUE(window_.IsCentred());
  EXPECT_TRUE(window_.IsOpen());
  EXPECT_TRUE(window_.Messages().empty());

  EXPECT_TRUE(window_.Item(kIdLevel0).checked);
  EXPECT_FALSE(window_.Item(kIdLevel1).checked);
  EXPECT_FALSE(window_.Item(kIdLevel2).checked);
  EXPECT_TRUE(window_.Item(kIdLevel0Label).visible);
  EXPECT_FALSE(window_.Item(kIdLevel1Label).visible);
  EXPECT_FALSE(window_.Item(kIdLevel2Label).visible);
  EXPECT_TRUE(window_.Item(kIdUpsideDown).checked);
  EXPECT_FALSE(window_.Item(kIdBackToFront).checked);

  EXPECT_EQ(Text(kIdScaleEdit), "92");
  const DialogItemState& slider = window_.Item(kIdScaleSlider);
  EXPECT_EQ(slider.sliderPosition, 92);
  EXPECT_EQ(slider.sliderMin, 0);
  EXPECT_EQ(slider.sliderMax, 100);
  EXPECT_EQ(slider.tickFrequency, 10);
  EXPECT_EQ(slider.lineSize, 1);
  EXPECT_EQ(slider.pageSize, 1);
  const DialogItemState& scaleSpin = window_.Item(kIdScaleSpin);
  EXPECT_EQ(scaleSpin.spinBuddy, kIdScaleEdit);
  EXPECT_EQ(scaleSpin.spinMin, 1);
  EXPECT_EQ(scaleSpin.spinMax, 100);

  EXPECT_EQ(Text(kIdGroupCountEdit), "1");
  const DialogItemState& countSpin = window_.Item(kIdGroupCountSpin);
  EXPECT_EQ(countSpin.spinBuddy, kIdGroupCountEdit);
  EXPECT_EQ(countSpin.spinMin, 1);
  EXPECT_EQ(countSpin.spinMax, 18);
  EXPECT_EQ(countSpin.spinPosition, 1);

  EXPECT_TRUE(ShowsRows(0));
  for (int group = 0; group < kMaxGroupCount; ++group) {
    const DialogItemState& spin = window_.Item(QuantitySpinId(group));
    EXPECT_EQ(spin.spinBuddy, QuantityEditId(group));
    EXPECT_EQ(spin.spinMin, 1);
    EXPECT_EQ(spin.spinMax, 100);
    EXPECT_EQ(spin.spinPosition, 1);
    EXPECT_EQ(Text(QuantityEditId(group)), "") << "quantity edits stay empty";
  }
}

TEST_F(OptionsDialogTest, ScaleEditClampsAtOnceAndMovesTheSlider) {
  struct Case {
    const char* typed;
    const char* shown;
    int scale;
  };
  for (const Case& c : {Case{"", "1", 1}, Case{"250", "100", 100}, Case{"abc", "1", 1},
                        Case{"-5", "1", 1}, Case{"0", "1", 1}, Case{"50", "50", 50},
                        Case{"100", "100", 100}, Case{"99999999999", "100", 100}}) {
    ASSERT_TRUE(window_.TypeText(kIdScaleEdit, c.typed));
    EXPECT_EQ(Text(kIdScaleEdit), c.shown) << "typed \"" << c.typed << '"';
    EXPECT_EQ(settings_.ScaleDivisor, c.scale) << "typed \"" << c.typed << '"';
    EXPECT_EQ(Slider(), c.scale) << "typed \"" << c.typed << '"';
  }
}

TEST_F(OptionsDialogTest, SliderDrivesTheScaleAndItsLeftEndMeansOne) {
  ASSERT_TRUE(window_.DragSlider(kIdScaleSlider, 37));
  EXPECT_EQ(settings_.ScaleDivisor, 37);
  EXPECT_EQ(Text(kIdScaleEdit), "37");

  ASSERT_TRUE(window_.DragSlider(kIdScaleSlider, 0));
  EXPECT_EQ(settings_.ScaleDivisor, 1);
  EXPECT_EQ(Text(kIdScaleEdit), "1");
  EXPECT_EQ(Slider(), 1);
}

TEST_F(OptionsDialogTest, ScaleSpinStepsTheEditWithinItsRange) {
  ASSERT_TRUE(window_.ClickSpin(kIdScaleSpin, true));
  EXPECT_EQ(Text(kIdScaleEdit), "93");
  EXPECT_EQ(settings_.ScaleDivisor, 93);
  EXPECT_EQ(Slider(), 93);
  window_.TypeText(kIdScaleEdit, "100");
  window_.ClickSpin(kIdScaleSpin, true);
  EXPECT_EQ(Text(kIdScaleEdit), "100");
}

TEST_F(OptionsDialogTest, GroupCountClampsAndShowsExactlyItsRows) {
  ChooseGroups(0, {});
  EXPECT_EQ(Text(kIdGroupCountEdit), "1");
  EXPECT_EQ(settings_.GroupCount, 1);
  EXPECT_TRUE(ShowsRows(0));

  ChooseGroups(25, {});
  EXPECT_EQ(Text(kIdGroupCountEdit), "18");
  EXPECT_EQ(settings_.GroupCount, 18);
  EXPECT_TRUE(ShowsRows(18));

  ChooseGroups(3, {"4", "1", "2"});
  EXPECT_EQ(settings_.GroupCount, 3);
  EXPECT_TRUE(ShowsRows(3));

  // One group hides every row; hidden edits keep their text.
  window_.TypeText(kIdGroupCountEdit, "");
  EXPECT_EQ(Text(kIdGroupCountEdit), "1");
  EXPECT_TRUE(ShowsRows(0));
  EXPECT_EQ(Text(QuantityEditId(0)), "4");
}

TEST_F(OptionsDialogTest, MissingQuantityWarnsAndKeepsTheDialogOpen) {
  ChooseGroups(3, {"4", "", "2"});
  ASSERT_TRUE(window_.Click(kIdCancel));
  ExpectOneQuantityWarning();
  EXPECT_TRUE(window_.IsOpen());

  settings_.GroupQuantities.fill(77);
  window_.TypeText(QuantityEditId(1), "1");
  window_.Click(kIdCancel);
  EXPECT_EQ(window_.Result(), DialogResult::Cancel);
  EXPECT_EQ(window_.Messages().size(), 1u);
  const Quantities expected{4, 1, 2};
  EXPECT_EQ(settings_.GroupQuantities, expected) << "groups past the count become 0";
}

TEST_F(OptionsDialogTest, ZeroQuantityWarnsButNegativeAndLargeOnesPass) {
  ChooseGroups(2, {"0", "5"});
  window_.PressEnter();
  ExpectOneQuantityWarning();
  EXPECT_TRUE(window_.IsOpen());

  window_.TypeText(QuantityEditId(0), "-3");
  window_.TypeText(QuantityEditId(1), "250");
  window_.PressEnter();
  EXPECT_EQ(window_.Result(), DialogResult::Ok);
  EXPECT_EQ(settings_.GroupQuantities[0], -3);
  EXPECT_EQ(settings_.GroupQuantities[1], 250);
}

TEST_F(OptionsDialogTest, OneGroupNeverWarnsAndLeavesTheQuantitiesAlone) {
  settings_.GroupQuantities.fill(6);
  ChooseGroups(2, {"0", ""});
  window_.TypeText(kIdGroupCountEdit, "1");
  window_.PressEnter();
  EXPECT_TRUE(window_.Messages().empty());
  EXPECT_EQ(window_.Result(), DialogResult::Ok);
  Quantities sixes;
  sixes.fill(6);
  EXPECT_EQ(settings_.GroupQuantities, sixes);
}

TEST_F(OptionsDialogTest, EscapeAndCloseBoxCloseExactlyAsContinueDoes) {
  // The same choices closed three ways must leave the same record.
  using Close = std::function<void(InMemoryDialogWindow&)>;
  auto closeWith = [](const Close& close) {
    ExportSettings settings;
    InMemoryDialogWindow window;
    OptionsDialog dialog(window, settings);
    window.Open(dialog);
    window.TypeText(kIdScaleEdit, "40");
    window.Click(kIdBackToFront);
    window.Click(kIdLevel1);
    window.TypeText(kIdGroupCountEdit, "2");
    window.TypeText(QuantityEditId(0), "3");
    window.TypeText(QuantityEditId(1), "");
    close(window);
    EXPECT_TRUE(window.IsOpen()) << "a missing quantity keeps it open whatever closes it";
    window.TypeText(QuantityEditId(1), "4");
    close(window);
    EXPECT_EQ(window.Result(), DialogResult::Cancel);
    return settings;
  };
  const ExportSettings byEscape = closeWith([](auto& w) { w.PressEscape(); });
  const ExportSettings byCloseBox = closeWith([](auto& w) { w.CloseBox(); });
  const ExportSettings byContinue = closeWith([](auto& w) { w.Click(kIdCancel); });
  for (const ExportSettings* s : {&byEscape, &byCloseBox, &byContinue}) {
    EXPECT_EQ(s->ScaleDivisor, 40);
    EXPECT_EQ(s->OrientationMode, kOrientationBackToFront);
    EXPECT_EQ(s->LodLevel, 1);
    EXPECT_EQ(s->GroupCount, 2);
    EXPECT_EQ(s->GroupQuantities[0], 3);
    EXPECT_EQ(s->GroupQuantities[1], 4);
  }
}

TEST_F(OptionsDialogTest, LevelAndOrientationFollowTheLastRadioClicked) {
  window_.Click(kIdLevel2);
  window_.Click(kIdLevel1);
  EXPECT_EQ(settings_.LodLevel, 1);
  EXPECT_FALSE(window_.Item(kIdLevel0Label).visible);
  EXPECT_TRUE(window_.Item(kIdLevel1Label).visible);
  EXPECT_FALSE(window_.Item(kIdLevel2Label).visible);
  EXPECT_TRUE(window_.Item(kIdLevel1).checked);
  EXPECT_FALSE(window_.Item(kIdLevel2).checked);

  window_.Click(kIdBackToFront);
  EXPECT_EQ(settings_.OrientationMode, kOrientationBackToFront);
  window_.Click(kIdUpsideDown);
  EXPECT_EQ(settings_.OrientationMode, kOrientationUpsideDown);
  EXPECT_FALSE(window_.Item(kIdBackToFront).checked);
}

}  // namespace
}  // namespace svcmp
