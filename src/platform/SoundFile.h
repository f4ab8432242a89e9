#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

namespace sonavue::platform {

// What a compressed or non-WAV sound file holds, as its decoder reports it.
struct SoundFileInfo {
  int channels = 0;
  int sampleRate = 0;          // Hz
  std::int64_t frames = 0;     // as the decoder estimates it; reading may give fewer
  // Bits of an integer PCM source (8, 16, 24 or 32); 0 when the samples come
  // as floating point (float files, Vorbis, Opus, MPEG).
  int pcmBits = 0;
};

// Reads sound files through libsndfile: FLAC, AIFF, Ogg Vorbis and Opus, MP3
// and whatever else the library knows. Frames are interleaved by channel.
class SoundFileReader {
 public:
  // Opens a file; nothing, with the decoder's reason, when it cannot.
  static std::unique_ptr<SoundFileReader> Open(const std::filesystem::path& path,
                                               std::string& reason);
  ~SoundFileReader();
  SoundFileReader(const SoundFileReader&) = delete;
  SoundFileReader& operator=(const SoundFileReader&) = delete;

  const SoundFileInfo& Info() const { return info_; }

  // Reads up to out.size() ÷ channels frames as 32-bit integers (full scale
  // ±2^31: a 16-bit sample s comes as s·65536, exactly). Returns the frames
  // read; fewer than asked at the end of the file or on a decoding error.
  std::int64_t ReadInt(std::span<std::int32_t> out);
  // As ReadInt, as floats with full scale ±1.
  std::int64_t ReadFloat(std::span<float> out);
  // The decoder's reason for the last failure; "" when there was none.
  std::string Error() const;

 private:
  struct Handle;
  explicit SoundFileReader(std::unique_ptr<Handle> handle, SoundFileInfo info);
  std::unique_ptr<Handle> handle_;
  SoundFileInfo info_;
};

// Whether a file name has an extension that is decoded through the reader
// (.flac, .aif, .aiff, .aifc, .ogg, .oga, .opus, .mp3, any letter case)
// rather than read as a WAV file.
bool IsDecodedSoundFileName(const std::filesystem::path& path);

}  // namespace sonavue::platform
