#include "context/SettingsRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace sonavue::app {
namespace {

namespace o = settings_offset;

// Reads a little-endian int32 straight from the bytes, independent of the
// record's own helpers.
std::int32_t At(const SettingsRecord& r, std::size_t offset) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | r.bytes[offset + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(v);
}

float FloatAt(const SettingsRecord& r, std::size_t offset) {
  const std::uint32_t v = static_cast<std::uint32_t>(At(r, offset));
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

TEST(SettingsRecordTest, FirstStartRecordHoldsTheFirstStartValuesAtTheirOffsets) {
  const SettingsRecord r = SettingsRecord::FirstStart();
  EXPECT_EQ(r.bytes.size(), 17476U);
  EXPECT_EQ(At(r, 796), 40078);  // Automatic Controls
  EXPECT_EQ(At(r, 800), 1);      // way of working
  EXPECT_EQ(At(r, 804), 1167);   // 48k
  EXPECT_EQ(At(r, 808), 1250);   // 16 bits
  EXPECT_EQ(At(r, 812), 1218);   // averaging Off
  EXPECT_EQ(At(r, 816), 1215);   // sec
  EXPECT_EQ(At(r, 820), 40098);
  EXPECT_EQ(At(r, 824), 1046);  // CB
  EXPECT_EQ(At(r, 828), 1198);  // Scroll 2
  EXPECT_EQ(At(r, 832), 1076);  // Linear
  EXPECT_EQ(At(r, 836), 1089);  // Dual
  EXPECT_EQ(At(r, 840), 1013);  // Mono
  EXPECT_EQ(At(r, 844), 1178);  // Signal
  EXPECT_EQ(At(r, 848), 1109);  // recording Off
  EXPECT_EQ(At(r, 852), 0);
  EXPECT_EQ(At(r, 856), 90);
  EXPECT_EQ(At(r, 860), 0);
  EXPECT_EQ(At(r, 864), 90);
  EXPECT_EQ(At(r, 868), -30);
  EXPECT_EQ(At(r, 880), 6000);
  EXPECT_EQ(At(r, 884), 1);
  EXPECT_EQ(At(r, 888), 1229);
  EXPECT_EQ(At(r, 900), 200);
  EXPECT_FLOAT_EQ(FloatAt(r, 920), 10.0F);
  EXPECT_EQ(At(r, 928), 100);
  EXPECT_EQ(At(r, 932), 1);
  EXPECT_EQ(At(r, 940), 1197);
  EXPECT_EQ(At(r, 944), 60);
  EXPECT_EQ(At(r, 952), 40100);
  // The user palette starts as a copy of CB: point 0 is 0, 0, 200.
  EXPECT_EQ(r.bytes[17340], 0);
  EXPECT_EQ(r.bytes[17342], 200);
  EXPECT_EQ(r.bytes[17412], 0);  // no SPL date
}

TEST(SettingsRecordTest, EveryFieldRoundTripsThroughItsOffset) {
  CurrentParameters p;
  p.lastFolders = {"/data/wav", "/data/img", "/data/log"};
  p.analysisControls = IDM_CONTROLS_ULTRASOUND;
  p.wayOfWorking = 7;
  p.sampleRateId = ID_RATE_96K;
  p.resolutionId = ID_BITS_24;
  p.averagingId = ID_AVERAGING_SEC;
  p.widthUnitId = ID_WIDTH_MIN;
  p.paletteId = ID_PALETTE_USER;
  p.displayId = ID_DISPLAY_SCOPE2;
  p.frequencyScaleId = ID_SCALE_OCT3;
  p.channelsId = ID_CHANNELS_RIGHT;
  p.typeId = ID_TYPE_STEREO;
  p.plotTypeId = ID_PLOT_DELTA;
  p.recordingId = ID_RECORDING_TRIGGER;
  p.gainDb = -12;
  p.sonogramLevelMax = 110;
  p.sonogramLevelMin = 20;
  p.scopeLevelMax = 100;
  p.scopeLevelMin = -50;
  p.scan = {100, 9000, 2048, 23.4F, 30.0F};
  p.frequencyMultiplier = 8;
  p.ultrasoundId = ID_ULTRASOUND_TIME_EXP;
  p.scanFlag = 1;
  p.averagingScrollMs = 40;
  p.averagingScopeMs = 1500;
  p.frequencyMarker1Hz = 1000;
  p.frequencyMarker2Hz = 4000;
  p.pointerShape = 3;
  p.cursorFrequencyOffsetHz = -250;
  p.splMethodId = ID_SPL_METHOD_SOURCE;
  p.splControl = 77;
  p.lockedGainDb = 6;
  p.gainLock = IDM_GAIN_LOCK_ON;
  p.responseMono[0] = 1.5F;
  p.responseMono[2047] = -2.25F;
  p.responseStereo[1024] = 0.125F;
  p.userPalette[17] = {1, 2, 3};
  p.splDate = "12/8/2026";
  p.responseDate = "1/2/2025";

  SettingsRecord r = SettingsRecord::FirstStart();
  WriteWindowRect(r, {10, 20, 900, 700});
  FillRecord(r, p);

  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r.bytes[260])), "/data/img");
  EXPECT_EQ(At(r, 780), 10);
  EXPECT_EQ(At(r, 792), 700);
  EXPECT_EQ(At(r, 800), 7);
  EXPECT_EQ(At(r, 852), -12);
  EXPECT_EQ(At(r, 876), 100);
  EXPECT_EQ(At(r, 912), 2048);
  EXPECT_FLOAT_EQ(FloatAt(r, 916), 23.4F);
  EXPECT_EQ(At(r, 936), -250);
  EXPECT_EQ(At(r, 952), 40099);
  EXPECT_FLOAT_EQ(FloatAt(r, 956), 1.5F);
  EXPECT_FLOAT_EQ(FloatAt(r, 956 + 4 * 2047), -2.25F);
  EXPECT_FLOAT_EQ(FloatAt(r, 9148 + 4 * 1024), 0.125F);
  EXPECT_EQ(r.bytes[17340 + 4 * 17 + 2], 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r.bytes[17412])), "12/8/2026");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r.bytes[17444])), "1/2/2025");

  CurrentParameters back;
  ApplyRecord(r, back);
  EXPECT_EQ(back.lastFolders, p.lastFolders);
  EXPECT_EQ(back.analysisControls, p.analysisControls);
  EXPECT_EQ(back.wayOfWorking, 7);
  EXPECT_EQ(back.sampleRateHz, 96000);
  EXPECT_EQ(back.resolutionId, ID_BITS_24);
  EXPECT_EQ(back.averagingId, ID_AVERAGING_SEC);
  EXPECT_EQ(back.widthUnitId, ID_WIDTH_MIN);
  EXPECT_EQ(back.paletteId, ID_PALETTE_USER);
  EXPECT_EQ(back.displayId, ID_DISPLAY_SCOPE2);
  EXPECT_EQ(back.frequencyScaleId, ID_SCALE_OCT3);
  EXPECT_EQ(back.channelsId, ID_CHANNELS_RIGHT);
  EXPECT_EQ(back.typeId, ID_TYPE_STEREO);
  EXPECT_EQ(back.plotTypeId, ID_PLOT_DELTA);
  EXPECT_EQ(back.recordingId, ID_RECORDING_TRIGGER);
  EXPECT_EQ(back.gainDb, -12);
  EXPECT_EQ(back.sonogramLevelMax, 110);
  EXPECT_EQ(back.sonogramLevelMin, 20);
  EXPECT_EQ(back.scopeLevelMax, 100);
  EXPECT_EQ(back.scopeLevelMin, -50);
  EXPECT_EQ(back.scan.lowBandHz, 100);
  EXPECT_EQ(back.scan.highBandHz, 9000);
  EXPECT_EQ(back.scan.fftSize, 2048);
  EXPECT_FLOAT_EQ(back.scan.resolutionHz, 23.4F);
  EXPECT_FLOAT_EQ(back.scan.displayWidthS, 30.0F);
  EXPECT_EQ(back.frequencyMultiplier, 8);
  EXPECT_EQ(back.ultrasoundId, ID_ULTRASOUND_TIME_EXP);
  EXPECT_EQ(back.scanFlag, 1);
  EXPECT_EQ(back.averagingScrollMs, 40);
  EXPECT_EQ(back.averagingScopeMs, 1500);
  EXPECT_EQ(back.frequencyMarker1Hz, 1000);
  EXPECT_EQ(back.frequencyMarker2Hz, 4000);
  EXPECT_EQ(back.pointerShape, 3);
  EXPECT_EQ(back.cursorFrequencyOffsetHz, -250);
  EXPECT_EQ(back.splMethodId, ID_SPL_METHOD_SOURCE);
  EXPECT_EQ(back.splControl, 77);
  EXPECT_EQ(back.lockedGainDb, 6);
  EXPECT_EQ(back.gainLock, IDM_GAIN_LOCK_ON);
  EXPECT_EQ(back.responseMono, p.responseMono);
  EXPECT_EQ(back.responseStereo, p.responseStereo);
  EXPECT_EQ(back.userPalette, p.userPalette);
  EXPECT_EQ(back.splDate, "12/8/2026");
  EXPECT_EQ(back.responseDate, "1/2/2025");
  // Derived on load.
  EXPECT_TRUE(back.splCalibrated);
  EXPECT_EQ(back.defaultSonogramMin, 30);
  EXPECT_EQ(back.defaultSonogramMax, 120);
  EXPECT_EQ(back.variables, IDM_VARIABLES_ADJUST);
}

