#include "engines/Snapshots.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <new>
#include <system_error>
#include <vector>

#include "context/App.h"
#include "context/Boxes.h"
#include "context/Layout.h"
#include "context/ParameterGuard.h"
#include "context/WholeFile.h"
#include "context/WorkingFiles.h"
#include "engines/SnapshotFiles.h"
#include "render/Palette.h"

namespace sonavue::engines {
namespace {

using app::App;

static_assert(std::endian::native == std::endian::little,
              "the snapshot files hold little-endian floats as they are in memory");

// F5 and F6 act on pictures whose display spans at most this long.
constexpr double kLongestSnapshotSpanMs = 60000.0;
// Half a millisecond absorbs the rounding of width × 1000 ÷ columns × columns.
constexpr double kSpanToleranceMs = 0.5;
constexpr int kBytesPerPixel = 3;

// The files a new entry is written to before it takes its place.
constexpr const char* kStagedImage = "bitmap-new.dat";
constexpr const char* kStagedLevels = "spl-new.dat";

bool WriteImageFile(const std::filesystem::path& target, const platform::DisplayBitmap& image) {
  app::WholeFileWriter writer;
  if (!writer.Open(target)) return false;
  const int w = image.Width();
  std::vector<std::byte> row;
  try {
    row.resize(static_cast<std::size_t>(w) * kBytesPerPixel);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int y = image.Height() - 1; y >= 0; --y) {
    const std::uint8_t* rgb = image.Row(y);
    for (int x = 0; x < w; ++x) {
      const std::size_t i = static_cast<std::size_t>(x) * kBytesPerPixel;
      row[i] = std::byte{rgb[i + 2]};
      row[i + 1] = std::byte{rgb[i + 1]};
      row[i + 2] = std::byte{rgb[i]};
    }
    writer.Write(row);
  }
  return writer.Commit();
}

// Levels a channel lacks (never in a finished picture) are written as
// fill, the display's minimum, as the engine starts its columns.
bool WriteLevelsFile(const std::filesystem::path& target, const app::AnalysisRecord& a, std::int64_t columns,
                     float fill) {
  app::WholeFileWriter writer;
  if (!writer.Open(target)) return false;
  for (int c = 0; c < a.channels; ++c) {
    const std::vector<float>& levels = a.totalLevels[static_cast<std::size_t>(c)];
    const std::size_t n = std::min(levels.size(), static_cast<std::size_t>(columns));
    writer.Write(std::as_bytes(std::span(levels.data(), n)));
    for (std::size_t i = n; i < static_cast<std::size_t>(columns); ++i) writer.Write(std::as_bytes(std::span(&fill, 1)));
  }
  return writer.Commit();
}

// Renames from over to; false when it fails.
bool MoveFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return !error;
}

// Whether the shown file can be opened again; "Cannot Open File" if not.
bool ShownFileExists(App& app) {
  std::error_code error;
  if (std::filesystem::is_regular_file(app.frame.fileName, error)) return true;
  app::Warn(app, "Cannot Open File");
  return false;
}

// The sample rates the Analyze File engine runs at.
constexpr std::int32_t kLowestRateHz = 4000;
constexpr std::int32_t kHighestRateHz = 96000;

}  // namespace

std::string SnapshotImageName(int index) { return "bitmap" + std::to_string(index + 1) + ".dat"; }
std::string SnapshotLevelsName(int index) { return "spl" + std::to_string(index + 1) + ".dat"; }

void DropNewestSnapshot(App& app) {
  app::FrameState& f = app.frame;
  f.snapshotIndex = std::max(-1, f.snapshotIndex - 1);
  if (f.snapshotIndex < 0) f.snapshotPushed = false;
  if (app.window == nullptr) return;
  app.window->SetCaption(AnalysisCaption(app, app.frame.fileName));
  app.window->EnableMenuItem(app::IDM_RESTORE_PARAMETERS, f.snapshotPushed);
}

bool SnapshotCommandsApply(const App& app) {
  const app::FrameState& f = app.frame;
  if (app.window == nullptr || app.display.IsNull() || !app.analysis.valid || f.engineLoop || f.running ||
      f.analysisPending || f.displayIsScan || f.IsScanning()) {
    return false;
  }
  const app::LayoutValues& v = app.layout;
  const int visible = app.analysis.dual ? (v.displayWidth - 2 * v.leftMargin) / 2 : v.displayWidth - v.leftMargin;
  const double spanMs = static_cast<double>(app.analysis.columnMs) * std::max(0, visible);
  return spanMs <= kLongestSnapshotSpanMs + kSpanToleranceMs;
}

