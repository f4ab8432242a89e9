#include "context/SettingsRecord.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace sonavue::app {

namespace o = settings_offset;

SettingsRecord SettingsRecord::FirstStart() {
  SettingsRecord record;
  FillRecord(record, CurrentParameters{});
  WriteInt32(record, o::kKeptCommandId, 40098);
  WriteInt32(record, o::kKeptValue, 100);
  return record;
}

std::optional<SettingsRecord> SettingsRecord::FromBytes(std::span<const std::uint8_t> data) {
  if (data.size() != kSize) return std::nullopt;
  SettingsRecord record;
  std::copy(data.begin(), data.end(), record.bytes.begin());
  return record;
}

std::int32_t ReadInt32(const SettingsRecord& record, std::size_t offset) {
  const std::uint8_t* p = record.bytes.data() + offset;
  const std::uint32_t value = static_cast<std::uint32_t>(p[0]) |
                              (static_cast<std::uint32_t>(p[1]) << 8) |
                              (static_cast<std::uint32_t>(p[2]) << 16) |
                              (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(value);
}

void WriteInt32(SettingsRecord& record, std::size_t offset, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::uint8_t* p = record.bytes.data() + offset;
  p[0] = static_cast<std::uint8_t>(bits);
  p[1] = static_cast<std::uint8_t>(bits >> 8);
  p[2] = static_cast<std::uint8_t>(bits >> 16);
  p[3] = static_cast<std::uint8_t>(bits >> 24);
}

float ReadFloat32(const SettingsRecord& record, std::size_t offset) {
  return std::bit_cast<float>(static_cast<std::uint32_t>(ReadInt32(record, offset)));
}

void WriteFloat32(SettingsRecord& record, std::size_t offset, float value) {
  WriteInt32(record, offset, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
}

std::string ReadText(const SettingsRecord& record, std::size_t offset, std::size_t width) {
  const char* p = reinterpret_cast<const char*>(record.bytes.data() + offset);
  std::size_t length = 0;
  while (length + 1 < width && p[length] != '\0') ++length;
  return std::string(p, length);
}

void WriteText(SettingsRecord& record, std::size_t offset, std::size_t width,
               const std::string& text) {
  const std::size_t length = std::min(text.size(), width - 1);
  std::memset(record.bytes.data() + offset, 0, width);
  std::memcpy(record.bytes.data() + offset, text.data(), length);
}

platform::Rect ReadWindowRect(const SettingsRecord& record) {
  return {ReadInt32(record, o::kWindowLeft), ReadInt32(record, o::kWindowTop),
          ReadInt32(record, o::kWindowWidth), ReadInt32(record, o::kWindowHeight)};
}

void WriteWindowRect(SettingsRecord& record, const platform::Rect& rect) {
  WriteInt32(record, o::kWindowLeft, rect.x);
  WriteInt32(record, o::kWindowTop, rect.y);
  WriteInt32(record, o::kWindowWidth, rect.w);
  WriteInt32(record, o::kWindowHeight, rect.h);
}

std::int32_t SampleRateFromId(std::int32_t id) {
  switch (id) {
    case ID_RATE_22K: return 22050;
    case ID_RATE_44K: return 44100;
    case ID_RATE_48K: return 48000;
    case ID_RATE_96K: return 96000;
    default: return 0;
  }
}

void FillRecord(SettingsRecord& r, const CurrentParameters& p) {
  WriteText(r, o::kWavFolder, o::kFolderWidth, p.lastFolders[0]);
  WriteText(r, o::kImageFolder, o::kFolderWidth, p.lastFolders[1]);
  WriteText(r, o::kLogFolder, o::kFolderWidth, p.lastFolders[2]);
  WriteInt32(r, o::kAnalysisControls, p.analysisControls);
  WriteInt32(r, o::kWayOfWorking, p.wayOfWorking);
  WriteInt32(r, o::kSampleRateId, p.sampleRateId);
  WriteInt32(r, o::kResolutionId, p.resolutionId);
  WriteInt32(r, o::kAveragingId, p.averagingId);
  WriteInt32(r, o::kWidthUnitId, p.widthUnitId);
  WriteInt32(r, o::kPaletteId, p.paletteId);
  WriteInt32(r, o::kDisplayId, p.displayId);
  WriteInt32(r, o::kFrequencyScaleId, p.frequencyScaleId);
  WriteInt32(r, o::kChannelsId, p.channelsId);
  WriteInt32(r, o::kTypeId, p.typeId);
  WriteInt32(r, o::kPlotTypeId, p.plotTypeId);
  WriteInt32(r, o::kRecordingId, p.recordingId);
  WriteInt32(r, o::kGain, p.gainDb);
  WriteInt32(r, o::kSonogramMax, p.sonogramLevelMax);
  WriteInt32(r, o::kSonogramMin, p.sonogramLevelMin);
  WriteInt32(r, o::kScopeMax, p.scopeLevelMax);
  WriteInt32(r, o::kScopeMin, p.scopeLevelMin);
  WriteInt32(r, o::kScanLowBand, p.scan.lowBandHz);
  WriteInt32(r, o::kScanHighBand, p.scan.highBandHz);
  WriteInt32(r, o::kMultiplier, p.frequencyMultiplier);
  WriteInt32(r, o::kUltrasoundId, p.ultrasoundId);
  WriteInt32(r, o::kScanFlag, p.scanFlag);
  WriteInt32(r, o::kAveragingScroll, p.averagingScrollMs);
  WriteInt32(r, o::kAveragingScope, p.averagingScopeMs);
  WriteInt32(r, o::kMarker1, p.frequencyMarker1Hz);
  WriteInt32(r, o::kMarker2, p.frequencyMarker2Hz);
  WriteInt32(r, o::kScanFftSize, p.scan.fftSize);
  WriteFloat32(r, o::kScanResolution, p.scan.resolutionHz);
  WriteFloat32(r, o::kScanDisplayWidth, p.scan.displayWidthS);
  WriteInt32(r, o::kPointerShape, p.pointerShape);
  WriteInt32(r, o::kCursorOffset, p.cursorFrequencyOffsetHz);
  WriteInt32(r, o::kSplMethod, p.splMethodId);
  WriteInt32(r, o::kSplControl, p.splControl);
  WriteInt32(r, o::kLockedGain, p.lockedGainDb);
  WriteInt32(r, o::kGainLock, p.gainLock);
  for (int i = 0; i < kResponseBins; ++i) {
    const auto n = static_cast<std::size_t>(i);
    WriteFloat32(r, o::kResponseMono + 4 * n, p.responseMono[n]);
    WriteFloat32(r, o::kResponseStereo + 4 * n, p.responseStereo[n]);
  }
  for (std::size_t i = 0; i < p.userPalette.size(); ++i) {
    std::uint8_t* c = r.bytes.data() + o::kUserPalette + 4 * i;
    c[0] = p.userPalette[i].r;
    c[1] = p.userPalette[i].g;
    c[2] = p.userPalette[i].b;  // the fourth byte keeps what it held
  }
  WriteText(r, o::kSplDate, o::kDateWidth, p.splDate);
  WriteText(r, o::kResponseDate, o::kDateWidth, p.responseDate);
}

namespace {

// value when it is one of the allowed ones, else fallback.
std::int32_t OneOf(std::int32_t value, std::initializer_list<std::int32_t> allowed,
                   std::int32_t fallback) {
  return std::find(allowed.begin(), allowed.end(), value) != allowed.end() ? value : fallback;
}

std::int32_t InRange(std::int32_t value, std::int32_t low, std::int32_t high,
                     std::int32_t fallback) {
  return value >= low && value <= high ? value : fallback;
}

float FiniteInRange(float value, float low, float high, float fallback) {
  return std::isfinite(value) && value >= low && value <= high ? value : fallback;
}

bool IsFftSize(std::int32_t n) {
  return n == 0 || (n >= 512 && n <= 16384 && (n & (n - 1)) == 0);
}

}  // namespace

void ApplyRecord(const SettingsRecord& r, CurrentParameters& p) {
  const CurrentParameters d;  // first-start values
  p.lastFolders[0] = ReadText(r, o::kWavFolder, o::kFolderWidth);
  p.lastFolders[1] = ReadText(r, o::kImageFolder, o::kFolderWidth);
  p.lastFolders[2] = ReadText(r, o::kLogFolder, o::kFolderWidth);
  p.analysisControls =
      OneOf(ReadInt32(r, o::kAnalysisControls),
            {IDM_CONTROLS_AUTOMATIC, IDM_CONTROLS_MANUAL, IDM_CONTROLS_ULTRASOUND}, d.analysisControls);
  p.wayOfWorking = InRange(ReadInt32(r, o::kWayOfWorking), 1, 10, d.wayOfWorking);
  p.sampleRateId = OneOf(ReadInt32(r, o::kSampleRateId),
                         {ID_RATE_22K, ID_RATE_44K, ID_RATE_48K, ID_RATE_96K}, d.sampleRateId);
  p.sampleRateHz = SampleRateFromId(p.sampleRateId);
  p.resolutionId = OneOf(ReadInt32(r, o::kResolutionId), {ID_BITS_16, ID_BITS_24}, d.resolutionId);
  p.averagingId = OneOf(ReadInt32(r, o::kAveragingId),
                        {ID_AVERAGING_OFF, ID_AVERAGING_MSEC, ID_AVERAGING_SEC}, d.averagingId);
  p.widthUnitId = OneOf(ReadInt32(r, o::kWidthUnitId), {ID_WIDTH_SEC, ID_WIDTH_MIN}, d.widthUnitId);
  p.paletteId = OneOf(ReadInt32(r, o::kPaletteId), {ID_PALETTE_CB, ID_PALETTE_BW, ID_PALETTE_USER, ID_PALETTE_PERCEPTUAL},
                      d.paletteId);
  p.displayId = OneOf(ReadInt32(r, o::kDisplayId),
                      {ID_DISPLAY_SCROLL1, ID_DISPLAY_SCROLL2, ID_DISPLAY_SCOPE1, ID_DISPLAY_SCOPE2},
                      d.displayId);
  p.frequencyScaleId = OneOf(ReadInt32(r, o::kFrequencyScaleId),
                             {ID_SCALE_LINEAR, ID_SCALE_LOG, ID_SCALE_OCT3}, d.frequencyScaleId);
  p.channelsId = OneOf(ReadInt32(r, o::kChannelsId),
                       {ID_CHANNELS_DUAL, ID_CHANNELS_LEFT, ID_CHANNELS_RIGHT}, d.channelsId);
  p.typeId = OneOf(ReadInt32(r, o::kTypeId), {ID_TYPE_MONO, ID_TYPE_STEREO}, d.typeId);
  p.plotTypeId = OneOf(ReadInt32(r, o::kPlotTypeId), {ID_PLOT_SIGNAL, ID_PLOT_DELTA}, d.plotTypeId);
  p.recordingId = OneOf(ReadInt32(r, o::kRecordingId),
                        {ID_RECORDING_OFF, ID_RECORDING_ON, ID_RECORDING_TRIGGER}, d.recordingId);
  p.gainDb = InRange(ReadInt32(r, o::kGain), -30, 30, d.gainDb);
  // Level limits are whole decibels of the internal scale; anything far
  // outside what the dialogs allow is damage.
  p.sonogramLevelMax = InRange(ReadInt32(r, o::kSonogramMax), -200, 400, d.sonogramLevelMax);
  p.sonogramLevelMin = InRange(ReadInt32(r, o::kSonogramMin), -200, 400, d.sonogramLevelMin);
  p.scopeLevelMax = InRange(ReadInt32(r, o::kScopeMax), -200, 400, d.scopeLevelMax);
  p.scopeLevelMin = InRange(ReadInt32(r, o::kScopeMin), -200, 400, d.scopeLevelMin);
  p.scan.lowBandHz = InRange(ReadInt32(r, o::kScanLowBand), 0, 1'000'000, d.scan.lowBandHz);
  p.scan.highBandHz = InRange(ReadInt32(r, o::kScanHighBand), 0, 1'000'000, d.scan.highBandHz);
  p.frequencyMultiplier = InRange(ReadInt32(r, o::kMultiplier), 1, 20, d.frequencyMultiplier);
  p.ultrasoundId = OneOf(ReadInt32(r, o::kUltrasoundId),
                         {ID_ULTRASOUND_OFF, ID_ULTRASOUND_FREQ_DIV, ID_ULTRASOUND_TIME_EXP},
                         d.ultrasoundId);
  p.scanFlag = InRange(ReadInt32(r, o::kScanFlag), 0, 1, d.scanFlag);
  p.averagingScrollMs = InRange(ReadInt32(r, o::kAveragingScroll), 0, 3'600'000, d.averagingScrollMs);
  p.averagingScopeMs = InRange(ReadInt32(r, o::kAveragingScope), 0, 3'600'000, d.averagingScopeMs);
  p.frequencyMarker1Hz = InRange(ReadInt32(r, o::kMarker1), 0, 10'000'000, 0);
  p.frequencyMarker2Hz = InRange(ReadInt32(r, o::kMarker2), 0, 10'000'000, 0);
  const std::int32_t scanFft = ReadInt32(r, o::kScanFftSize);
  p.scan.fftSize = IsFftSize(scanFft) ? scanFft : d.scan.fftSize;
  p.scan.resolutionHz = FiniteInRange(ReadFloat32(r, o::kScanResolution), 0.0F, 100000.0F,
                                      d.scan.resolutionHz);
  p.scan.displayWidthS = FiniteInRange(ReadFloat32(r, o::kScanDisplayWidth), 0.0F, 14400.0F,
                                       d.scan.displayWidthS);
  p.pointerShape = InRange(ReadInt32(r, o::kPointerShape), 1, 3, d.pointerShape);
  p.cursorFrequencyOffsetHz = InRange(ReadInt32(r, o::kCursorOffset), -10'000'000, 10'000'000, 0);
  p.splMethodId = OneOf(ReadInt32(r, o::kSplMethod), {ID_SPL_METHOD_SOURCE, ID_SPL_METHOD_METER},
                        d.splMethodId);
  p.splControl = InRange(ReadInt32(r, o::kSplControl), 0, 120, d.splControl);
  p.lockedGainDb = InRange(ReadInt32(r, o::kLockedGain), -30, 30, d.lockedGainDb);
  p.gainLock = OneOf(ReadInt32(r, o::kGainLock), {IDM_GAIN_LOCK_ON, IDM_GAIN_LOCK_OFF}, d.gainLock);
  for (int i = 0; i < kResponseBins; ++i) {
    const auto n = static_cast<std::size_t>(i);
    const float mono = ReadFloat32(r, o::kResponseMono + 4 * n);
    const float stereo = ReadFloat32(r, o::kResponseStereo + 4 * n);
    p.responseMono[n] = std::isfinite(mono) ? mono : 0.0F;
    p.responseStereo[n] = std::isfinite(stereo) ? stereo : 0.0F;
  }
  for (std::size_t i = 0; i < p.userPalette.size(); ++i) {
    const std::uint8_t* c = r.bytes.data() + o::kUserPalette + 4 * i;
    p.userPalette[i] = {c[0], c[1], c[2]};
  }
  p.splDate = ReadText(r, o::kSplDate, o::kDateWidth);
  p.responseDate = ReadText(r, o::kResponseDate, o::kDateWidth);

  p.variables = IDM_VARIABLES_ADJUST;
  p.splCalibrated = !p.splDate.empty();
  p.defaultSonogramMin = p.splCalibrated ? 30 : 0;
  p.defaultSonogramMax = p.splCalibrated ? 120 : 90;
}

}  // namespace sonavue::app
