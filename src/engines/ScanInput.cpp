#include "engines/ScanInput.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "context/Boxes.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "context/Layout.h"
#include "context/Menu.h"
#include "context/ParameterGuard.h"
#include "context/Settings.h"
#include "audio/Capture.h"
#include "audio/StopAllAudio.h"
#include "audio/WaveFormat.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "dsp/Rounding.h"
#include "engines/AnalysisPlan.h"
#include "engines/AnalyzeFile.h"
#include "engines/ColumnAnalysis.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "render/Panels.h"
#include "render/Scope.h"

namespace sonavue::engines {
namespace {

using app::App;

constexpr std::int64_t kCaptureLatencyMs = 120;
// A scope keeps its last 10 s for Save Wave; a sonogram the span it shows,
// when that fits the capture ring's 60 s.
constexpr double kScopeCaptureMs = 10000.0;
constexpr double kCaptureLimitMs = 60000.0;

using app::Warn;
using dsp::RoundHalfAway;


// Everything fixed when a live run starts.
struct LiveRun {
  bool scope = false;
  bool dual = false;
  int channels = 1;
  int bytesPerSample = 2;
  int fftSize = 1024;
  std::int32_t rate = 48000;
  float stepMs = 10.0F;        // display time step
  int margin = 0;
  int columns = 0;             // per plot
  int rows = 0;
  int strip = 0;               // Hw of "Scroll 2"
  int bottom = 0;              // Hb
  int height = 0;              // picture height
  int halfWidth = 0;
  std::uint32_t firstFrameDelayMs = 0;
};

// Draws one sonogram column (codes per channel) at x of each plot.
void DrawColumn(App& app, const LiveRun& run, int x, const std::vector<std::int16_t>* codes,
                const float* high, const float* low) {
  platform::DisplayBitmap& image = app.display;
  const int minDb = app.params.sonogramLevelMin;
  const int maxDb = app.params.sonogramLevelMax;
  const int plots = run.dual ? 2 : 1;
  for (int plot = 0; plot < plots; ++plot) {
    const int channel = run.dual ? plot : (app.params.channelsId == app::ID_CHANNELS_RIGHT && run.channels == 2 ? 1 : 0);
    const int px = x + (plot == 1 ? run.halfWidth : 0);
    const auto& c = codes[channel];
    for (int m = 0; m < run.rows; ++m) {
      const int index = render::ClampToScale(render::LevelToColorIndex(c[static_cast<std::size_t>(m)], minDb, maxDb));
      image.SetPixel(px, run.height - run.bottom - m - 1, app.colors[static_cast<std::size_t>(index)]);
    }
    if (run.strip > 0) {
      const int hw = run.strip;
      image.FillRectIndex({px, 0, 1, hw}, render::kBackgroundIndex);
      const int yHigh = hw / 2 - StripOffset(high[channel], hw) + 1;
      const int yLow = hw / 2 - StripOffset(low[channel], hw);
      image.Line({px, std::min(yHigh, yLow)}, {px, std::max(yHigh, yLow)}, app.colors[render::kSignal1Index]);
      image.SetPixelIndex(px, hw / 2, render::kSignal1Index);
      image.SetPixelIndex(px, hw, render::kSignal2Index);
    }
  }
}

// The other buffer, from the engine's point of view.
void Buffers(App& app, const std::uint8_t*& filling, const std::uint8_t*& previous) {
  app::LiveInput& live = app.live;
  filling = live.fillingB ? live.BufferB() : live.BufferA();
  previous = live.fillingB ? live.BufferA() : live.BufferB();
}

// Fills per-channel frames from interleaved bytes.
void SplitFrames(const std::vector<std::uint8_t>& bytes, const LiveRun& run, float gain,
                 std::vector<float>* frames) {
  for (int c = 0; c < run.channels; ++c) {
    FillFrame(bytes, run.bytesPerSample, run.channels, c, 0, gain, frames[c]);
  }
}

void RunEngine(App& app, const LiveRun& run) {
  app::CurrentParameters& p = app.params;
  const dsp::LevelRunSettings settings =
      LevelRunFor(p, run.rate, run.fftSize, run.rows, run.channels, run.stepMs, run.scope);
  dsp::LevelSpectrum levels;
  if (!levels.Create(settings)) return;

  const int frameBytes = run.channels * run.bytesPerSample;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(run.fftSize * frameBytes));
  std::vector<float> frames[2] = {std::vector<float>(static_cast<std::size_t>(run.fftSize)),
                                  std::vector<float>(static_cast<std::size_t>(run.fftSize))};
  std::vector<std::int16_t> codes[2] = {std::vector<std::int16_t>(static_cast<std::size_t>(run.rows)),
                                        std::vector<std::int16_t>(static_cast<std::size_t>(run.rows))};
  float high[2] = {0, 0};
  double frameLevel[2] = {0.0, 0.0};
  float low[2] = {0, 0};
  const float gain = audio::GainFactor(p.gainDb);
  const StripWindow stripWindow = StripWindowFor(run.fftSize, run.rate, p.resolutionHz, run.stepMs);

