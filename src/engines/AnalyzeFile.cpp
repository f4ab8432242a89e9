#include "engines/AnalyzeFile.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "context/App.h"
#include "context/Boxes.h"
#include "context/CommandIds.h"
#include "context/FileChoosers.h"
#include "context/Layout.h"
#include "context/Menu.h"
#include "context/ParameterGuard.h"
#include "context/WorkingFiles.h"
#include "engines/ColumnAnalysis.h"
#include "engines/StaticAnalysis.h"
#include "plans/AxesPlan.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "render/Panels.h"

namespace sonavue::engines {
namespace {

using app::App;

// The newest columns reach the window at most this often: about the
// display's refresh, so the screen never holds up the analysis.
constexpr std::uint32_t kShowIntervalMs = 16;
// In a batch the pictures are looked at once saved: the window follows the
// analysis ten times a second, so that the files go through at full speed.
constexpr std::uint32_t kBatchShowIntervalMs = 100;
// The command line's FFT size 2^k: k limited to 9 … 14, and a frame no
// longer than this many columns.
constexpr int kCommandLineMinPower = 9;
constexpr int kCommandLineMaxPower = 14;
constexpr double kCommandLineFrameColumns = 12.0;

// FFT size 2^k for a command-line run: k = log2(ratio) rounded half up.
int PowerOfTwoSize(double ratio) {
  const double k = std::floor(std::log2(std::max(ratio, 1.0)) + 0.5);
  return 1 << static_cast<int>(std::clamp<double>(k, kCommandLineMinPower, kCommandLineMaxPower));
}

bool IsDual(const App& app, int channels) {
  return channels == 2 && app.params.channelsId == app::ID_CHANNELS_DUAL;
}

// The visible plot width: the display less the margin; in "Dual" view each
// channel gets half of what is left after two margins.
int PlotWidth(const App& app, bool dual) {
  const app::LayoutValues& v = app.layout;
  return dual ? v.displayWidth - 2 * v.leftMargin : v.displayWidth - v.leftMargin;
}

// Δt from the display width: width × 1000 ÷ plot width, twice that in "Dual".
float StepFromDisplayWidth(const App& app, bool dual) {
  return app.params.displayWidthS * (dual ? 2000.0F : 1000.0F) / static_cast<float>(PlotWidth(app, dual));
}

// Draws the newest columns into the window: once the columns pass the
// visible width the view scrolls so that the newest column sits at the
// right edge.
void ShowProgress(App& app, std::int64_t column) {
  app::AnalysisRecord& a = app.analysis;
  const int plotWidth = (a.dual ? app.layout.displayWidth / 2 : app.layout.displayWidth) - a.leftMargin;
  const std::int64_t shown = column + 1;
  a.horizontalScroll = shown > plotWidth ? static_cast<int>(shown - plotWidth) : 0;
  app.render.view.horizontalOffset = a.horizontalScroll;
  app.render.view.columns = static_cast<int>(shown);
  app.window->SetScrollPosition(platform::ScrollBarId::Horizontal, a.horizontalScroll);
  render::BlitDisplay(app);
  // Once the view has moved, the time strip and the frequency margin are
  // drawn for what the window shows.
  if (a.horizontalScroll > 0) render::DrawAxes(app, app.window->Surface(), {});
  app.window->Present();
}

// Where the frame loop draws.
struct Canvas {
  int margin = 0;       // Mx
  int bottom = 0;       // Hb
  int strip = 0;        // Hw
  int rows = 0;
  int imageHeight = 0;  // Himg
};

// The colour of every level code of a run, looked up instead of worked out
// per pixel: LevelToColorIndex limited to the colour scale, for the codes
// around the display range (the rest lie below or above it and take the
// function itself).
class CodeColors {
 public:
  CodeColors(const App& app, std::vector<platform::Rgb>& table)
      : app_(app), minDb_(app.params.sonogramLevelMin), maxDb_(app.params.sonogramLevelMax), table_(table) {
    lowest_ = 4 * std::min(minDb_, maxDb_) - kMargin;
    const int highest = std::min(4 * std::max(minDb_, maxDb_) + kMargin, lowest_ + kLargestTable - 1);
    table_.clear();
    for (int code = lowest_; code <= highest; ++code) table_.push_back(Compute(code));
  }

