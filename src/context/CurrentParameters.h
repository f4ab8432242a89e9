#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "context/CommandIds.h"
#include "plans/ColorRecord.h"
#include "platform/DisplayBitmap.h"

namespace sonavue::app {

// Choices stored as the identifier of the control that selects them.
inline constexpr int ID_RATE_22K = 1165;
inline constexpr int ID_RATE_44K = 1166;
inline constexpr int ID_RATE_48K = 1167;
inline constexpr int ID_RATE_96K = 1168;
inline constexpr int ID_BITS_16 = 1250;
inline constexpr int ID_BITS_24 = 1251;
inline constexpr int ID_TYPE_MONO = 1013;
inline constexpr int ID_TYPE_STEREO = 1014;
inline constexpr int ID_CHANNELS_DUAL = 1089;
inline constexpr int ID_CHANNELS_LEFT = 1090;
inline constexpr int ID_CHANNELS_RIGHT = 1091;
inline constexpr int ID_DISPLAY_SCROLL1 = 1197;
inline constexpr int ID_DISPLAY_SCROLL2 = 1198;
inline constexpr int ID_DISPLAY_SCOPE1 = 1199;
inline constexpr int ID_DISPLAY_SCOPE2 = 1200;
inline constexpr int ID_PLOT_SIGNAL = 1178;
inline constexpr int ID_PLOT_DELTA = 1181;
inline constexpr int ID_PALETTE_CB = 1046;
inline constexpr int ID_PALETTE_BW = 1047;
inline constexpr int ID_PALETTE_USER = 1048;
// The perceptual palette: a value of the stored palette field that older
// versions never wrote, so their settings files load unchanged.
inline constexpr int ID_PALETTE_PERCEPTUAL = 1049;
inline constexpr int ID_SCALE_LINEAR = 1076;
inline constexpr int ID_SCALE_LOG = 1077;
inline constexpr int ID_SCALE_OCT3 = 1078;
inline constexpr int ID_AVERAGING_OFF = 1218;
inline constexpr int ID_AVERAGING_MSEC = 1219;
inline constexpr int ID_AVERAGING_SEC = 1220;
inline constexpr int ID_WIDTH_SEC = 1215;
inline constexpr int ID_WIDTH_MIN = 1216;
inline constexpr int ID_RECORDING_OFF = 1109;
inline constexpr int ID_RECORDING_ON = 1110;
inline constexpr int ID_RECORDING_TRIGGER = 1124;
inline constexpr int ID_ULTRASOUND_OFF = 1229;
inline constexpr int ID_ULTRASOUND_FREQ_DIV = 1230;
inline constexpr int ID_ULTRASOUND_TIME_EXP = 1231;
inline constexpr int ID_SPL_METHOD_SOURCE = 1196;
inline constexpr int ID_SPL_METHOD_METER = 1197;

inline constexpr int kResponseBins = 2048;
inline constexpr int kUserColors = 18;
// The longest pre-trigger of a triggered recording, in seconds.
inline constexpr float kMaxPreTriggerS = 10.0F;

// The scan parameter set: the values Scan Input and Scan File load before
// their dialog and store back after it.
struct ScanParameterSet {
  std::int32_t lowBandHz = 0;
  std::int32_t highBandHz = 6000;
  std::int32_t fftSize = 0;
  float resolutionHz = 0.0F;
  float displayWidthS = 10.0F;
};

struct CurrentParameters;
// The live band, FFT size, resolution and display width of a scan are
// loaded from the scan parameter set before its dialog and stored back once
// they are settled, so that a file analysis never changes what the next
// scan starts with.
void LoadScanParameters(CurrentParameters& p);
void StoreScanParameters(CurrentParameters& p);

// The one live set of analysis and display choices, with first-start values.
struct CurrentParameters {
  std::int32_t wayOfWorking = 1;  // 1..10, engine × display
  std::int32_t analysisControls = IDM_CONTROLS_AUTOMATIC;
  std::int32_t sampleRateId = ID_RATE_48K;
  std::int32_t sampleRateHz = 48000;
  std::int32_t resolutionId = ID_BITS_16;
  std::int32_t typeId = ID_TYPE_MONO;
  std::int32_t channelsId = ID_CHANNELS_DUAL;
  std::int32_t displayId = ID_DISPLAY_SCROLL2;
  std::int32_t plotTypeId = ID_PLOT_SIGNAL;
  std::int32_t paletteId = ID_PALETTE_CB;
  std::int32_t frequencyScaleId = ID_SCALE_LINEAR;
  std::int32_t averagingId = ID_AVERAGING_OFF;
  std::int32_t averagingScrollMs = 0;
  std::int32_t averagingScopeMs = 200;
  std::int32_t widthUnitId = ID_WIDTH_SEC;
  std::int32_t recordingId = ID_RECORDING_OFF;
  std::int32_t ultrasoundId = ID_ULTRASOUND_OFF;
  std::int32_t frequencyMultiplier = 1;
  std::int32_t gainDb = 0;  // −30..+30
  std::int32_t sonogramLevelMax = 90;
  std::int32_t sonogramLevelMin = 0;
  std::int32_t scopeLevelMax = 90;
  std::int32_t scopeLevelMin = -30;
  std::int32_t lowBandHz = 0;
  std::int32_t highBandHz = 6000;
  std::int32_t fftSize = 1024;
  float resolutionHz = 12.0F;
  float displayWidthS = 10.0F;
  float timePerColumnMs = 10.0F;
  float beginS = 0.0F;
  float endS = 0.0F;
  std::int32_t cursorFrequencyOffsetHz = 0;
  std::int32_t frequencyMarker1Hz = 0;
  std::int32_t frequencyMarker2Hz = 0;
  std::int32_t pointerShape = 1;  // 1 Target Box, 2 White Cross, 3 Black Cross
  std::int32_t variables = IDM_VARIABLES_ADJUST;
  std::int32_t gainLock = IDM_GAIN_LOCK_OFF;
  std::int32_t lockedGainDb = 0;
  std::int32_t splMethodId = ID_SPL_METHOD_METER;
  std::int32_t splControl = 60;
  std::string splDate;
  std::string responseDate;
  bool splCalibrated = false;
  std::int32_t defaultSonogramMin = 0;
  std::int32_t defaultSonogramMax = 90;
  std::array<float, kResponseBins> responseMono{};
  std::array<float, kResponseBins> responseStereo{};
  render::ColorRecord userPalette = render::kCbColors;
  ScanParameterSet scan;
  std::array<std::string, 3> lastFolders;  // WAV files, images, data logs
  std::int32_t scanFlag = 0;
  // Seconds a triggered recording starts before its trigger, 0 … 10; 0
  // starts it at the trigger. Lasts for the session (the settings file has
  // no field for it).
  float preTriggerS = 0.0F;
  // Recording trigger level in the internal scale (30 … 120); kept for the
  // run of the program only.
  std::int32_t triggerLevel = 90;

  bool IsScopeDisplay() const {
    return displayId == ID_DISPLAY_SCOPE1 || displayId == ID_DISPLAY_SCOPE2;
  }
  bool IsScrollDisplay() const { return !IsScopeDisplay(); }
};

inline void LoadScanParameters(CurrentParameters& p) {
  p.lowBandHz = p.scan.lowBandHz;
  p.highBandHz = p.scan.highBandHz;
  p.fftSize = p.scan.fftSize;
  p.resolutionHz = p.scan.resolutionHz;
  p.displayWidthS = p.scan.displayWidthS;
}

inline void StoreScanParameters(CurrentParameters& p) {
  p.scan = {p.lowBandHz, p.highBandHz, p.fftSize, p.resolutionHz, p.displayWidthS};
}

}  // namespace sonavue::app
