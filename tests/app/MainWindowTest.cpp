#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "context/CommandIds.h"
#include "context/Layout.h"
#include "context/Menu.h"
#include "support/AppFixture.h"

namespace sonavue::app {
namespace {

using platform::BoxIcon;

class MainWindowTest : public sonavue::testing::AppFixture {};

TEST_F(MainWindowTest, StartsWithItsCaptionMenuAndDisabledButtons) {
  Start();
  EXPECT_EQ(Window().Caption(), "Sonavue 16");
  EXPECT_TRUE(Window().IsVisible());
  EXPECT_EQ(Window().MenuItemTextAt(kPopupFunction, kFunctionSaveImagePos), "Save Screen Image");
  EXPECT_EQ(Window().MenuItemTextAt(kPopupFunction, kFunctionSplCalPos), "Sound Pressure Level Cal");
  EXPECT_EQ(Window().MenuItemTextAt(kPopupFunction, kFunctionResponseCalPos),
            "Frequency Response Cal");
  EXPECT_EQ(Window().MenuItemTextAt(kPopupPreferences, kPreferencesControlsPos), "Analysis Controls");
  EXPECT_EQ(Window().MenuItemTextAt(kPopupPreferences, kPreferencesPointersPos), "Display Pointers");
  EXPECT_EQ(Window().MenuItemTextAt(kPopupPreferences, kPreferencesFreqMarkPos), "Display Freq Mark");
  EXPECT_EQ(Window().MenuItemTextAt(kPopupPreferences, kPreferencesGainLockPos), "SPL Cal Gain Lock");
  EXPECT_EQ(Window().MenuItemTextAt(kPopupPreferences, kPreferencesVariablesPos), "Variables");
  EXPECT_EQ(Window().MenuItemTextAt(kPopupHelp, kHelpQuickStartPos), "Quick Start");

  // Every command of the table is in the menu exactly once.
  auto ids = Window().MenuCommandIds();
  EXPECT_EQ(ids.size(), 35U);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());

  for (int id : {IDC_PLAY, IDC_PLAY_WINDOW, IDC_STOP, IDC_GRID, IDC_PEAK_HOLD}) {
    EXPECT_FALSE(ButtonEnabled(id)) << id;
  }
  EXPECT_EQ(ButtonCaption(IDC_PLAY), "&PLAY");
  EXPECT_EQ(ButtonCaption(IDC_PEAK_HOLD), "PEAK &HOLD");
  EXPECT_EQ(ButtonCaption(IDC_STOP), "&STOP");
}

TEST_F(MainWindowTest, StartingMenuStateAndCheckMarks) {
  Start();
  for (int id : {IDM_ANALYZE_FILE, IDM_ANALYZE_BATCH, IDM_COLOR_SCALE, IDM_SCAN_FILE,
                 IDM_SCAN_INPUT, IDM_EXIT}) {
    EXPECT_TRUE(MenuEnabled(id)) << id;
  }
  for (int id : {IDM_CHANGE_PARAMETERS, IDM_RESTORE_PARAMETERS, IDM_LOG_SPECTRUM, IDM_LOG_POINTS,
                 IDM_SAVE_WAVE, IDM_PRINT_WINDOW}) {
    EXPECT_FALSE(MenuEnabled(id)) << id;
  }
  EXPECT_FALSE(MenuEnabledAt(kPopupFunction, kFunctionSaveImagePos));
  EXPECT_TRUE(MenuEnabledAt(kPopupFunction, kFunctionSplCalPos));
  // Not SPL-calibrated: the gain lock popup is gray, Off is checked.
  EXPECT_FALSE(MenuEnabledAt(kPopupPreferences, kPreferencesGainLockPos));
  EXPECT_TRUE(MenuChecked(IDM_GAIN_LOCK_OFF));
  EXPECT_TRUE(MenuChecked(IDM_VARIABLES_ADJUST));
  EXPECT_FALSE(MenuChecked(IDM_VARIABLES_FREEZE));
  EXPECT_TRUE(MenuChecked(IDM_CONTROLS_AUTOMATIC));
  EXPECT_FALSE(MenuChecked(IDM_CONTROLS_MANUAL));
  EXPECT_TRUE(MenuChecked(IDM_FREQ_MARK_OFF));
  EXPECT_TRUE(MenuChecked(IDM_POINTER_TARGET_BOX));
  EXPECT_EQ(Window().ScrollPosition(platform::ScrollBarId::Vertical), 30);
}

TEST_F(MainWindowTest, TheLayoutPlacesScrollBarsAndButtonsAndFollowsAResize) {
  Start();
  Resize(1000, 700);
  const LayoutValues& v = App().layout;
  EXPECT_EQ(v.clientWidth, Window().ClientSize().w);
  EXPECT_EQ(v.font.pixelHeight, LayoutFontPixelHeight(v.clientWidth));
  EXPECT_EQ(Window().ScrollBarRect(platform::ScrollBarId::Horizontal),
            (platform::Rect{0, v.displayHeight, v.displayWidth, v.scrollThickness}));
  EXPECT_EQ(Window().ScrollBarRect(platform::ScrollBarId::Vertical),
            (platform::Rect{v.displayWidth, 0, v.scrollThickness, v.displayHeight}));
  const platform::Rect play = Window().ButtonRect(IDC_PLAY);
  const platform::Rect stop = Window().ButtonRect(IDC_STOP);
  EXPECT_EQ(play.w, 10 * v.charWidth);
  EXPECT_EQ(stop.y, play.y + 2 * v.buttonHeight);
  EXPECT_GT(play.y, v.displayHeight + v.scrollThickness - v.buttonHeight);
  EXPECT_EQ(App().peakHold.size(), static_cast<std::size_t>(v.scopePoints));

  // The window's picture: background above, the panel colour below.
  const platform::DisplayBitmap& image = WindowImage();
  EXPECT_EQ(image.Pixel(v.displayWidth / 2, v.displayHeight / 2), App().colors[4]);
  const platform::Rgb panel = image.Pixel(2, v.clientHeight - 2);
  EXPECT_NE(panel, App().colors[4]);
  EXPECT_EQ(panel, image.Pixel(2, v.displayHeight + v.scrollThickness + 1));
}

TEST_F(MainWindowTest, ExitClosesTheWindow) {
  Start();
  SendCommand(IDM_EXIT);
  EXPECT_TRUE(Window().IsDestroyed());
  EXPECT_TRUE(App().quitPosted);
}

TEST_F(MainWindowTest, CloseWhileRunningOnlyStopsAndTheNextCloseCloses) {
  Start();
  EnterRunningMenuState(App());
  App().frame.stopRequest = false;
  Close();
  EXPECT_FALSE(Window().IsDestroyed());
  EXPECT_TRUE(App().frame.stopRequest);
  // The operation ends as a stopped one does.
  EnterScanIdleMenuState(App());
  Close();
  EXPECT_TRUE(Window().IsDestroyed());
}

TEST_F(MainWindowTest, CloseIsIgnoredDuringACalibrationRun) {
  Start();
  App().frame.calibration = CalibrationState::Spl;
  Close();
  EXPECT_FALSE(Window().IsDestroyed());
  App().frame.calibration = CalibrationState::None;
}

TEST_F(MainWindowTest, MissingHelpFilesGiveTheirWarningAndLeaveTheProgramUsable) {
  Start();
  SendCommand(IDM_HELP_TOPICS);
  SendCommand(IDM_QUICK_START_DISPLAY);
  SendCommand(IDM_QUICK_START_SOUNDCARD);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 3U);
  EXPECT_EQ(boxes[0].text, "Adobe Reader must be installed to read Help.");
  EXPECT_EQ(boxes[1].text, "Adobe Reader must be installed to read Quick Start.");
  EXPECT_EQ(boxes[2].text, "Adobe Reader must be installed to read Help.");
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, "TARN");
    EXPECT_EQ(box.icon, BoxIcon::Warning);
  }
  ASSERT_EQ(prompts_.Documents().size(), 3U);
  EXPECT_EQ(prompts_.Documents()[0], environment_.executableFolder / "sonv16.pdf");
  EXPECT_EQ(prompts_.Documents()[1], environment_.executableFolder / "recording.pdf");
  EXPECT_EQ(prompts_.Documents()[2], environment_.executableFolder / "soundcard.pdf");
  EXPECT_TRUE(MenuEnabled(IDM_ANALYZE_FILE));
  EXPECT_FALSE(App().frame.running);
}

