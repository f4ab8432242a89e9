// The 8-bit conversion of a fuzzed file.

#include "ConvertTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return sonavue::fuzz::RunConversion(sonavue::audio::Convert8BitTo16, data, size);
}
