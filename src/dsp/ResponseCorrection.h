#pragma once

#include <cstdint>
#include <span>

namespace sonavue::dsp {

// Frequency-response correction: a table of kResponseTableSize factors that
// flattens the measured response of the sound card and microphone at
// 48000 Hz. Entry i belongs to i × 24000 / 2048 Hz (11.71875 Hz apart).
inline constexpr int kResponseTableSize = 2048;
// The only rate the tables apply at: elsewhere the bins are other frequencies.
inline constexpr float kResponseTableRateHz = 48000.0f;
// The strongest lift a factor gives: 4 in magnitude, 12 dB.
inline constexpr float kResponseFactorLimit = 4.0f;

// Entry of the table that bin b of an N-point FFT uses: b × 4096 / N
// (integer division), so entries step with the bins whatever N.
inline int ResponseEntryOfBin(int bin, int fftSize) {
  return static_cast<int>(static_cast<std::int64_t>(bin) * 2 * kResponseTableSize / fftSize);
}
// Bin of an N-point FFT that feeds entry i during a measurement: N × i / 4096.
inline int ResponseBinOfEntry(int entry, int fftSize) {
  return static_cast<int>(static_cast<std::int64_t>(fftSize) * entry / (2 * kResponseTableSize));
}

// The table that applies to a signal of channels (1 or 2): mono or stereo.
// Empty when the rate is not exactly 48000 Hz, when the table is shorter
// than kResponseTableSize or when all its entries are 0 (never measured or
// cleared: no correction).
std::span<const float> ResponseTableFor(float rateHz, int channels, std::span<const float> mono,
                                        std::span<const float> stereo);

// Multiplies the magnitude spectrum (bins 0 … N/2 − 1 of an N-point FFT;
// spectrum.size() ≥ N/2) by its correction: bin b by entry
// ResponseEntryOfBin(b, N). Use ResponseTableFor to pick the table; an empty
// table leaves the spectrum alone. The point spectrum and every engine
// call this between the magnitude spectrum and the averaging.
void ApplyResponseCorrection(std::span<float> spectrum, int fftSize, std::span<const float> table);

// The same, with the table chosen by rate and channel count of the signal.
inline void ApplyResponseCorrection(std::span<float> spectrum, int fftSize, float rateHz, int channels,
                                    std::span<const float> mono, std::span<const float> stereo) {
  ApplyResponseCorrection(spectrum, fftSize, ResponseTableFor(rateHz, channels, mono, stereo));
}

// One frame of a measurement: entry i (0 ≤ i < 2048) of table += the
// magnitude of bin ResponseBinOfEntry(i, N) of spectrum (bins 0 … N/2 − 1).
void AccumulateResponse(std::span<float> table, std::span<const float> spectrum, int fftSize);

// Ends a measurement of frames frames: each entry becomes its mean
// (0 without frames); then with m the largest mean, an entry e > 0 becomes
// m / e limited to kResponseFactorLimit and an entry e ≤ 0 becomes 1. The
// strongest frequency keeps 1; every weaker one is lifted to it.
void FinishResponseTable(std::span<float> table, std::int64_t frames);

// Replaces a correction table whose entries are all 0 (cleared or never
// measured) by all 1, i.e. no correction. Other tables are left alone.
void ReplaceAllZeroTableByOnes(std::span<float> table);

}  // namespace sonavue::dsp