TEST(SettingsRecordTest, KeptAndReservedFieldsSurviveAFill) {
  SettingsRecord r = SettingsRecord::FirstStart();
  WriteInt32(r, o::kKeptCommandId, 12345);
  WriteInt32(r, o::kKeptValue, -7);
  WriteInt32(r, o::kReserved1, 0x11223344);
  WriteInt32(r, o::kReserved2, 0x55667788);
  r.bytes[o::kUserPalette + 3] = 0xAB;  // the unused fourth byte of colour 0
  FillRecord(r, CurrentParameters{});
  EXPECT_EQ(At(r, 820), 12345);
  EXPECT_EQ(At(r, 928), -7);
  EXPECT_EQ(At(r, 872), 0x11223344);
  EXPECT_EQ(At(r, 924), 0x55667788);
  EXPECT_EQ(r.bytes[o::kUserPalette + 3], 0xAB);
}

TEST(SettingsRecordTest, OnlyExactlySizedContentsMakeARecord) {
  std::vector<std::uint8_t> data(17476, 0);
  EXPECT_TRUE(SettingsRecord::FromBytes(data).has_value());
  data.pop_back();
  EXPECT_FALSE(SettingsRecord::FromBytes(data).has_value());
  data.resize(17477);
  EXPECT_FALSE(SettingsRecord::FromBytes(data).has_value());
}

