#include "dialogs/ParameterDialogModel.h"

#include <gtest/gtest.h>

namespace sonavue::dialogs {
namespace {

using A = ScrollAction;
using M = DialogMember;

// A window whose plot has 1000 columns (10 s → 10 ms a column), 460
// sonogram rows and 400 scope points.
DialogGeometry TestGeometry() {
  DialogGeometry g;
  g.displayWidth = 1010;
  g.leftMargin = 10;
  g.sonogramRows = 460;
  g.scopePoints = 400;
  return g;
}

class ParameterDialogModelTest : public ::testing::Test {
 protected:
  DialogSetup Setup() const {
    DialogSetup s;
    s.params = params;
    s.geometry = TestGeometry();
    s.fileRateHz = fileRateHz;
    s.fileChannels = fileChannels;
    s.beginS = beginS;
    s.endS = endS;
    s.multiplier = multiplier;
    s.fileMultiplier = fileMultiplier;
    return s;
  }
  ParameterDialogModel Open(M member) const { return ParameterDialogModel(member, Setup()); }

  static std::string Text(const ParameterDialogModel& m, int id) { return m.State(id).text; }
  static bool Checked(const ParameterDialogModel& m, int id) { return m.State(id).checked; }
  static bool Enabled(const ParameterDialogModel& m, int id) { return m.State(id).enabled; }