  platform::Rgb operator()(std::int16_t code) const {
    const int at = code - lowest_;
    if (at >= 0 && at < static_cast<int>(table_.size())) return table_[static_cast<std::size_t>(at)];
    return Compute(code);
  }

 private:
  static constexpr int kMargin = 8;
  static constexpr int kLargestTable = 8192;
  platform::Rgb Compute(int code) const {
    const int index = render::ClampToScale(render::LevelToColorIndex(static_cast<std::int16_t>(code), minDb_, maxDb_));
    return app_.colors[static_cast<std::size_t>(index)];
  }

  const App& app_;
  int minDb_;
  int maxDb_;
  int lowest_ = 0;
  std::vector<platform::Rgb>& table_;
};

// Where the current layout puts the picture of a file with this many
// channels: one channel picture per channel, each as high as the display.
Canvas CanvasFor(const App& app, int channels) {
  const app::LayoutValues& v = app.layout;
  Canvas canvas;
  canvas.margin = v.leftMargin;
  canvas.bottom = 2 * v.charHeight;
  const int plotHeight = v.displayHeight - canvas.bottom;
  canvas.strip = app.params.displayId == app::ID_DISPLAY_SCROLL2 ? render::WaveformStripHeight(v.displayHeight, v.charHeight) : 0;
  canvas.rows = plotHeight - canvas.strip;
  canvas.imageHeight = channels == 2 ? 2 * v.displayHeight : v.displayHeight;
  return canvas;
}

// Writes one channel's column of level codes (column i of the analysis's
// last block) and its strip trace at x.
void DrawColumn(App& app, const Canvas& canvas, const ColumnAnalysis& analysis, const CodeColors& colorOf,
                int channel, int i, int x) {
  const int channels = analysis.Channels();
  platform::DisplayBitmap& image = app.display;
  const platform::ColorTable& colors = app.colors;
  const std::size_t stride = image.Stride();
  std::uint8_t* const base = image.Row(0);
  const std::size_t imageBytes = stride * static_cast<std::size_t>(image.Height());
  // The left (or only) channel fills the lower half of a stereo image.
  const int top = channels == 2 && channel == 0 ? canvas.imageHeight / 2 : 0;
  const int channelBottom = channels == 2 ? canvas.imageHeight / 2 : canvas.imageHeight;
  const std::span<const std::int16_t> codes = analysis.Codes(channel, i);
  for (int m = 0; m < canvas.rows; ++m) {
    const int y = top + channelBottom - canvas.bottom - m - 1;
    const std::size_t offset = static_cast<std::size_t>(y) * stride + 3U * static_cast<std::size_t>(x);
    if (y < 0 || offset + 3 > imageBytes) continue;
    const platform::Rgb rgb = colorOf(codes[static_cast<std::size_t>(m)]);
    base[offset] = rgb.r;
    base[offset + 1] = rgb.g;
    base[offset + 2] = rgb.b;
  }
  if (canvas.strip > 0) {
    const int hw = canvas.strip;
    const StripPeaks peaks = analysis.Peaks(channel, i);
    const int yHigh = top + hw / 2 - StripOffset(peaks.high, hw) + 1;
    const int yLow = top + hw / 2 - StripOffset(peaks.low, hw);
    image.Line({x, std::min(yHigh, yLow)}, {x, std::max(yHigh, yLow)}, colors[render::kSignal1Index]);
    image.SetPixelIndex(x, top + hw, render::kSignal2Index);
  }
}

// The frame loop: blocks of columns analysed on every core, their pixels
// written straight into image memory, the window served between blocks (a
// block is a few milliseconds of work). Returns the columns drawn.
std::int64_t RunFrames(App& app, ColumnAnalysis& analysis, std::int64_t columns, const Canvas& canvas,
                       std::span<const std::uint8_t> data, const CodeColors& colorOf) {
  app::AnalysisRecord& a = app.analysis;
  for (auto& levelsOfChannel : a.totalLevels) levelsOfChannel.clear();
  for (int c = 0; c < analysis.Channels(); ++c) {
    a.totalLevels[static_cast<std::size_t>(c)].assign(static_cast<std::size_t>(columns),
                                                      static_cast<float>(app.params.sonogramLevelMin));
  }

  const std::uint32_t showInterval = app.batch.running ? kBatchShowIntervalMs : kShowIntervalMs;
  std::uint32_t lastShown = app.clock.NowMs();
  std::int64_t done = 0;
  while (done < columns && !app.frame.stopRequest) {
    const int count = static_cast<int>(std::min<std::int64_t>(analysis.BlockColumns(), columns - done));
    analysis.AnalyseBlock(data, done, count);
    for (int i = 0; i < count; ++i) {
      const std::int64_t column = done + i;
      const int x = canvas.margin + static_cast<int>(column);
      for (int c = 0; c < analysis.Channels(); ++c) {
        if (const auto total = analysis.TotalDb(c, i)) {
          a.totalLevels[static_cast<std::size_t>(c)][static_cast<std::size_t>(column)] = *total;
        }
        DrawColumn(app, canvas, analysis, colorOf, c, i, x);
      }
    }
    done += count;
    const std::uint32_t now = app.clock.NowMs();
    if (now - lastShown >= showInterval) {
      lastShown = now;
      ShowProgress(app, done - 1);
    }
    // Let the window handle keys, STOP and repaints between blocks; the
    // analysis never waits for the screen.
    app.pump.DispatchOne();
  }
  return done;
}

// Reads the segment's bytes behind a working header into signal. False
// (after its message) when the memory cannot be had or the file ends early.
bool LoadSegment(App& app, const audio::OpenedWave& wave, const SegmentBytes& segment,
                 std::vector<std::uint8_t>& signal) {
  const std::uint32_t length = segment.endByte - segment.beginByte;
  try {
    signal.resize(audio::kWorkingHeaderBytes + static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    app::Warn(app, "Not enough memory");
    return false;
  }
  audio::WriteWorkingHeader(std::span<std::uint8_t, audio::kWorkingHeaderBytes>(signal.data(), audio::kWorkingHeaderBytes),
                            wave.info.channels, wave.analysisRate, wave.info.bitsPerSample, length);
  const std::span<std::uint8_t> samples(signal.data() + audio::kWorkingHeaderBytes, length);
  if (!audio::ReadDataBytes(wave, segment.beginByte, samples)) {
    app::Warn(app, "Cannot Read Wave File");
    return false;
  }
  return true;
}

// Makes the new picture the current analysis: its record (the signal moves
// in, its buffer unchanged), the file, the way of working and the view.
void KeepAnalysis(App& app, const AnalyzeSource& source, const Canvas& canvas, std::vector<std::uint8_t> signal,
                  std::uint32_t beginByte, std::uint32_t length, std::int64_t columns, int width) {
  app::CurrentParameters& p = app.params;
  const audio::WaveFileInfo& info = source.wave.info;
  app::AnalysisRecord& a = app.analysis;
  a = app::AnalysisRecord{};
  a.signal = std::move(signal);
  a.valid = true;
  a.sourcePath = source.wave.path.string();
  a.dataLength = length;
  a.segmentBeginByte = beginByte;
  a.channels = info.channels;
  a.bitsPerSample = info.bitsPerSample;
  a.sourceBits = info.sourceBits;
  a.analysisRate = source.wave.analysisRate;
  a.multiplier = source.wave.multiplier;
  a.dual = IsDual(app, info.channels);
  a.beginS = p.beginS;
  a.endS = p.endS;
  a.columnMs = p.timePerColumnMs;
  a.fftSize = p.fftSize;
  a.resolutionHz = p.resolutionHz;
  a.lowHz = p.lowBandHz;
  a.highHz = p.highBandHz;
  a.rows = canvas.rows;
  a.waveformStrip = canvas.strip;
  a.bottomStrip = canvas.bottom;
  a.leftMargin = canvas.margin;
  a.plannedColumns = columns;
  a.imageWidth = width;
  app.frame.fileName = source.path.string();
  app.frame.displayIsScan = false;
  if (source.kind != kAnalyzeAgain) app.frame.scanFilePicture = false;
  p.scanFlag = 0;
  if (p.IsScrollDisplay()) p.wayOfWorking = p.displayId == app::ID_DISPLAY_SCROLL2 ? 2 : 1;

  render::DisplayView& view = app.render.view;
  view = render::DisplayView{};
  view.segmentStartMs = static_cast<double>(p.beginS) * 1000.0;
  view.channelCount = info.channels;
  view.stackedChannels = info.channels == 2;
  view.analysisRateHz = source.wave.analysisRate;
  view.sourceBits = info.sourceBits;
}

// After the frame loop: the record cut to the analysed columns, the level
// trace, the controls, the last view and the idle menu state.
void FinishPicture(App& app, std::int64_t drawn) {
  app::AnalysisRecord& a = app.analysis;
  render::DisplayView& view = app.render.view;
  a.columns = std::max<std::int64_t>(0, drawn);
  a.dataLength = static_cast<std::uint32_t>(static_cast<std::uint64_t>(a.dataLength) *
                                            static_cast<std::uint64_t>(a.columns) /
                                            static_cast<std::uint64_t>(a.plannedColumns));
  for (auto& levelsOfChannel : a.totalLevels) {
    if (levelsOfChannel.size() > static_cast<std::size_t>(a.columns)) levelsOfChannel.resize(static_cast<std::size_t>(a.columns));
  }
  view.levelTraceLeft = a.totalLevels[0];
  view.levelTraceRight = a.totalLevels[1];
  for (int id : {app::IDC_PLAY, app::IDC_PLAY_WINDOW, app::IDC_GRID}) app.window->EnableButton(id, true);
  ShowProgress(app, std::max<std::int64_t>(0, a.columns - 1));
  app::EnterAnalysisIdleMenuState(app);
  app.window->Invalidate();
}

// The command-line run's rules: band limited to fs ÷ 2, at least 10 Hz
// wide, a span of at least 1 s; Δt from the span and the FFT size from the
// band and Δt. False (after its message) when the request is refused.
bool SettleCommandLine(App& app, std::int32_t fs, bool dual, float& stepMs) {
  app::CurrentParameters& p = app.params;
  const app::CommandLineRequest request = app.commandLine;
  app.commandLine.started = false;
  p.lowBandHz = request.lowHz;
  p.highBandHz = request.highHz;
  if (request.limitsInRange && p.highBandHz > fs / 2) {
    p.highBandHz = fs / 2;
    app::Warn(app, "Highest Frequency Limited to 1/2 Sampling Rate");
  }
  if (!request.limitsInRange || p.highBandHz - p.lowBandHz < 10) {
    app::Warn(app, "Improper Frequency Limits");
    return false;
  }
  if (!request.spanInRange || request.spanS < 1.0F) {
    app::Warn(app, "Improper Time Span");
    return false;
  }
  p.displayWidthS = request.spanS;
  stepMs = request.spanS * 1000.0F / static_cast<float>(PlotWidth(app, dual));
  const double coarse = 2.0 * (p.highBandHz - p.lowBandHz) / std::max(1, app.layout.displayHeight);
  p.fftSize = PowerOfTwoSize(fs / coarse);
  if (p.fftSize * 1000.0 / fs > kCommandLineFrameColumns * stepMs) {
    p.fftSize = PowerOfTwoSize(fs * kCommandLineFrameColumns * stepMs / 1000.0);
  }
  return true;
}

}  // namespace

std::optional<AnalyzeSource> BeginAnalyzeFile(App& app, int kind) {
  app::CurrentParameters& p = app.params;
  AnalyzeSource source;
  source.kind = kind;
  if (kind == kAnalyzeMenu && app.batch.running) {
    // The next file of a batch, analysed with the column step the last
    // analysis left.
    source.path = app.batch.current;
    source.columnStepMs = p.timePerColumnMs;
  } else if (kind == kAnalyzeMenu) {
    const auto chosen = app::ChooseFile(app, app::FileChooser::OpenWave);
    if (!chosen) return std::nullopt;
    source.path = chosen->front();
    app.batch.referenceWidth = 0;
    // A live sonogram drawn at an uneven pace is not kept on show.
    if (app.frame.irregularColumns) {
      app.frame.irregularColumns = false;
      app.display.Release();
      app.window->Invalidate();
    }
  } else if (kind == kAnalyzeCapture) {
    source.path = app::WorkingFilePath(app, "temp.wav");
  } else {
    source.path = app.frame.fileName;
  }
  if (kind == kAnalyzeAgain) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(source.path, error)) return std::nullopt;  // silently, as a resize asks
  }
  app.frame.analysisPending = true;
  const bool commandLineRun = kind == kAnalyzeCommandLine && app.commandLine.started;
  auto opened = audio::OpenWaveFile(app, source.path, audio::WaveCommand::AnalyzeFile,
                                    kind == kAnalyzeMenu || kind == kAnalyzeCommandLine);
  if (!opened) return std::nullopt;
  source.wave = std::move(*opened);
  const audio::WaveFileInfo& info = source.wave.info;
  const std::int32_t fs = source.wave.analysisRate;
  const bool dual = IsDual(app, info.channels);
  if (PlotWidth(app, dual) <= 0) return std::nullopt;