TEST(SettingsRecordTest, DamagedValuesFallBackToFirstStartValues) {
  SettingsRecord r = SettingsRecord::FirstStart();
  WriteInt32(r, o::kDisplayId, 4242);
  WriteInt32(r, o::kWayOfWorking, 0);
  WriteInt32(r, o::kSampleRateId, -1);
  WriteInt32(r, o::kGain, 31);
  WriteInt32(r, o::kMultiplier, 21);
  WriteInt32(r, o::kPointerShape, 9);
  WriteInt32(r, o::kScanFftSize, 1000);
  WriteFloat32(r, o::kScanDisplayWidth, std::numeric_limits<float>::quiet_NaN());
  WriteFloat32(r, o::kResponseMono, std::numeric_limits<float>::infinity());
  std::memset(&r.bytes[o::kSplDate], 'x', o::kDateWidth);  // no terminating NUL
  std::memset(&r.bytes[o::kWavFolder], 'y', o::kFolderWidth);

  CurrentParameters p;
  ApplyRecord(r, p);
  EXPECT_EQ(p.displayId, ID_DISPLAY_SCROLL2);
  EXPECT_EQ(p.wayOfWorking, 1);
  EXPECT_EQ(p.sampleRateHz, 48000);
  EXPECT_EQ(p.gainDb, 0);
  EXPECT_EQ(p.frequencyMultiplier, 1);
  EXPECT_EQ(p.pointerShape, 1);
  EXPECT_EQ(p.scan.fftSize, 0);
  EXPECT_FLOAT_EQ(p.scan.displayWidthS, 10.0F);
  EXPECT_EQ(p.responseMono[0], 0.0F);
  EXPECT_EQ(p.splDate, std::string(31, 'x'));
  EXPECT_EQ(p.lastFolders[0].size(), 259U);
}