app::ParameterSnapshot CaptureSnapshot(const App& app) {
  const app::CurrentParameters& p = app.params;
  const app::AnalysisRecord& a = app.analysis;
  const app::LayoutValues& v = app.layout;
  app::ParameterSnapshot e;
  e.analysisControls = p.analysisControls;
  e.sampleRateId = p.sampleRateId;
  e.sampleRateHz = p.sampleRateHz;
  e.resolutionId = p.resolutionId;
  e.fftSize = a.fftSize;
  e.paletteId = p.paletteId;
  e.sonogramLevelMax = p.sonogramLevelMax;
  e.sonogramLevelMin = p.sonogramLevelMin;
  e.scopeLevelMax = p.scopeLevelMax;
  e.scopeLevelMin = p.scopeLevelMin;
  e.gainDb = p.gainDb;
  e.displayId = p.displayId;
  e.frequencyScaleId = p.frequencyScaleId;
  e.channelsId = p.channelsId;
  e.typeId = p.typeId;
  e.ultrasoundId = p.ultrasoundId;
  e.averagingId = p.averagingId;
  e.beginMs = a.beginS * 1000.0F;
  e.endMs = a.endS * 1000.0F;
  e.viewStartMs = static_cast<float>(app.render.view.timeOriginMs);
  e.signalBytes = a.dataLength;
  e.signalPosition = a.segmentBeginByte;
  e.columns = a.columns;
  e.displayWidthS = p.displayWidthS;
  e.timePerColumnMs = a.columnMs;
  e.resolutionHz = a.resolutionHz;
  e.lowBandHz = a.lowHz;
  e.highBandHz = a.highHz;
  e.frequencyMultiplier = p.frequencyMultiplier;
  e.averagingMs = p.averagingScrollMs;
  e.wayOfWorking = p.wayOfWorking;
  const int shown = a.dual ? v.displayWidth / 2 : v.displayWidth;
  e.scrollRange = static_cast<std::int32_t>(std::max<std::int64_t>(0, a.leftMargin + a.plannedColumns - shown));
  e.scrollPosition = a.horizontalScroll;
  e.imageWidth = app.display.Width();
  e.imageHeight = app.display.Height();
  e.channels = a.channels;
  return e;
}

void ApplySnapshot(app::CurrentParameters& p, const app::ParameterSnapshot& e) {
  p.analysisControls = e.analysisControls;
  p.sampleRateId = e.sampleRateId;
  p.sampleRateHz = e.sampleRateHz;
  p.resolutionId = e.resolutionId;
  p.fftSize = e.fftSize;
  p.paletteId = e.paletteId;
  p.sonogramLevelMax = e.sonogramLevelMax;
  p.sonogramLevelMin = e.sonogramLevelMin;
  p.scopeLevelMax = e.scopeLevelMax;
  p.scopeLevelMin = e.scopeLevelMin;
  p.gainDb = e.gainDb;
  p.displayId = e.displayId;
  p.frequencyScaleId = e.frequencyScaleId;
  p.channelsId = e.channelsId;
  p.typeId = e.typeId;
  p.ultrasoundId = e.ultrasoundId;
  p.averagingId = e.averagingId;
  p.beginS = e.beginMs / 1000.0F;
  p.endS = e.endMs / 1000.0F;
  p.displayWidthS = e.displayWidthS;
  p.timePerColumnMs = e.timePerColumnMs;
  p.resolutionHz = e.resolutionHz;
  p.lowBandHz = e.lowBandHz;
  p.highBandHz = e.highBandHz;
  p.frequencyMultiplier = e.frequencyMultiplier;
  p.averagingScrollMs = e.averagingMs;
  p.wayOfWorking = e.wayOfWorking;
}

bool PushSnapshot(App& app) {
  const app::AnalysisRecord& a = app.analysis;
  const auto stagedImage = app::WorkingFilePath(app, kStagedImage);
  const auto stagedLevels = app::WorkingFilePath(app, kStagedLevels);
  // The new entry's files are complete before anything on the stack moves.
  if (!WriteImageFile(stagedImage, app.display) || !WriteLevelsFile(stagedLevels, a, a.columns, static_cast<float>(app.params.sonogramLevelMin))) {
    std::error_code error;
    std::filesystem::remove(stagedImage, error);
    std::filesystem::remove(stagedLevels, error);
    app::Fail(app, "Error Writing File");
    return false;
  }

  app::FrameState& f = app.frame;
  int index = std::max(-1, f.snapshotIndex) + 1;
  if (index >= app::kSnapshotDepth) {
    // The oldest entry goes; the others and their files move down by one.
    for (int k = 0; k + 1 < app::kSnapshotDepth; ++k) {
      app.snapshots[static_cast<std::size_t>(k)] = app.snapshots[static_cast<std::size_t>(k + 1)];
      MoveFile(app::WorkingFilePath(app, SnapshotImageName(k + 1)), app::WorkingFilePath(app, SnapshotImageName(k)));
      MoveFile(app::WorkingFilePath(app, SnapshotLevelsName(k + 1)), app::WorkingFilePath(app, SnapshotLevelsName(k)));
    }
    index = app::kSnapshotDepth - 1;
  }
  const bool placed = MoveFile(stagedImage, app::WorkingFilePath(app, SnapshotImageName(index))) &&
                      MoveFile(stagedLevels, app::WorkingFilePath(app, SnapshotLevelsName(index)));
  if (!placed) {
    f.snapshotIndex = index - 1;
    app::Fail(app, "Error Writing File");
    return false;
  }
  app.snapshots[static_cast<std::size_t>(index)] = CaptureSnapshot(app);
  f.snapshotIndex = index;
  f.snapshotPushed = true;
  app.window->SetCaption(app::kSnapshotCaption);
  app.window->EnableMenuItem(app::IDM_RESTORE_PARAMETERS, true);
  return true;
}

