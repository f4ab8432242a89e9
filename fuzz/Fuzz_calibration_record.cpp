// The calibration data of the settings file (the SPL calibration and the
// two frequency-response tables) as the analysis uses them: whatever a
// damaged file holds, the level path makes codes without undefined
// behaviour, and the data logs' bin levels stay whole numbers.

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "context/SettingsRecord.h"
#include "dsp/LevelSpectrum.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sonavue;
  // The fuzz bytes go over the calibration fields (from the SPL method to
  // the end of the stereo table, then the dates); the rest of the record is
  // the first-start one, so that the analysis settings stay usable.
  static const app::SettingsRecord firstStart = app::SettingsRecord::FirstStart();
  // A tone with a little ripple, the same for every input.
  static const std::vector<float> tone = [] {
    std::vector<float> samples(1024);
    for (std::size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<float>(8000.0 * std::sin(0.37 * static_cast<double>(i)) + (i % 7) * 3.0);
    }
    return samples;
  }();
  app::SettingsRecord record = firstStart;
  const std::size_t first = app::settings_offset::kSplMethod;
  const std::size_t tables = app::settings_offset::kUserPalette - first;
  std::memcpy(record.bytes.data() + first, data, std::min(size, tables));
  if (size > tables) {
    const std::size_t dates = record.bytes.size() - app::settings_offset::kSplDate;
    std::memcpy(record.bytes.data() + app::settings_offset::kSplDate, data + tables, std::min(size - tables, dates));
  }
  app::CurrentParameters params;
  app::ApplyRecord(record, params);
  for (const float v : params.responseMono) {
    if (!std::isfinite(v)) std::abort();
  }
  for (const float v : params.responseStereo) {
    if (!std::isfinite(v)) std::abort();
  }
  if (params.lockedGainDb < -30 || params.lockedGainDb > 30) std::abort();

  for (int channels = 1; channels <= 2; ++channels) {
    dsp::LevelRunSettings settings;
    settings.fftSize = 1024;
    settings.sampleRateHz = 48000.0F;  // the only rate the tables apply to
    settings.resolutionHz = 100.0F;
    settings.highHz = 24000.0F;
    settings.rows = 64;
    settings.channels = channels;
    settings.splCalibrated = params.splCalibrated;
    settings.splGainDb = static_cast<float>(params.lockedGainDb);
    settings.monoResponse = params.responseMono;
    settings.stereoResponse = params.responseStereo;
    dsp::LevelSpectrum spectrum;
    if (!spectrum.Create(settings)) std::abort();
    std::vector<float> frame(1024);
    std::vector<std::int16_t> codes(64);
    for (int c = 0; c < channels; ++c) {
      frame = tone;
      (void)spectrum.ProcessFrame(c, frame, codes);
      for (int bin = 0; bin < 512; bin += 17) (void)spectrum.BinLevel(frame, bin);
    }
  }
  return 0;
}
