#include "cli/ListenCommand.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "context/App.h"
#include "context/Settings.h"
#include "audio/Capture.h"
#include "audio/StopAllAudio.h"
#include "audio/WaveFormat.h"
#include "calibration/LiveLevel.h"
#include "cli/CliContext.h"
#include "dsp/SpectralFrame.h"
#include "platform/PortAudioWave.h"

namespace sonavue::cli {

int RunListen(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "usage: sonavue-cli listen SECONDS [--rate HZ]\n");
    return 2;
  }
  const int seconds = std::atoi(args[0].c_str());
  int rate = 48000;
  if (args.size() == 3 && args[1] == "--rate") rate = std::atoi(args[2].c_str());
  if (seconds < 1 || seconds > 60 || (rate != 22050 && rate != 44100 && rate != 48000 && rate != 96000)) {
    std::fprintf(stderr, "sonavue-cli listen: bad SECONDS (1 … 60) or --rate\n");
    return 2;
  }
  int argc = 1;
  char name[] = "sonavue-cli";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);

  const auto devices = platform::MakePortAudioDevices();
  CliContext context(devices.get());
  if (!context.HasWorkingFolder()) return 1;
  app::App& app = context.App();
  // The SPL calibration, when one is stored, gives the level in dB SPL.
  app::LoadSettings(app);
  app.params.sampleRateHz = rate;
  app.params.typeId = app::ID_TYPE_MONO;
  app.params.resolutionId = app::ID_BITS_16;
  if (!audio::AllocateCapture(app)) {
    std::fprintf(stderr, "Not enough memory\n");
    return 1;
  }
  if (!audio::OpenAndStartInput(app)) return 1;
  const std::uint32_t start = app.clock.NowMs();
  // A device that fails ends the listening early, with its message.
  while (app.clock.NowMs() - start < static_cast<std::uint32_t>(seconds) * 1000U && app.frame.inputOpen) {
    app.pump.DispatchAll();
    app.clock.SleepMs(10);
  }
  if (context.Refused()) {
    audio::StopAllAudio(app, false);
    return 1;
  }
  const std::uint32_t heard = app.clock.NowMs() - start;
  // Gaps in the input: the sound system or the program could not keep up.
  const std::uint64_t overflows = app.live.device ? app.live.device->Overflows() : 0;
  audio::StopAllAudio(app, false);
  for (int i = 0; i < 100 && app.frame.inputOpen; ++i) {
    app.pump.DispatchAll();
    app.clock.SleepMs(10);
  }

  // The strongest frequency of the last captured second.
  constexpr int kN = 16384;
  constexpr std::size_t kBytes = 2 * kN;
  // The ring hands out whole 12-byte groups.
  constexpr std::uint64_t kGroup = app::CaptureRing::kGroupBytes;
  constexpr std::uint64_t kAsked = (kBytes + kGroup - 1) / kGroup * kGroup;
  const std::uint64_t total = app.capture.ring.Total();
  std::vector<std::uint8_t> bytes;
  app.capture.ring.Extract(total - std::min(total, kAsked), total, bytes);
  if (bytes.size() < kBytes) {
    std::fprintf(stderr, "sonavue-cli listen: nothing was captured in %u ms\n", heard);
    return 1;
  }
  std::vector<float> frame(kN);
  std::vector<std::int16_t> samples(kN);
  const std::uint8_t* newest = bytes.data() + (bytes.size() - kBytes);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    const auto v = static_cast<std::int16_t>(newest[2 * i] | (newest[2 * i + 1] << 8));
    samples[i] = v;
    frame[i] = audio::Sample16ToNumber(v, 1.0F);
  }
  double sum = 0.0;
  for (float x : frame) sum += static_cast<double>(x) * x;
  dsp::SpectralFrame spectral;
  if (!spectral.Create(kN, rate, -1.0F)) return 1;
  spectral.MagnitudeSpectrum(frame);
  int peak = 1;
  for (int k = 1; k < kN / 2 - 1; ++k) {
    if (frame[static_cast<std::size_t>(k)] > frame[static_cast<std::size_t>(peak)]) peak = k;
  }
  std::printf("captured_ms=%u\n", heard);
  std::printf("overflows=%llu\n", static_cast<unsigned long long>(overflows));
  std::printf("peak_hz=%.1f\n", static_cast<double>(peak) * rate / kN);
  std::printf("level_db=%.2f\n", sum > 0.0 ? 20.0 * std::log10(std::sqrt(sum / kN)) : -1.0);
  const app::CurrentParameters& p = app.params;
  if (p.splCalibrated) {
    // As the calibrated scope reads it: the gain (the locked gain when the
    // lock is on) and the SPL factor of the stored control.
    const int gainDb = p.gainLock == app::IDM_GAIN_LOCK_ON ? p.lockedGainDb : p.gainDb;
    const double factor = audio::GainFactor(gainDb) * std::pow(10.0, (p.splControl - 60) / 20.0);
    const auto spl = calibration::MeanFrameLevelDb(samples, calibration::kLevelFrameSize, factor);
    if (spl) std::printf("spl_db=%.2f\n", *spl);
  }
  return 0;
}

}  // namespace sonavue::cli