  app::CurrentParameters params;
  std::int32_t fileRateHz = 48000;
  int fileChannels = 1;
  float beginS = 0.0F;
  float endS = 30.0F;
  int multiplier = 1;
  int fileMultiplier = 1;
};

// ---- Which controls each member has ----

TEST_F(ParameterDialogModelTest, TheManualScanInputDialogHasEveryControlButFileAndUltrasound) {
  const auto m = Open(M::ScanInputManual);
  EXPECT_EQ(m.ResourceId(), 103);
  EXPECT_STREQ(m.Title(), "Scan Input");
  for (int id : {1165, 1168, 1013, 1014, 1250, 1251, 1089, 1091, 1197, 1200, 1178, 1181, 1218,
                 1220, 1127, 1235, 1005, 1237, 1007, 1046, 1048, 1076, 1078, 1082, 1087, 1066,
                 1029, 1233, 1059, 1234, 1057, 1215, 1216, 1123, 1126, 1109, 1110, 1124, 1054,
                 1055, 1025, 1026, 1027}) {
    EXPECT_TRUE(m.Has(id)) << id;
  }
  for (int id : {1236, 1128, 1002, 1004, 1229, 1231, 1060, 1061}) EXPECT_FALSE(m.Has(id)) << id;
}

TEST_F(ParameterDialogModelTest, TheAutomaticScanInputDialogLacksTheManualControls) {
  const auto m = Open(M::ScanInputAutomatic);
  EXPECT_EQ(m.ResourceId(), 167);
  for (int id : {1218, 1127, 1235, 1237, 1005, 1082, 1066, 1029, 1215, 1216, 1126}) {
    EXPECT_FALSE(m.Has(id)) << id;
  }
  for (int id : {1236, 1123, 1128, 1165, 1013, 1250, 1109, 1054, 1199, 1078, 1181}) {
    EXPECT_TRUE(m.Has(id)) << id;
  }
}

TEST_F(ParameterDialogModelTest, TheScanFileDialogsHaveBeginAndEndInsteadOfTheInputControls) {
  for (M member : {M::ScanFileManual, M::ScanFileAutomatic}) {
    const auto m = Open(member);
    EXPECT_STREQ(m.Title(), "Scan File");
    for (int id : {1165, 1013, 1014, 1250, 1109, 1124, 1054}) EXPECT_FALSE(m.Has(id)) << id;
    for (int id : {1002, 1004, 1089, 1199, 1078, 1178}) EXPECT_TRUE(m.Has(id)) << id;
  }
  EXPECT_TRUE(Open(M::ScanFileManual).Has(1235));
  EXPECT_FALSE(Open(M::ScanFileAutomatic).Has(1235));
  EXPECT_TRUE(Open(M::ScanFileAutomatic).Has(1236));
}

TEST_F(ParameterDialogModelTest, TheAnalyzeDialogsShowOnlySonogramsAndLinearOrLog) {
  const auto manual = Open(M::AnalyzeManual);
  EXPECT_STREQ(manual.Title(), "Analyze");
  for (int id : {1197, 1198, 1076, 1077, 1002, 1004, 1218, 1235, 1082, 1066, 1215, 1126, 1089}) {
    EXPECT_TRUE(manual.Has(id)) << id;
  }
  for (int id : {1199, 1200, 1078, 1178, 1181, 1165, 1013, 1109, 1236, 1128, 1229}) {
    EXPECT_FALSE(manual.Has(id)) << id;
  }
  const auto automatic = Open(M::AnalyzeAutomatic);
  for (int id : {1236, 1128, 1076, 1077, 1233, 1234}) EXPECT_TRUE(automatic.Has(id)) << id;
  for (int id : {1078, 1199, 1235, 1218, 1066, 1229, 1060}) EXPECT_FALSE(automatic.Has(id)) << id;

  const auto ultrasound = Open(M::AnalyzeUltrasound);
  for (int id : {1229, 1230, 1231, 1060, 1061, 1236, 1128}) EXPECT_TRUE(ultrasound.Has(id)) << id;
  for (int id : {1076, 1077, 1078}) EXPECT_FALSE(ultrasound.Has(id)) << id;
}

// ---- Opening ----

TEST_F(ParameterDialogModelTest, ADialogAlwaysOpensWithRecordingOff) {
  params.recordingId = app::ID_RECORDING_TRIGGER;
  const auto m = Open(M::ScanInputManual);
  EXPECT_TRUE(Checked(m, 1109));
  EXPECT_FALSE(Enabled(m, 1054));
  EXPECT_EQ(Text(m, 1055), "");
  EXPECT_FALSE(Enabled(m, 1055));
}

TEST_F(ParameterDialogModelTest, OpeningRaisesAResolutionBelowOneBinAndFindsItsPosition) {
  params.fftSize = 0;
  params.resolutionHz = 0.0F;
  const auto m = Open(M::ScanInputManual);
  EXPECT_EQ(m.Values().fftSize, 512);
  EXPECT_FLOAT_EQ(m.Values().resolutionHz, 93.75F);
  EXPECT_EQ(m.State(1066).value, 10);
  EXPECT_TRUE(Checked(m, 1082));
  EXPECT_EQ(Text(m, 1029), "93.8");
}

TEST_F(ParameterDialogModelTest, OpeningFindsThePositionOfTheStoredResolution) {
  params.fftSize = 4096;
  params.resolutionHz = 20.0F;
  const auto m = Open(M::ScanInputManual);
  EXPECT_EQ(m.State(1066).value, 17);
  EXPECT_TRUE(Checked(m, 1085));
  EXPECT_EQ(Text(m, 1029), "20.0");
}

TEST_F(ParameterDialogModelTest, ABandAboveHalfTheFileRateOpensAsTheWholeBand) {
  fileRateHz = 8000;
  params.lowBandHz = 100;
  params.highBandHz = 6000;
  const auto m = Open(M::ScanFileManual);
  EXPECT_EQ(m.Values().lowHz, 0);
  EXPECT_EQ(m.Values().highHz, 4000);
  EXPECT_EQ(m.State(1233).maximum, 4000);
}

TEST_F(ParameterDialogModelTest, TheLogScaleOpensWithLowIn20To1000AndHighFixed) {
  params.displayId = app::ID_DISPLAY_SCOPE1;
  params.frequencyScaleId = app::ID_SCALE_LOG;
  params.lowBandHz = 5;
  params.highBandHz = 6000;
  const auto m = Open(M::ScanInputManual);
  EXPECT_EQ(m.Values().lowHz, 20);
  EXPECT_EQ(m.Values().highHz, 24000);
  EXPECT_FALSE(Enabled(m, 1233));
  EXPECT_EQ(m.State(1234).minimum, 20);
  EXPECT_EQ(m.State(1234).maximum, 1000);
}

TEST_F(ParameterDialogModelTest, TheEditsShowWhatWasStored) {
  params.displayWidthS = 2.5F;
  params.cursorFrequencyOffsetHz = -150;
  params.sonogramLevelMax = 100;
  params.sonogramLevelMin = 40;
  const auto m = Open(M::ScanInputManual);
  EXPECT_EQ(Text(m, 1123), "2.500");
  EXPECT_EQ(Text(m, 1126), "-150");
  // Relative levels without SPL calibration.
  EXPECT_EQ(Text(m, 1005), "10");
  EXPECT_EQ(Text(m, 1007), "-50");
  EXPECT_EQ(m.State(1235).value, 160);
  EXPECT_EQ(m.State(1237).value, 100);
  EXPECT_EQ(Text(m, 1059), "6000");
  EXPECT_EQ(Text(m, 1057), "0");
}

TEST_F(ParameterDialogModelTest, ScopeDisplaysOpenWithTheScopeLimitsAndOct3Enabled) {
  params.displayId = app::ID_DISPLAY_SCOPE2;
  params.scopeLevelMax = 110;
  params.scopeLevelMin = -20;
  const auto m = Open(M::ScanInputManual);
  EXPECT_EQ(m.Values().levelMax, 110);
  EXPECT_EQ(m.Values().levelMin, -20);
  EXPECT_TRUE(Enabled(m, 1078));
  EXPECT_FALSE(Enabled(m, 1215));
  EXPECT_FALSE(Enabled(m, 1123));
}

TEST_F(ParameterDialogModelTest, TheAutomaticDialogsStartOffsetAndScrollAveragingAfresh) {
  params.cursorFrequencyOffsetHz = 300;
  params.averagingScrollMs = 500;
  params.averagingScopeMs = 700;
  for (M member : {M::ScanInputAutomatic, M::ScanFileAutomatic, M::AnalyzeAutomatic,
                   M::AnalyzeUltrasound}) {
    auto m = Open(member);
    app::CurrentParameters written = params;
    m.Commit(written);
    EXPECT_EQ(written.cursorFrequencyOffsetHz, 0) << static_cast<int>(member);
    EXPECT_EQ(written.averagingScrollMs, 0) << static_cast<int>(member);
    EXPECT_EQ(written.averagingScopeMs, member == M::ScanInputAutomatic ? 200 : 700)
        << static_cast<int>(member);
  }
  // The manual dialogs keep them.
  auto manual = Open(M::ScanInputManual);
  app::CurrentParameters written = params;
  manual.Commit(written);
  EXPECT_EQ(written.cursorFrequencyOffsetHz, 300);
}

TEST_F(ParameterDialogModelTest, ScanInputOpensOnTheStandardRateOfTheLastRun) {
  params.sampleRateHz = 32000;
  const auto m = Open(M::ScanInputManual);
  EXPECT_TRUE(Checked(m, 1166));
  EXPECT_EQ(m.Values().rateHz, 44100);
}

TEST_F(ParameterDialogModelTest, AnInconsistentStoredResolutionIsWorkedOutAnew) {
  app::CurrentParameters p;
  p.fftSize = 0;
  p.resolutionHz = 0.0F;
  SettleResolution(p, 48000, TestGeometry(), false);
  EXPECT_NEAR(p.resolutionHz, 13.043F, 1e-3F);  // 6000 Hz over 460 rows
  EXPECT_EQ(p.fftSize, 4096);

  // 200 Hz is more than ten bins of 4096 points (117 Hz).
  p.resolutionHz = 200.0F;
  SettleResolution(p, 48000, TestGeometry(), false);
  EXPECT_NEAR(p.resolutionHz, 13.043F, 1e-3F);

  // One to ten bins is left alone, even when the rule would choose otherwise.
  p.fftSize = 8192;
  p.resolutionHz = 50.0F;
  SettleResolution(p, 48000, TestGeometry(), false);
  EXPECT_EQ(p.fftSize, 8192);
  EXPECT_FLOAT_EQ(p.resolutionHz, 50.0F);
}

TEST_F(ParameterDialogModelTest, ScopeDisplaysSettleTheResolutionOverTheScopePoints) {
  app::CurrentParameters p;
  p.displayId = app::ID_DISPLAY_SCOPE1;
  p.fftSize = 0;
  SettleResolution(p, 48000, TestGeometry(), false);
  EXPECT_FLOAT_EQ(p.resolutionHz, 15.0F);  // 6000 Hz over 400 points
  EXPECT_EQ(p.fftSize, 4096);
}

// ---- Level bars ----

TEST_F(ParameterDialogModelTest, DraggingMinTo80WithMax90PushesMaxTo110) {
  auto m = Open(M::ScanInputManual);
  m.Scroll(1237, A::Thumb, 140);
  EXPECT_EQ(m.State(1237).value, 140);
  EXPECT_EQ(m.State(1235).value, 170);
  EXPECT_EQ(Text(m, 1007), "-10");
  EXPECT_EQ(Text(m, 1005), "20");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.sonogramLevelMin, 80);
  EXPECT_EQ(written.sonogramLevelMax, 110);
  EXPECT_EQ(written.scopeLevelMax, 90);
}

TEST_F(ParameterDialogModelTest, SplCalibratedLevelsAreShownAsTheyAre) {
  params.splCalibrated = true;
  params.sonogramLevelMax = 120;
  params.sonogramLevelMin = 30;
  const auto m = Open(M::ScanInputManual);
  EXPECT_EQ(Text(m, 1005), "120");
  EXPECT_EQ(Text(m, 1007), "30");
}

TEST_F(ParameterDialogModelTest, CancelAfterMovingTheLevelBarsLeavesTheStoredLimits) {
  params.sonogramLevelMax = 100;
  params.sonogramLevelMin = 20;
  params.scopeLevelMax = 110;
  params.scopeLevelMin = -20;
  auto m = Open(M::ScanInputManual);
  // Max dragged below −30 stops there and pushes Min to −60; Min stepped up to
  // −50 pushes Max to −20. The scope's Max then steps down to 100.
  m.Scroll(1235, A::Thumb, 20);
  m.Scroll(1237, A::LineUp);
  m.Click(app::ID_DISPLAY_SCOPE1);
  m.Scroll(1235, A::LineDown);
  // OK would store the moved limits.
  auto ok = m;
  app::CurrentParameters committed = params;
  ok.Commit(committed);
  EXPECT_EQ(committed.sonogramLevelMax, -20);
  EXPECT_EQ(committed.sonogramLevelMin, -50);
  EXPECT_EQ(committed.scopeLevelMax, 100);
  EXPECT_EQ(committed.scopeLevelMin, -20);

  // Cancel stores none of it: neither the limits nor the display chosen.
  app::CurrentParameters target = params;
  m.Cancel(target);
  EXPECT_EQ(target.sonogramLevelMax, 100);
  EXPECT_EQ(target.sonogramLevelMin, 20);
  EXPECT_EQ(target.scopeLevelMax, 110);
  EXPECT_EQ(target.scopeLevelMin, -20);
  EXPECT_EQ(target.displayId, params.displayId);
  // Limits changed in the record while the dialog was open are put back as
  // the dialog opened with them.
  app::CurrentParameters changed = committed;
  m.Cancel(changed);
  EXPECT_EQ(changed.sonogramLevelMax, 100);
  EXPECT_EQ(changed.sonogramLevelMin, 20);
  EXPECT_EQ(changed.scopeLevelMax, 110);
  EXPECT_EQ(changed.scopeLevelMin, -20);
}

// ---- Display radio ----

TEST_F(ParameterDialogModelTest, ChoosingScroll1WhileOct3SwitchesToLog) {
  params.displayId = app::ID_DISPLAY_SCOPE1;
  params.frequencyScaleId = app::ID_SCALE_OCT3;
  auto m = Open(M::ScanInputManual);
  ASSERT_TRUE(Checked(m, 1078));
  m.Click(app::ID_DISPLAY_SCROLL1);
  EXPECT_TRUE(Checked(m, 1077));
  EXPECT_FALSE(Checked(m, 1078));
  EXPECT_FALSE(Enabled(m, 1078));
  // A disabled radio does nothing.
  m.Click(app::ID_SCALE_OCT3);
  EXPECT_TRUE(Checked(m, 1077));
}

TEST_F(ParameterDialogModelTest, EachDisplayTypeKeepsItsOwnLevelsAndAveraging) {
  auto m = Open(M::ScanInputManual);  // Scroll 2, sonogram 90/0, scope 90/−30
  m.Scroll(1235, A::LineUp);          // sonogram max 100
  m.Click(app::ID_DISPLAY_SCOPE1);
  EXPECT_EQ(m.Values().levelMax, 90);
  EXPECT_EQ(m.Values().levelMin, -30);
  EXPECT_TRUE(Checked(m, 1219));
  EXPECT_EQ(Text(m, 1127), "200");
  EXPECT_TRUE(Enabled(m, 1078));
  m.SetText(1127, "350");
  m.Click(app::ID_DISPLAY_SCROLL2);
  EXPECT_EQ(m.Values().levelMax, 100);
  EXPECT_TRUE(Checked(m, 1218));
  EXPECT_EQ(Text(m, 1127), "");
  EXPECT_FALSE(Enabled(m, 1127));
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.sonogramLevelMax, 100);
  EXPECT_EQ(written.scopeLevelMin, -30);
  EXPECT_EQ(written.averagingScopeMs, 350);
  EXPECT_EQ(written.averagingScrollMs, 0);
  EXPECT_EQ(written.averagingId, app::ID_AVERAGING_OFF);
}

