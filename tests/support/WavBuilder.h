#pragma once

#include <cstdint>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace sonavue::testing {

// Builds WAV files byte by byte, chunk by chunk, so that tests can make
// well-formed and malformed files alike.
class WavBuilder {
 public:
  WavBuilder& Chunk(const std::string& id, const std::vector<std::uint8_t>& body,
                    bool padOdd = false) {
    Append(id);
    U32(static_cast<std::uint32_t>(body.size()));
    bytes_.insert(bytes_.end(), body.begin(), body.end());
    if (padOdd && body.size() % 2 == 1) bytes_.push_back(0);
    return *this;
  }
  WavBuilder& Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                     std::uint16_t bits) {
    std::vector<std::uint8_t> body;
    const auto put16 = [&](std::uint16_t v) {
      body.push_back(static_cast<std::uint8_t>(v));
      body.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const auto put32 = [&](std::uint32_t v) {
      for (int i = 0; i < 4; ++i) body.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put16(tag);
    put16(channels);
    put32(rate);
    put32(rate * channels * (bits / 8U));
    put16(static_cast<std::uint16_t>(channels * (bits / 8U)));
    put16(bits);
    return Chunk("fmt ", body);
  }
  WavBuilder& Data(const std::vector<std::uint8_t>& samples) { return Chunk("data", samples); }
  // A data chunk header whose stored length differs from what follows.
  WavBuilder& DataHeader(std::uint32_t storedLength) {
    Append("data");
    U32(storedLength);
    return *this;
  }
  WavBuilder& Raw(const std::vector<std::uint8_t>& raw) {
    bytes_.insert(bytes_.end(), raw.begin(), raw.end());
    return *this;
  }

  // The whole file: "RIFF", length, "WAVE", then the chunks.
  std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F'};
    const auto length = static_cast<std::uint32_t>(bytes_.size() + 4);
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
    file.insert(file.end(), {'W', 'A', 'V', 'E'});
    file.insert(file.end(), bytes_.begin(), bytes_.end());
    return file;
  }
  void Write(const std::filesystem::path& path) const {
    const auto file = Bytes();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }

  static std::vector<std::uint8_t> Pcm16(const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> out;
    for (std::int16_t s : samples) {
      out.push_back(static_cast<std::uint8_t>(s));
      out.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
    }
    return out;
  }
  static std::vector<std::uint8_t> Float32(const std::vector<float>& samples) {
    std::vector<std::uint8_t> out(samples.size() * 4);
    std::memcpy(out.data(), samples.data(), out.size());
    return out;
  }

 private:
  void Append(const std::string& id) { bytes_.insert(bytes_.end(), id.begin(), id.end()); }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> bytes_;
};

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace sonavue::testing