std::optional<RestoredPicture> ReadSnapshotPicture(const App& app, int index, const app::ParameterSnapshot& e) {
  RestoredPicture picture;
  // The picture's memory is had only once the file is known to fit it.
  bool allocated = false;
  const auto row = [&](int y) -> std::uint8_t* {
    if (!allocated && !picture.image.Allocate(e.imageWidth, e.imageHeight)) return nullptr;
    allocated = true;
    return picture.image.Row(y);
  };
  if (!ReadSnapshotImage(app::WorkingFilePath(app, SnapshotImageName(index)), e.imageWidth, e.imageHeight, row) ||
      !ReadSnapshotLevels(app::WorkingFilePath(app, SnapshotLevelsName(index)), e.columns, e.channels,
                          picture.levels)) {
    return std::nullopt;
  }
  picture.columns = e.columns;
  picture.beginByte = e.signalPosition;
  picture.byteCount = e.signalBytes;
  picture.scrollRange = e.scrollRange;
  picture.scrollPosition = e.scrollPosition;
  picture.timeOriginMs = e.viewStartMs;
  return picture;
}

void ChangeParametersRequest(App& app, int reason, AskParameters ask) {
  if (!SnapshotCommandsApply(app)) return;
  app.frame.spaceLatch = false;
  if (app.params.IsScopeDisplay()) return;
  if (!PushSnapshot(app)) return;

  app::ParameterGuard guard(app);
  if (!ShownFileExists(app)) return DropNewestSnapshot(app);
  const std::optional<AnalyzeSource> source = BeginAnalyzeFile(app, kAnalyzeAgain);
  if (!source) {
    EndAnalyzeFile(app);
    return DropNewestSnapshot(app);
  }
  // Cancel ends the command; the snapshot stays for F6.
  if (reason == app::kReasonUser && ask != nullptr && !ask(app, *source)) return EndAnalyzeFile(app);
  if (source->wave.analysisRate < kLowestRateHz || source->wave.analysisRate > kHighestRateHz) {
    app::Fail(app, "Sample Rate Out of Range");
    EndAnalyzeFile(app);
    return DropNewestSnapshot(app);
  }
  const AnalyzeOutcome outcome = RunAnalyzeFile(app, *source);
  EndAnalyzeFile(app);
  // A refused analysis leaves the previous picture on show: the snapshot
  // of it has nothing to bring back.
  if (outcome == AnalyzeOutcome::Refused) return DropNewestSnapshot(app);
  guard.Keep();
  if (outcome == AnalyzeOutcome::LayoutChanged) {
    app::RunLayout(app, false);
    AnalyzeFileRequest(app, kAnalyzeAgain, nullptr);
  }
}

void RestoreParametersRequest(App& app) {
  if (!SnapshotCommandsApply(app)) return;
  app.frame.spaceLatch = false;
  const int index = app.frame.snapshotIndex;
  if (index < 0 || index >= app::kSnapshotDepth) return;
  const app::ParameterSnapshot entry = app.snapshots[static_cast<std::size_t>(index)];
  // The entry leaves the stack whether or not its picture can be shown.
  DropNewestSnapshot(app);
  std::optional<RestoredPicture> picture = ReadSnapshotPicture(app, index, entry);
  if (!picture) {
    app::Warn(app, "File Error");
    return;
  }

  app::ParameterGuard guard(app);
  ApplySnapshot(app.params, entry);
  if (!ShownFileExists(app)) return;
  const std::optional<AnalyzeSource> source = BeginAnalyzeFile(app, kAnalyzeAgain);
  if (!source) return EndAnalyzeFile(app);
  render::SelectPaletteColors(app, app.params.paletteId);
  // The restored picture replaces a point spectrum on show.
  const bool spectrumShown = app.frame.segmentSpectrumShown;
  app.frame.segmentSpectrumShown = false;
  const AnalyzeOutcome outcome = RestoreAnalyzeFile(app, *source, std::move(*picture));
  EndAnalyzeFile(app);
  if (outcome == AnalyzeOutcome::Refused) {
    app.frame.segmentSpectrumShown = spectrumShown;
    render::SelectPaletteColors(app, guard.Previous().paletteId);
    return;
  }
  app.beforeSpectrum = {};
  guard.Keep();
  app.window->SetScrollPosition(platform::ScrollBarId::Vertical, app.params.gainDb + 30);
}

}  // namespace sonavue::engines