// ---- Averaging ----

TEST_F(ParameterDialogModelTest, AnAveragingOfPoint25SecondsStores250Milliseconds) {
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_AVERAGING_SEC);
  EXPECT_TRUE(Enabled(m, 1127));
  m.SetText(1127, "0.25");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.averagingId, app::ID_AVERAGING_SEC);
  EXPECT_EQ(written.averagingScrollMs, 250);
}

TEST_F(ParameterDialogModelTest, TheAveragingTimeCarriesOverBetweenUnits) {
  params.displayId = app::ID_DISPLAY_SCOPE1;
  params.averagingId = app::ID_AVERAGING_MSEC;
  params.averagingScopeMs = 200;
  auto m = Open(M::ScanInputManual);
  EXPECT_EQ(Text(m, 1127), "200");
  m.SetText(1127, "500");
  m.Click(app::ID_AVERAGING_SEC);
  EXPECT_EQ(Text(m, 1127), "0.500");
  m.Click(app::ID_AVERAGING_OFF);
  EXPECT_EQ(Text(m, 1127), "");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.averagingScopeMs, 0);
}

TEST_F(ParameterDialogModelTest, AnAveragingEntryThatIsNoNumberMeansNoAveraging) {
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_AVERAGING_MSEC);
  m.SetText(1127, "abc");
  app::CurrentParameters written = params;
  written.averagingScrollMs = 77;
  m.Commit(written);
  EXPECT_EQ(written.averagingScrollMs, 0);
}

