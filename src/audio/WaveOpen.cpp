#include "audio/WaveOpen.h"

#include <algorithm>
#include <fstream>
#include <string>

#include "audio/SoundFileConversion.h"
#include "audio/WaveConversion.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/CommandIds.h"

namespace sonavue::audio {
namespace {

using app::Warn;

void ChooseUltrasoundControls(app::App& app) {
  app.params.analysisControls = app::IDM_CONTROLS_ULTRASOUND;
  if (app.window == nullptr) return;
  for (int id : {app::IDM_CONTROLS_AUTOMATIC, app::IDM_CONTROLS_MANUAL,
                 app::IDM_CONTROLS_ULTRASOUND}) {
    app.window->CheckMenuItem(id, id == app::IDM_CONTROLS_ULTRASOUND);
  }
}

// Decodes a FLAC, AIFF, Ogg or MP3 file into the conversion file and points
// opened at it; the source's depth is kept for the panels. The format it
// will have is checked first, so that a file no WAV file could stand for
// gets the WAV file's message without being decoded. False after a box.
bool DecodeSoundFile(app::App& app, const std::filesystem::path& path, WaveCommand command,
                     OpenedWave& opened, std::uint16_t& sourceBits) {
  std::string reason;
  auto reader = platform::SoundFileReader::Open(path, reason);
  if (reader != nullptr) {
    const platform::SoundFileInfo& decoded = reader->Info();
    WaveFileInfo planned;
    planned.formatTag = kFormatPcm;
    planned.channels = static_cast<std::uint16_t>(std::min(decoded.channels, 0xFFFF));
    planned.sampleRate = decoded.sampleRate;
    planned.bitsPerSample = static_cast<std::int16_t>(WorkingBitsForDecoded(decoded.pcmBits));
    const WaveError error = CheckFormat(planned, command);
    if (error != WaveError::None) {
      Warn(app, WaveErrorMessage(error, command));
      return false;
    }
    const auto target = app.workingFolder / "mod.wav";
    if (DecodeToWorkingWave(*reader, target, reason)) {
      opened.path = target;
      sourceBits = static_cast<std::uint16_t>(SourceBitsForDecoded(decoded.pcmBits));
      return true;
    }
  }
  Warn(app, DecodeFailureMessage(path, reason));
  return false;
}

}  // namespace

std::string DecodeFailureMessage(const std::filesystem::path& path, const std::string& reason) {
  return "Cannot Decode Sound File\n" + path.string() + "\n" + reason;
}

std::optional<OpenedWave> OpenWaveFile(app::App& app, const std::filesystem::path& path,
                                       WaveCommand command, bool firstAnalysis) {
  OpenedWave opened;
  opened.path = path;
  std::uint16_t sourceBits = 0;
  // Something that is there but no plain file (a named pipe, a device, a
  // folder) is no sound file whatever its name: reading it could block.
  std::error_code statusError;
  const std::filesystem::file_status status = std::filesystem::status(path, statusError);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    Warn(app, WaveErrorMessage(WaveError::CannotOpen, command));
    return std::nullopt;
  }
  if (platform::IsDecodedSoundFileName(path) &&
      !DecodeSoundFile(app, path, command, opened, sourceBits)) {
    return std::nullopt;
  }
  // A converted file is read again; it never needs a second conversion.
  for (int pass = 0; pass < 2; ++pass) {
    ChunkLayout layout;
    WaveError error = ReadHeaderBlock(opened.path, opened.info, layout);
    if (error == WaveError::None) error = CheckFormat(opened.info, command);
    if (error != WaveError::None) {
      Warn(app, WaveErrorMessage(error, command));
      return std::nullopt;
    }
    const int bits = opened.info.bitsPerSample;
    if (bits != 8 && bits != 32) break;
    if (pass == 1) {
      Warn(app, WaveErrorMessage(WaveError::CannotRead, command));
      return std::nullopt;
    }
    const auto target = app.workingFolder / "mod.wav";
    const bool converted = bits == 8 ? Convert8BitTo16(opened.path, target)
                                     : ConvertFloatTo24(opened.path, target);
    if (!converted) {
      Warn(app, WaveErrorMessage(WaveError::CannotRead, command));
      return std::nullopt;
    }
    sourceBits = static_cast<std::uint16_t>(bits);
    opened.path = target;
  }
  if (sourceBits != 0) opened.info.sourceBits = sourceBits;

  opened.analysisRate = opened.info.sampleRate;
  if (command == WaveCommand::AnalyzeFile && opened.info.sampleRate > 96000) {
    if (firstAnalysis && app.params.analysisControls != app::IDM_CONTROLS_ULTRASOUND) {
      Warn(app,
           "     Sampling rate is greater than 96000 Hz.\nFile will be analyzed as UltraSound "
           "recording.");
    }
    const UltrasoundRate reduced = ReduceUltrasoundRate(opened.info.sampleRate);
    if (!reduced.ok) {
      Warn(app, WaveErrorMessage(WaveError::RateOutOfRange, command));
      return std::nullopt;
    }
    opened.analysisRate = reduced.analysisRate;
    opened.multiplier = reduced.multiplier;
    opened.ultrasound = true;
    if (firstAnalysis) ChooseUltrasoundControls(app);
  }
  return opened;
}

}  // namespace sonavue::audio

namespace sonavue::audio {

std::uint32_t AvailableDataBytes(const OpenedWave& wave) {
  std::error_code error;
  const auto fileSize = std::filesystem::file_size(wave.path, error);
  const std::uint32_t claimed = wave.info.dataLength;
  const std::uint64_t first = wave.info.firstSampleOffset;
  if (error || fileSize >= first + claimed) return claimed;
  return fileSize > first ? static_cast<std::uint32_t>(fileSize - first) : 0U;
}

bool ReadDataBytes(const OpenedWave& wave, std::uint32_t beginByte, std::span<std::uint8_t> out) {
  std::ifstream file(wave.path, std::ios::binary);
  if (!file) return false;
  if (!file.seekg(static_cast<std::streamoff>(wave.info.firstSampleOffset) + beginByte)) return false;
  file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return file.gcount() == static_cast<std::streamsize>(out.size());
}

bool WaveDataReader::Open(const OpenedWave& wave) {
  file_.close();
  file_.clear();
  file_.open(wave.path, std::ios::binary);
  firstSampleOffset_ = wave.info.firstSampleOffset;
  return file_.is_open();
}

bool WaveDataReader::Read(std::uint32_t beginByte, std::span<std::uint8_t> out) {
  if (!file_.is_open()) return false;
  file_.clear();
  if (!file_.seekg(static_cast<std::streamoff>(firstSampleOffset_) + beginByte)) return false;
  file_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
  return file_.gcount() == static_cast<std::streamsize>(out.size());
}

}  // namespace sonavue::audio
