#include "audio/SaveWave.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "audio/FileWriting.h"
#include "audio/WaveFormat.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/FileChoosers.h"
#include "context/WorkingFiles.h"

namespace sonavue::audio {

std::vector<std::uint8_t> SavedSignalHeader(const app::AnalysisRecord& a, std::uint32_t& dataLength) {
  dataLength = 0;
  if (!a.valid || a.signal.size() < kWorkingHeaderBytes) return {};
  const auto bytesPerSample = static_cast<std::uint32_t>(a.bitsPerSample / 8);
  const auto frame = static_cast<std::uint32_t>(a.channels) * bytesPerSample;
  const auto held = static_cast<std::uint32_t>(std::min<std::size_t>(a.signal.size() - kWorkingHeaderBytes, UINT32_MAX));
  std::uint32_t length = std::min(a.dataLength, held);
  // A part frame at the end would shift every channel of a reader that
  // plays it; only whole frames are saved.
  if (frame >= 1 && frame <= 6) length -= length % frame;
  dataLength = length;

  if (a.analysisRate <= 48000) {
    std::vector<std::uint8_t> header(kPlainHeaderBytes);
    WritePlainHeader(std::span<std::uint8_t, kPlainHeaderBytes>(header.data(), kPlainHeaderBytes), a.channels,
                     a.analysisRate, a.bitsPerSample, length);
    return header;
  }
  std::vector<std::uint8_t> header(a.signal.begin(), a.signal.begin() + static_cast<std::ptrdiff_t>(kWorkingHeaderBytes));
  const auto rate = static_cast<std::uint32_t>(a.analysisRate) * static_cast<std::uint32_t>(std::max(1, a.multiplier));
  PutU32(header.data() + 4, length + 60);
  PutU32(header.data() + 24, rate);
  PutU32(header.data() + 28, rate * frame);
  PutU32(header.data() + 64, length);
  return header;
}

void SaveWave(app::App& app) {
  const app::AnalysisRecord& a = app.analysis;
  const bool signal = a.valid && a.signal.size() >= kWorkingHeaderBytes;
  if (!signal && !app.frame.capturedSignal && !app.capture.exists) return;
  const auto chosen = app::ChooseFile(app, app::FileChooser::RecordWave);
  if (!chosen || chosen->empty() || chosen->front().empty()) return;
  const std::filesystem::path path = chosen->front();

  WholeFileResult result;
  if (signal) {
    std::uint32_t length = 0;
    const std::vector<std::uint8_t> header = SavedSignalHeader(a, length);
    const std::span<const std::uint8_t> data(a.signal.data() + kWorkingHeaderBytes, length);
    result = WriteFileWhole(path, {std::span<const std::uint8_t>(header), data});
  } else {
    result = CopyFileWhole(app::WorkingFilePath(app, "temp.wav"), path);
  }
  if (result.error == 0) return;
  if (result.createFailed) {
    app::Warn(app, "Cannot Open File");
  } else if (result.readFailed) {
    app::Warn(app, "Cannot Read Wave File");
  } else {
    app::Warn(app, "Cannot write the wave file: " + FileErrorText(result.error) + "\n" + path.string());
  }
}

}  // namespace sonavue::audio