// ---- Display width ----

TEST_F(ParameterDialogModelTest, SwitchingTheWidthUnitReadsTheEditInTheOldUnit) {
  auto m = Open(M::ScanInputManual);
  EXPECT_EQ(Text(m, 1123), "10.000");
  m.Click(app::ID_WIDTH_MIN);
  EXPECT_EQ(Text(m, 1123), "0.167");
  m.SetText(1123, "2");
  m.Click(app::ID_WIDTH_SEC);
  EXPECT_EQ(Text(m, 1123), "120.000");
  m.SetText(1123, "30");
  m.Click(app::ID_WIDTH_MIN);
  EXPECT_EQ(Text(m, 1123), "0.500");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_FLOAT_EQ(written.displayWidthS, 30.0F);
  EXPECT_EQ(written.widthUnitId, app::ID_WIDTH_MIN);
  EXPECT_FLOAT_EQ(written.timePerColumnMs, 30.0F);  // 30 s over 1000 columns
}

TEST_F(ParameterDialogModelTest, AWidthOfZeroOrNoNumberBecomesTenSeconds) {
  for (const char* text : {"0", "-4", "wide"}) {
    auto m = Open(M::ScanInputManual);
    m.SetText(1123, text);
    app::CurrentParameters written = params;
    written.displayWidthS = 3.0F;
    m.Commit(written);
    EXPECT_FLOAT_EQ(written.displayWidthS, 10.0F) << text;
  }
}

TEST_F(ParameterDialogModelTest, OnlyTheFirstSevenCharactersOfTheWidthCount) {
  auto m = Open(M::ScanInputManual);
  m.SetText(1123, "12.3456789");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_FLOAT_EQ(written.displayWidthS, 12.3456F);
}

TEST_F(ParameterDialogModelTest, StereoDualColumnsTakeTwiceAsLong) {
  params.typeId = app::ID_TYPE_STEREO;
  auto m = Open(M::ScanInputManual);
  EXPECT_NEAR(m.Values().timePerColumnMs, 20.202F, 1e-3F);
  m.Click(app::ID_CHANNELS_LEFT);
  EXPECT_FLOAT_EQ(m.Values().timePerColumnMs, 10.0F);
  m.Click(app::ID_TYPE_MONO);
  m.Click(app::ID_CHANNELS_DUAL);  // disabled for mono: ignored
  EXPECT_FLOAT_EQ(m.Values().timePerColumnMs, 10.0F);
}

// ---- Type, channels, plot type ----

TEST_F(ParameterDialogModelTest, MonoClearsAndDisablesTheChannelRadios) {
  auto m = Open(M::ScanInputManual);
  for (int id : {1089, 1090, 1091}) {
    EXPECT_FALSE(Checked(m, id));
    EXPECT_FALSE(Enabled(m, id));
  }
  m.Click(app::ID_TYPE_STEREO);
  EXPECT_TRUE(Checked(m, 1089));
  EXPECT_TRUE(Enabled(m, 1090));
}

TEST_F(ParameterDialogModelTest, TheDeltaPlotNeedsStereoScope1AndDual) {
  params.typeId = app::ID_TYPE_STEREO;
  params.displayId = app::ID_DISPLAY_SCOPE1;
  auto m = Open(M::ScanInputManual);
  EXPECT_TRUE(Enabled(m, 1181));
  m.Click(app::ID_PLOT_DELTA);
  EXPECT_TRUE(Checked(m, 1181));
  m.Click(app::ID_CHANNELS_RIGHT);
  EXPECT_FALSE(Enabled(m, 1181));
  EXPECT_TRUE(Checked(m, 1178));

  m.Click(app::ID_CHANNELS_DUAL);
  m.Click(app::ID_PLOT_DELTA);
  m.Click(app::ID_DISPLAY_SCOPE2);
  EXPECT_TRUE(Checked(m, 1178));
  m.Click(app::ID_DISPLAY_SCOPE1);
  m.Click(app::ID_PLOT_DELTA);
  m.Click(app::ID_TYPE_MONO);
  EXPECT_TRUE(Checked(m, 1178));
  EXPECT_FALSE(Enabled(m, 1181));
}

TEST_F(ParameterDialogModelTest, AStoredDeltaPlotOpensAsSignalWhereItDoesNotApply) {
  params.plotTypeId = app::ID_PLOT_DELTA;
  const auto m = Open(M::ScanInputManual);  // mono
  EXPECT_TRUE(Checked(m, 1178));
}

// ---- Resolution ----

TEST_F(ParameterDialogModelTest, TwentyHertzAt48000GivesFourThousandPoints) {
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_SCALE_LOG);
  EXPECT_FLOAT_EQ(m.Values().resolutionHz, 20.0F);
  EXPECT_EQ(m.Values().fftSize, 4096);
  EXPECT_TRUE(Checked(m, 1085));
  EXPECT_EQ(m.State(1066).value, 17);
  EXPECT_EQ(Text(m, 1029), "20.0");
}

TEST_F(ParameterDialogModelTest, AnFftRadioKeepsThePositionAndRecomputesTheResolution) {
  params.fftSize = 4096;
  params.resolutionHz = 20.0F;
  auto m = Open(M::ScanInputManual);  // p = 17
  m.Click(IDC_FFT_1024);
  EXPECT_EQ(m.Values().fftSize, 1024);
  EXPECT_EQ(m.State(1066).value, 17);
  EXPECT_FLOAT_EQ(m.Values().resolutionHz, 79.6875F);  // 1.7 bins of 46.875 Hz
}

TEST_F(ParameterDialogModelTest, TheResolutionBarMovesInTenthsOfABin) {
  params.fftSize = 4096;
  params.resolutionHz = 20.0F;
  auto m = Open(M::ScanInputManual);
  m.Scroll(1066, A::LineUp);
  EXPECT_FLOAT_EQ(m.Values().resolutionHz, 21.09375F);
  EXPECT_EQ(Text(m, 1029), "21.1");
  m.Scroll(1066, A::Thumb, 10);
  EXPECT_FLOAT_EQ(m.Values().resolutionHz, 11.71875F);
  m.Scroll(1066, A::PageDown);
  EXPECT_EQ(m.State(1066).value, 10);
}