  const std::uint32_t start = app.clock.NowMs();
  std::int64_t frameCount = 0;
  std::int64_t drawnColumn = 0;
  int column = 0;
  int phase = 0;
  int behindPasses = 0;
  std::uint32_t lastScope = start;
  // Clock reading of every drawn column (a ring, 0 = empty), for the
  // measured time per column; and when the picture first filled.
  std::vector<std::uint32_t> stamps(static_cast<std::size_t>(std::max(1, run.columns)), 0);
  std::uint32_t filledAt = 0;
  bool filled = false;
  float stepMs = run.stepMs;
  // The shown level is the mean of the last 20 frames' total levels.
  std::array<double, 20> levelHistory{};
  bool previousWasStraddling = false;
  app.scanStats = {};

  while (!app.frame.stopRequest) {
    app.pump.DispatchOne();
    if (app.frame.stopRequest) break;
    const std::uint32_t now = app.clock.NowMs();
    const std::uint32_t sinceStart = now - start;
    if (sinceStart > app.frame.scanTimeLimitMs) {
      app.frame.restartRequest = true;
      audio::StopAllAudio(app, true);
      break;
    }
    if (sinceStart < run.firstFrameDelayMs) {
      app.clock.SleepMs(10);
      continue;
    }
    bool analyse = true;
    bool draw = true;
    if (!run.scope) {
      const std::int64_t expected = RoundHalfAway(static_cast<double>(sinceStart) / stepMs);
      if (drawnColumn + 1 < expected) {
        if (++behindPasses >= 2) drawnColumn = expected - 1;
        analyse = false;
      } else {
        behindPasses = 0;
        if (expected < drawnColumn - 1) draw = false;
      }
    } else if (now - lastScope < 20) {
      const std::uint32_t wait = 20 - (now - lastScope);
      if (wait >= 1 && wait <= 99) app.clock.SleepMs(wait);
    }

    if (analyse) {
      const std::uint32_t at = app.clock.NowMs();
      FrameLocation where = LocateFrame(static_cast<std::int64_t>(at - app.live.bufferStartMs),
                                        kCaptureLatencyMs, run.rate, run.fftSize,
                                        app.live.samplesPerBuffer);
      // A device that delivers later than the clock says (a sound server with
      // a long buffer) would leave the newest frame unwritten: take the
      // newest frame it has delivered instead, never samples not yet heard.
      if (app.live.device) {
        const auto delivered = static_cast<std::int64_t>(app.live.device->BytesInFillingBuffer() /
                                                         static_cast<std::size_t>(frameBytes));
        if (where.d + run.fftSize > delivered) {
          where.d = delivered - run.fftSize;
          where.ready = where.d > -app.live.samplesPerBuffer;
        }
      }
      if (!where.ready) {
        if (where.d >= app.live.samplesPerBuffer - run.fftSize) continue;  // not yet delivered
        app.clock.SleepMs(1);
        continue;
      }
      const std::uint8_t* filling = nullptr;
      const std::uint8_t* previous = nullptr;
      Buffers(app, filling, previous);
      AssembleFrameBytes(previous, filling, app.live.samplesPerBuffer, where.d, run.fftSize, frameBytes, bytes);
      previousWasStraddling = where.d < 0;
      SplitFrames(bytes, run, gain, frames);
      for (int c = 0; c < run.channels; ++c) {
        auto& frame = frames[c];
        if (run.strip > 0) {
          const StripPeaks peaks = PeaksAroundCentre(frame, stripWindow, c);
          high[c] = peaks.high;
          low[c] = peaks.low;
        }
        const auto total = levels.ProcessFrame(c, frame, codes[c]);
        if (total) frameLevel[c] = *total;
      }
      const int shownChannel = run.channels == 2 && app.params.channelsId == app::ID_CHANNELS_RIGHT ? 1 : 0;
      const double shown = run.dual ? 20.0 * std::log10((std::pow(10.0, frameLevel[0] / 20.0) +
                                                         std::pow(10.0, frameLevel[1] / 20.0)) / 2.0)
                                    : frameLevel[shownChannel];
      levelHistory[static_cast<std::size_t>(frameCount % 20)] = shown;
      double sum = 0.0;
      for (double level : levelHistory) sum += level;
      app.render.view.frameTotalLevelDb = static_cast<float>(sum / 20.0);
      app.scanStats.analysed += 1;
    } else {
      app.scanStats.repeated += 1;
    }
    (void)previousWasStraddling;

    if (!draw) {
      app.clock.SleepMs(10);
      continue;
    }
    if (run.scope) {
      lastScope = app.clock.NowMs();
      render::StoreScopeFrame(app, codes[0],
                              run.channels == 2 ? std::span<const std::int16_t>(codes[1])
                                                : std::span<const std::int16_t>());
      render::DrawScopeFrame(app);
      render::BlitDisplay(app);
      if (app.frame.grid) render::DrawScopeGrid(app, app.window->Surface());
    } else {
      const bool full = column >= run.columns;
      const int x = full ? run.margin + run.columns - 4 + phase : run.margin + column;
      DrawColumn(app, run, x, codes, high, low);
      if (phase == 3) {
        if (full) {
          const int plots = run.dual ? 2 : 1;
          for (int plot = 0; plot < plots; ++plot) {
            const int left = run.margin + (plot == 1 ? run.halfWidth : 0);
            app.display.Scroll({left, 0, run.columns, run.height - run.bottom}, -4, 0);
          }
        }
        render::BlitDisplay(app);
      }
      if (!full) ++column;
      phase = (phase + 1) % 4;
      ++drawnColumn;

      // The measured time per column and the time axis that scrolls with
      // the picture once it has filled.
      const std::uint32_t stampNow = app.clock.NowMs();
      stamps[static_cast<std::size_t>(frameCount % static_cast<std::int64_t>(stamps.size()))] = stampNow;
      std::uint32_t oldest = stampNow;
      for (std::uint32_t stamp : stamps) {
        if (stamp != 0 && stamp - start < oldest - start) oldest = stamp;
      }
      const std::int64_t counted = std::min<std::int64_t>(frameCount + 1, static_cast<std::int64_t>(stamps.size()));
      const float measured = counted > 1 ? static_cast<float>(stampNow - oldest) / static_cast<float>(counted - 1) : stepMs;
      app.render.view.measuredColumnMs = measured;
      if (frameCount + 1 == 2 * static_cast<std::int64_t>(app.layout.clientWidth) && measured > 0.0F) {
        stepMs = measured;
        drawnColumn = RoundHalfAway(static_cast<double>(stampNow - start) / stepMs);
      }
      if (column >= run.columns && !filled) {
        filled = true;
        filledAt = stampNow;
      }
      if (phase == 0 && filled) {
        app.render.view.scrollTimeMs = static_cast<double>(stampNow - filledAt);
        render::DrawAxes(app, app.display, {});
      }
    }
    ++frameCount;
    app.render.view.elapsedMs = app.clock.NowMs() - start;
    if (frameCount % 8 == 0) {
      render::UpdateReadouts(app, app.lastCursorPoint, false);
      app.window->Present();
    }
    app.scanStats.frames = frameCount;
    app.scanStats.lastMs = app.clock.NowMs() - start;
  }
  app.scanStats.columnsShown = std::min<std::int64_t>(frameCount, run.columns);
  app.scanStats.measuredColumnMs = app.render.view.measuredColumnMs;
  app.scanStats.drawnColumn = drawnColumn;
  levels.Release();
}

}  // namespace