  if (kind != kAnalyzeAgain) {
    if (kind != kAnalyzeCapture) {
      p.lowBandHz = NewFileLowBandHz(p.frequencyScaleId);
      p.highBandHz = fs / 2;
    }
    const double bytesPerSecond = static_cast<double>(fs) * info.channels * info.bytesPerSample;
    p.beginS = 0.0F;
    p.endS = static_cast<float>(info.dataLength / bytesPerSecond);
  }
  if (kind == kAnalyzeCapture) {
    // The picture of a stopped scan keeps the scan's column step; its width
    // in whole tenths of a second.
    const float stepMs = app.scanColumnMs;
    const int plotWidth = PlotWidth(app, dual);
    const double width = stepMs * (dual ? plotWidth / 2.0 : static_cast<double>(plotWidth)) / 1000.0;
    p.displayWidthS = static_cast<float>(std::clamp(std::floor(width * 10.0) / 10.0, 0.1, 60.0));
    source.columnStepMs = stepMs;
  }
  if (commandLineRun) {
    float stepMs = 0.0F;
    if (!SettleCommandLine(app, fs, dual, stepMs)) return std::nullopt;
    source.columnStepMs = stepMs;
  }
  if (source.wave.ultrasound) p.frequencyMultiplier = source.wave.multiplier;
  return source;
}

