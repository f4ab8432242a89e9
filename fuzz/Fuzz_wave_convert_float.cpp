// The 32-bit float conversion of a fuzzed file.

#include "ConvertTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return sonavue::fuzz::RunConversion(sonavue::audio::ConvertFloatTo24, data, size);
}
