#include "engines/AnalyzeFile.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <new>

#include "app/App.h"
#include "app/CommandIds.h"
#include "app/FileChoosers.h"
#include "app/Layout.h"
#include "app/Menu.h"
#include "app/WorkingFiles.h"
#include "audio/WaveOpen.h"
#include "dialogs/ParameterDialog.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "engines/AnalysisPlan.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "render/Panels.h"

namespace sonavue::engines {
namespace {

using app::App;
using platform::BoxButtons;
using platform::BoxIcon;

constexpr const char* kCaption = "Sonavue";
// How often the loop lets the window handle its events while it computes.
constexpr std::uint32_t kPumpIntervalMs = 15;
// The newest columns reach the window at most this often: about the
// display's refresh, so the screen never holds up the analysis.
constexpr std::uint32_t kShowIntervalMs = 16;
constexpr std::int64_t kPumpIntervalColumns = 64;

void Warn(App& app, const char* text) {
  app.prompts.MessageBox(text, kCaption, BoxIcon::Warning, BoxButtons::Ok);
}
void Fail(App& app, const char* text) {
  app.prompts.MessageBox(text, kCaption, BoxIcon::Error, BoxButtons::Ok);
}

dsp::FrequencyScale ScaleOf(const app::CurrentParameters& p) {
  // The static analysis knows no one-third-octave scale: Oct/3 draws as Log.
  return p.frequencyScaleId == app::ID_SCALE_LINEAR ? dsp::FrequencyScale::Linear
                                                    : dsp::FrequencyScale::Log;
}

// FFT size 2^k for a command-line run: k = log2(fs ÷ R′) rounded half up,
// 9 … 14.
int PowerOfTwoSize(double ratio) {
  const double k = std::floor(std::log2(std::max(ratio, 1.0)) + 0.5);
  return 1 << static_cast<int>(std::clamp(k, 9.0, 14.0));
}

// Everything the frame loop needs, fixed before it starts.
struct Run {
  std::int64_t columns = 0;
  float hop = 0.0F;
  int channels = 1;
  int bytesPerSample = 2;
  int rows = 0;
  int strip = 0;        // Hw
  int bottom = 0;       // Hb
  int margin = 0;       // Mx
  int imageHeight = 0;  // Himg
  float stepMs = 10.0F;
  float windowMs = 10.0F;
  std::int32_t rate = 48000;
  int fftSize = 1024;
};

// Draws the newest columns into the window: once the columns pass the
// visible width the view scrolls so that the newest column sits at the
// right edge.
void ShowProgress(App& app, const Run& run, std::int64_t column) {
  app::AnalysisRecord& a = app.analysis;
  const int plotWidth = (a.dual ? app.layout.displayWidth / 2 : app.layout.displayWidth) - a.leftMargin;
  const std::int64_t shown = column + 1;
  a.horizontalScroll = shown > plotWidth ? static_cast<int>(shown - plotWidth) : 0;
  app.render.view.horizontalOffset = a.horizontalScroll;
  app.render.view.columns = static_cast<int>(shown);
  app.window->SetScrollPosition(platform::ScrollBarId::Horizontal, a.horizontalScroll);
  (void)run;
  render::BlitDisplay(app);
  // Once the view has moved, the time strip and the frequency margin are
  // drawn for what the window shows.
  if (a.horizontalScroll > 0) render::DrawAxes(app, app.window->Surface(), {});
  app.window->Present();
}

// The frame loop: one column per frame, pixels straight into image memory.
// Returns the number of columns drawn.
std::int64_t RunFrames(App& app, const Run& run, const std::uint8_t* samples, std::size_t bytes) {
  app::CurrentParameters& p = app.params;
  app::AnalysisRecord& a = app.analysis;

  dsp::LevelRunSettings settings;
  settings.fftSize = run.fftSize;
  settings.sampleRateHz = static_cast<float>(run.rate);
  settings.resolutionHz = p.resolutionHz;
  settings.lowHz = static_cast<float>(p.lowBandHz);
  settings.highHz = static_cast<float>(p.highBandHz);
  settings.rows = run.rows;
  settings.scale = ScaleOf(p);
  settings.channels = run.channels;
  settings.columnStepMs = run.stepMs;
  settings.averagingMs = p.averagingId == app::ID_AVERAGING_OFF ? 0.0F
                                                                : static_cast<float>(p.averagingScrollMs);
  settings.splCalibrated = p.splCalibrated;
  settings.splGainDb = static_cast<float>(p.lockedGainDb);
  settings.monoResponse = p.responseMono;
  settings.stereoResponse = p.responseStereo;
  dsp::LevelSpectrum levels;
  if (!levels.Create(settings)) return -1;

  const std::span<const std::uint8_t> data(samples, bytes);
  std::vector<float> frame(static_cast<std::size_t>(run.fftSize));
  std::vector<std::int16_t> codes(static_cast<std::size_t>(run.rows));
  const float gain = audio::GainFactor(p.gainDb);
  const int minDb = p.sonogramLevelMin;
  const int maxDb = p.sonogramLevelMax;
  const platform::ColorTable& colors = app.colors;
  platform::DisplayBitmap& image = app.display;
  const std::size_t stride = image.Stride();
  std::uint8_t* const base = image.Row(0);
  const std::size_t imageBytes = stride * static_cast<std::size_t>(image.Height());

  // Waveform strip: the peaks around the window's centre, a column's worth.
  const double half =
      dsp::WindowLength(static_cast<float>(run.rate), run.windowMs, run.fftSize) / 2.0;
  const double reach = std::max(1.0, run.rate * run.stepMs / 1000.0);

  for (auto& levelsOfChannel : a.totalLevels) levelsOfChannel.clear();
  for (int c = 0; c < run.channels; ++c) {
    a.totalLevels[static_cast<std::size_t>(c)].assign(static_cast<std::size_t>(run.columns),
                                                      static_cast<float>(minDb));
  }

  std::uint32_t lastPump = app.clock.NowMs();
  std::uint32_t lastShown = lastPump;
  std::int64_t done = 0;
  for (std::int64_t i = 0; i < run.columns && !app.frame.stopRequest; ++i) {
    const std::int64_t start = FrameStart(i, run.hop, run.channels);
    const int x = run.margin + static_cast<int>(i);
    for (int c = 0; c < run.channels; ++c) {
      FillFrame(data, run.bytesPerSample, run.channels, c, start, gain, frame);
      float high = 0.0F;
      float low = 0.0F;
      if (run.strip > 0) {
        const int first = std::max(0, static_cast<int>(std::floor(half - reach)) + 1);
        const int last = std::min(run.fftSize - 1, static_cast<int>(std::ceil(half + reach)) - 1);
        for (int j = first; j <= last; ++j) {
          high = std::max(high, frame[static_cast<std::size_t>(j)]);
          low = std::min(low, frame[static_cast<std::size_t>(j)]);
        }
        const float limit = c == 0 ? 32750.0F : 32760.0F;
        high = std::min(std::round(high), limit);
        low = std::max(std::round(low), -limit);
      }
      const std::optional<float> total = levels.ProcessFrame(c, frame, codes);
      if (total) a.totalLevels[static_cast<std::size_t>(c)][static_cast<std::size_t>(i)] = *total;

      // The left (or only) channel fills the lower half of a stereo image.
      const int top = run.channels == 2 && c == 0 ? run.imageHeight / 2 : 0;
      const int channelBottom = run.channels == 2 ? run.imageHeight / 2 : run.imageHeight;
      for (int m = 0; m < run.rows; ++m) {
        const int y = top + channelBottom - run.bottom - m - 1;
        const int index = render::ClampToScale(
            render::LevelToColorIndex(codes[static_cast<std::size_t>(m)], minDb, maxDb));
        const std::size_t offset = static_cast<std::size_t>(y) * stride + 3U * static_cast<std::size_t>(x);
        if (y < 0 || offset + 3 > imageBytes) continue;
        const platform::Rgb rgb = colors[static_cast<std::size_t>(index)];
        base[offset] = rgb.r;
        base[offset + 1] = rgb.g;
        base[offset + 2] = rgb.b;
      }
      if (run.strip > 0) {
        const int hw = run.strip;
        const int yHigh = top + hw / 2 - static_cast<int>(high * hw / 65500.0F) + 1;
        const int yLow = top + hw / 2 - static_cast<int>(low * hw / 65500.0F);
        image.Line({x, std::min(yHigh, yLow)}, {x, std::max(yHigh, yLow)}, colors[render::kSignal1Index]);
        image.SetPixelIndex(x, top + hw, render::kSignal2Index);
      }
    }
    done = i + 1;
    const std::uint32_t now = app.clock.NowMs();
    if (i > 0 && i % 4 == 0 && now - lastShown >= kShowIntervalMs) {
      lastShown = now;
      ShowProgress(app, run, i);
    }
    // Let the window handle keys, STOP and repaints now and then; the
    // analysis never waits for the screen.
    if (now - lastPump >= kPumpIntervalMs || i % kPumpIntervalColumns == kPumpIntervalColumns - 1) {
      lastPump = now;
      app.pump.DispatchOne();
    }
  }
  levels.Release();
  return done;
}

}  // namespace

void AnalyzeFileCommand(App& app, int kind) {
  if (app.frame.engineLoop || app.window == nullptr) return;
  if (kind == kAnalyzeAgain && app.frame.playbackActive) return;
  app::CurrentParameters& p = app.params;
  const app::CurrentParameters previous = p;
  const bool commandLineRun = kind == kAnalyzeCommandLine && app.commandLine.started;

  std::filesystem::path path;
  if (kind == kAnalyzeMenu) {
    const auto chosen = app::ChooseFile(app, app::FileChooser::OpenWave);
    if (!chosen) return;
    path = chosen->front();
  } else if (kind == kAnalyzeCapture) {
    path = app::WorkingFilePath(app, "temp.wav");
  } else {
    path = app.frame.fileName;
  }
  if (kind == kAnalyzeAgain) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return;  // silently, as a resize asks
  }