bool AnalyzeShowsDialog(const App& app, int kind) {
  if (kind != kAnalyzeMenu) return false;
  return app.batch.running || app.params.variables != app::IDM_VARIABLES_FREEZE;
}

AnalyzeOutcome RunAnalyzeFile(App& app, const AnalyzeSource& source) {
  app::CurrentParameters& p = app.params;
  const audio::WaveFileInfo& info = source.wave.info;
  const std::int32_t fs = source.wave.analysisRate;
  const int channels = info.channels;
  // The channel choice may have changed in the dialog: the layout follows it.
  const bool dual = IsDual(app, channels);
  const app::LayoutValues& v = app.layout;
  const int margin = v.leftMargin;
  const int plotWidth = PlotWidth(app, dual);
  if (plotWidth <= 0) return AnalyzeOutcome::Refused;
  float stepMs = source.columnStepMs.value_or(StepFromDisplayWidth(app, dual));
  if (!(stepMs > 0.0F)) stepMs = 10.0F;

  const Canvas canvas = CanvasFor(app, channels);
  const int plotHeight = v.displayHeight - canvas.bottom;

  StaticAnalysisInput input;
  input.rateHz = fs;
  input.channels = channels;
  input.bitsPerSample = info.bitsPerSample;
  input.availableBytes = audio::AvailableDataBytes(source.wave);
  input.columnStepMs = stepMs;
  input.sonogramHeight = std::max(1, plotHeight);
  input.rows = canvas.rows;
  input.stripHeight = canvas.strip;
  input.keepFftSize = source.kind == kAnalyzeCommandLine && source.columnStepMs.has_value();
  input.exactBytes = source.exactBytes;
  const StaticAnalysis plan = PlanStaticAnalysis(p, input);
  p.resolutionHz = plan.resolutionHz;
  p.fftSize = plan.fftSize;
  p.timePerColumnMs = stepMs;
  if (!plan.Ok() && plan.refusal == AnalysisRefusal::ImproperBeginOrEnd) {
    app::Fail(app, RefusalText(plan.refusal));
    return AnalyzeOutcome::Refused;
  }
  p.endS = plan.endS;

  // The segment, read into memory behind a working header. Until the new
  // picture's image exists, the previous picture, its signal and its levels
  // stay as they are: a refused request leaves them on show.
  std::vector<std::uint8_t> signal;
  if (!LoadSegment(app, source.wave, plan.segment, signal)) return AnalyzeOutcome::Refused;
  const std::uint32_t length = plan.segment.endByte - plan.segment.beginByte;
  const std::span<const std::uint8_t> samples(signal.data() + audio::kWorkingHeaderBytes, length);
  if (!plan.Ok()) {
    if (RefusalIsError(plan.refusal)) {
      app::Fail(app, RefusalText(plan.refusal));
    } else {
      app::Warn(app, RefusalText(plan.refusal));
    }
    return AnalyzeOutcome::Refused;
  }
  const std::int64_t columns = plan.columns.frames.columns;
  ColumnAnalysis analysis;
  if (!analysis.Start(plan.columns)) {
    app::Warn(app, "Not enough memory");
    return AnalyzeOutcome::Refused;
  }

  // The image: one channel picture per channel, each as high as the display.
  int width = columns > plotWidth ? margin + static_cast<int>(columns) : v.displayWidth;
  width = platform::RoundUpImageWidth(std::max(width, v.displayWidth));
  // The live sonogram of a file scan whose columns came at an even pace
  // already shows this span column for column: it stays, with its levels.
  const bool keepImage = source.kind == kAnalyzeCapture && app.frame.keepScanImage && channels == 1 &&
                         columns <= plotWidth && !app.display.IsNull() && app.display.Width() == width &&
                         app.display.Height() == canvas.imageHeight;
  app.frame.keepScanImage = false;
  std::vector<float> liveLevels;
  if (keepImage) {
    liveLevels = app.render.view.levelTraceLeft;
    liveLevels.resize(static_cast<std::size_t>(columns), static_cast<float>(p.sonogramLevelMin));
  } else {
    platform::DisplayBitmap image;
    if (!image.Allocate(width, canvas.imageHeight)) {
      app::Warn(app, "Not enough memory");
      return AnalyzeOutcome::Refused;
    }
    app.display = std::move(image);
    app.display.BindColors(&app.colors);
    app.display.FillRectIndex({0, 0, width, canvas.imageHeight}, render::kBackgroundIndex);
  }
  // The picture of a file chosen from the menu sizes the images of a batch.
  if (source.kind == kAnalyzeMenu && !app.batch.running) app.batch.referenceWidth = width;

  // The signal's buffer moves into the record: samples still point into it.
  KeepAnalysis(app, source, canvas, std::move(signal), plan.segment.beginByte, length, columns, width);
  render::DisplayView& view = app.render.view;
  const int scrollRange = std::max(0, margin + static_cast<int>(columns) - (dual ? v.displayWidth / 2 : v.displayWidth));
  app.window->SetScrollRange(platform::ScrollBarId::Horizontal, 0, scrollRange);
  render::AxesOptions axes;
  axes.singleLayout = true;
  axes.wholeImage = columns > plotWidth;
  view.columns = static_cast<int>(columns);
  render::DrawAxes(app, app.display, axes);
  for (int id : {app::IDC_PLAY, app::IDC_PLAY_WINDOW, app::IDC_GRID}) app.window->EnableButton(id, false);
  app.window->EnableButton(app::IDC_STOP, true);
  app.window->SetCaption(AnalysisCaption(app, source.path));

  app.frame.stopRequest = false;
  app.frame.engineLoop = true;
  std::vector<platform::Rgb> colorTable;
  const CodeColors colorOf(app, colorTable);
  std::int64_t drawn = columns;
  if (keepImage) {
    for (auto& levelsOfChannel : app.analysis.totalLevels) levelsOfChannel.clear();
    app.analysis.totalLevels[0] = std::move(liveLevels);
  } else {
    drawn = RunFrames(app, analysis, columns, canvas, samples, colorOf);
  }
  analysis.Release();
  app.frame.engineLoop = false;
  app.frame.analysisPending = false;

  FinishPicture(app, drawn);
  if (app.frame.layoutPending) {
    app.frame.layoutPending = false;
    return AnalyzeOutcome::LayoutChanged;
  }
  return AnalyzeOutcome::Done;
}