TEST_F(ParameterDialogModelTest, TheLinearScaleWorksOutTheResolutionFromBandAndColumns) {
  params.frequencyScaleId = app::ID_SCALE_LOG;
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_SCALE_LINEAR);
  EXPECT_EQ(m.Values().lowHz, 0);
  EXPECT_EQ(m.Values().highHz, 6000);
  EXPECT_TRUE(Enabled(m, 1233));
  // 6000 Hz over 460 rows is 13.04 Hz (finer than 1000 / (12 × 10 ms) = 8.3):
  // 4096 points (bins of 11.7 Hz) and 1.1 bins.
  EXPECT_NEAR(m.Values().resolutionHz, 13.043F, 1e-3F);
  EXPECT_EQ(m.Values().fftSize, 4096);
  EXPECT_EQ(m.State(1066).value, 11);
}

TEST_F(ParameterDialogModelTest, TheManualDialogsLeaveTheResolutionWhenTheBandMoves) {
  auto m = Open(M::ScanInputManual);
  const float before = m.Values().resolutionHz;
  m.Scroll(1233, A::Thumb, 12000);
  EXPECT_EQ(m.Values().highHz, 12000);
  EXPECT_FLOAT_EQ(m.Values().resolutionHz, before);
}

TEST_F(ParameterDialogModelTest, TheAutomaticDialogsWorkTheResolutionOutWhenTheBandMoves) {
  auto m = Open(M::ScanInputAutomatic);
  m.Scroll(1233, A::Thumb, 12000);
  // 12000 Hz over 460 rows: 26.09 Hz, 2048 points (bins of 23.4 Hz).
  EXPECT_NEAR(m.Values().resolutionHz, 26.087F, 1e-3F);
  EXPECT_EQ(m.Values().fftSize, 2048);
  EXPECT_EQ(Text(m, 1128), "26.1");
  EXPECT_TRUE(m.State(1128).readOnly);
}

TEST_F(ParameterDialogModelTest, TheAutomaticWidthBarSetsWidthColumnsAndResolution) {
  params.highBandHz = 1000;
  auto m = Open(M::ScanInputAutomatic);
  EXPECT_EQ(m.State(1236).value, 100);
  EXPECT_EQ(Text(m, 1123), "10.000");
  m.Scroll(1236, A::LineUp);
  EXPECT_EQ(Text(m, 1123), "10.100");
  EXPECT_FLOAT_EQ(m.Values().timePerColumnMs, 10.1F);
  m.Scroll(1236, A::Thumb, 200);
  EXPECT_FLOAT_EQ(m.Values().widthS, 20.0F);
  // A narrow band: the column term rules, 1000 / (12 × 20 ms) = 4.17 Hz,
  // 16384 points.
  EXPECT_NEAR(m.Values().resolutionHz, 4.1667F, 1e-3F);
  EXPECT_EQ(m.Values().fftSize, 16384);
  m.Scroll(1236, A::Thumb, 5000);
  EXPECT_FLOAT_EQ(m.Values().widthS, 60.0F);
}

// ---- Band limits ----

TEST_F(ParameterDialogModelTest, At22050HzTheBandStaysBelowHalfTheRate) {
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_RATE_22K);
  EXPECT_EQ(m.State(1233).maximum, 11025);
  EXPECT_EQ(m.State(1234).maximum, 11025);
  m.Scroll(1233, A::Thumb, 11025);
  m.Scroll(1233, A::LineUp);
  m.Scroll(1233, A::LineUp);
  EXPECT_EQ(m.Values().highHz, 11025);
  m.Scroll(1234, A::Thumb, 11025);
  m.Scroll(1234, A::PageUp);
  EXPECT_EQ(m.Values().lowHz, 10525);
  EXPECT_EQ(Text(m, 1057), "10525");
  EXPECT_EQ(Text(m, 1059), "11025");
}

TEST_F(ParameterDialogModelTest, TheRateRadioLowersHighToHalfTheRate) {
  params.highBandHz = 20000;
  params.lowBandHz = 300;
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_RATE_22K);
  EXPECT_EQ(m.Values().rateHz, 22050);
  EXPECT_EQ(m.Values().lowHz, 0);
  EXPECT_EQ(m.Values().highHz, 11025);
  m.Click(app::ID_RATE_96K);
  EXPECT_EQ(m.Values().highHz, 11025);
  EXPECT_EQ(m.State(1233).maximum, 48000);
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.sampleRateHz, 96000);
  EXPECT_EQ(written.sampleRateId, app::ID_RATE_96K);
}

TEST_F(ParameterDialogModelTest, TheLogScaleFixesHighAndDisablesItsBar) {
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_SCALE_LOG);
  EXPECT_EQ(m.Values().lowHz, 20);
  EXPECT_EQ(m.Values().highHz, 24000);
  EXPECT_FALSE(Enabled(m, 1233));
  m.Scroll(1233, A::LineDown);  // disabled: nothing happens
  EXPECT_EQ(m.Values().highHz, 24000);
  m.Click(app::ID_RATE_44K);
  EXPECT_EQ(m.Values().highHz, 22050);
  EXPECT_EQ(m.Values().lowHz, 20);
}

TEST_F(ParameterDialogModelTest, LinearOnASlowFileStopsAtHalfItsRate) {
  fileRateHz = 8000;
  params.frequencyScaleId = app::ID_SCALE_LOG;
  params.displayId = app::ID_DISPLAY_SCROLL1;
  auto m = Open(M::AnalyzeManual);
  m.Click(app::ID_SCALE_LINEAR);
  EXPECT_EQ(m.Values().highHz, 4000);
}

// ---- Recording and trigger ----

TEST_F(ParameterDialogModelTest, TheTriggerLevelWorksOnlyWithTrigger) {
  auto m = Open(M::ScanInputManual);
  m.Scroll(1054, A::LineUp);
  EXPECT_EQ(m.Values().triggerLevel, 90);
  m.Click(app::ID_RECORDING_TRIGGER);
  EXPECT_TRUE(Enabled(m, 1054));
  EXPECT_EQ(Text(m, 1055), "0");
  m.Scroll(1054, A::PageUp);
  EXPECT_EQ(Text(m, 1055), "10");
  // OK now stores "Trigger" as its identifier, with the level chosen.
  auto ok = m;
  app::CurrentParameters withTrigger = params;
  ok.Commit(withTrigger);
  EXPECT_EQ(withTrigger.recordingId, 1124);
  EXPECT_EQ(ok.Values().triggerLevel, 100);
  m.Click(app::ID_RECORDING_ON);
  EXPECT_FALSE(Enabled(m, 1054));
  EXPECT_EQ(Text(m, 1055), "");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.recordingId, app::ID_RECORDING_ON);
  EXPECT_EQ(m.Values().triggerLevel, 100);
}