  app.frame.analysisPending = true;
  const auto ended = [&app] {
    app.frame.analysisPending = false;
    app.commandLine.started = false;
  };
  const auto opened = audio::OpenWaveFile(app, path, audio::WaveCommand::AnalyzeFile,
                                          kind == kAnalyzeMenu || kind == kAnalyzeCommandLine);
  if (!opened) return ended();
  const audio::WaveFileInfo& info = opened->info;
  const std::int32_t fs = opened->analysisRate;
  const int channels = info.channels;
  const bool dual = channels == 2 && p.channelsId == app::ID_CHANNELS_DUAL;
  const app::LayoutValues& v = app.layout;
  const int margin = v.leftMargin;
  const int plotWidth = dual ? v.displayWidth - 2 * margin : v.displayWidth - margin;
  if (plotWidth <= 0) return ended();

  const double bytesPerSecond = static_cast<double>(fs) * channels * info.bytesPerSample;
  const bool newFile = kind != kAnalyzeAgain;
  if (newFile) {
    if (kind != kAnalyzeCapture) {
      p.lowBandHz = 0;
      p.highBandHz = fs / 2;
    }
    p.beginS = 0.0F;
    p.endS = static_cast<float>(info.dataLength / bytesPerSecond);
  }

  float stepMs = p.displayWidthS * (dual ? 2000.0F : 1000.0F) / static_cast<float>(plotWidth);
  if (kind == kAnalyzeCapture) {
    // The picture of a stopped scan keeps the scan's column step; its width
    // in whole tenths of a second.
    stepMs = app.scanColumnMs;
    const double width = stepMs * (dual ? plotWidth / 2.0 : static_cast<double>(plotWidth)) / 1000.0;
    p.displayWidthS = static_cast<float>(std::clamp(std::floor(width * 10.0) / 10.0, 0.1, 60.0));
  }
  if (commandLineRun) {
    const app::CommandLineRequest check = app.commandLine;
    p.lowBandHz = check.lowHz;
    p.highBandHz = check.highHz;
    if (check.limitsInRange && p.highBandHz > fs / 2) {
      p.highBandHz = fs / 2;
      Warn(app, "Highest Frequency Limited to 1/2 Sampling Rate");
    }
    if (!check.limitsInRange || p.highBandHz - p.lowBandHz < 10) {
      Warn(app, "Improper Frequency Limits");
      p = previous;
      return ended();
    }
    if (!check.spanInRange || check.spanS < 1.0F) {
      Warn(app, "Improper Time Span");
      p = previous;
      return ended();
    }
    app.commandLine.started = false;
    p.displayWidthS = check.spanS;
    stepMs = check.spanS * 1000.0F / static_cast<float>(plotWidth);
    const double coarse = 2.0 * (p.highBandHz - p.lowBandHz) / std::max(1, v.displayHeight);
    p.fftSize = PowerOfTwoSize(fs / coarse);
    if (p.fftSize * 1000.0 / fs > 12.0 * stepMs) {
      p.fftSize = PowerOfTwoSize(fs * 12.0 * stepMs / 1000.0);
    }
  }
  if (opened->ultrasound) p.frequencyMultiplier = opened->multiplier;
  // The Analyze dialog chosen by the analysis controls, unless the run
  // repeats an analysis, comes from the command line, or Variables is Freeze.
  if (kind == kAnalyzeMenu && p.variables != app::IDM_VARIABLES_FREEZE) {
    const dialogs::FileDialogInput input{fs, channels, p.beginS, p.endS, p.frequencyMultiplier};
    if (!dialogs::RunAnalyzeDialog(app, input)) {
      p = previous;
      return ended();
    }
    stepMs = p.displayWidthS * (dual ? 2000.0F : 1000.0F) / static_cast<float>(plotWidth);
  }
  if (stepMs <= 0.0F) stepMs = 10.0F;
  if (!dsp::ResolutionIsValid(static_cast<float>(fs), p.fftSize, p.resolutionHz)) {
    const int rowsGuess = std::max(1, v.displayHeight - 2 * v.charHeight);
    p.resolutionHz = dsp::AutomaticResolution(static_cast<float>(p.lowBandHz), static_cast<float>(p.highBandHz),
                                              static_cast<float>(fs), stepMs, dsp::DisplayKind::Sonogram,
                                              rowsGuess, ScaleOf(p));
    if (!commandLineRun) p.fftSize = dsp::FftSizeForResolution(static_cast<float>(fs), p.resolutionHz);
  }
  p.timePerColumnMs = stepMs;