TEST_F(MainWindowTest, PresentHelpFileOpensWithoutAWarning) {
  std::ofstream(environment_.executableFolder / "sonv16.pdf") << "%PDF-1.4\n";
  Start();
  SendCommand(IDM_HELP_TOPICS);
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_EQ(prompts_.Documents().size(), 1U);
}

TEST_F(MainWindowTest, AboutShowsAnInformationBox) {
  Start();
  SendCommand(IDM_ABOUT);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].caption, "Sonavue");
  EXPECT_EQ(boxes[0].icon, BoxIcon::Information);
  EXPECT_NE(boxes[0].text.find("Sonavue 16"), std::string::npos);
}

TEST_F(MainWindowTest, NoWritableWorkingFolderWarnsAndEnds) {
  // Every candidate is a plain file, so nothing can be created inside.
  for (auto* folder : {&environment_.runtimeFolder, &environment_.cacheFolder,
                       &environment_.tempFolder}) {
    *folder = *folders_ / ("file-" + std::to_string(folder - &environment_.runtimeFolder));
    std::ofstream(*folder) << "x";
  }
  Start();
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text,
            "User Privileges do not allow Sonavue to write temporary files.\nPlease set User "
            "Privileges to allow file creation and deletion");
  EXPECT_EQ(boxes[0].icon, BoxIcon::Warning);
  EXPECT_TRUE(Window().IsDestroyed());
}

TEST_F(MainWindowTest, WorkingFolderIsTheSonavueFolderOfTheUsersCacheFolder) {
  Start();
  EXPECT_EQ(App().workingFolder, environment_.cacheFolder / "sonavue");
  EXPECT_TRUE(std::filesystem::is_directory(App().workingFolder));
  EXPECT_EQ(App().calibrationSoundPath, environment_.executableFolder / "cal.wav");
}

TEST_F(MainWindowTest, WorkingFolderPrefersTheRuntimeFolder) {
  environment_.runtimeFolder = *folders_ / "runtime";
  std::filesystem::create_directory(environment_.runtimeFolder);
  Start();
  EXPECT_EQ(App().workingFolder, environment_.runtimeFolder / "sonavue");
}

TEST_F(MainWindowTest, AUniqueTemporaryWorkingFolderGoesWithTheProgram) {
  environment_.cacheFolder = *folders_ / "cache-file";
  std::ofstream(environment_.cacheFolder) << "x";
  Start();
  const std::filesystem::path folder = App().workingFolder;
  EXPECT_EQ(folder.parent_path(), environment_.tempFolder);
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  Finish();
  EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(MainWindowTest, MovesWithinTheScreenAreMirroredForTheSettings) {
  Start();
  Window().SetWindowRect({40, 30, 640, 480});
  ProcessEvents();
  EXPECT_EQ(ReadWindowRect(App().settingsRecord).w, 640);
  EXPECT_EQ(ReadWindowRect(App().settingsRecord).h, 480);
}

}  // namespace
}  // namespace sonavue::app
