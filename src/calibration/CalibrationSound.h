#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/WaveIo.h"

namespace sonavue::app {
class App;
}

namespace sonavue::calibration {

// The calibration sound: "cal.wav" beside the program, a broadband test
// sound that the speakers play for the "Sound Meter" method of the SPL
// calibration, repeated 1000 times unless stopped.

inline constexpr const char* kCalibrationSoundFile = "cal.wav";
inline constexpr int kCalibrationSoundLoops = 1000;
// How much of the file's start is searched for its chunks.
inline constexpr std::size_t kCalibrationHeadBytes = 8192;

// Where the samples of a calibration sound lie, and their format.
struct CalibrationSoundLayout {
  platform::WaveFormat format;  // PCM: the file's channels, rate and bits
  std::uint64_t dataOffset = 0;  // first sample byte
  std::uint32_t dataLength = 0;  // as the data chunk states it
};

// Reads the layout from the first bytes of the file (at most 8192): the
// first "fmt " anywhere in them (any letter case), then the chunks from
// there (identifier, 32-bit length, the next one 8 + length bytes on) while
// a chunk header still lies within the first 8192 bytes, to the first
// "data" (any case). Nothing when either is missing or the format block is
// cut off.
std::optional<CalibrationSoundLayout> FindCalibrationSound(std::span<const std::uint8_t> head);

// Starts the sound from the file app.calibrationSoundPath on the default
// output. Failures are shown and nothing plays: "Recording Not Available"
// (no file), "File may not be PCM Wave Format", "Not enough memory"
// (warnings) and "Cannot Open Audio Device" (error), all with the caption
// "VOLSK". Returns whether it plays.
bool StartCalibrationSound(app::App& app);

// Stops the sound and releases the device and the samples. The output
// stays the calibration sound's until its done notification arrives.
void StopCalibrationSound(app::App& app);

// Whether the sound plays (the output is open for it).
bool CalibrationSoundPlaying(const app::App& app);

// The output's done notification while the output is the calibration
// sound's: a sound that has run through all its repetitions releases the
// device; the output is then free again. A notification of an earlier,
// stopped sound only frees the output.
void HandleCalibrationSoundDone(app::App& app, int bufferIndex);

}  // namespace sonavue::calibration
