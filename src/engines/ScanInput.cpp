#include "engines/ScanInput.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "context/Boxes.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "context/Layout.h"
#include "context/Menu.h"
#include "context/ParameterGuard.h"
#include "context/Settings.h"
#include "audio/Capture.h"
#include "audio/LiveFrame.h"
#include "audio/Recording.h"
#include "audio/StopAllAudio.h"
#include "audio/WaveFormat.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "dsp/Rounding.h"
#include "engines/AnalysisPlan.h"
#include "engines/AnalyzeFile.h"
#include "engines/CalibrationScan.h"
#include "engines/ColumnAnalysis.h"
#include "engines/LiveDisplay.h"
#include "engines/RecordingTrigger.h"
#include "plans/AxesPlan.h"
#include "render/Axes.h"
#include "render/FrequencyMarkers.h"
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


// Fills per-channel frames from interleaved bytes.
void SplitFrames(const std::vector<std::uint8_t>& bytes, const LiveRun& run, float gain,
                 std::vector<float>* frames) {
  for (int c = 0; c < run.channels; ++c) {
    FillFrame(bytes, run.bytesPerSample, run.channels, c, 0, gain, frames[c]);
  }
}

// Analyses the newest frame of every channel into codes; the 20-frame mean
// level goes to the view. False when no frame is available yet.
bool AnalyseLiveFrame(App& app, const LiveRun& run, LiveState& state, dsp::LevelSpectrum& levels,
                      const StripWindow& stripWindow, std::vector<std::uint8_t>& bytes, std::vector<float>* frames,
                      std::vector<std::int16_t>* codes) {
  const std::uint32_t at = app.clock.NowMs();
  const FrameLocation where = LocateFrame(static_cast<std::int64_t>(at - app.live.bufferStartMs),
                                          kCaptureLatencyMs, run.rate, run.fftSize,
                                          app.live.samplesPerBuffer);
  // Where the clock puts the frame's end in the stream: the buffers
  // handled so far, then the position in the one being filled. A device
  // that delivers later than the clock says (a sound server with a long
  // buffer) gets its newest delivered frame taken instead, never samples
  // not yet heard; the delivered count alone says which buffer holds it.
  const std::int64_t wantedEnd = app.live.buffersDone * app.live.samplesPerBuffer + where.d + run.fftSize;
  const std::uint64_t delivered = app.live.device ? app.live.device->DeliveredFrames() : 0;
  if (!audio::LatestFrame(app.live, delivered, wantedEnd, run.fftSize, bytes)) return false;
  SplitFrames(bytes, run, audio::GainFactor(app.params.gainDb), frames);
  for (int c = 0; c < run.channels; ++c) {
    auto& frame = frames[c];
    if (run.strip > 0) {
      const StripPeaks peaks = PeaksAroundCentre(frame, stripWindow, c);
      state.high[static_cast<std::size_t>(c)] = peaks.high;
      state.low[static_cast<std::size_t>(c)] = peaks.low;
    }
    const auto total = levels.ProcessFrame(c, frame, codes[c]);
    if (total) state.frameLevel[static_cast<std::size_t>(c)] = *total;
  }
  ShowFrameLevel(app, run, state);
  return true;
}