  // The segment, read into memory behind a working header.
  std::error_code error;
  const auto fileSize = std::filesystem::file_size(opened->path, error);
  std::uint32_t available = info.dataLength;
  if (!error && fileSize < static_cast<std::uint64_t>(info.firstSampleOffset) + available) {
    // A data chunk longer than the file: analyse what is there.
    available = fileSize > info.firstSampleOffset ? static_cast<std::uint32_t>(fileSize - info.firstSampleOffset) : 0U;
  }
  const SegmentBytes segment =
      SegmentForSpan(fs, channels, info.bitsPerSample, p.beginS, p.endS, available);
  if (!segment.ok) {
    Fail(app, "Improper Begin or End");
    p = previous;
    return ended();
  }
  p.endS = segment.endS;
  const std::uint32_t length = segment.endByte - segment.beginByte;
  app::AnalysisRecord& a = app.analysis;
  a = app::AnalysisRecord{};
  try {
    a.signal.resize(audio::kWorkingHeaderBytes + static_cast<std::size_t>(length));
  } catch (const std::bad_alloc&) {
    Warn(app, "Not enough memory");
    p = previous;
    return ended();
  }
  audio::WriteWorkingHeader(std::span<std::uint8_t, audio::kWorkingHeaderBytes>(a.signal.data(), audio::kWorkingHeaderBytes),
                            channels, fs, info.bitsPerSample, length);
  {
    std::ifstream file(opened->path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(info.firstSampleOffset) + segment.beginByte);
    file.read(reinterpret_cast<char*>(a.signal.data() + audio::kWorkingHeaderBytes), length);
    if (file.gcount() != static_cast<std::streamsize>(length)) {
      Warn(app, "Cannot Read Wave File");
      a = app::AnalysisRecord{};
      p = previous;
      return ended();
    }
  }

