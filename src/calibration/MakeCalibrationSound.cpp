// Writes the calibration sound: make-cal-sound OUTPUT.wav
// A 16-bit mono 48000 Hz PCM WAV file of band-limited pink noise (see
// TestSound.h), played by the "Sound Meter" method of the SPL calibration.

#include <array>
#include <cstdio>
#include <fstream>

#include "audio/WaveFormat.h"
#include "calibration/TestSound.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-cal-sound OUTPUT.wav\n");
    return 2;
  }
  const sonavue::calibration::TestSoundSettings settings;
  const std::vector<std::int16_t> samples = sonavue::calibration::MakeTestSound(settings);
  if (samples.empty()) return 1;
  std::array<std::uint8_t, sonavue::audio::kPlainHeaderBytes> header{};
  const auto bytes = static_cast<std::uint32_t>(2 * samples.size());
  sonavue::audio::WritePlainHeader(header, 1, settings.rateHz, 16, bytes);
  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  for (std::int16_t s : samples) {
    const char pair[2] = {static_cast<char>(s & 0xFF), static_cast<char>((s >> 8) & 0xFF)};
    file.write(pair, 2);
  }
  file.close();
  if (!file) {
    std::fprintf(stderr, "make-cal-sound: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