std::string AnalysisCaption(const App& app, const std::filesystem::path& file) {
  return app.frame.snapshotIndex >= 0 ? app::kSnapshotCaption : file.filename().string();
}

AnalyzeOutcome RestoreAnalyzeFile(App& app, const AnalyzeSource& source, RestoredPicture&& picture) {
  app::CurrentParameters& p = app.params;
  const audio::WaveFileInfo& info = source.wave.info;
  const int channels = info.channels;
  const bool dual = IsDual(app, channels);
  const app::LayoutValues& v = app.layout;
  const int plotWidth = PlotWidth(app, dual);
  const Canvas canvas = CanvasFor(app, channels);
  const int width = picture.image.Width();
  // The picture must be the one this layout makes of the restored
  // parameters: as high as the channels need, at least the window wide and
  // wide enough for its columns.
  const bool fits = plotWidth > 0 && picture.columns >= 0 && picture.image.Height() == canvas.imageHeight &&
                    width >= v.displayWidth && width % platform::kImageWidthMultiple == 0 &&
                    (picture.columns <= plotWidth || width >= canvas.margin + picture.columns);
  const std::size_t perChannel = static_cast<std::size_t>(picture.columns);
  const bool levelsFit = picture.levels[0].size() == perChannel &&
                         picture.levels[1].size() == (channels == 2 ? perChannel : 0U);
  if (!fits || !levelsFit) {
    app::Warn(app, "File Error");
    return AnalyzeOutcome::Refused;
  }

  // The segment's bytes, whole sample frames, within the file's data.
  const std::uint32_t frameBytes = static_cast<std::uint32_t>(channels) * static_cast<std::uint32_t>(info.bytesPerSample);
  const std::uint32_t available = audio::AvailableDataBytes(source.wave);
  SegmentBytes segment;
  segment.beginByte = picture.beginByte / frameBytes * frameBytes;
  const std::uint64_t end = static_cast<std::uint64_t>(segment.beginByte) + picture.byteCount / frameBytes * frameBytes;
  if (segment.beginByte > available || end > available) {
    app::Fail(app, "Improper Begin or End");
    return AnalyzeOutcome::Refused;
  }
  segment.endByte = static_cast<std::uint32_t>(end);
  std::vector<std::uint8_t> signal;
  if (!LoadSegment(app, source.wave, segment, signal)) return AnalyzeOutcome::Refused;
  const std::uint32_t length = segment.endByte - segment.beginByte;
  const double bytesPerSecond = static_cast<double>(source.wave.analysisRate) * frameBytes;
  p.beginS = static_cast<float>(segment.beginByte / bytesPerSecond);
  p.endS = static_cast<float>(segment.endByte / bytesPerSecond);

  app.display = std::move(picture.image);
  app.display.BindColors(&app.colors);
  KeepAnalysis(app, source, canvas, std::move(signal), segment.beginByte, length, picture.columns, width);
  app::AnalysisRecord& a = app.analysis;
  a.columns = picture.columns;
  a.totalLevels = std::move(picture.levels);
  a.horizontalScroll = std::clamp(picture.scrollPosition, 0, std::max(0, picture.scrollRange));
  render::DisplayView& view = app.render.view;
  view.timeOriginMs = picture.timeOriginMs;
  view.columns = static_cast<int>(a.columns);
  view.horizontalOffset = a.horizontalScroll;
  view.levelTraceLeft = a.totalLevels[0];
  view.levelTraceRight = a.totalLevels[1];

  app.window->SetScrollRange(platform::ScrollBarId::Horizontal, 0, std::max(0, picture.scrollRange));
  app.window->SetScrollPosition(platform::ScrollBarId::Horizontal, a.horizontalScroll);
  for (int id : {app::IDC_PLAY, app::IDC_PLAY_WINDOW, app::IDC_GRID}) app.window->EnableButton(id, true);
  app.window->SetCaption(AnalysisCaption(app, source.path));
  render::BlitDisplay(app);
  if (a.horizontalScroll > 0) render::DrawAxes(app, app.window->Surface(), {});
  app::EnterAnalysisIdleMenuState(app);
  app.window->Invalidate();
  return AnalyzeOutcome::Done;
}