// ---- OK ----

TEST_F(ParameterDialogModelTest, OkWritesTheInputChoicesOfScanInput) {
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_BITS_24);
  m.Click(app::ID_TYPE_STEREO);
  m.Click(app::ID_CHANNELS_RIGHT);
  m.Click(app::ID_PALETTE_USER);
  m.Click(app::ID_DISPLAY_SCROLL1);
  m.SetText(1126, "-250");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.resolutionId, app::ID_BITS_24);
  EXPECT_EQ(written.typeId, app::ID_TYPE_STEREO);
  EXPECT_EQ(written.channelsId, app::ID_CHANNELS_RIGHT);
  EXPECT_EQ(written.paletteId, app::ID_PALETTE_USER);
  EXPECT_EQ(written.displayId, app::ID_DISPLAY_SCROLL1);
  EXPECT_EQ(written.cursorFrequencyOffsetHz, -250);
}

TEST_F(ParameterDialogModelTest, ThePerceptualPaletteIsOfferedBesideTheOthersAndWritten) {
  params.paletteId = app::ID_PALETTE_PERCEPTUAL;
  auto m = Open(M::ScanInputManual);
  EXPECT_TRUE(m.State(app::ID_PALETTE_PERCEPTUAL).checked);
  EXPECT_TRUE(m.State(app::ID_PALETTE_PERCEPTUAL).enabled);
  EXPECT_FALSE(m.State(app::ID_PALETTE_CB).checked);
  m.Click(app::ID_PALETTE_BW);
  EXPECT_FALSE(m.State(app::ID_PALETTE_PERCEPTUAL).checked);
  m.Click(app::ID_PALETTE_PERCEPTUAL);
  app::CurrentParameters written = params;
  written.paletteId = app::ID_PALETTE_CB;
  m.Commit(written);
  EXPECT_EQ(written.paletteId, app::ID_PALETTE_PERCEPTUAL);
}

TEST_F(ParameterDialogModelTest, ThePreTriggerEditBelongsToScanInputAndToTheTrigger) {
  params.preTriggerS = 2.5F;
  auto m = Open(M::ScanInputAutomatic);
  ASSERT_TRUE(m.Has(IDC_EDIT_PRE_TRIGGER));
  EXPECT_EQ(Text(m, IDC_EDIT_PRE_TRIGGER), "2.5");
  m.Click(app::ID_RECORDING_ON);
  EXPECT_FALSE(Enabled(m, IDC_EDIT_PRE_TRIGGER));
  m.Click(app::ID_RECORDING_TRIGGER);
  EXPECT_TRUE(Enabled(m, IDC_EDIT_PRE_TRIGGER));
  for (const auto& [typed, kept] : {std::pair{"7.25", 7.25F}, std::pair{"12", 10.0F}, std::pair{"-3", 0.0F},
                                    std::pair{"soon", 0.0F}, std::pair{"0", 0.0F}}) {
    m.SetText(IDC_EDIT_PRE_TRIGGER, typed);
    app::CurrentParameters written = params;
    m.Commit(written);
    EXPECT_FLOAT_EQ(written.preTriggerS, kept) << typed;
  }
  m.SetText(IDC_EDIT_PRE_TRIGGER, "4");
  m.Reset();
  EXPECT_EQ(Text(m, IDC_EDIT_PRE_TRIGGER), "0.0");
  for (M member : {M::ScanFileManual, M::AnalyzeAutomatic}) {
    auto file = Open(member);
    EXPECT_FALSE(file.Has(IDC_EDIT_PRE_TRIGGER));
    app::CurrentParameters written = params;
    file.Commit(written);
    EXPECT_FLOAT_EQ(written.preTriggerS, 2.5F);  // a file dialog leaves it alone
  }
}

TEST_F(ParameterDialogModelTest, ScanFileOkReadsBeginAndEndAndLeavesTheRate) {
  fileRateHz = 44100;
  beginS = 0.0F;
  endS = 12.5F;
  auto m = Open(M::ScanFileManual);
  EXPECT_EQ(Text(m, 1002), "0.000");
  EXPECT_EQ(Text(m, 1004), "12.500");
  m.SetText(1002, "1.5");
  m.SetText(1004, "4.25");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_FLOAT_EQ(written.beginS, 1.5F);
  EXPECT_FLOAT_EQ(written.endS, 4.25F);
  EXPECT_EQ(written.sampleRateHz, 48000);
}

TEST_F(ParameterDialogModelTest, TheAutomaticAnalyzeOkTurnsAveragingOffAndWorksOutTheResolution) {
  params.averagingId = app::ID_AVERAGING_MSEC;
  params.fftSize = 16384;
  params.resolutionHz = 5.0F;
  auto m = Open(M::AnalyzeAutomatic);
  EXPECT_EQ(Text(m, 1128), "5.0");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.averagingId, app::ID_AVERAGING_OFF);
  EXPECT_NEAR(written.resolutionHz, 13.043F, 1e-3F);
  EXPECT_EQ(written.fftSize, 4096);
}

TEST_F(ParameterDialogModelTest, AScopeChoiceOpensTheAnalyzeDialogOnASonogram) {
  params.displayId = app::ID_DISPLAY_SCOPE2;
  params.frequencyScaleId = app::ID_SCALE_OCT3;
  const auto m = Open(M::AnalyzeManual);
  EXPECT_TRUE(Checked(m, 1198));
  EXPECT_TRUE(Checked(m, 1077));
  EXPECT_EQ(m.Values().levelMax, params.sonogramLevelMax);
}

// ---- Ultrasound ----

TEST_F(ParameterDialogModelTest, TimeExpansionDividesTimesAndMultipliesFrequencies) {
  params.ultrasoundId = app::ID_ULTRASOUND_TIME_EXP;
  fileRateHz = 44100;
  multiplier = 10;
  beginS = 2.0F;
  endS = 12.0F;
  auto m = Open(M::AnalyzeUltrasound);
  EXPECT_EQ(m.TimeFactor(), 10);
  EXPECT_EQ(Text(m, 1002), "0.200");
  EXPECT_EQ(Text(m, 1004), "1.200");
  EXPECT_EQ(Text(m, 1123), "1.000");
  EXPECT_EQ(Text(m, 1059), "60000");
  EXPECT_EQ(Text(m, 1061), "10");
  EXPECT_EQ(m.State(1060).value, 10);
  EXPECT_TRUE(Enabled(m, 1060));

  m.SetText(1002, "0.3");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_FLOAT_EQ(written.beginS, 3.0F);
  EXPECT_FLOAT_EQ(written.endS, 12.0F);
  EXPECT_EQ(written.frequencyMultiplier, 10);
  EXPECT_EQ(written.ultrasoundId, app::ID_ULTRASOUND_TIME_EXP);
}

