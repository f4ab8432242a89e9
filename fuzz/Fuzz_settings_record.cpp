// The settings record loader: any bytes of the right size become parameters
// inside their ranges, and writing them back changes no field it owns twice.

#include <cstdlib>

#include "context/SettingsRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sonavue::app;
  std::array<std::uint8_t, SettingsRecord::kSize> bytes{};
  for (std::size_t i = 0; i < bytes.size() && size > 0; ++i) bytes[i] = data[i % size];
  const auto record = SettingsRecord::FromBytes(bytes);
  if (!record) std::abort();
  (void)SettingsRecord::FromBytes({data, size});

  CurrentParameters params;
  ApplyRecord(*record, params);
  if (params.gainDb < -30 || params.gainDb > 30 || params.pointerShape < 1 || params.pointerShape > 3 ||
      params.frequencyMultiplier < 1 || params.frequencyMultiplier > 20 || params.wayOfWorking < 1 ||
      params.wayOfWorking > 10 || params.sampleRateHz <= 0) {
    std::abort();
  }
  SettingsRecord again = *record;
  FillRecord(again, params);
  CurrentParameters twice;
  ApplyRecord(again, twice);
  FillRecord(again, twice);
  SettingsRecord third = again;
  FillRecord(third, twice);
  if (third.bytes != again.bytes) std::abort();  // a second load and save is stable
  return 0;
}