TEST(SettingsRecordTest, ThePerceptualPaletteIsStoredAsItsOwnValueAndReadBack) {
  CurrentParameters p;
  p.paletteId = ID_PALETTE_PERCEPTUAL;
  SettingsRecord r = SettingsRecord::FirstStart();
  FillRecord(r, p);
  EXPECT_EQ(r.bytes.size(), 17476U);
  EXPECT_EQ(At(r, 824), 1049);
  // One value is not another's: none of the older choices reads as it.
  EXPECT_NE(At(r, 824), ID_PALETTE_CB);
  EXPECT_NE(At(r, 824), ID_PALETTE_BW);
  EXPECT_NE(At(r, 824), ID_PALETTE_USER);
  CurrentParameters back;
  ApplyRecord(r, back);
  EXPECT_EQ(back.paletteId, ID_PALETTE_PERCEPTUAL);
  // Only the palette field differs from a record holding CB.
  SettingsRecord cb = SettingsRecord::FirstStart();
  p.paletteId = ID_PALETTE_CB;
  FillRecord(cb, p);
  for (std::size_t i = 0; i < SettingsRecord::kSize; ++i) {
    if (i < 824 || i >= 828) {
      ASSERT_EQ(r.bytes[i], cb.bytes[i]) << i;
    }
  }
}

TEST(SettingsRecordTest, AnOlderRecordLoadsAndIsWrittenBackByteForByte) {
  for (const std::int32_t palette : {1046, 1047, 1048}) {
    SettingsRecord old = SettingsRecord::FirstStart();
    WriteInt32(old, o::kPaletteId, palette);
    WriteInt32(old, o::kDisplayId, ID_DISPLAY_SCOPE1);
    WriteInt32(old, o::kGain, 9);
    old.bytes[o::kUserPalette + 5] = 77;
    CurrentParameters p;
    ApplyRecord(old, p);
    EXPECT_EQ(p.paletteId, palette);
    SettingsRecord again = old;
    FillRecord(again, p);
    EXPECT_EQ(again.bytes, old.bytes) << palette;
  }
}

TEST(SettingsRecordTest, APaletteValueNoVersionWritesCountsAsCb) {
  for (const std::int32_t palette : {1045, 1050, -1}) {
    SettingsRecord r = SettingsRecord::FirstStart();
    WriteInt32(r, o::kPaletteId, palette);
    CurrentParameters p;
    ApplyRecord(r, p);
    EXPECT_EQ(p.paletteId, ID_PALETTE_CB) << palette;
  }
}

TEST(SettingsRecordTest, LongTextIsCutToLeaveItsTerminator) {
  SettingsRecord r;
  WriteText(r, o::kSplDate, o::kDateWidth, std::string(40, 'd'));
  EXPECT_EQ(r.bytes[o::kSplDate + 31], 0);
  EXPECT_EQ(ReadText(r, o::kSplDate, o::kDateWidth), std::string(31, 'd'));
  EXPECT_EQ(r.bytes[o::kResponseDate], 0);  // the next field is untouched
}

}  // namespace
}  // namespace sonavue::app
