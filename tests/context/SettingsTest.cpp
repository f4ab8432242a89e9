#include "context/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "context/CommandIds.h"
#include "context/FileChoosers.h"
#include "context/Menu.h"
#include "plans/ColorScale.h"
#include "support/AppFixture.h"

namespace sonavue::app {
namespace {

class SettingsTest : public sonavue::testing::AppFixture {
 protected:
  std::filesystem::path BesideExecutable() { return environment_.executableFolder / "sonv16.ini"; }

  static std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }
  static std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(bytes[offset] | (bytes[offset + 1] << 8) |
                                     (bytes[offset + 2] << 16) |
                                     (static_cast<std::uint32_t>(bytes[offset + 3]) << 24));
  }
};

TEST_F(SettingsTest, ExitWritesTheWholeRecordWithFirstStartValues) {
  Start();
  EXPECT_EQ(App().params.fftSize, 0);  // no file applied: the first dialog works it out
  SendCommand(IDM_EXIT);
  const auto bytes = ReadAll(BesideExecutable());
  ASSERT_EQ(bytes.size(), 17476U);
  EXPECT_EQ(Int32At(bytes, 796), IDM_CONTROLS_AUTOMATIC);
  EXPECT_EQ(Int32At(bytes, 820), 40098);
  EXPECT_EQ(Int32At(bytes, 828), ID_DISPLAY_SCROLL2);
  EXPECT_EQ(Int32At(bytes, 928), 100);
  EXPECT_EQ(Int32At(bytes, 952), IDM_GAIN_LOCK_OFF);
  // The window rectangle was mirrored as the window was placed.
  EXPECT_GT(Int32At(bytes, 788), 200);
  EXPECT_GT(Int32At(bytes, 792), 150);
  EXPECT_FALSE(std::filesystem::exists(environment_.executableFolder / "sonv16.ini.new"));
}

TEST_F(SettingsTest, ChoicesAndWindowPersistButVariablesIsAdjustAgain) {
  Start();
  prompts_.QueueBoxAnswer(platform::BoxResult::Ok);
  SendCommand(IDM_VARIABLES_FREEZE);
  EXPECT_EQ(TakeBoxes().size(), 1U);
  EXPECT_EQ(App().params.variables, IDM_VARIABLES_FREEZE);
  SendCommand(IDM_CONTROLS_MANUAL);
  SendCommand(IDM_POINTER_BLACK_CROSS);
  App().params.displayId = ID_DISPLAY_SCOPE1;
  App().params.gainDb = 12;
  App().params.lastFolders[1] = "/pictures";
  Window().SetWindowRect({30, 40, 700, 500});
  ProcessEvents();
  const platform::Rect before = Window().WindowRect();

  Restart();
  EXPECT_EQ(Window().WindowRect(), before);
  EXPECT_EQ(App().params.analysisControls, IDM_CONTROLS_MANUAL);
  EXPECT_TRUE(MenuChecked(IDM_CONTROLS_MANUAL));
  EXPECT_EQ(App().params.pointerShape, 3);
  EXPECT_TRUE(MenuChecked(IDM_POINTER_BLACK_CROSS));
  EXPECT_EQ(App().params.displayId, ID_DISPLAY_SCOPE1);
  EXPECT_EQ(App().params.gainDb, 12);
  EXPECT_EQ(Window().ScrollPosition(platform::ScrollBarId::Vertical), 42);
  EXPECT_EQ(App().params.lastFolders[1], "/pictures");
  EXPECT_EQ(App().params.variables, IDM_VARIABLES_ADJUST);
  EXPECT_TRUE(MenuChecked(IDM_VARIABLES_ADJUST));
  EXPECT_EQ(App().params.fftSize, 1024);  // a file was applied
}

TEST_F(SettingsTest, WronglySizedFilesAreDeletedAndDefaultsUsed) {
  for (std::size_t size : {17475U, 17477U}) {
    {
      std::vector<char> bytes(size, 0);
      std::ofstream(BesideExecutable(), std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(size));
    }
    Start();
    EXPECT_FALSE(std::filesystem::exists(BesideExecutable())) << size;
    EXPECT_EQ(App().params.displayId, ID_DISPLAY_SCROLL2);
    EXPECT_EQ(App().params.fftSize, 0);
    EXPECT_EQ(Window().Caption(), "Sonavue 16");
    SendCommand(IDM_EXIT);
    EXPECT_EQ(std::filesystem::file_size(BesideExecutable()), 17476U);
    std::filesystem::remove(BesideExecutable());
  }
}

TEST_F(SettingsTest, AGarbageFileOfTheRightSizeStillStarts) {
  {
    std::vector<char> bytes(17476, '\xff');
    std::ofstream(BesideExecutable(), std::ios::binary).write(bytes.data(), 17476);
  }
  Start();
  EXPECT_EQ(Window().Caption(), "Sonavue 16");
  EXPECT_EQ(App().params.displayId, ID_DISPLAY_SCROLL2);
  EXPECT_EQ(App().params.wayOfWorking, 1);
  EXPECT_GE(Window().WindowRect().w, 1);
}

