#include "calibration/CalibrationSound.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <new>
#include <vector>

#include "context/App.h"

namespace sonavue::calibration {
namespace {

constexpr const char* kSoundCaption = "VOLSK";
// A chunk header is 8 bytes; one must fit inside the searched head.
constexpr std::size_t kLastChunkStart = kCalibrationHeadBytes - 8;

bool IdIs(std::span<const std::uint8_t> bytes, std::size_t at, const char* id) {
  if (at + 4 > bytes.size()) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    if (std::tolower(bytes[at + i]) != id[i]) return false;
  }
  return true;
}

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

void Refuse(app::App& app, const char* text, platform::BoxIcon icon) {
  app.prompts.MessageBox(text, kSoundCaption, icon, platform::BoxButtons::Ok);
}

std::filesystem::path SoundPath(const app::App& app) {
  return app.calibrationSoundPath.empty() ? app.environment.executableFolder / kCalibrationSoundFile
                                          : app.calibrationSoundPath;
}

void Release(app::WaveOut& output) {
  if (output.device) {
    output.device->Close();
    output.device.reset();
  }
  output.header = {};
  std::vector<std::uint8_t>().swap(output.loopBuffer);
  output.loops = 0;
  output.playing = false;
}

}  // namespace

std::optional<CalibrationSoundLayout> FindCalibrationSound(std::span<const std::uint8_t> head) {
  head = head.first(std::min(head.size(), kCalibrationHeadBytes));
  std::size_t format = head.size();
  for (std::size_t at = 0; at + 4 <= head.size(); ++at) {
    if (IdIs(head, at, "fmt ")) {
      format = at;
      break;
    }
  }
  // The format block's channels, rate and bits lie within its first 16 bytes.
  if (format + 8 + 16 > head.size()) return std::nullopt;

  std::uint64_t at = format;
  while (at < kLastChunkStart && at + 8 <= head.size()) {
    const auto chunk = static_cast<std::size_t>(at);
    if (IdIs(head, chunk, "data")) {
      CalibrationSoundLayout layout;
      layout.format.channels = U16(head, format + 8 + 2);
      layout.format.sampleRate = U32(head, format + 8 + 4);
      layout.format.bitsPerSample = U16(head, format + 8 + 14);
      layout.dataOffset = at + 8;
      layout.dataLength = U32(head, chunk + 4);
      return layout;
    }
    at += 8 + static_cast<std::uint64_t>(U32(head, chunk + 4));
  }
  return std::nullopt;
}

bool StartCalibrationSound(app::App& app) {
  std::ifstream file(SoundPath(app), std::ios::binary);
  if (!file) {
    Refuse(app, "Recording Not Available", platform::BoxIcon::Warning);
    return false;
  }
  std::vector<std::uint8_t> head(kCalibrationHeadBytes);
  file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(file.gcount()));
  const auto layout = FindCalibrationSound(head);
  if (!layout) {
    Refuse(app, "File may not be PCM Wave Format", platform::BoxIcon::Warning);
    return false;
  }

  // The samples the file really holds (a data chunk may claim more), in
  // whole sample frames.
  const platform::WaveFormat format = layout->format;
  std::vector<std::uint8_t> samples;
  try {
    file.clear();
    file.seekg(0, std::ios::end);
    const auto size = static_cast<std::uint64_t>(std::max<std::streamoff>(0, file.tellg()));
    const std::uint64_t held = size > layout->dataOffset ? size - layout->dataOffset : 0;
    samples.resize(static_cast<std::size_t>(std::min<std::uint64_t>(layout->dataLength, held)));
  } catch (const std::bad_alloc&) {
    Refuse(app, "Not enough memory", platform::BoxIcon::Warning);
    return false;
  }
  file.seekg(static_cast<std::streamoff>(layout->dataOffset));
  file.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size()));
  samples.resize(static_cast<std::size_t>(std::max<std::streamsize>(0, file.gcount())));
  const std::uint32_t frameBytes = format.BytesPerFrame();
  if (frameBytes > 0) samples.resize(samples.size() / frameBytes * frameBytes);

  app::WaveOut& output = app.output;
  // Only the formats a sound card takes: 16- or 24-bit, one or two
  // channels; and the output must be free.
  const bool usable = (format.bitsPerSample == 16 || format.bitsPerSample == 24) &&
                      (format.channels == 1 || format.channels == 2) && format.sampleRate > 0 &&
                      !samples.empty() && app.devices != nullptr && !output.device;
  if (usable) {
    output.device = app.devices->MakeOutput(app.pump);
    output.user = app::OutputUser::CalibrationSound;
    output.loopBuffer = std::move(samples);
    output.header = {};
    output.header.data = output.loopBuffer;
    output.header.bytesRecorded = output.loopBuffer.size();
    output.header.index = ++output.writes;
    output.loops = kCalibrationSoundLoops;
    if (output.device->Open(format) == platform::WaveResult::Ok &&
        output.device->Write(output.header, kCalibrationSoundLoops) == platform::WaveResult::Ok) {
      output.playing = true;
      return true;
    }
    Release(output);
    output.user = app::OutputUser::None;
  }
  Refuse(app, "Cannot Open Audio Device", platform::BoxIcon::Error);
  return false;
}

void StopCalibrationSound(app::App& app) {
  app::WaveOut& output = app.output;
  if (output.user != app::OutputUser::CalibrationSound || !output.device) return;
  output.device->Reset();
  Release(output);
}

bool CalibrationSoundPlaying(const app::App& app) {
  return app.output.user == app::OutputUser::CalibrationSound && app.output.device != nullptr;
}

void HandleCalibrationSoundDone(app::App& app, int bufferIndex) {
  app::WaveOut& output = app.output;
  if (output.user != app::OutputUser::CalibrationSound) return;
  // A sound still open is released only by its own notification: one of a
  // sound stopped earlier leaves a newer sound playing.
  if (output.device && bufferIndex != output.header.index) return;
  Release(output);
  output.user = app::OutputUser::None;
}

}  // namespace sonavue::calibration
