#include "platform/SoundFile.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace sonavue::platform {

struct SoundFileReader::Handle {
  SNDFILE* file = nullptr;
  ~Handle() {
    if (file != nullptr) sf_close(file);
  }
};

namespace {

int PcmBits(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32: return 32;
    default: return 0;
  }
}

}  // namespace

SoundFileReader::SoundFileReader(std::unique_ptr<Handle> handle, SoundFileInfo info)
    : handle_(std::move(handle)), info_(info) {}

SoundFileReader::~SoundFileReader() = default;

std::unique_ptr<SoundFileReader> SoundFileReader::Open(const std::filesystem::path& path,
                                                       std::string& reason) {
  SF_INFO sf{};
  auto handle = std::make_unique<Handle>();
  handle->file = sf_open(path.c_str(), SFM_READ, &sf);
  if (handle->file == nullptr) {
    reason = sf_strerror(nullptr);
    return nullptr;
  }
  if (sf.channels <= 0 || sf.samplerate <= 0) {
    reason = "The file holds no sound.";
    return nullptr;
  }
  SoundFileInfo info;
  info.channels = sf.channels;
  info.sampleRate = sf.samplerate;
  info.frames = sf.frames < 0 ? 0 : static_cast<std::int64_t>(sf.frames);
  info.pcmBits = PcmBits(sf.format);
  reason.clear();
  return std::unique_ptr<SoundFileReader>(new SoundFileReader(std::move(handle), info));
}

std::int64_t SoundFileReader::ReadInt(std::span<std::int32_t> out) {
  const auto frames = static_cast<sf_count_t>(out.size() / static_cast<std::size_t>(info_.channels));
  if (frames == 0) return 0;
  return sf_readf_int(handle_->file, out.data(), frames);
}

std::int64_t SoundFileReader::ReadFloat(std::span<float> out) {
  const auto frames = static_cast<sf_count_t>(out.size() / static_cast<std::size_t>(info_.channels));
  if (frames == 0) return 0;
  return sf_readf_float(handle_->file, out.data(), frames);
}

std::string SoundFileReader::Error() const {
  if (sf_error(handle_->file) == SF_ERR_NO_ERROR) return {};
  return sf_strerror(handle_->file);
}

bool IsDecodedSoundFileName(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  constexpr std::array<std::string_view, 8> kDecoded{".flac", ".aif", ".aiff", ".aifc",
                                                     ".ogg",  ".oga", ".opus", ".mp3"};
  return std::find(kDecoded.begin(), kDecoded.end(), extension) != kDecoded.end();
}

}  // namespace sonavue::platform
