#pragma once

#include <span>

namespace sonavue::dsp {

// In-place complex FFT of n complex points stored interleaved (re, im) in
// data[0 … 2n−1]; sign +1 computes X[k] = Σ x[j]·e^(+2πi·jk/n), −1 the
// opposite exponent. No scaling. n must be a power of two (1 … 2^28) and
// data must hold 2n values; otherwise data is left untouched.
void ComplexFft(std::span<float> data, int n, int sign);

// In-place forward FFT of data.size() = n real samples (n a power of two,
// 2 … 2^29; otherwise nothing happens), exponent e^(+2πi·jk/n), no scaling.
// Packing: data[0] = DC term, data[1] = term at n/2 (both real), then
// data[2k], data[2k+1] = re, im of bin k for 1 ≤ k < n/2.
void RealFft(std::span<float> data);

}  // namespace sonavue::dsp