FrameLocation LocateFrame(std::int64_t elapsedMs, std::int64_t latencyMs, std::int32_t rate, int fftSize,
                          std::int32_t samplesPerBuffer) {
  FrameLocation location;
  const std::int64_t position = (elapsedMs - latencyMs) * rate / 1000;
  location.d = position - fftSize;
  location.ready = location.d > -samplesPerBuffer && location.d < samplesPerBuffer - fftSize;
  return location;
}

void AssembleFrameBytes(const std::uint8_t* previous, const std::uint8_t* filling,
                        std::int32_t samplesPerBuffer, std::int64_t d, int fftSize, int frameBytes,
                        std::span<std::uint8_t> out) {
  const auto bytes = static_cast<std::size_t>(frameBytes);
  if (d >= 0) {
    std::memcpy(out.data(), filling + static_cast<std::size_t>(d) * bytes, static_cast<std::size_t>(fftSize) * bytes);
    return;
  }
  // Starts in the previous buffer at sample S + d.
  const std::int64_t fromPrevious = std::min<std::int64_t>(-d, fftSize);
  std::memcpy(out.data(), previous + static_cast<std::size_t>(samplesPerBuffer + d) * bytes,
              static_cast<std::size_t>(fromPrevious) * bytes);
  const std::int64_t fromFilling = fftSize - fromPrevious;
  if (fromFilling > 0) {
    std::memcpy(out.data() + static_cast<std::size_t>(fromPrevious) * bytes, filling,
                static_cast<std::size_t>(fromFilling) * bytes);
  }
}

