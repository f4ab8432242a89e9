// The ultrasound rate reduction over any rate: a success always gives a
// multiplier of 1 … 20 and a positive analysis rate.

#include <cstdlib>
#include <cstring>

#include "audio/WaveFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int32_t rate = 0;
  std::memcpy(&rate, data, std::min(size, sizeof rate));
  const auto reduced = sonavue::audio::ReduceUltrasoundRate(rate);
  if (reduced.ok && (reduced.multiplier < 1 || reduced.multiplier > 20 || reduced.analysisRate <= 0)) {
    std::abort();
  }
  return 0;
}
