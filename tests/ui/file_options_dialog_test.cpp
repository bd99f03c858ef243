#include "ui/file_options_dialog.h"

#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "ui/in_memory_dialog_window.h"

namespace svcmp {
namespace {

class FileOptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { window_.Open(dialog_); }

  ExportMode mode_ = kNoExportMode;
  InMemoryDialogWindow window_;
  FileOptionsDialog dialog_{window_, mode_};
};

TEST_F(FileOptionsDialogTest, OpeningChoosesNothing) {
  EXPECT_EQ(mode_, kNoExportMode);
  EXPECT_TRUE(window_.IsOpen());
}

TEST_F(FileOptionsDialogTest, EnterAndCreateNewButtonChooseCreateNew) {
  ASSERT_TRUE(window_.PressEnter());
  EXPECT_EQ(mode_, CreateNew);
  EXPECT_EQ(window_.Result(), DialogResult::Ok);

  InMemoryDialogWindow clicked;
  ExportMode mode = kNoExportMode;
  FileOptionsDialog dialog(clicked, mode);
  clicked.Open(dialog);
  clicked.Click(kIdCreateNew);
  EXPECT_EQ(mode, CreateNew);
  EXPECT_EQ(clicked.Result(), DialogResult::Ok);
}

TEST_F(FileOptionsDialogTest, EscapeCloseBoxAndUpdateButtonChooseUpdateExisting) {
  ASSERT_TRUE(window_.PressEscape());
  EXPECT_EQ(mode_, UpdateExisting);
  EXPECT_EQ(window_.Result(), DialogResult::Cancel);

  for (const bool closeBox : {true, false}) {
    InMemoryDialogWindow window;
    ExportMode mode = kNoExportMode;
    FileOptionsDialog dialog(window, mode);
    window.Open(dialog);
    if (closeBox) {
      window.CloseBox();
    } else {
      window.Click(kIdUpdateExisting);
    }
    EXPECT_EQ(mode, UpdateExisting);
    EXPECT_EQ(window.Result(), DialogResult::Cancel);
  }
}

TEST_F(FileOptionsDialogTest, AnEndedDialogTakesNoMoreInput) {
  window_.PressEnter();
  EXPECT_FALSE(window_.PressEscape());
  EXPECT_EQ(mode_, CreateNew);
}

}  // namespace
}  // namespace svcmp