void RunEngine(App& app, const LiveRun& run) {
  app::CurrentParameters& p = app.params;
  PrepareResponseTables(app);
  dsp::LevelRunSettings settings =
      LevelRunFor(p, run.rate, run.fftSize, run.rows, run.channels, run.stepMs, run.scope);
  settings.skipInvalidBins = true;
  settings.responseMeasurement = StartResponseMeasurement(app);
  auto averagingMs = settings.averagingMs;
  dsp::LevelSpectrum levels;
  if (!levels.Create(settings)) return;
  // The SPL calibration dialog moves the control while the scan runs.
  bool splCalibrated = p.splCalibrated;
  int splGainDb = SplGainDb(p);
  CalibratingCaption caption;
  if (app.frame.calibration == app::CalibrationState::Response && run.scope) caption.Prepare(app);

  const int frameBytes = run.channels * run.bytesPerSample;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(run.fftSize * frameBytes));
  std::vector<float> frames[2] = {std::vector<float>(static_cast<std::size_t>(run.fftSize)),
                                  std::vector<float>(static_cast<std::size_t>(run.fftSize))};
  std::vector<std::int16_t> codes[2] = {std::vector<std::int16_t>(static_cast<std::size_t>(run.rows)),
                                        std::vector<std::int16_t>(static_cast<std::size_t>(run.rows))};
  const StripWindow stripWindow = StripWindowFor(run.fftSize, run.rate, p.resolutionHz, run.stepMs);

  LiveState state;
  state.start = app.clock.NowMs();
  state.lastFrameMs = state.start;
  state.stepMs = run.stepMs;
  state.stamps.assign(static_cast<std::size_t>(std::max(1, run.columns)), 0);
  const float traceFloor = static_cast<float>(run.scope ? p.scopeLevelMin : p.sonogramLevelMin);
  app.render.view.levelTraceLeft.assign(static_cast<std::size_t>(std::max(1, run.columns)), traceFloor);
  app.render.view.levelTraceRight.assign(run.channels == 2 ? app.render.view.levelTraceLeft.size() : 0U, traceFloor);
  app.scanStats = {};
  RecordingTrigger trigger(p.triggerLevel, run.scope, state.start);
  bool labelRecording = app.render.view.recording;

  while (!app.frame.stopRequest) {
    app.pump.DispatchOne();
    if (app.frame.stopRequest) break;
    // The recording keeps up with the input as it arrives.
    audio::WriteArrivedInput(app);
    if (app.frame.stopRequest) break;
    // SAVE and STOP SAVE (buttons, keys, the trigger) turn the readout
    // panel's first label red and back.
    if (app.render.view.recording != labelRecording) {
      labelRecording = app.render.view.recording;
      render::DrawReadoutLabels(app);
    }
    std::uint32_t now = app.clock.NowMs();
    const std::uint32_t sinceStart = now - state.start;
    if (sinceStart > app.frame.scanTimeLimitMs) {
      app.frame.restartRequest = true;
      audio::StopAllAudio(app, true);
      break;
    }
    if (sinceStart < run.firstFrameDelayMs) {
      app.clock.SleepMs(10);
      continue;
    }
    if (ResponsePassDue(app, sinceStart)) {
      if (!FinishResponsePass(app, levels.FrameIndex(0))) break;
      // The scan goes on as a plain live scope with the new correction.
      caption.Erase(app);
      settings = LevelRunFor(p, run.rate, run.fftSize, run.rows, run.channels, run.stepMs, run.scope);
      settings.skipInvalidBins = true;
      averagingMs = settings.averagingMs;
      if (!levels.Create(settings)) break;
      state.start = app.clock.NowMs();
      state.lastFrameMs = state.start;
      state.frameCount = 0;
      state.loopCount = 0;
      continue;
    }
    if (p.splCalibrated != splCalibrated || SplGainDb(p) != splGainDb) {
      splCalibrated = p.splCalibrated;
      splGainDb = SplGainDb(p);
      levels.SetSplCalibration(splCalibrated, static_cast<float>(splGainDb));
    }
    bool analyse = true;
    bool draw = true;
    if (!run.scope) {
      // The averaging weight follows the measured pace of the passes.
      if (state.loopCount > kSettledPasses && averagingMs > 0.0F) {
        levels.SetAveraging(static_cast<float>(sinceStart) / static_cast<float>(state.loopCount), averagingMs);
      }
      const ColumnPace pace = PaceColumn(state, sinceStart);
      analyse = pace.analyse;
      draw = pace.draw;
    } else {
      if (now - state.lastFrameMs < 20) {
        const std::uint32_t wait = 20 - (now - state.lastFrameMs);
        if (wait >= 1 && wait <= 99) {
          app.clock.SleepMs(wait);
          now += wait;
        }
        // The wait may have let a stop through (a resize, STOP).
        if (app.frame.stopRequest) break;
      }
      // The averaging weight follows the measured gap between frames.
      if (state.frameCount > kSettledPasses && averagingMs > 0.0F) {
        levels.SetAveraging(static_cast<float>(now - state.lastFrameMs), averagingMs);
      }
    }

    if (analyse) {
      if (!AnalyseLiveFrame(app, run, state, levels, stripWindow, bytes, frames, codes)) {
        app.clock.SleepMs(1);
        continue;
      }
      app.scanStats.analysed += 1;
      if (app.calibrationRun.panel != nullptr) {
        app.calibrationRun.panel->ShowMeasuredLevel(app.render.view.frameTotalLevelDb);
      }
    } else {
      app.scanStats.repeated += 1;
    }

    if (!draw) {
      app.clock.SleepMs(10);
      continue;
    }
    if (run.scope) {
      state.lastFrameMs = app.clock.NowMs();
      render::StoreScopeFrame(app, codes[0],
                              run.channels == 2 ? std::span<const std::int16_t>(codes[1])
                                                : std::span<const std::int16_t>());
      render::DrawScopeFrame(app);
      if (app.frame.calibration == app::CalibrationState::Response) caption.Draw(app);
      render::BlitDisplay(app);
      if (app.frame.grid) render::DrawScopeGrid(app, app.window->Surface());
    } else {
      DrawLiveColumn(app, run, state, codes);
    }
    TraceLevels(app, run, state);
    ++state.frameCount;
    if (p.recordingId == app::ID_RECORDING_TRIGGER && audio::RecordingEnabled(app)) {
      const RecordingTrigger::Press press = trigger.Step(app.render.view.frameTotalLevelDb, state.frameCount,
                                                         audio::IsSaving(app), app.clock.NowMs());
      if (press == RecordingTrigger::Press::Save) audio::PressSave(app, p.preTriggerS);
      if (press == RecordingTrigger::Press::StopSave) audio::PressStopSave(app);
    }
    ++state.loopCount;
    app.render.view.elapsedMs = app.clock.NowMs() - state.start;
    // The readouts follow the pointer; redrawing them (and so the window) on
    // every pass would cost more than the analysis.
    const std::uint32_t shownAt = app.clock.NowMs();
    if (shownAt - state.lastReadoutMs >= kReadoutIntervalMs) {
      state.lastReadoutMs = shownAt;
      render::UpdateReadouts(app, app.lastCursorPoint, app.lastCursorValid);
    }
    app.scanStats.frames = state.frameCount;
    app.scanStats.lastMs = app.clock.NowMs() - state.start;
  }
  app.scanStats.columnsShown = std::min<std::int64_t>(state.frameCount, run.columns);
  app.scanStats.measuredColumnMs = app.render.view.measuredColumnMs;
  app.scanStats.drawnColumn = state.drawnColumn;
  app.scanStats.irregular = !run.scope && ColumnsIrregular(state.stamps, app.scanStats.lastMs);
  levels.Release();
}

}  // namespace