void BeginScanInput(App& app, int reason) {
  app::CurrentParameters& p = app.params;
  if (reason == kScanResume && app.pausedScan) {
    const app::CurrentParameters paused = *app.pausedScan;
    p.displayId = paused.displayId;
    p.typeId = paused.typeId;
    p.channelsId = paused.channelsId;
    p.plotTypeId = paused.plotTypeId;
    p.resolutionId = paused.resolutionId;
    p.frequencyScaleId = paused.frequencyScaleId;
    p.paletteId = paused.paletteId;
    p.sonogramLevelMin = paused.sonogramLevelMin;
    p.sonogramLevelMax = paused.sonogramLevelMax;
    p.scopeLevelMin = paused.scopeLevelMin;
    p.scopeLevelMax = paused.scopeLevelMax;
    p.gainDb = paused.gainDb;
    p.lowBandHz = paused.lowBandHz;
    p.highBandHz = paused.highBandHz;
    p.fftSize = paused.fftSize;
    p.resolutionHz = paused.resolutionHz;
    p.displayWidthS = paused.displayWidthS;
    p.averagingId = paused.averagingId;
    p.sampleRateHz = paused.sampleRateHz;
    p.sampleRateId = paused.sampleRateId;
    p.wayOfWorking = paused.wayOfWorking;
    render::SelectPaletteColors(app, p.paletteId);
  } else if (reason == kScanMenu) {
    app.pausedScan.reset();
  }
  if (p.analysisControls == app::IDM_CONTROLS_ULTRASOUND) {
    Warn(app, "Ultrasound Controls only available for 'Analyze File'.\rConverting to Automatic Controls.");
    p.analysisControls = app::IDM_CONTROLS_AUTOMATIC;
    p.frequencyMultiplier = 1;
    app::SetMenuCheckMarks(app);
  }
}

bool ScanShowsDialog(const App& app, int reason) {
  return reason == kScanMenu && !app.commandLine.started && app.params.variables != app::IDM_VARIABLES_FREEZE;
}

void ChooseWayFromDisplay(app::CurrentParameters& p) {
  p.wayOfWorking = p.IsScopeDisplay() ? (p.displayId == app::ID_DISPLAY_SCOPE2 ? 10 : 9)
                                      : (p.displayId == app::ID_DISPLAY_SCROLL2 ? 8 : 7);
}