TEST_F(ParameterDialogModelTest, ConversionOffKeepsTheMultiplierTheFilesRateImplies) {
  // A 192 kHz recording analysed at 48 kHz: its frequencies are 4 times
  // what the analysis sees, whatever the dialog's conversion choice.
  params.ultrasoundId = app::ID_ULTRASOUND_OFF;
  multiplier = 4;
  fileMultiplier = 4;
  auto m = Open(M::AnalyzeUltrasound);
  EXPECT_EQ(Text(m, 1061), "1");  // Off shows no multiplier of its own
  EXPECT_FALSE(Enabled(m, 1060));
  app::CurrentParameters written = params;
  written.frequencyMultiplier = 7;
  m.Commit(written);
  EXPECT_EQ(written.frequencyMultiplier, 4);
  EXPECT_EQ(written.ultrasoundId, app::ID_ULTRASOUND_OFF);
  // A file at an ordinary rate has none.
  fileMultiplier = 1;
  auto plain = Open(M::AnalyzeUltrasound);
  plain.Commit(written);
  EXPECT_EQ(written.frequencyMultiplier, 1);
}

TEST_F(ParameterDialogModelTest, TheResolutionIsShownTimesTheMultiplier) {
  params.ultrasoundId = app::ID_ULTRASOUND_FREQ_DIV;
  params.fftSize = 4096;
  params.resolutionHz = 20.0F;
  multiplier = 4;
  const auto m = Open(M::AnalyzeUltrasound);
  EXPECT_EQ(Text(m, 1128), "80.0");
  EXPECT_EQ(m.TimeFactor(), 1);
}

TEST_F(ParameterDialogModelTest, FrequencyDivisionLeavesTimesAsAnalysed) {
  params.ultrasoundId = app::ID_ULTRASOUND_TIME_EXP;
  multiplier = 10;
  beginS = 2.0F;
  auto m = Open(M::AnalyzeUltrasound);
  m.Click(app::ID_ULTRASOUND_FREQ_DIV);
  EXPECT_EQ(m.TimeFactor(), 1);
  EXPECT_EQ(Text(m, 1002), "2.000");
  EXPECT_EQ(Text(m, 1061), "10");
  m.Click(app::ID_ULTRASOUND_TIME_EXP);
  m.Scroll(1060, A::LineUp);
  EXPECT_EQ(Text(m, 1002), "0.182");  // 2 s ÷ 11
}

TEST_F(ParameterDialogModelTest, ATypedBeginSurvivesAChangeOfTimeFactor) {
  params.ultrasoundId = app::ID_ULTRASOUND_TIME_EXP;
  multiplier = 10;
  auto m = Open(M::AnalyzeUltrasound);
  m.SetText(1002, "0.5");  // 5 s of the file
  m.Click(app::ID_ULTRASOUND_FREQ_DIV);
  EXPECT_EQ(Text(m, 1002), "5.000");
}

TEST_F(ParameterDialogModelTest, UltrasoundOffForcesMultiplierOne) {
  params.ultrasoundId = app::ID_ULTRASOUND_FREQ_DIV;
  multiplier = 8;
  auto m = Open(M::AnalyzeUltrasound);
  m.Click(app::ID_ULTRASOUND_OFF);
  EXPECT_EQ(m.Values().multiplier, 1);
  EXPECT_FALSE(Enabled(m, 1060));
  m.Scroll(1060, A::LineUp);
  EXPECT_EQ(m.Values().multiplier, 1);
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.frequencyMultiplier, 1);
  EXPECT_EQ(written.ultrasoundId, app::ID_ULTRASOUND_OFF);
}

TEST_F(ParameterDialogModelTest, TheUltrasoundDialogIsAlwaysLinear) {
  params.frequencyScaleId = app::ID_SCALE_LOG;
  params.ultrasoundId = app::ID_ULTRASOUND_FREQ_DIV;
  auto m = Open(M::AnalyzeUltrasound);
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.frequencyScaleId, app::ID_SCALE_LINEAR);
}

// ---- Reset ----

TEST_F(ParameterDialogModelTest, ResetOfTheManualScanInputDialog) {
  params.sampleRateHz = 22050;
  params.sampleRateId = app::ID_RATE_22K;
  params.resolutionId = app::ID_BITS_24;
  params.typeId = app::ID_TYPE_STEREO;
  params.paletteId = app::ID_PALETTE_BW;
  params.displayId = app::ID_DISPLAY_SCOPE1;
  params.frequencyScaleId = app::ID_SCALE_OCT3;
  params.plotTypeId = app::ID_PLOT_DELTA;
  params.widthUnitId = app::ID_WIDTH_MIN;
  params.displayWidthS = 120.0F;
  params.cursorFrequencyOffsetHz = 40;
  params.averagingId = app::ID_AVERAGING_MSEC;
  params.averagingScrollMs = 100;
  params.averagingScopeMs = 900;
  params.sonogramLevelMax = 110;
  params.scopeLevelMin = 0;
  params.scopeLevelMax = 50;
  auto m = Open(M::ScanInputManual);
  m.Click(app::ID_RECORDING_TRIGGER);
  m.Click(IDC_RESET);

  EXPECT_TRUE(Checked(m, 1167));
  EXPECT_TRUE(Checked(m, 1250));
  EXPECT_TRUE(Checked(m, 1046));
  EXPECT_TRUE(Checked(m, 1198));
  EXPECT_TRUE(Checked(m, 1076));
  EXPECT_TRUE(Checked(m, 1013));
  EXPECT_FALSE(Enabled(m, 1089));
  EXPECT_FALSE(Checked(m, 1089));
  EXPECT_TRUE(Checked(m, 1178));
  EXPECT_TRUE(Checked(m, 1109));
  EXPECT_EQ(Text(m, 1055), "");
  EXPECT_TRUE(Checked(m, 1215));
  EXPECT_EQ(Text(m, 1123), "10.000");
  EXPECT_EQ(Text(m, 1126), "0");
  EXPECT_TRUE(Checked(m, 1218));
  EXPECT_EQ(Text(m, 1005), "0");
  EXPECT_EQ(Text(m, 1007), "-90");
  EXPECT_EQ(Text(m, 1057), "0");
  EXPECT_EQ(Text(m, 1059), "6000");
  EXPECT_TRUE(Checked(m, 1085));
  EXPECT_EQ(m.State(1066).value, 11);

  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.sampleRateHz, 48000);
  EXPECT_EQ(written.scopeLevelMax, 120);
  EXPECT_EQ(written.scopeLevelMin, -60);
  EXPECT_EQ(written.sonogramLevelMax, 90);
  EXPECT_EQ(written.sonogramLevelMin, 0);
  EXPECT_EQ(written.averagingScrollMs, 0);
  EXPECT_EQ(written.averagingScopeMs, 200);
  EXPECT_FLOAT_EQ(written.displayWidthS, 10.0F);
  EXPECT_EQ(written.cursorFrequencyOffsetHz, 0);
  EXPECT_EQ(written.fftSize, 4096);
}

