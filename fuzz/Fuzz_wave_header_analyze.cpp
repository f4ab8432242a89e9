// The header reader on the Analyze File path: chunk search and walk, format
// fields, the command's checks, and the ultrasound reduction it leads to.

#include <cstring>

#include "audio/WaveFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sonavue::audio;
  std::array<std::uint8_t, kHeaderScanBytes> head{};
  std::memcpy(head.data(), data, std::min(size, head.size()));
  ChunkLayout layout;
  if (!FindChunks(head, layout)) return 0;
  WaveFileInfo info;
  FillInfo(head, layout, info);
  if (CheckFormat(info, WaveCommand::AnalyzeFile) != WaveError::None) return 0;
  if (info.sampleRate > 96000) (void)ReduceUltrasoundRate(info.sampleRate);
  return 0;
}