namespace {

// Plot width of a live display: the display less the margin; in "Dual" view
// half the display less the margin.
int LivePlotWidth(const App& app, bool dual) {
  const app::LayoutValues& v = app.layout;
  return dual ? v.displayWidth / 2 - v.leftMargin : v.displayWidth - v.leftMargin;
}

// Rows of a live sonogram (its plot height, strip included) or scope points.
int ResolutionPoints(const App& app, bool scope) {
  const app::LayoutValues& v = app.layout;
  return scope ? v.scopePoints : std::max(1, v.displayHeight - 2 * v.charHeight);
}

// The automatic resolution of the current band and scale, and the FFT size
// for it.
void ChooseAutomaticResolution(App& app, bool scope, float stepMs) {
  app::CurrentParameters& p = app.params;
  p.resolutionHz = dsp::AutomaticResolution(static_cast<float>(p.lowBandHz), static_cast<float>(p.highBandHz),
                                            static_cast<float>(p.sampleRateHz), stepMs,
                                            scope ? dsp::DisplayKind::Scope : dsp::DisplayKind::Sonogram,
                                            ResolutionPoints(app, scope), AnalysisScale(p.frequencyScaleId, scope));
  p.fftSize = dsp::FftSizeForResolution(static_cast<float>(p.sampleRateHz), p.resolutionHz);
}

// The command line's rules for a live run: band at most 24 kHz and at least
// 10 Hz wide, a span of at least 1 s, mono 16-bit, automatic resolution.
bool SettleCommandLine(App& app, bool scope, int plotWidth) {
  app::CurrentParameters& p = app.params;
  const app::CommandLineRequest request = app.commandLine;
  app.commandLine.started = false;
  p.lowBandHz = request.lowHz;
  p.highBandHz = request.highHz;
  if (request.limitsInRange && p.highBandHz > 24000) {
    p.highBandHz = 24000;
    Warn(app, "Highest Frequency Limited to 24 kHz");
  }
  if (!request.limitsInRange || p.highBandHz - p.lowBandHz < 10) {
    Warn(app, "Improper Frequency Limits");
    return false;
  }
  if (!request.spanInRange || request.spanS < 1.0F) {
    Warn(app, "Improper Time Span");
    return false;
  }
  p.displayWidthS = request.spanS;
  p.resolutionId = app::ID_BITS_16;
  p.typeId = app::ID_TYPE_MONO;
  ChooseAutomaticResolution(app, scope, p.displayWidthS * 1000.0F / static_cast<float>(std::max(1, plotWidth)));
  return true;
}

// Pure: the live run the settled parameters and the layout describe.
LiveRun PlanLiveRun(const app::CurrentParameters& p, const app::LayoutValues& v) {
  LiveRun run;
  run.scope = p.IsScopeDisplay();
  run.dual = p.typeId == app::ID_TYPE_STEREO && p.channelsId == app::ID_CHANNELS_DUAL;
  const int plotWidth = run.dual ? v.displayWidth / 2 - v.leftMargin : v.displayWidth - v.leftMargin;
  run.channels = p.typeId == app::ID_TYPE_STEREO ? 2 : 1;
  run.bytesPerSample = p.resolutionId == app::ID_BITS_24 ? 3 : 2;
  run.fftSize = p.fftSize;
  run.rate = p.sampleRateHz;
  run.margin = v.leftMargin;
  run.columns = plotWidth;
  run.halfWidth = v.displayWidth / 2;
  run.height = v.displayHeight;
  run.bottom = 2 * v.charHeight;
  const int plotHeight = run.height - run.bottom;
  run.strip = !run.scope && p.displayId == app::ID_DISPLAY_SCROLL2 ? WaveformStripHeight(plotHeight) : 0;
  run.rows = run.scope ? std::max(1, v.scopePoints) : plotHeight - run.strip;
  // The live scope draws every 20 ms; its frames step 10 ms for averaging.
  const int stepWidth = run.dual ? v.displayWidth - 2 * v.leftMargin : plotWidth;
  run.stepMs = run.scope ? 10.0F
                         : p.displayWidthS * (run.dual ? 2000.0F : 1000.0F) / static_cast<float>(std::max(1, stepWidth));
  run.firstFrameDelayMs =
      static_cast<std::uint32_t>(std::max<double>(0.0, 1000.0 / p.resolutionHz + kCaptureLatencyMs));
  return run;
}

// Opens the display, the capture and the input for a run. False when the
// run cannot start (after its message).
bool StartLive(App& app, const LiveRun& run) {
  const app::LayoutValues& v = app.layout;
  app.window->SetCaption(app::kCaption);
  app.display.Release();
  app.analysis = app::AnalysisRecord{};
  app.frame.fileName.clear();
  if (!app.display.Allocate(platform::RoundUpImageWidth(v.displayWidth), run.height)) {
    Warn(app, "Not enough memory");
    return false;
  }
  app.display.FillRectIndex({0, 0, app.display.Width(), app.display.Height()}, render::kBackgroundIndex);
  render::DisplayView& view = app.render.view;
  view = render::DisplayView{};
  view.channelCount = run.channels;
  view.analysisRateHz = run.rate;
  view.sourceBits = run.bytesPerSample * 8;
  app.frame.displayIsScan = true;
  if (run.scope) {
    render::BeginScopeRun(app);
    render::DrawScopeAxes(app, app.display);
  } else {
    render::DrawAxes(app, app.display, {});
  }
  render::BlitDisplay(app);
  app.window->SetCaption("Scan Input");

  const double captureSpanMs = run.scope ? kScopeCaptureMs : static_cast<double>(run.columns) * run.stepMs;
  if (captureSpanMs <= kCaptureLimitMs && !audio::AllocateCapture(app)) {
    Warn(app, "Not enough memory");
    app::RestoreAfterFailure(app);
    return false;
  }
  if (captureSpanMs > kCaptureLimitMs) audio::ReleaseCapture(app);
  if (!audio::OpenAndStartInput(app)) {
    app.display.Release();
    app.frame.displayIsScan = false;
    app::EnterScanIdleMenuState(app);
    app.window->Invalidate();
    return false;
  }
  app::EnterRunningMenuState(app);
  app.window->EnableButton(app::IDC_STOP, true);
  app.window->EnableButton(app::IDC_GRID, run.scope);
  app.window->EnableButton(app::IDC_PEAK_HOLD, run.scope && (run.channels == 1 || !run.dual));
  app.window->Invalidate();
  return true;
}

// After the engine: the device closed, the buttons and menu of the idle
// scan, and the stopped picture (a sonogram's captured span becomes a
// static analysis; a scope's last seconds become temp.wav).
void FinishLive(App& app, const LiveRun& run, std::uint32_t started, std::uint32_t ended) {
  if (!app.frame.stopRequest) audio::StopAllAudio(app, false);
  // The device closes through its notifications; wait for them briefly.
  for (int i = 0; i < 200 && app.frame.inputOpen; ++i) {
    app.pump.DispatchAll();
    if (app.frame.inputOpen) app.clock.SleepMs(5);
  }
  if (app.live.device) {
    app.live.device->Close();
    app.pump.DispatchAll();
  }
  app.window->SetCaption("Scan Input");
  if (run.scope) render::DrawScope(app);
  app.window->EnableButton(app::IDC_GRID, true);
  app.window->EnableButton(app::IDC_PLAY, false);
  app.window->EnableButton(app::IDC_PLAY_WINDOW, false);
  app::EnterScanIdleMenuState(app);
  if (app.frame.restartRequest) return;
  if (!run.scope) {
    if (!app.capture.exists) {
      app::Notify(app, "       Signal capture for analysis and playback\n  is limited to time span of less than 60 seconds");
      return;
    }
    // The span the display showed when it stopped becomes temp.wav.
    const double endMs = static_cast<double>(ended - started) - kCaptureLatencyMs;
    const double startMs = app.scanStats.frames > run.columns ? endMs - run.columns * run.stepMs : 0.0;
    if (audio::WriteCaptureFile(app, startMs, endMs) > 0.0) {
      app.frame.capturedSignal = true;
      app.scanColumnMs = run.stepMs;
      const app::CurrentParameters scanned = app.params;
      AnalyzeFileRequest(app, kAnalyzeCapture, nullptr);
      app.pausedScan = scanned;
    }
  } else if (app.capture.exists) {
    const double endMs = static_cast<double>(ended - started);
    if (audio::WriteCaptureFile(app, std::max(0.0, endMs - kScopeCaptureMs), endMs) > 0.0) {
      app.frame.capturedSignal = true;
    }
    app.window->Invalidate();
  }
}

}  // namespace