TEST_F(SettingsTest, AnUnwritableExecutableFolderFallsBackToTheConfigurationFolder) {
  // A plain file where the executable's folder should be: nothing goes inside.
  std::ofstream(*folders_ / "blocked") << "x";
  environment_.executableFolder = *folders_ / "blocked";
  Start();
  SendCommand(IDM_CONTROLS_MANUAL);
  SendCommand(IDM_EXIT);
  EXPECT_EQ(std::filesystem::file_size(environment_.configFolder / "sonv16.ini"), 17476U);

  Restart();
  EXPECT_EQ(App().params.analysisControls, IDM_CONTROLS_MANUAL);
}

TEST_F(SettingsTest, WithNoOtherPlaceTheWorkingFolderTakesTheSettings) {
  std::ofstream(*folders_ / "blocked") << "x";
  environment_.executableFolder = *folders_ / "blocked";
  environment_.configFolder = *folders_ / "blocked" / "config";
  Start();
  SendCommand(IDM_EXIT);
  EXPECT_EQ(std::filesystem::file_size(environment_.cacheFolder / "sonavue" / "sonv16.ini"), 17476U);
}

TEST_F(SettingsTest, RestoreAfterFailureBringsBackTheParametersOfTheLastClose) {
  Start();
  App().params.displayId = ID_DISPLAY_SCROLL1;
  App().params.frequencyScaleId = ID_SCALE_LOG;
  App().params.scan.highBandHz = 8000;
  SendCommand(IDM_EXIT);

  Restart();
  // The run that fails changed things.
  App().params.displayId = ID_DISPLAY_SCOPE2;
  App().params.frequencyScaleId = ID_SCALE_OCT3;
  App().params.highBandHz = 20000;
  App().params.wayOfWorking = 9;
  ASSERT_TRUE(App().display.Allocate(100, 100));
  EnterRunningMenuState(App());
  RestoreAfterFailure(App());
  EXPECT_TRUE(App().display.IsNull());
  EXPECT_EQ(App().params.displayId, ID_DISPLAY_SCROLL1);
  EXPECT_EQ(App().params.frequencyScaleId, ID_SCALE_LOG);
  EXPECT_EQ(App().params.highBandHz, 8000);
  EXPECT_EQ(App().params.wayOfWorking, 1);
  EXPECT_FALSE(App().frame.running);
  EXPECT_TRUE(MenuEnabled(IDM_ANALYZE_FILE));
}

TEST_F(SettingsTest, RestoreAfterFailurePutsBackThePaletteColoursAndFreesTheColumnLevels) {
  Start();
  App().params.paletteId = ID_PALETTE_BW;
  SendCommand(IDM_EXIT);

  Restart();
  // The failed run showed the CB colours and kept column levels.
  App().params.paletteId = ID_PALETTE_CB;
  App().render.current = App().render.cb;
  render::FillPaletteEntries(App().render.current, App().colors);
  App().analysis.totalLevels[0].assign(500, 60.0F);
  App().render.view.levelTraceLeft.assign(500, 60.0F);
  RestoreAfterFailure(App());
  EXPECT_EQ(App().params.paletteId, ID_PALETTE_BW);
  platform::ColorTable bw{};
  render::FillPaletteEntries(App().render.bw, bw);
  EXPECT_EQ(App().colors, bw);
  EXPECT_TRUE(App().analysis.totalLevels[0].empty());
  EXPECT_TRUE(App().render.view.levelTraceLeft.empty());
}

TEST_F(SettingsTest, ThePerceptualPaletteSurvivesARestartInAFileOfTheSameSize) {
  Start();
  App().params.paletteId = ID_PALETTE_PERCEPTUAL;
  SendCommand(IDM_EXIT);
  const auto bytes = ReadAll(BesideExecutable());
  ASSERT_EQ(bytes.size(), 17476U);
  EXPECT_EQ(Int32At(bytes, 824), ID_PALETTE_PERCEPTUAL);

  Restart();
  EXPECT_EQ(App().params.paletteId, ID_PALETTE_PERCEPTUAL);
  EXPECT_EQ(App().render.current, render::kPerceptualColors);
  platform::ColorTable expected{};
  render::FillPaletteEntries(render::kPerceptualColors, expected);
  EXPECT_EQ(App().colors, expected);
}

TEST_F(SettingsTest, RestoreWithoutASettingsFileUsesSafeValues) {
  Start();
  App().params.displayId = ID_DISPLAY_SCOPE2;
  App().params.gainDb = 20;
  App().frame.grid = true;
  RestoreAfterFailure(App());
  EXPECT_EQ(App().params.displayId, ID_DISPLAY_SCROLL1);
  EXPECT_EQ(App().params.fftSize, 512);
  EXPECT_EQ(App().params.gainDb, 0);
  EXPECT_EQ(App().params.sonogramLevelMax, 90);
  EXPECT_EQ(App().params.scopeLevelMin, -60);
  EXPECT_FALSE(App().frame.grid);
}

}  // namespace
}  // namespace sonavue::app
