#include "calibration/LiveLevel.h"

#include <algorithm>
#include <cmath>

#include "context/App.h"
#include "context/Boxes.h"
#include "audio/Capture.h"
#include "audio/StopAllAudio.h"

namespace sonavue::calibration {
namespace {

constexpr std::uint32_t kSettleMs = 500;

}  // namespace

std::optional<double> MeanFrameLevelDb(std::span<const std::int16_t> samples, int frameSize, double factor) {
  if (frameSize < 1) return std::nullopt;
  double sum = 0.0;
  std::int64_t frames = 0;
  for (std::size_t start = 0; start + static_cast<std::size_t>(frameSize) <= samples.size();
       start += static_cast<std::size_t>(frameSize)) {
    double squares = 0.0;
    for (int i = 0; i < frameSize; ++i) {
      const double x = samples[start + static_cast<std::size_t>(i)] * factor;
      squares += x * x;
    }
    if (squares <= 0.0) continue;
    sum += 20.0 * std::log10(std::sqrt(squares / frameSize));
    ++frames;
  }
  if (frames == 0) return std::nullopt;
  return sum / static_cast<double>(frames);
}

std::optional<std::vector<std::int16_t>> RecordLiveInput(app::App& app, int seconds, int rateHz) {
  seconds = std::clamp(seconds, 1, 60);
  app.params.sampleRateHz = rateHz;
  app.params.typeId = app::ID_TYPE_MONO;
  app.params.resolutionId = app::ID_BITS_16;
  if (!audio::AllocateCapture(app)) {
    app::Warn(app, "Not enough memory");
    return std::nullopt;
  }
  app.frame.stopRequest = false;
  if (!audio::OpenAndStartInput(app)) return std::nullopt;
  const std::uint32_t start = app.clock.NowMs();
  const std::uint32_t lasting = static_cast<std::uint32_t>(seconds) * 1000U + kSettleMs;
  // A device that fails ends the measurement: its message has been shown.
  bool failed = false;
  while (app.clock.NowMs() - start < lasting) {
    app.pump.DispatchAll();
    if (!app.frame.inputOpen) {
      failed = true;
      break;
    }
    app.clock.SleepMs(10);
  }
  audio::StopAllAudio(app, false);
  for (int i = 0; i < 100 && app.frame.inputOpen; ++i) {
    app.pump.DispatchAll();
    if (app.frame.inputOpen) app.clock.SleepMs(10);
  }

  if (failed) {
    audio::ReleaseCapture(app);
    return std::nullopt;
  }
  const std::uint64_t wanted = static_cast<std::uint64_t>(seconds) * static_cast<std::uint64_t>(rateHz) * 2U;
  const std::uint64_t total = app.capture.ring.Total();
  std::vector<std::uint8_t> bytes;
  app.capture.ring.Extract(total - std::min(total, wanted), total, bytes);
  std::vector<std::int16_t> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  }
  audio::ReleaseCapture(app);
  return samples;
}

}  // namespace sonavue::calibration