TEST_F(ParameterDialogModelTest, ResetUsesTheCalibratedSonogramDefaults) {
  params.splCalibrated = true;
  params.defaultSonogramMin = 30;
  params.defaultSonogramMax = 120;
  auto m = Open(M::ScanInputManual);
  m.Click(IDC_RESET);
  EXPECT_EQ(Text(m, 1005), "120");
  EXPECT_EQ(Text(m, 1007), "30");
}

TEST_F(ParameterDialogModelTest, ResetOfTheAutomaticScanInputDialog) {
  params.sampleRateHz = 96000;
  params.sampleRateId = app::ID_RATE_96K;
  params.displayWidthS = 40.0F;
  params.highBandHz = 20000;
  auto m = Open(M::ScanInputAutomatic);
  m.Click(IDC_RESET);
  EXPECT_TRUE(Checked(m, 1167));
  EXPECT_EQ(m.State(1236).value, 100);
  EXPECT_EQ(Text(m, 1059), "6000");
  EXPECT_EQ(Text(m, 1128), "13.0");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.scopeLevelMin, -60);
  EXPECT_EQ(written.sampleRateHz, 48000);
}

TEST_F(ParameterDialogModelTest, ResetOfTheManualScanFileDialogSelectsDualAndKeepsTheFile) {
  fileRateHz = 44100;
  fileChannels = 2;
  endS = 7.25F;
  params.channelsId = app::ID_CHANNELS_LEFT;
  params.highBandHz = 3000;
  auto m = Open(M::ScanFileManual);
  m.SetText(1004, "3");
  m.Click(IDC_RESET);
  EXPECT_TRUE(Checked(m, 1089));
  EXPECT_EQ(m.Values().rateHz, 44100);
  EXPECT_EQ(Text(m, 1059), "6000");
  EXPECT_EQ(Text(m, 1004), "7.250");
  // 6000 Hz over 460 rows at 44100 Hz: 4096 points (bins of 10.77 Hz).
  EXPECT_EQ(m.Values().fftSize, 4096);
  EXPECT_EQ(m.State(1066).value, 12);
}

TEST_F(ParameterDialogModelTest, ResetOfTheAutomaticScanFileDialog) {
  fileRateHz = 22050;
  params.paletteId = app::ID_PALETTE_BW;
  params.highBandHz = 9000;
  auto m = Open(M::ScanFileAutomatic);
  m.Click(IDC_RESET);
  EXPECT_TRUE(Checked(m, 1046));
  EXPECT_EQ(Text(m, 1059), "6000");
  EXPECT_EQ(m.State(1233).maximum, 11025);
}

TEST_F(ParameterDialogModelTest, ResetOfTheManualAnalyzeDialogKeepsHighBelowHalfTheRate) {
  fileRateHz = 11025;
  params.highBandHz = 2000;
  params.widthUnitId = app::ID_WIDTH_MIN;
  auto m = Open(M::AnalyzeManual);
  m.Click(IDC_RESET);
  EXPECT_EQ(Text(m, 1059), "5512");
  EXPECT_TRUE(Checked(m, 1215));
  EXPECT_TRUE(Checked(m, 1198));
}

TEST_F(ParameterDialogModelTest, ResetOfTheAutomaticAnalyzeDialogRoundsHighToThousands) {
  fileRateHz = 11025;
  beginS = 1.0F;
  endS = 2.0F;
  params.highBandHz = 2000;
  params.scopeLevelMax = 10;
  auto m = Open(M::AnalyzeAutomatic);
  m.SetText(1002, "1.5");
  m.Click(IDC_RESET);
  EXPECT_EQ(Text(m, 1059), "5000");
  EXPECT_EQ(Text(m, 1002), "1.000");
  EXPECT_EQ(Text(m, 1004), "2.000");
  app::CurrentParameters written = params;
  m.Commit(written);
  EXPECT_EQ(written.highBandHz, 5000);
  EXPECT_EQ(written.scopeLevelMax, 120);
  EXPECT_EQ(written.ultrasoundId, app::ID_ULTRASOUND_OFF);
  EXPECT_EQ(written.frequencyMultiplier, 1);
}

TEST_F(ParameterDialogModelTest, ResetOfTheUltrasoundDialogTurnsTheConversionOff) {
  params.ultrasoundId = app::ID_ULTRASOUND_TIME_EXP;
  params.channelsId = app::ID_CHANNELS_RIGHT;
  fileChannels = 2;
  multiplier = 10;
  beginS = 2.0F;
  endS = 12.0F;
  params.displayWidthS = 25.0F;
  auto m = Open(M::AnalyzeUltrasound);
  m.Click(IDC_RESET);
  EXPECT_TRUE(Checked(m, 1229));
  EXPECT_EQ(m.Values().multiplier, 1);
  EXPECT_FALSE(Enabled(m, 1060));
  EXPECT_TRUE(Checked(m, 1089));
  EXPECT_EQ(Text(m, 1002), "2.000");
  EXPECT_EQ(Text(m, 1004), "12.000");
  EXPECT_EQ(Text(m, 1123), "10.000");
  EXPECT_EQ(Text(m, 1059), "6000");
}

}  // namespace
}  // namespace sonavue::dialogs