bool ColumnsIrregular(std::span<const std::uint32_t> stamps, std::uint32_t lastedMs) {
  if (lastedMs > kLongestRegularScanMs) return true;
  std::vector<std::uint32_t> ordered;
  ordered.reserve(stamps.size());
  for (std::uint32_t stamp : stamps) {
    if (stamp != 0) ordered.push_back(stamp);
  }
  std::sort(ordered.begin(), ordered.end());
  std::vector<double> gaps;
  for (std::size_t k = 1; k < ordered.size(); ++k) {
    if (ordered[k] > ordered[k - 1]) gaps.push_back(static_cast<double>(ordered[k] - ordered[k - 1]));
  }
  if (gaps.size() < 2) return false;
  const double mean = std::accumulate(gaps.begin(), gaps.end(), 0.0) / static_cast<double>(gaps.size());
  double squares = 0.0;
  for (double gap : gaps) squares += (gap - mean) * (gap - mean);
  const double deviation = std::sqrt(squares / static_cast<double>(gaps.size() - 1));
  return deviation >= mean;
}

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
    p.averagingScrollMs = paused.averagingScrollMs;
    p.averagingScopeMs = paused.averagingScopeMs;
    p.recordingId = paused.recordingId;
    p.frequencyMarker1Hz = paused.frequencyMarker1Hz;
    p.frequencyMarker2Hz = paused.frequencyMarker2Hz;
    p.pointerShape = paused.pointerShape;
    p.sampleRateHz = paused.sampleRateHz;
    p.sampleRateId = paused.sampleRateId;
    p.wayOfWorking = paused.wayOfWorking;
    render::SelectPaletteColors(app, p.paletteId);
  } else if (reason == kScanMenu) {
    app.pausedScan.reset();
  }
  PresetCalibrationScan(app, reason);
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
  ChooseAutomaticResolution(app, p.sampleRateHz, scope, p.displayWidthS * 1000.0F / static_cast<float>(std::max(1, plotWidth)));
  return true;
}

