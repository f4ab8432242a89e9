#include "engines/ScanFile.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <new>
#include <vector>

#include "audio/StopAllAudio.h"
#include "audio/WaveFormat.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/CommandIds.h"
#include "context/FileChoosers.h"
#include "context/Layout.h"
#include "context/Menu.h"
#include "context/ParameterGuard.h"
#include "context/WorkingFiles.h"
#include "dsp/LevelSpectrum.h"
#include "dsp/ParameterRules.h"
#include "engines/AnalysisPlan.h"
#include "engines/AnalyzeFile.h"
#include "engines/ColumnAnalysis.h"
#include "engines/FilePlayback.h"
#include "engines/LiveDisplay.h"
#include "engines/ScanInput.h"
#include "engines/StaticAnalysis.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "render/Panels.h"
#include "render/Scope.h"

namespace sonavue::engines {
namespace {

using app::App;

// The rates a file scan plays.
constexpr std::int32_t kLowestRateHz = 4000;
constexpr std::int32_t kHighestRateHz = 96000;
// The shortest segment that plays, from its first to its last sample frame:
// a segment of 999 ms or less is too short to scroll across the window.
constexpr std::int64_t kShortestSegmentMs = 999;
// The scan ends this long before the segment does, so that the device never
// runs out of samples while the picture still moves.
constexpr double kEndMarginMs = 100.0;
// How far the clock may run ahead of what the device has played before the
// picture waits for the sound (more than the device's reports jitter by).
constexpr std::uint64_t kSoundLagMs = 100;
// A sonogram keeps the span it shows for its static picture when that span
// is at most 60 s.
constexpr double kCaptureLimitMs = 60000.0;
constexpr std::uint32_t kCaptureSeconds = 60;
// Scope frames are at least this far apart.
constexpr std::uint32_t kScopeIntervalMs = 20;
// The command line's lowest band limit on the logarithmic scales.
constexpr std::int32_t kCommandLineLogLowHz = 100;

constexpr const char* kCaptureLimitText =
    "       Signal capture for analysis and playback\n  is limited to time span of less than 60 seconds";

bool IsDual(const app::CurrentParameters& p, int channels) {
  return channels == 2 && p.channelsId == app::ID_CHANNELS_DUAL;
}

// Ways of working 3 … 6: Scan File's "Scroll 1", "Scroll 2", "Scope 1",
// "Scope 2".
int WayOfWorking(const app::CurrentParameters& p) {
  switch (p.displayId) {
    case app::ID_DISPLAY_SCROLL2: return 4;
    case app::ID_DISPLAY_SCOPE1: return 5;
    case app::ID_DISPLAY_SCOPE2: return 6;
    default: return 3;
  }
}

// Δt from the display width: width × 1000 ÷ (window width − Mx); in "Dual"
// view × 2000 ÷ (window width − 2 Mx).
float StepFromDisplayWidth(const App& app, bool dual) {
  const app::LayoutValues& v = app.layout;
  const int width = dual ? v.displayWidth - 2 * v.leftMargin : v.displayWidth - v.leftMargin;
  return app.params.displayWidthS * (dual ? 2000.0F : 1000.0F) / static_cast<float>(std::max(1, width));
}

// The band within what the file holds: at most half its rate, the low limit
// below the high one.
void LimitBand(app::CurrentParameters& p, std::int32_t rateHz) {
  if (p.highBandHz > rateHz / 2) p.highBandHz = rateHz / 2;
  if (p.lowBandHz >= p.highBandHz) p.lowBandHz = NewFileLowBandHz(p.frequencyScaleId);
}

// A resolution that suits the FFT size at the file's rate: the stored one,
// or the automatic one and its FFT size.
void SettleResolution(App& app, std::int32_t rateHz, int channels) {
  app::CurrentParameters& p = app.params;
  if (!dsp::ResolutionIsValid(static_cast<float>(rateHz), p.fftSize, p.resolutionHz)) {
    ChooseAutomaticResolution(app, rateHz, p.IsScopeDisplay(), StepFromDisplayWidth(app, IsDual(p, channels)));
  }
}

// The command line's rules for a file scan: the band at most half the
// rate and at least 10 Hz wide, a span of at least 1 s, the automatic
// resolution, and GRID off for the sonograms and on for the scopes.
bool SettleCommandLine(App& app, std::int32_t rateHz, int channels) {
  app::CurrentParameters& p = app.params;
  const app::CommandLineRequest request = app.commandLine;
  app.commandLine.started = false;
  p.lowBandHz = request.lowHz;
  p.highBandHz = request.highHz;
  if (request.limitsInRange && p.highBandHz > rateHz / 2) {
    p.highBandHz = rateHz / 2;
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
  const bool scope = p.IsScopeDisplay();
  ChooseAutomaticResolution(app, rateHz, scope, StepFromDisplayWidth(app, IsDual(p, channels)));
  app.frame.grid = scope;
  app.window->SetButtonChecked(app::IDC_GRID, scope);
  return true;
}

// The segment's length from its first to its last sample frame, in whole
// milliseconds.
std::int64_t SegmentSpanMs(std::uint32_t bytes, int frameBytes, std::int32_t rateHz) {
  const std::int64_t frames = bytes / static_cast<std::uint32_t>(frameBytes);
  return frames < 1 ? 0 : (frames - 1) * 1000 / rateHz;
}

// Feeds the loop buffer from the segment of the file: whole halves, read
// only when a half is refilled, with the gain put into the samples.
class SegmentFeed {
 public:
  bool Open(const audio::OpenedWave& wave, const SegmentBytes& segment) {
    file_.open(wave.path, std::ios::binary);
    if (!file_) return false;
    first_ = wave.info.firstSampleOffset;
    next_ = segment.beginByte;
    end_ = segment.endByte;
    bytesPerSample_ = static_cast<int>(wave.info.bytesPerSample);
    frameBytes_ = static_cast<int>(wave.info.channels * wave.info.bytesPerSample);
    return static_cast<bool>(file_.seekg(static_cast<std::streamoff>(first_) + next_));
  }

  // Zeroes the half and reads into it what the segment still holds (never
  // beyond its end), times the gain factor. Returns the bytes read.
  std::uint32_t Fill(std::span<std::uint8_t> half, float gainFactor) {
    std::fill(half.begin(), half.end(), std::uint8_t{0});
    const auto wanted = static_cast<std::uint32_t>(std::min<std::uint64_t>(half.size(), end_ - next_));
    if (wanted == 0 || !file_) return 0;
    file_.read(reinterpret_cast<char*>(half.data()), static_cast<std::streamsize>(wanted));
    auto got = static_cast<std::uint32_t>(std::max<std::streamsize>(0, file_.gcount()));
    got -= got % static_cast<std::uint32_t>(frameBytes_);
    next_ += got;
    ApplyGainInPlace(half.first(got), bytesPerSample_, gainFactor);
    return got;
  }

  // Reads bytes [offset, offset + out.size()) of the data again (the span a
  // stopped scan keeps).
  bool ReadAgain(std::uint64_t offset, std::span<std::uint8_t> out) {
    file_.clear();
    if (!file_.seekg(static_cast<std::streamoff>(first_ + offset))) return false;
    file_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    return file_.gcount() == static_cast<std::streamsize>(out.size());
  }

 private:
  std::ifstream file_;
  std::uint64_t first_ = 0;
  std::uint64_t next_ = 0;
  std::uint64_t end_ = 0;
  int bytesPerSample_ = 2;
  int frameBytes_ = 2;
};

// Closes the output of a file scan and gives back its loop buffer.
void ReleaseScanOutput(App& app) {
  app::WaveOut& out = app.output;
  if (out.device) out.device->Close();
  out.device.reset();
  out.user = app::OutputUser::None;
  out.header = platform::WaveBuffer{};
  out.loops = 0;
  std::vector<std::uint8_t>().swap(out.loopBuffer);
}

// A run that could not start: nothing of it stays, and the menus are those
// of an idle scan.
void AbandonRun(App& app) {
  ReleaseScanOutput(app);
  app.display.Release();
  app.frame.displayIsScan = false;
  app.frame.scanFileRunning = false;
  app::EnterScanIdleMenuState(app);
  app.window->Invalidate();
}

// Everything one file scan holds while it runs.
struct FileScan {
  LiveRun run;
  SegmentFeed feed;
  SegmentBytes segment;
  double durationMs = 0.0;
  std::uint32_t bytesPerSecond = 0;  // the file's, exact
  std::vector<std::uint8_t> capture;  // working header + up to 60 s; empty: the span is too long
  LiveState state;
  std::uint32_t endedMs = 0;          // E when the loop ended
  std::uint32_t lastColumnMs = 0;     // E when the newest column was drawn
  bool irregular = false;
};

// The buttons of a running file scan: STOP; GRID and, for one curve, PEAK
// HOLD, CAPTURE and CLEAR in a scope.
void ShowRunningButtons(App& app, const LiveRun& run) {
  const bool oneCurve = run.channels == 1 || !run.dual;
  app.window->SetButtonCaption(app::IDC_PLAY, run.scope ? "&CAPTURE" : "&PLAY");
  app.window->SetButtonCaption(app::IDC_PLAY_WINDOW, run.scope ? "C&LEAR" : "PLAY &WDW");
  app.window->EnableButton(app::IDC_PLAY, run.scope && oneCurve);
  app.window->EnableButton(app::IDC_PLAY_WINDOW, run.scope && oneCurve);
  app.window->EnableButton(app::IDC_STOP, true);
  app.window->EnableButton(app::IDC_GRID, run.scope);
  app.window->EnableButton(app::IDC_PEAK_HOLD, run.scope && oneCurve);
}

// Opens the output for the file's format and starts the loop buffer; the
// loop count covers the segment. Returns the clock reading taken just
// before the start, or nullopt (after "Cannot Open Audio Device").
std::optional<std::uint32_t> StartOutput(App& app, const audio::WaveFileInfo& info, std::uint32_t segmentBytes) {
  app::WaveOut& out = app.output;
  out.device = app.devices != nullptr ? app.devices->MakeOutput(app.pump) : nullptr;
  const platform::WaveFormat format{static_cast<std::uint32_t>(info.sampleRate), info.channels,
                                    static_cast<std::uint16_t>(info.bitsPerSample)};
  bool ok = out.device && out.device->Open(format) == platform::WaveResult::Ok;
  std::uint32_t start = 0;
  if (ok) {
    out.user = app::OutputUser::ScanFile;
    out.header = platform::WaveBuffer{out.loopBuffer, out.loopBuffer.size(), 0};
    out.loops = static_cast<int>(segmentBytes / out.loopBuffer.size()) + 1;
    start = app.clock.NowMs();
    ok = out.device->Write(out.header, out.loops) == platform::WaveResult::Ok;
  }
  if (!ok) {
    app::Fail(app, "Cannot Open Audio Device");
    return std::nullopt;
  }
  return start;
}

// Resets the output at the end of a scan and lets its done notification
// release it; a device that sends none is released here.
void StopOutput(App& app) {
  if (app.output.user != app::OutputUser::ScanFile) return;
  if (app.output.device) app.output.device->Reset();
  app.pump.DispatchAll();
  if (app.output.user == app::OutputUser::ScanFile) ReleaseScanOutput(app);
}

// The live loop: frames at the play position of the device, the halves of
// the loop buffer refilled as the position leaves them, columns in step
// with the clock, until STOP, the end of the segment or the device's end.
void RunEngine(App& app, FileScan& scan) {
  const LiveRun& run = scan.run;
  app::CurrentParameters& p = app.params;
  LiveState& state = scan.state;
  dsp::LevelRunSettings settings = LevelRunFor(p, run.rate, run.fftSize, run.rows, run.channels, run.stepMs, run.scope);
  settings.skipInvalidBins = true;
  const float averagingMs = settings.averagingMs;
  dsp::LevelSpectrum levels;
  if (!levels.Create(settings)) return;

  const int frameBytes = run.channels * run.bytesPerSample;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(run.fftSize * frameBytes));
  std::vector<float> frames[2] = {std::vector<float>(static_cast<std::size_t>(run.fftSize)),
                                  std::vector<float>(static_cast<std::size_t>(run.fftSize))};
  std::vector<std::int16_t> codes[2] = {std::vector<std::int16_t>(static_cast<std::size_t>(run.rows)),
                                        std::vector<std::int16_t>(static_cast<std::size_t>(run.rows))};
  const StripWindow stripWindow = StripWindowFor(run.fftSize, run.rate, p.resolutionHz, run.stepMs);
  std::vector<std::uint8_t>& loop = app.output.loopBuffer;
  const auto loopFrames = static_cast<std::int64_t>(loop.size() / static_cast<std::size_t>(frameBytes));
  const auto halfBytes = static_cast<std::size_t>(loopFrames / 2) * static_cast<std::size_t>(frameBytes);
  HalfRefill refill;

  state.lastFrameMs = state.start;
  state.lastReadoutMs = state.start;
  state.stepMs = run.stepMs;
  state.stamps.assign(static_cast<std::size_t>(std::max(1, run.columns)), 0);
  const float traceFloor = static_cast<float>(run.scope ? p.scopeLevelMin : p.sonogramLevelMin);
  app.render.view.levelTraceLeft.assign(static_cast<std::size_t>(std::max(1, run.columns)), traceFloor);
  app.render.view.levelTraceRight.assign(run.channels == 2 ? app.render.view.levelTraceLeft.size() : 0U, traceFloor);
  app.scanStats = {};

  while (!app.frame.stopRequest) {
    app.pump.DispatchOne();
    // A done notification has released the loop buffer: nothing below may
    // touch it.
    if (app.frame.stopRequest || app.output.user != app::OutputUser::ScanFile) break;
    std::uint32_t now = app.clock.NowMs();
    // The picture follows the sound: where the device has played less than
    // the clock says (a sound server slow to start a stream, or one that
    // falls behind), the start moves on, so that columns wait for the sound
    // instead of showing its first frames again and the scan ends when the
    // sound does.
    std::uint64_t heardMs = UINT64_MAX;
    if (app.output.device) {
      heardMs = app.output.device->PositionFrames() * 1000U / static_cast<std::uint64_t>(run.rate);
      const std::uint32_t clockMs = now - state.start;
      // Until it sounds the picture waits exactly; later the clock may run a
      // little ahead, as far as the device's reports jitter.
      if (clockMs > heardMs + (heardMs == 0 ? 0 : kSoundLagMs)) {
        const std::uint32_t lag = clockMs - static_cast<std::uint32_t>(heardMs);
        state.start += lag;
        // The columns drawn so far keep their places in the sound's time.
        for (std::uint32_t& stamp : state.stamps) {
          if (stamp != 0) stamp += lag;
        }
      }
    }
    const std::uint32_t elapsed = now - state.start;
    // The scan ends when the sound (or, with a device ahead of the clock,
    // the clock) reaches the end margin.
    if (static_cast<double>(std::min<std::uint64_t>(elapsed, heardMs)) > scan.durationMs - kEndMarginMs) {
      app.frame.stopRequest = true;
      break;
    }
    bool analyse = true;
    bool draw = true;
    if (!run.scope) {
      // The averaging weight follows the measured time per pass.
      if (state.loopCount > kSettledPasses && averagingMs > 0.0F) {
        levels.SetAveraging(static_cast<float>(elapsed) / static_cast<float>(state.loopCount), averagingMs);
      }
      const ColumnPace pace = PaceColumn(state, elapsed);
      analyse = pace.analyse;
      draw = pace.draw;
    } else {
      if (now - state.lastFrameMs < kScopeIntervalMs) {
        const std::uint32_t wait = kScopeIntervalMs - (now - state.lastFrameMs);
        if (wait >= 1 && wait <= 99) {
          app.clock.SleepMs(wait);
          now += wait;
        }
      }
      if (state.frameCount > kSettledPasses && averagingMs > 0.0F) {
        levels.SetAveraging(static_cast<float>(now - state.lastFrameMs), averagingMs);
      }
    }

    // The frame ends at the sample the device plays.
    const std::uint64_t played = app.output.device
                                     ? app.output.device->PositionFrames()
                                     : static_cast<std::uint64_t>(elapsed) * static_cast<std::uint64_t>(run.rate) / 1000U;
    const auto inLoop = static_cast<std::int64_t>(played % static_cast<std::uint64_t>(loopFrames));
    if (inLoop % (loopFrames / 2) == 0) {
      app.clock.SleepMs(1);
      continue;
    }
    const HalfRefill::Half due = refill.Next(inLoop, loopFrames, run.fftSize);
    if (due != HalfRefill::Half::None) {
      const std::size_t offset = due == HalfRefill::Half::A ? 0 : halfBytes;
      scan.feed.Fill(std::span<std::uint8_t>(loop.data() + offset, halfBytes), audio::GainFactor(p.gainDb));
    }

    if (analyse) {
      CopyLoopFrames(loop, frameBytes, inLoop, run.fftSize, bytes);
      for (int c = 0; c < run.channels; ++c) {
        std::vector<float>& frame = frames[c];
        FillFrame(bytes, run.bytesPerSample, run.channels, c, 0, 1.0F, frame);
        if (run.strip > 0) {
          const StripPeaks peaks = PeaksAroundCentre(frame, stripWindow, c);
          state.high[static_cast<std::size_t>(c)] = peaks.high;
          state.low[static_cast<std::size_t>(c)] = peaks.low;
        }
        if (const auto total = levels.ProcessFrame(c, frame, codes[c])) {
          state.frameLevel[static_cast<std::size_t>(c)] = *total;
        }
      }
      ShowFrameLevel(app, run, state);
      app.scanStats.analysed += 1;
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
      render::BlitDisplay(app);
      if (app.frame.grid) render::DrawScopeGrid(app, app.window->Surface());
    } else {
      DrawLiveColumn(app, run, state, codes);
      scan.lastColumnMs = app.clock.NowMs() - state.start;
    }
    TraceLevels(app, run, state);
    ++state.frameCount;
    ++state.loopCount;
    const std::uint32_t shownAt = app.clock.NowMs();
    app.render.view.elapsedMs = shownAt - state.start;
    if (shownAt - state.lastReadoutMs >= kReadoutIntervalMs) {
      state.lastReadoutMs = shownAt;
      render::UpdateReadouts(app, app.lastCursorPoint, app.lastCursorValid);
    }
    app.scanStats.frames = state.frameCount;
    app.scanStats.drawnColumn = state.drawnColumn;
    app.scanStats.lastMs = shownAt - state.start;
  }
  scan.endedMs = app.clock.NowMs() - state.start;
  app.scanStats.lastMs = scan.endedMs;
  app.scanStats.columnsShown = std::min<std::int64_t>(state.frameCount, run.columns);
  app.scanStats.measuredColumnMs = app.render.view.measuredColumnMs;
  app.scanStats.drawnColumn = state.drawnColumn;
  scan.irregular = !run.scope && ColumnsIrregular(state.stamps, 0);
  app.scanStats.irregular = scan.irregular;
  levels.Release();
}

// Puts the newest column of a full live sonogram at the right edge of the
// plot (the scroll moves four columns at a time, so up to four columns right
// of the newest repeat older ones) and clears what the move uncovers, so
// that column x of the plot shows the frame x columns after the plot's
// start, as a static picture does.
void AlignLiveImage(App& app, const FileScan& scan) {
  const LiveRun& run = scan.run;
  if (scan.state.column < run.columns) return;
  const int shift = 4 - scan.state.phase;
  const int plotHeight = run.height - run.bottom;
  app.display.Scroll({run.margin, 0, run.columns, plotHeight}, shift, 0);
  app.display.FillRectIndex({run.margin, 0, shift, plotHeight}, render::kBackgroundIndex);
}

// The end of a sonogram scan: the span it shows, read again from the file,
// becomes temp.wav and the static picture of it, at the time per column
// the live picture really had.
void FinishSonogram(App& app, FileScan& scan, const ScanFileSource& source) {
  const LiveRun& run = scan.run;
  if (scan.capture.empty()) {
    app::Notify(app, kCaptureLimitText);
    return;
  }
  const float measured = app.render.view.measuredColumnMs;
  const float stepMs = measured > 0.0F ? measured : run.stepMs;
  const bool keep = !scan.irregular && !run.dual && run.channels == 1;
  if (keep) AlignLiveImage(app, scan);
  const std::uint32_t segmentBytes = scan.segment.endByte - scan.segment.beginByte;
  const auto capacity = static_cast<std::uint32_t>(scan.capture.size() - audio::kWorkingHeaderBytes);
  // The span ends one column after the newest one, where the next column's
  // frame would have ended: a static analysis takes its last frame one
  // column step before the end of its samples.
  const double endMs =
      scan.state.frameCount > 0 ? static_cast<double>(scan.lastColumnMs) + stepMs : static_cast<double>(scan.endedMs);
  const CaptureSpan span =
      ShownSpanBytes(endMs, static_cast<double>(run.columns) * stepMs, scan.bytesPerSecond,
                     run.channels * run.bytesPerSample, run.fftSize, segmentBytes, capacity);
  if (span.length == 0) return;
  const std::span<std::uint8_t> data(scan.capture.data() + audio::kWorkingHeaderBytes, span.length);
  if (!scan.feed.ReadAgain(static_cast<std::uint64_t>(scan.segment.beginByte) + span.beginByte, data)) return;
  const audio::WaveFileInfo& info = source.wave.info;
  audio::WriteWorkingHeader(std::span<std::uint8_t, audio::kWorkingHeaderBytes>(scan.capture.data(), audio::kWorkingHeaderBytes),
                            info.channels, info.sampleRate, info.bitsPerSample, span.length);
  std::ofstream out(app::WorkingFilePath(app, "temp.wav"), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(scan.capture.data()),
            static_cast<std::streamsize>(audio::kWorkingHeaderBytes + span.length));
  out.close();
  if (!out) return;

  app.frame.capturedSignal = true;
  app.frame.irregularColumns = scan.irregular;
  app.frame.keepScanImage = keep;
  app.scanColumnMs = stepMs;
  AnalyzeFileRequest(app, kAnalyzeCapture, nullptr);
  app.frame.keepScanImage = false;
  // PLAY on this picture scans the file again rather than playing temp.wav.
  app.frame.scanFilePicture = app.analysis.valid;
}

// After the loop: the device released, the buttons and menus of an idle
// scan, the picture's last drawing, and a layout a resize left pending.
void FinishLoop(App& app, FileScan& scan) {
  StopOutput(app);
  app.frame.engineLoop = false;
  app.frame.scanFileRunning = false;
  if (scan.run.scope) {
    render::DrawScope(app);
  } else {
    app.render.view.measuredColumnMs = app.scanStats.measuredColumnMs;
    render::DrawAxes(app, app.display, {});
    render::BlitDisplay(app);
  }
  app.window->EnableButton(app::IDC_GRID, true);
  app.window->EnableButton(app::IDC_PLAY, false);
  app.window->EnableButton(app::IDC_PLAY_WINDOW, false);
  app::EnterScanIdleMenuState(app);
  if (app.frame.layoutPending) {
    app.frame.layoutPending = false;
    app::RunLayout(app, false);
  }
  app.window->Invalidate();
}

}  // namespace

std::optional<ScanFileSource> BeginScanFile(App& app, int kind, bool repeat) {
  app::CurrentParameters& p = app.params;
  const bool commandLine = kind == kScanFileAgain && !repeat && (app.commandLine.started || app.commandLine.fileForm);
  const bool numeric = commandLine && app.commandLine.started;
  app.commandLine.fileForm = false;
  ScanFileSource source;
  if (kind == kScanFileMenu) {
    const auto chosen = app::ChooseFile(app, app::FileChooser::OpenWave);
    if (!chosen) return std::nullopt;
    source.path = chosen->front();
  } else {
    source.path = commandLine ? std::filesystem::path(app.frame.fileName) : app.scanFile.path;
  }
  auto opened = audio::OpenWaveFile(app, source.path, audio::WaveCommand::ScanFile, false);
  if (!opened) return std::nullopt;
  source.wave = std::move(*opened);
  const audio::WaveFileInfo& info = source.wave.info;
  const std::int32_t rate = info.sampleRate;
  const double bytesPerSecond = static_cast<double>(rate) * info.channels * info.bytesPerSample;
  source.durationS = bytesPerSecond > 0.0 ? audio::AvailableDataBytes(source.wave) / bytesPerSecond : 0.0;

  if (p.analysisControls == app::IDM_CONTROLS_ULTRASOUND) {
    app::Warn(app, "Ultrasound Controls only available for 'Analyze File'.\rConverting to Automatic Controls.");
    p.analysisControls = app::IDM_CONTROLS_AUTOMATIC;
    app::SetMenuCheckMarks(app);
  }
  p.frequencyMultiplier = 1;
  // The band, FFT size, resolution and width of the last scan, unless this
  // is the same run again or the command line gives them.
  if (!repeat && !numeric) app::LoadScanParameters(p);
  p.typeId = info.channels == 2 ? app::ID_TYPE_STEREO : app::ID_TYPE_MONO;
  p.recordingId = app::ID_RECORDING_OFF;
  if (kind == kScanFileAgain && !commandLine) {
    p.beginS = app.scanFile.beginS;
    p.endS = app.scanFile.endS;
  } else {
    p.beginS = 0.0F;
    p.endS = static_cast<float>(source.durationS);
  }
  if (numeric) {
    if (!SettleCommandLine(app, rate, info.channels)) return std::nullopt;
  } else if (commandLine) {
    // A bare file name: the whole band the file holds.
    p.lowBandHz = p.frequencyScaleId == app::ID_SCALE_LINEAR ? 0 : kCommandLineLogLowHz;
    p.highBandHz = rate / 2;
  }
  LimitBand(p, rate);
  SettleResolution(app, rate, info.channels);
  return source;
}

bool ScanFileShowsDialog(const App& app, int kind) {
  return kind == kScanFileMenu && app.params.variables != app::IDM_VARIABLES_FREEZE;
}

ScanFileOutcome RunScanFile(App& app, const ScanFileSource& source) {
  app::CurrentParameters& p = app.params;
  const audio::WaveFileInfo& info = source.wave.info;
  const std::int32_t rate = info.sampleRate;
  const int channels = info.channels;
  const int bytesPerSample = static_cast<int>(info.bytesPerSample);
  const int frameBytes = channels * bytesPerSample;
  p.wayOfWorking = WayOfWorking(p);
  p.scanFlag = 1;
  LimitBand(p, rate);
  SettleResolution(app, rate, channels);
  app::StoreScanParameters(p);

  if (rate < kLowestRateHz || rate > kHighestRateHz) {
    app::Fail(app, "Sample Rate Out of Range");
    return ScanFileOutcome::Refused;
  }
  FileScan scan;
  scan.segment = SegmentForSpan(rate, channels, info.bitsPerSample, p.beginS, p.endS,
                                audio::AvailableDataBytes(source.wave));
  if (!scan.segment.ok) {
    app::Fail(app, "Improper Begin or End");
    return ScanFileOutcome::Refused;
  }
  p.endS = scan.segment.endS;
  const std::uint32_t segmentBytes = scan.segment.endByte - scan.segment.beginByte;
  if (SegmentSpanMs(segmentBytes, frameBytes, rate) <= kShortestSegmentMs) {
    app::Fail(app, "Sample Size Too Small");
    return ScanFileOutcome::Refused;
  }
  if (!scan.feed.Open(source.wave, scan.segment)) {
    app::Warn(app, "Cannot Open File");
    return ScanFileOutcome::Refused;
  }
  scan.bytesPerSecond = static_cast<std::uint32_t>(rate) * static_cast<std::uint32_t>(frameBytes);
  scan.durationMs = static_cast<double>(segmentBytes) * 1000.0 / scan.bytesPerSecond;

  LiveRun& run = scan.run;
  run = PlanLiveRun(p, app.layout, 0);
  run.rate = rate;
  run.channels = channels;
  run.bytesPerSample = bytesPerSample;
  run.dual = IsDual(p, channels);
  p.timePerColumnMs = run.stepMs;
  if (run.columns <= 4 || run.rows < 1) return ScanFileOutcome::Done;
  app.scanFile = {source.path, p.beginS, p.endS};

  app.window->SetCaption(app::kCaption);
  if (!OpenLiveDisplay(app, run)) {
    app::Warn(app, "Not enough memory");
    AbandonRun(app);
    return ScanFileOutcome::Done;
  }
  app.render.view.sourceBits = info.sourceBits;
  app.window->SetCaption(source.path.filename().string());
  try {
    if (!run.scope && static_cast<double>(run.columns) * run.stepMs <= kCaptureLimitMs) {
      scan.capture.resize(audio::kWorkingHeaderBytes +
                          static_cast<std::size_t>(LoopBytesPerSecond(rate, channels, bytesPerSample)) * kCaptureSeconds);
    }
    app.output.loopBuffer.assign(LoopBufferBytes(rate, channels, bytesPerSample, run.fftSize), 0);
  } catch (const std::bad_alloc&) {
    app::Warn(app, "Not enough memory");
    AbandonRun(app);
    return ScanFileOutcome::Done;
  }
  const std::size_t halfBytes = app.output.loopBuffer.size() / 2;
  if (scan.feed.Fill(std::span<std::uint8_t>(app.output.loopBuffer.data(), halfBytes), audio::GainFactor(p.gainDb)) == 0) {
    app::Warn(app, "Cannot Read Wave File");
    AbandonRun(app);
    return ScanFileOutcome::Done;
  }
  const std::optional<std::uint32_t> started = StartOutput(app, info, segmentBytes);
  if (!started) {
    AbandonRun(app);
    return ScanFileOutcome::Done;
  }

  app.frame.stopRequest = false;
  app.frame.restartRequest = false;
  app.frame.scanFileRunning = true;
  app::EnterRunningMenuState(app);
  ShowRunningButtons(app, run);
  app.window->Invalidate();
  render::UpdateReadouts(app, app.lastCursorPoint, app.lastCursorValid);

  app.frame.engineLoop = true;
  scan.state.start = *started;
  RunEngine(app, scan);
  FinishLoop(app, scan);
  // A failed output ends the scan as STOP does, with its message.
  if (!app.deviceFailure.empty()) app.frame.restartRequest = false;
  if (app.frame.restartRequest) {
    app.frame.restartRequest = false;
    return ScanFileOutcome::Restart;
  }
  if (!run.scope) FinishSonogram(app, scan, source);
  audio::ReportDeviceFailure(app);
  return ScanFileOutcome::Done;
}

void ScanFileRequest(App& app, int kind, AskScanFileParameters ask) {
  if (app.frame.engineLoop || app.frame.running || app.window == nullptr || app.output.device) return;
  bool repeat = false;
  for (;;) {
    app::ParameterGuard guard(app);
    const std::optional<ScanFileSource> source = BeginScanFile(app, kind, repeat);
    app.commandLine.started = false;
    if (!source) return;
    if (ask != nullptr && ScanFileShowsDialog(app, kind) && !ask(app, *source)) return;
    const ScanFileOutcome outcome = RunScanFile(app, *source);
    if (outcome == ScanFileOutcome::Refused) return;
    guard.Keep();
    if (outcome != ScanFileOutcome::Restart) return;
    kind = kScanFileAgain;
    repeat = true;
  }
}

void HandleScanFileDone(App& app) {
  if (app.output.user != app::OutputUser::ScanFile) return;
  app.frame.stopRequest = true;
  ReleaseScanOutput(app);
  app.frame.scanFileRunning = false;
}

}  // namespace sonavue::engines
