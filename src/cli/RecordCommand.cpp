#include "cli/RecordCommand.h"

#include <QApplication>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>

#include "app/CommandTable.h"
#include "audio/Recording.h"
#include "cli/Arguments.h"
#include "cli/CliContext.h"
#include "cli/RecordOptions.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "engines/ScanInput.h"
#include "platform/PortAudioWave.h"
#include "platform/SimulatedWave.h"

namespace sonavue::cli {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void OnStopSignal(int) { stopSignal = 1; }

// The test aid SONAVUE_SIMULATED_INPUT: "tone:HZ:AMP", "noise:AMP",
// "silence", or "burst:HZ:AMP:START_MS:LENGTH_MS" (faint noise with a tone
// burst, repeated every minute). Amplitudes are in 16-bit units.
std::optional<platform::SignalSource> SimulatedSource(const std::string& text, int rate) {
  std::vector<double> values;
  std::stringstream parts(text);
  std::string kind;
  std::getline(parts, kind, ':');
  std::string part;
  while (std::getline(parts, part, ':')) {
    double value = 0.0;
    if (!ParseNumber(part, value)) return std::nullopt;
    values.push_back(value);
  }
  platform::SignalSource source;
  if (kind == "silence" && values.empty()) {
    source.kind = platform::SignalSource::Kind::Silence;
  } else if (kind == "tone" && values.size() == 2) {
    source.kind = platform::SignalSource::Kind::Tone;
    source.frequencyHz = values[0];
    source.amplitude = values[1];
  } else if (kind == "noise" && values.size() == 1) {
    source.kind = platform::SignalSource::Kind::Noise;
    source.amplitude = values[0];
  } else if (kind == "burst" && values.size() == 4 && values[2] >= 0 && values[3] > 0 &&
             values[2] + values[3] <= 60000) {
    constexpr double kFaint = 20.0;
    const auto frames = static_cast<std::size_t>(rate) * 60;
    const auto first = static_cast<std::size_t>(values[2] * rate / 1000.0);
    const auto last = first + static_cast<std::size_t>(values[3] * rate / 1000.0);
    source.kind = platform::SignalSource::Kind::Samples;
    source.amplitude = 32767.0;
    source.samples.resize(frames);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < frames; ++i) {
      noise = noise * 1664525U + 1013904223U;
      double v = kFaint * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
      if (i >= first && i < last) v = values[1] * std::sin(2.0 * M_PI * values[0] * static_cast<double>(i) / rate);
      source.samples[i] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0)));
    }
  } else {
    return std::nullopt;
  }
  return source;
}

// The file of the n-th recording of a run: OUT.wav, then OUT-2.wav, …
std::filesystem::path NthFile(const std::filesystem::path& out, int n) {
  if (n <= 1) return out;
  std::filesystem::path path = out;
  path.replace_filename(out.stem().string() + "-" + std::to_string(n) + out.extension().string());
  return path;
}

// The off-screen window's notes on the platform it runs on are of no use
// to an unattended recorder; its own messages go to standard error.
void DropQtMessages(QtMsgType, const QMessageLogContext&, const QString&) {}

// What a scan of the recorder starts with: a live spectrum of the chosen
// format, recording "On" or "Trigger".
void SetParameters(app::App& app, const RecordOptions& options) {
  app::CurrentParameters& p = app.params;
  p.sampleRateHz = options.rate;
  p.sampleRateId = options.rate == 22050 ? app::ID_RATE_22K
                   : options.rate == 44100 ? app::ID_RATE_44K
                   : options.rate == 96000 ? app::ID_RATE_96K
                                           : app::ID_RATE_48K;
  p.typeId = options.channels == 2 ? app::ID_TYPE_STEREO : app::ID_TYPE_MONO;
  p.channelsId = app::ID_CHANNELS_DUAL;
  p.resolutionId = options.bits == 24 ? app::ID_BITS_24 : app::ID_BITS_16;
  p.displayId = app::ID_DISPLAY_SCOPE1;
  p.plotTypeId = app::ID_PLOT_SIGNAL;
  p.lowBandHz = 0;
  p.highBandHz = options.rate / 2;
  p.fftSize = 0;  // the automatic resolution chooses
  p.resolutionHz = 0.0F;
  p.recordingId = options.trigger ? app::ID_RECORDING_TRIGGER : app::ID_RECORDING_ON;
  // The dialog shows the trigger level as t − 90 dB.
  p.triggerLevel = std::clamp(static_cast<int>(std::lround(options.triggerDb)) + 90, 30, 120);
  p.preTriggerS = static_cast<float>(options.preTriggerS);
}

}  // namespace

