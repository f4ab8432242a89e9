#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "context/CurrentParameters.h"
#include "platform/Geometry.h"

namespace sonavue::app {

// The persisted image of the current parameters: the settings file, exactly
// 17,476 little-endian bytes with no header. Offsets 820 and 928 hold values
// the program keeps but does not use, 872 and 924 are reserved; all four
// keep whatever the file held.
struct SettingsRecord {
  static constexpr std::size_t kSize = 17476;
  std::array<std::uint8_t, kSize> bytes{};

  // A record as a first start writes it: every field at its first-start value.
  static SettingsRecord FirstStart();
  // The record read from a file's contents; nothing unless it is exactly kSize bytes.
  static std::optional<SettingsRecord> FromBytes(std::span<const std::uint8_t> data);
};

// Field offsets.
namespace settings_offset {
inline constexpr std::size_t kWavFolder = 0;
inline constexpr std::size_t kImageFolder = 260;
inline constexpr std::size_t kLogFolder = 520;
inline constexpr std::size_t kFolderWidth = 260;
inline constexpr std::size_t kWindowLeft = 780;
inline constexpr std::size_t kWindowTop = 784;
inline constexpr std::size_t kWindowWidth = 788;
inline constexpr std::size_t kWindowHeight = 792;
inline constexpr std::size_t kAnalysisControls = 796;
inline constexpr std::size_t kWayOfWorking = 800;
inline constexpr std::size_t kSampleRateId = 804;
inline constexpr std::size_t kResolutionId = 808;
inline constexpr std::size_t kAveragingId = 812;
inline constexpr std::size_t kWidthUnitId = 816;
inline constexpr std::size_t kKeptCommandId = 820;
inline constexpr std::size_t kPaletteId = 824;
inline constexpr std::size_t kDisplayId = 828;
inline constexpr std::size_t kFrequencyScaleId = 832;
inline constexpr std::size_t kChannelsId = 836;
inline constexpr std::size_t kTypeId = 840;
inline constexpr std::size_t kPlotTypeId = 844;
inline constexpr std::size_t kRecordingId = 848;
inline constexpr std::size_t kGain = 852;
inline constexpr std::size_t kSonogramMax = 856;
inline constexpr std::size_t kSonogramMin = 860;
inline constexpr std::size_t kScopeMax = 864;
inline constexpr std::size_t kScopeMin = 868;
inline constexpr std::size_t kReserved1 = 872;
inline constexpr std::size_t kScanLowBand = 876;
inline constexpr std::size_t kScanHighBand = 880;
inline constexpr std::size_t kMultiplier = 884;
inline constexpr std::size_t kUltrasoundId = 888;
inline constexpr std::size_t kScanFlag = 892;
inline constexpr std::size_t kAveragingScroll = 896;
inline constexpr std::size_t kAveragingScope = 900;
inline constexpr std::size_t kMarker1 = 904;
inline constexpr std::size_t kMarker2 = 908;
inline constexpr std::size_t kScanFftSize = 912;
inline constexpr std::size_t kScanResolution = 916;
inline constexpr std::size_t kScanDisplayWidth = 920;
inline constexpr std::size_t kReserved2 = 924;
inline constexpr std::size_t kKeptValue = 928;
inline constexpr std::size_t kPointerShape = 932;
inline constexpr std::size_t kCursorOffset = 936;
inline constexpr std::size_t kSplMethod = 940;
inline constexpr std::size_t kSplControl = 944;
inline constexpr std::size_t kLockedGain = 948;
inline constexpr std::size_t kGainLock = 952;
inline constexpr std::size_t kResponseMono = 956;
inline constexpr std::size_t kResponseStereo = 9148;
inline constexpr std::size_t kUserPalette = 17340;
inline constexpr std::size_t kSplDate = 17412;
inline constexpr std::size_t kResponseDate = 17444;
inline constexpr std::size_t kDateWidth = 32;
}  // namespace settings_offset

std::int32_t ReadInt32(const SettingsRecord& record, std::size_t offset);
void WriteInt32(SettingsRecord& record, std::size_t offset, std::int32_t value);
float ReadFloat32(const SettingsRecord& record, std::size_t offset);
void WriteFloat32(SettingsRecord& record, std::size_t offset, float value);
// Text up to its first NUL, at most width − 1 characters.
std::string ReadText(const SettingsRecord& record, std::size_t offset, std::size_t width);
// Writes text NUL-padded to width, cut to width − 1 characters.
void WriteText(SettingsRecord& record, std::size_t offset, std::size_t width,
               const std::string& text);

platform::Rect ReadWindowRect(const SettingsRecord& record);
void WriteWindowRect(SettingsRecord& record, const platform::Rect& rect);

// Fills every field the program owns from the parameters; the window
// rectangle and the four kept fields are left as they are.
void FillRecord(SettingsRecord& record, const CurrentParameters& params);

// Copies every stored field into the parameters (the sample rate from its
// identifier, Variables back to Adjust, the SPL state from its date).
// Values outside their ranges are replaced by their first-start values, so
// that a damaged file cannot steer the program into states it never makes.
void ApplyRecord(const SettingsRecord& record, CurrentParameters& params);

// The sample rate in Hz of a rate identifier; 0 for an unknown one.
std::int32_t SampleRateFromId(std::int32_t id);

}  // namespace sonavue::app