  Run run;
  run.channels = channels;
  run.bytesPerSample = static_cast<int>(info.bytesPerSample);
  run.rate = fs;
  run.fftSize = p.fftSize;
  run.stepMs = stepMs;
  run.windowMs = dsp::WindowDurationMs(p.resolutionHz);
  run.margin = margin;
  const FramePlan plan = PlanFrames(channels, stepMs, fs, length / run.bytesPerSample, p.fftSize);
  if (!plan.Valid()) {
    Fail(app, "Time Scale Too Small");
    a = app::AnalysisRecord{};
    p = previous;
    return ended();
  }
  run.columns = plan.columns;
  run.hop = plan.hop;

  // The image: one channel picture per channel, each as high as the display.
  const int pictureHeight = v.displayHeight;
  run.bottom = 2 * v.charHeight;
  const int plotHeight = pictureHeight - run.bottom;
  run.strip = p.displayId == app::ID_DISPLAY_SCROLL2 ? plotHeight / 8 : 0;
  run.rows = plotHeight - run.strip;
  if (run.rows < 1) {
    Warn(app, "File Error");
    a = app::AnalysisRecord{};
    p = previous;
    return ended();
  }
  int width = run.columns > plotWidth ? margin + static_cast<int>(run.columns) : v.displayWidth;
  width = std::max(width, v.displayWidth);
  width = (width + 3) / 4 * 4;
  run.imageHeight = channels == 2 ? 2 * pictureHeight : pictureHeight;
  if (!app.display.Allocate(width, run.imageHeight)) {
    Warn(app, "Not enough memory");
    a = app::AnalysisRecord{};
    p = previous;
    return ended();
  }
  app.display.FillRectIndex({0, 0, width, run.imageHeight}, render::kBackgroundIndex);