ScanOutcome RunScanInput(App& app, int reason, bool dialogShown) {
  app::CurrentParameters& p = app.params;
  p.recordingId = app::ID_RECORDING_OFF;  // recording comes with the recording feature
  if (dialogShown) ChooseWayFromDisplay(p);
  if (p.sampleRateHz != 22050 && p.sampleRateHz != 44100 && p.sampleRateHz != 48000 && p.sampleRateHz != 96000) {
    p.sampleRateHz = 48000;
    p.sampleRateId = app::ID_RATE_48K;
  }
  if (p.wayOfWorking < 7) p.wayOfWorking = p.IsScopeDisplay() ? 9 : 7;
  const bool scope = p.IsScopeDisplay();
  const bool dual = p.typeId == app::ID_TYPE_STEREO && p.channelsId == app::ID_CHANNELS_DUAL;
  const int plotWidth = LivePlotWidth(app, dual);
  if (app.commandLine.started && !SettleCommandLine(app, scope, plotWidth)) return ScanOutcome::Refused;
  if (p.highBandHz > p.sampleRateHz / 2) p.highBandHz = p.sampleRateHz / 2;
  if (p.lowBandHz >= p.highBandHz) p.lowBandHz = 0;
  if (!dsp::ResolutionIsValid(static_cast<float>(p.sampleRateHz), p.fftSize, p.resolutionHz)) {
    ChooseAutomaticResolution(app, scope, p.displayWidthS * 1000.0F / static_cast<float>(std::max(1, plotWidth)));
  }
  (void)reason;

  app::StoreScanParameters(p);
  const LiveRun run = PlanLiveRun(p, app.layout);
  p.timePerColumnMs = run.stepMs;
  if (plotWidth <= 4 || run.rows < 1) return ScanOutcome::Done;
  if (!StartLive(app, run)) return ScanOutcome::Done;

  app.frame.engineLoop = true;
  const std::uint32_t started = app.clock.NowMs();
  RunEngine(app, run);
  const std::uint32_t ended = app.clock.NowMs();
  app.frame.engineLoop = false;
  FinishLive(app, run, started, ended);
  // A resize while the engine ran only noted that the layout was due: run it
  // now in full (peak-hold array, scroll bars), before a restart uses it.
  if (app.frame.layoutPending) {
    app.frame.layoutPending = false;
    app::RunLayout(app, false);
  }
  if (app.frame.restartRequest) {
    app.frame.restartRequest = false;
    app.window->Invalidate();
    return ScanOutcome::Restart;
  }
  return ScanOutcome::Done;
}

void ScanInputRequest(App& app, int reason, AskScanParameters ask) {
  if (app.frame.engineLoop || app.frame.running || app.window == nullptr) return;
  for (;;) {
    BeginScanInput(app, reason);
    app::ParameterGuard guard(app);
    if (reason == kScanMenu && !app.commandLine.started) app::LoadScanParameters(app.params);
    const bool dialog = ask != nullptr && ScanShowsDialog(app, reason);
    if (dialog) {
      app.params.recordingId = app::ID_RECORDING_OFF;
      if (!ask(app)) return;
    }
    const ScanOutcome outcome = RunScanInput(app, reason, dialog);
    if (outcome == ScanOutcome::Refused) return;
    guard.Keep();
    if (outcome != ScanOutcome::Restart) return;
    reason = kScanRestart;
  }
}

}  // namespace sonavue::engines
