#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>

#include "audio/WaveFormat.h"

namespace sonavue::app {
class App;
}

namespace sonavue::audio {

// A WAV file ready for a command: its header (of the converted copy when it
// needed conversion), the path to read samples from, and the rate the
// analysis runs at with the multiplier of displayed frequencies.
struct OpenedWave {
  WaveFileInfo info;
  std::filesystem::path path;        // the conversion file after a conversion
  std::int32_t analysisRate = 0;     // the sample rate, or the reduced ultrasound rate
  std::int32_t multiplier = 1;
  bool ultrasound = false;
};

// Reads a WAV file's header for a command, converting 8-bit and float files
// to the conversion file "mod.wav" of the working folder and, for Analyze
// File, turning a rate above 96000 Hz into an ultrasound analysis (with its
// notice on a first analysis, unless Ultrasound Controls are chosen, and the
// switch to Ultrasound Controls). Every refusal is shown as a warning box
// with the command's message; nothing is returned then.
// The bytes of the data chunk the file really holds: a data chunk that
// claims more than the file has is analysed as far as it goes.
std::uint32_t AvailableDataBytes(const OpenedWave& wave);

// Reads the data bytes [beginByte, beginByte + out.size()) into out.
// False when the file cannot be opened or ends early.
bool ReadDataBytes(const OpenedWave& wave, std::uint32_t beginByte, std::span<std::uint8_t> out);

// Reads ranges of a file's data bytes, the file kept open between reads:
// for taking a long file in large blocks rather than all at once.
class WaveDataReader {
 public:
  // False when the file cannot be opened.
  bool Open(const OpenedWave& wave);
  // Reads the data bytes [beginByte, beginByte + out.size()) into out;
  // false when the file ends early or cannot be read.
  bool Read(std::uint32_t beginByte, std::span<std::uint8_t> out);

 private:
  std::ifstream file_;
  std::uint32_t firstSampleOffset_ = 0;
};

std::optional<OpenedWave> OpenWaveFile(app::App& app, const std::filesystem::path& path,
                                       WaveCommand command, bool firstAnalysis);

}  // namespace sonavue::audio