int RunRecord(const std::vector<std::string>& args) {
  const std::optional<RecordOptions> parsed = ParseRecordOptions(args);
  if (!parsed) {
    std::fprintf(stderr, "usage: %s", kRecordUsage);
    return 2;
  }
  const RecordOptions& options = *parsed;
  // Headless: the window lives on the off-screen platform unless told otherwise.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  std::unique_ptr<platform::Clock> deviceClock;
  std::unique_ptr<platform::WaveDevices> devices;
  if (const char* simulated = std::getenv("SONAVUE_SIMULATED_INPUT"); simulated != nullptr && *simulated != '\0') {
    const auto source = SimulatedSource(simulated, options.rate);
    if (!source) {
      std::fprintf(stderr, "sonavue-cli record: SONAVUE_SIMULATED_INPUT is not tone:HZ:AMP, noise:AMP, silence "
                           "or burst:HZ:AMP:START_MS:LENGTH_MS\n");
      return 2;
    }
    deviceClock = platform::MakeRealClock();
    auto simulatedDevices = std::make_unique<platform::SimulatedDevices>(*deviceClock, nullptr);
    simulatedDevices->SetSource(*source);
    // The test aid SONAVUE_SIMULATED_INPUT_FAIL=FRAMES: the input fails once
    // it has delivered that many sample frames.
    if (const char* fail = std::getenv("SONAVUE_SIMULATED_INPUT_FAIL"); fail != nullptr && *fail != '\0') {
      char* end = nullptr;
      const unsigned long long frames = std::strtoull(fail, &end, 10);
      if (end == fail || *end != '\0') {
        std::fprintf(stderr, "sonavue-cli record: SONAVUE_SIMULATED_INPUT_FAIL is not a number of frames\n");
        return 2;
      }
      simulatedDevices->FailInputAfterFrames(frames);
    }
    devices = std::move(simulatedDevices);
  } else {
    devices = platform::MakePortAudioDevices();
  }

  qInstallMessageHandler(DropQtMessages);
  int argc = 1;
  char name[] = "sonavue-cli";
  char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  CliContext context(devices.get(), true);
  if (!context.HasWorkingFolder()) return 1;
  app::App& app = context.App();
  // The test aid SONAVUE_RECORD_WHOLE_BUFFERS=1: the recording is written
  // only as whole input buffers come back, for comparing what a killed
  // recorder loses.
  if (const char* whole = std::getenv("SONAVUE_RECORD_WHOLE_BUFFERS"); whole != nullptr && *whole == '1') {
    app.recordingWritesAsItFills = false;
  }

  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  // Polled before every message the engine dispatches: a signal, the end of
  // the time asked for (counted from the moment the input first runs) or a
  // message stop the scan as STOP does; with Recording Enable "On", SAVE is
  // pressed as the scan starts.
  std::optional<std::uint32_t> started;
  const auto timeUp = [&] {
    return options.seconds > 0.0 && started &&
           static_cast<double>(app.clock.NowMs() - *started) >= options.seconds * 1000.0;
  };
  bool stopPosted = false;
  bool savePosted = false;
  app.pump.AddSource(&context, [&] {
    if (!app.frame.engineLoop || !app.frame.inputOpen || stopPosted) return;
    if (!started) started = app.clock.NowMs();
    if (stopSignal != 0 || timeUp() || context.Refused()) {
      stopPosted = true;
      app::PostCommand(app, app::IDC_STOP);
    } else if (!savePosted && app.params.recordingId == app::ID_RECORDING_ON && audio::RecordingEnabled(app)) {
      savePosted = true;
      app::PostCommand(app, app::IDC_PLAY);
    }
  });

  for (int n = 1;; ++n) {
    SetParameters(app, options);
    stopPosted = false;
    savePosted = false;
    const std::filesystem::path file = NthFile(options.out, n);
    context.Prompts().QueueFile({file.string()});
    const engines::ScanOutcome outcome = engines::RunScanInput(app, engines::kScanMenu, true);
    if (app.recording.finished) {
      const app::FinishedRecording& made = *app.recording.finished;
      const double seconds = made.bytesPerSecond > 0 ? static_cast<double>(made.dataBytes) /
                                                           static_cast<double>(made.bytesPerSecond)
                                                     : 0.0;
      std::printf("recording=%s seconds=%.3f bytes=%lld\n", made.path.string().c_str(), seconds,
                  static_cast<long long>(made.dataBytes + 68));
      std::fflush(stdout);
      app.recording.finished.reset();
    }
    if (context.Refused() || stopSignal != 0 || timeUp()) break;
    // A full file (or the live scan's time limit) goes on in the next file.
    if (outcome != engines::ScanOutcome::Restart && !app.recording.limitReached) break;
  }
  app.pump.RemoveSource(&context);
  return context.Refused() ? 1 : 0;
}

}  // namespace sonavue::cli
