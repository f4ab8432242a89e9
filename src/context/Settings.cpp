#include "context/Settings.h"

#include <fstream>
#include <iterator>
#include <optional>

#include "context/App.h"
#include "plans/ColorScale.h"
#include "context/Menu.h"
#include "context/SettingsRecord.h"

namespace sonavue::app {
namespace {

enum class ReadOutcome { Missing, WrongSize, Unreadable, Read };

struct ReadResult {
  ReadOutcome outcome = ReadOutcome::Missing;
  std::filesystem::path path;
  SettingsRecord record;
};

// Opens the first settings file that exists among the candidates and reads it.
ReadResult ReadSettingsFile(const App& app) {
  ReadResult result;
  for (const auto& path : SettingsFileCandidates(app)) {
    std::ifstream file(path, std::ios::binary);
    if (!file) continue;
    result.path = path;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size != SettingsRecord::kSize) {
      result.outcome = ReadOutcome::WrongSize;
      return result;
    }
    file.read(reinterpret_cast<char*>(result.record.bytes.data()), SettingsRecord::kSize);
    result.outcome = file.gcount() == static_cast<std::streamsize>(SettingsRecord::kSize)
                         ? ReadOutcome::Read
                         : ReadOutcome::Unreadable;
    return result;
  }
  return result;
}

// Writes the record beside the target and renames it over the target, so a
// full disk or a crash never leaves half a file.
bool WriteWhole(const std::filesystem::path& target, const SettingsRecord& record) {
  std::error_code error;
  std::filesystem::create_directories(target.parent_path(), error);
  const auto temporary = std::filesystem::path(target).concat(".new");
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(record.bytes.data()), SettingsRecord::kSize);
    file.flush();
    if (!file) {
      file.close();
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

void ApplyFirstStartValues(App& app) {
  CurrentParameters& p = app.params;
  p = CurrentParameters{};
  p.fftSize = 0;
  p.resolutionHz = 0.0F;
  const int columns = app.layout.displayWidth - app.layout.leftMargin;
  p.timePerColumnMs = columns > 0 ? 10000.0F / static_cast<float>(columns) : 10.0F;
}

}  // namespace

std::vector<std::filesystem::path> SettingsFileCandidates(const App& app) {
  std::vector<std::filesystem::path> candidates;
  for (const auto& folder : {app.environment.executableFolder, app.environment.configFolder,
                             app.workingFolder}) {
    if (!folder.empty()) candidates.push_back(folder / kSettingsFileName);
  }
  return candidates;
}

bool LoadSettings(App& app) {
  const ReadResult read = ReadSettingsFile(app);
  if (read.outcome == ReadOutcome::Read) {
    app.settingsRecord = read.record;
    ApplyRecord(app.settingsRecord, app.params);
    return true;
  }
  if (read.outcome == ReadOutcome::WrongSize || read.outcome == ReadOutcome::Unreadable) {
    std::error_code error;
    std::filesystem::remove(read.path, error);
  }
  // Keep the window rectangle mirrored so far; everything else starts afresh.
  const platform::Rect window = ReadWindowRect(app.settingsRecord);
  app.settingsRecord = SettingsRecord::FirstStart();
  WriteWindowRect(app.settingsRecord, window);
  ApplyFirstStartValues(app);
  return false;
}

void SaveSettings(App& app) {
  FillRecord(app.settingsRecord, app.params);
  for (const auto& path : SettingsFileCandidates(app)) {
    if (WriteWhole(path, app.settingsRecord)) return;
  }
}

void SelectPaletteRecord(App& app, int paletteId) {
  switch (paletteId) {
    case ID_PALETTE_BW: app.render.current = app.render.bw; break;
    case ID_PALETTE_USER: app.render.current = app.params.userPalette; break;
    case ID_PALETTE_PERCEPTUAL: app.render.current = app.render.perceptual; break;
    default: app.render.current = app.render.cb; break;
  }
  render::FillPaletteEntries(app.render.current, app.colors);
}

void RestoreAfterFailure(App& app) {
  app.display.Release();
  for (auto& levels : app.analysis.totalLevels) levels = {};
  app.render.view.levelTraceLeft = {};
  app.render.view.levelTraceRight = {};
  EnterScanIdleMenuState(app);
  app.window->Invalidate();
  app.window->UpdateNow();

  CurrentParameters& p = app.params;
  ReadResult read = ReadSettingsFile(app);
  if (read.outcome == ReadOutcome::Read) {
    CurrentParameters stored = p;
    ApplyRecord(read.record, stored);
    p.wayOfWorking = stored.wayOfWorking;
    p.analysisControls = stored.analysisControls;
    p.sampleRateId = stored.sampleRateId;
    p.sampleRateHz = stored.sampleRateHz;
    p.resolutionId = stored.resolutionId;
    p.paletteId = stored.paletteId;
    p.displayId = stored.displayId;
    p.frequencyScaleId = stored.frequencyScaleId;
    p.splControl = stored.splControl;
    p.channelsId = stored.channelsId;
    p.typeId = stored.typeId;
    p.plotTypeId = stored.plotTypeId;
    p.recordingId = stored.recordingId;
    p.sonogramLevelMax = stored.sonogramLevelMax;
    p.sonogramLevelMin = stored.sonogramLevelMin;
    p.scopeLevelMax = stored.scopeLevelMax;
    p.scopeLevelMin = stored.scopeLevelMin;
    p.scanFlag = stored.scanFlag;
    p.averagingScrollMs = stored.averagingScrollMs;
    p.averagingScopeMs = stored.averagingScopeMs;
    p.averagingId = stored.averagingId;
    p.widthUnitId = stored.widthUnitId;
    p.frequencyMarker1Hz = stored.frequencyMarker1Hz;
    p.frequencyMarker2Hz = stored.frequencyMarker2Hz;
    p.displayWidthS = stored.scan.displayWidthS;
    p.fftSize = stored.scan.fftSize;
    p.resolutionHz = stored.scan.resolutionHz;
    p.lowBandHz = stored.scan.lowBandHz;
    p.highBandHz = stored.scan.highBandHz;
    p.pointerShape = stored.pointerShape;
    p.cursorFrequencyOffsetHz = stored.cursorFrequencyOffsetHz;
    p.splMethodId = stored.splMethodId;
    if (p.gainLock == IDM_GAIN_LOCK_ON && p.splCalibrated) p.gainDb = p.lockedGainDb;
    if (p.analysisControls == IDM_CONTROLS_ULTRASOUND) {
      p.ultrasoundId = stored.ultrasoundId;
      p.frequencyMultiplier = stored.frequencyMultiplier;
    } else if (p.analysisControls == IDM_CONTROLS_AUTOMATIC) {
      p.frequencyMultiplier = 1;
    }
    p.userPalette = stored.userPalette;
  } else {
    if (read.outcome == ReadOutcome::Unreadable) {
      std::error_code error;
      std::filesystem::remove(read.path, error);
    }
    p.wayOfWorking = 1;
    p.sampleRateHz = 0;
    p.resolutionId = ID_BITS_16;
    p.fftSize = 512;
    p.paletteId = ID_PALETTE_CB;
    p.sonogramLevelMin = 0;
    p.sonogramLevelMax = 90;
    p.scopeLevelMin = -60;
    p.scopeLevelMax = 120;
    p.gainDb = 0;
    p.displayId = ID_DISPLAY_SCROLL1;
    p.frequencyScaleId = ID_SCALE_LINEAR;
    p.channelsId = ID_CHANNELS_DUAL;
    p.typeId = ID_TYPE_MONO;
    p.timePerColumnMs = 12.0F;
    p.resolutionHz = 0.0F;
    p.lowBandHz = 0;
    p.highBandHz = 6000;
    p.frequencyMarker1Hz = 0;
    p.frequencyMarker2Hz = 0;
    p.variables = IDM_VARIABLES_ADJUST;
    p.pointerShape = 1;
    p.cursorFrequencyOffsetHz = 0;
    app.frame.grid = false;
    app.window->SetButtonChecked(IDC_GRID, false);
    app.frame.inputOpen = false;
    app.frame.scanFileRunning = false;
  }
  app.frame.segmentSpectrumShown = false;
  SelectPaletteRecord(app, p.paletteId);
  app.window->SetScrollPosition(platform::ScrollBarId::Vertical, p.gainDb + 30);
  SetMenuCheckMarks(app);
}

}  // namespace sonavue::app