  a.valid = true;
  a.sourcePath = opened->path.string();
  a.dataLength = length;
  a.channels = channels;
  a.bitsPerSample = info.bitsPerSample;
  a.sourceBits = info.sourceBits;
  a.analysisRate = fs;
  a.multiplier = opened->multiplier;
  a.dual = dual;
  a.beginS = p.beginS;
  a.endS = p.endS;
  a.columnMs = stepMs;
  a.fftSize = p.fftSize;
  a.resolutionHz = p.resolutionHz;
  a.lowHz = p.lowBandHz;
  a.highHz = p.highBandHz;
  a.rows = run.rows;
  a.waveformStrip = run.strip;
  a.bottomStrip = run.bottom;
  a.leftMargin = margin;
  a.plannedColumns = run.columns;
  a.imageWidth = width;
  app.frame.fileName = path.string();
  app.frame.displayIsScan = false;
  p.scanFlag = 0;
  if (p.IsScrollDisplay()) p.wayOfWorking = p.displayId == app::ID_DISPLAY_SCROLL2 ? 2 : 1;

  render::DisplayView& view = app.render.view;
  view = render::DisplayView{};
  view.segmentStartMs = static_cast<double>(p.beginS) * 1000.0;
  view.channelCount = channels;
  view.stackedChannels = channels == 2;
  view.analysisRateHz = fs;
  view.sourceBits = info.sourceBits;

  const int scrollRange = std::max(0, margin + static_cast<int>(run.columns) - (dual ? v.displayWidth / 2 : v.displayWidth));
  app.window->SetScrollRange(platform::ScrollBarId::Horizontal, 0, scrollRange);
  render::AxesOptions axes;
  axes.singleLayout = true;
  axes.wholeImage = run.columns > plotWidth;
  view.columns = static_cast<int>(run.columns);
  render::DrawAxes(app, app.display, axes);
  for (int id : {app::IDC_PLAY, app::IDC_PLAY_WINDOW, app::IDC_GRID}) app.window->EnableButton(id, false);
  app.window->EnableButton(app::IDC_STOP, true);
  app.window->SetCaption(path.filename().string());

  app.frame.stopRequest = false;
  app.frame.engineLoop = true;
  const std::int64_t columns =
      RunFrames(app, run, a.signal.data() + audio::kWorkingHeaderBytes, length);
  app.frame.engineLoop = false;
  app.frame.analysisPending = false;

  a.columns = std::max<std::int64_t>(0, columns);
  a.dataLength = static_cast<std::uint32_t>(static_cast<std::uint64_t>(length) *
                                            static_cast<std::uint64_t>(a.columns) /
                                            static_cast<std::uint64_t>(run.columns));
  for (auto& levelsOfChannel : a.totalLevels) {
    if (levelsOfChannel.size() > static_cast<std::size_t>(a.columns)) levelsOfChannel.resize(static_cast<std::size_t>(a.columns));
  }
  view.levelTraceLeft = a.totalLevels[0];
  view.levelTraceRight = a.totalLevels[1];
  for (int id : {app::IDC_PLAY, app::IDC_PLAY_WINDOW, app::IDC_GRID}) app.window->EnableButton(id, true);
  ShowProgress(app, run, std::max<std::int64_t>(0, a.columns - 1));
  app::EnterAnalysisIdleMenuState(app);
  app.window->Invalidate();
  if (app.frame.layoutPending) {
    app.frame.layoutPending = false;
    app::RunLayout(app, false);
    AnalyzeFileCommand(app, kAnalyzeAgain);
  }
}

}  // namespace sonavue::engines