// Opens the display, the capture and the input for a run. False when the
// run cannot start (after its message).
bool StartLive(App& app, const LiveRun& run) {
  app.window->SetCaption(app::kCaption);
  if (!OpenLiveDisplay(app, run)) {
    Warn(app, "Not enough memory");
    return false;
  }
  app.window->SetCaption("Scan Input");
  // A locked SPL calibration runs at the gain it was made with.
  app::CurrentParameters& p = app.params;
  if (p.splCalibrated && p.gainLock == app::IDM_GAIN_LOCK_ON) p.gainDb = p.lockedGainDb;
  app.window->SetScrollPosition(platform::ScrollBarId::Vertical, p.gainDb + 30);

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
  // The first pair of buttons: SAVE and STOP SAVE while recording is "On";
  // in a scope showing one curve, CAPTURE and CLEAR of the reference
  // spectrum; otherwise PLAY and PLAY WDW, unused while live.
  const app::PlayCaptions captions = app::PlayButtonCaptions(app.params);
  app.window->SetButtonCaption(app::IDC_PLAY, captions.play);
  app.window->SetButtonCaption(app::IDC_PLAY_WINDOW, captions.playWindow);
  const bool recordingOn = app.params.recordingId == app::ID_RECORDING_ON;
  const bool oneCurve = run.channels == 1 || !run.dual;
  app.window->EnableButton(app::IDC_PLAY, recordingOn || (run.scope && oneCurve));
  app.window->EnableButton(app::IDC_PLAY_WINDOW, !recordingOn && run.scope && oneCurve);
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
  if (run.scope) render::DrawScope(app, &render::DrawScopeMarkers);
  app.window->EnableButton(app::IDC_GRID, true);
  app.window->EnableButton(app::IDC_PLAY, false);
  app.window->EnableButton(app::IDC_PLAY_WINDOW, false);
  app::EnterScanIdleMenuState(app);
  render::DrawReadoutLabels(app);
  // A device that failed stopped the scan as STOP does (a response
  // calibration cannot finish its pass); say so now.
  if (app.live.failed) AbandonResponseCalibration(app);
  audio::ReportDeviceFailure(app);
  // A recording file that failed was finished with what it holds; now that
  // the scan has ended, say why it stopped.
  if (!app.recording.failure.empty()) {
    const std::string failure = std::move(app.recording.failure);
    app.recording.failure.clear();
    Warn(app, failure);
  }
  if (app.frame.restartRequest) return;
  if (!run.scope) {
    if (!app.capture.exists) {
      app::Notify(app, "       Signal capture for analysis and playback\n  is limited to time span of less than 60 seconds");
      return;
    }
    // The span the display showed when it stopped becomes temp.wav, at the
    // time step the columns were really drawn at.
    const float stepMs = app.scanStats.measuredColumnMs > 0.0F ? app.scanStats.measuredColumnMs : run.stepMs;
    const double endMs = static_cast<double>(ended - started) - kCaptureLatencyMs;
    const double startMs = app.scanStats.frames > run.columns ? endMs - run.columns * stepMs : 0.0;
    app.frame.irregularColumns = app.scanStats.irregular;
    if (audio::WriteCaptureFile(app, startMs, endMs) > 0.0) {
      app.frame.capturedSignal = true;
      app.scanColumnMs = stepMs;
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
    ChooseAutomaticResolution(app, p.sampleRateHz, scope, p.displayWidthS * 1000.0F / static_cast<float>(std::max(1, plotWidth)));
  }
  (void)reason;

  app::StoreScanParameters(p);
  const LiveRun run = PlanLiveRun(p, app.layout, kCaptureLatencyMs);
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
    // Recording Enable comes from the dialog or a resume, and a restart
    // keeps a recording going in its file; any other start runs with it
    // "Off".
    if (reason != kScanRestart) app.recording.carry.reset();
    const bool carried = reason == kScanRestart && app.recording.carry.has_value();
    if ((reason != kScanResume || !app.pausedScan) && !carried) app.params.recordingId = app::ID_RECORDING_OFF;
    const bool dialog = ask != nullptr && ScanShowsDialog(app, reason);
    if (dialog && !ask(app)) return;
    // A new scan starts a new snapshot stack.
    app.frame.snapshotIndex = -1;
    app.frame.snapshotPushed = false;
    const ScanOutcome outcome = RunScanInput(app, reason, dialog);
    if (outcome == ScanOutcome::Refused) return;
    guard.Keep();
    if (outcome != ScanOutcome::Restart) {
      // The first pass of a response calibration has ended and its input
      // has closed: the second pass follows.
      if (!app.calibrationRun.secondPassDue) return;
      app.calibrationRun.secondPassDue = false;
      app.calibrationRun.responsePass = 1;
      reason = kScanResponseCalibration;
      continue;
    }
    audio::CarryRecordingOver(app);
    reason = kScanRestart;
  }
}

}  // namespace sonavue::engines