void EndAnalyzeFile(App& app) {
  app.frame.analysisPending = false;
  app.frame.keepScanImage = false;
  app.commandLine.started = false;
}

AnalyzeOutcome AnalyzeFileRequest(App& app, int kind, const AskParameters& ask) {
  if (app.frame.engineLoop || app.window == nullptr) return AnalyzeOutcome::Cancelled;
  if (kind == kAnalyzeAgain && app.frame.playbackActive) return AnalyzeOutcome::Cancelled;
  for (;;) {
    app::ParameterGuard guard(app);
    const std::optional<AnalyzeSource> source = BeginAnalyzeFile(app, kind);
    if (!source) {
      EndAnalyzeFile(app);
      // In a batch the file could not be opened. Without one, a menu request
      // that ends here (its chooser may have been cancelled) leaves nothing
      // for the caller to end.
      return kind == kAnalyzeMenu && !app.batch.running ? AnalyzeOutcome::Cancelled : AnalyzeOutcome::Refused;
    }
    if (ask && AnalyzeShowsDialog(app, kind) && !ask(app, *source)) {
      EndAnalyzeFile(app);
      return AnalyzeOutcome::Cancelled;
    }
    // A new picture (not the same one made again) starts a new snapshot stack.
    if (kind != kAnalyzeAgain) {
      app.frame.snapshotIndex = -1;
      app.frame.snapshotPushed = false;
    }
    const AnalyzeOutcome outcome = RunAnalyzeFile(app, *source);
    EndAnalyzeFile(app);
    if (outcome == AnalyzeOutcome::Refused) {
      app.batch.referenceWidth = 0;
      return outcome;
    }
    guard.Keep();
    if (outcome != AnalyzeOutcome::LayoutChanged) return outcome;
    app::RunLayout(app, false);
    kind = kAnalyzeAgain;
  }
}

}  // namespace sonavue::engines
