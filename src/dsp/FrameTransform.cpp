#include "dsp/FrameTransform.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <numbers>

#include "dsp/FrameTransformKernel.h"

namespace sonavue::dsp {
namespace {

constexpr int kLargestFftSize = 16384;
constexpr int kMostLanes = 8;
constexpr std::size_t kLaneAlignmentFloats = 16;  // 64 bytes

bool HasAvx2() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// The kernel for batches, chosen once: eight lanes with AVX2, else four.
struct BatchKernel {
  transform::MagnitudesKernel kernel;
  int lanes;
};

void FourLanes(const transform::Tables& t, const float* const* frames, float* const* spectra, float* lanes) {
  transform::Magnitudes<4>(t, frames, spectra, lanes);
}

BatchKernel ChooseBatchKernel() {
  const transform::MagnitudesKernel eight = transform::EightLaneKernel();
  if (eight != nullptr && HasAvx2()) return {eight, 8};
  return {&FourLanes, 4};
}

const BatchKernel& Batch() {
  static const BatchKernel chosen = ChooseBatchKernel();
  return chosen;
}

std::uint32_t Reverse(std::uint32_t i, int bits) {
  std::uint32_t r = 0;
  for (int b = 0; b < bits; ++b) {
    r = (r << 1) | (i & 1U);
    i >>= 1;
  }
  return r;
}

}  // namespace

bool TransformScratch::Prepare(std::size_t floats, std::size_t spectrumFloats) {
  try {
    storage_.assign(floats + kLaneAlignmentFloats, 0.0F);
    spare_.assign(spectrumFloats, 0.0F);
  } catch (const std::bad_alloc&) {
    storage_ = {};
    spare_ = {};
    lanes_ = nullptr;
    return false;
  }
  const auto address = reinterpret_cast<std::uintptr_t>(storage_.data());
  const std::size_t misalignment = address % (kLaneAlignmentFloats * sizeof(float));
  lanes_ = storage_.data() + (misalignment == 0 ? 0 : (kLaneAlignmentFloats * sizeof(float) - misalignment) / sizeof(float));
  return true;
}

int FrameTransform::BatchFrames() { return Batch().lanes; }

bool FrameTransform::Prepare(int fftSize, std::span<const double> window) {
  Release();
  if (fftSize < 4 || fftSize > kLargestFftSize || (fftSize & (fftSize - 1)) != 0 ||
      window.size() != static_cast<std::size_t>(fftSize)) {
    return false;
  }
  const int m = fftSize / 2;
  int bits = 0;
  while ((1 << bits) < m) ++bits;
  try {
    window_.assign(window.begin(), window.end());
    // Twiddles in double, rounded once: no recurrence drifts over the stages.
    for (int block = m; block >= 4; block /= 4) {
      const int h = block / 4;
      stages_.push_back(h);
      stages_.push_back(static_cast<std::int32_t>(twiddles_.size()));
      for (int k = 0; k < h; ++k) {
        for (int power = 1; power <= 3; ++power) {
          const double angle = 2.0 * std::numbers::pi * power * k / block;
          twiddles_.push_back(static_cast<float>(std::cos(angle)));
          twiddles_.push_back(static_cast<float>(std::sin(angle)));
        }
      }
    }
    reversed_.resize(static_cast<std::size_t>(m));
    for (int i = 0; i < m; ++i) reversed_[static_cast<std::size_t>(i)] = Reverse(static_cast<std::uint32_t>(i), bits);
    for (int k = 0; k <= m / 2; ++k) {
      const double angle = std::numbers::pi * k / m;
      untangle_.push_back(static_cast<float>(std::cos(angle)));
      untangle_.push_back(static_cast<float>(std::sin(angle)));
    }
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  n_ = fftSize;
  return true;
}

void FrameTransform::Release() {
  n_ = 0;
  std::vector<float>().swap(window_);
  std::vector<float>().swap(twiddles_);
  std::vector<std::int32_t>().swap(stages_);
  std::vector<std::uint32_t>().swap(reversed_);
  std::vector<float>().swap(untangle_);
}

bool FrameTransform::PrepareScratch(TransformScratch& scratch) const {
  if (n_ == 0) return false;
  return scratch.Prepare(static_cast<std::size_t>(n_) * kMostLanes, static_cast<std::size_t>(n_ / 2));
}

void FrameTransform::Magnitudes(std::span<const float* const> frames, std::span<float* const> spectra,
                                TransformScratch& scratch) const {
  const std::size_t count = frames.size();
  const BatchKernel& batch = Batch();
  if (n_ == 0 || count == 0 || count != spectra.size() || count > static_cast<std::size_t>(batch.lanes) ||
      scratch.Lanes() == nullptr) {
    return;
  }
  transform::Tables tables;
  tables.n = n_;
  tables.m = n_ / 2;
  tables.window = window_.data();
  tables.twiddles = twiddles_.data();
  tables.stages = stages_.data();
  tables.stageCount = static_cast<int>(stages_.size() / 2);
  tables.reversed = reversed_.data();
  tables.untangle = untangle_.data();
  if (count == 1) {
    transform::Magnitudes<1>(tables, frames.data(), spectra.data(), scratch.Lanes());
    return;
  }
  // A short batch fills its idle lanes with the first frame and drops their
  // results into the spare spectrum.
  const float* in[kMostLanes];
  float* out[kMostLanes];
  for (int l = 0; l < batch.lanes; ++l) {
    const bool used = static_cast<std::size_t>(l) < count;
    in[l] = used ? frames[static_cast<std::size_t>(l)] : frames[0];
    out[l] = used ? spectra[static_cast<std::size_t>(l)] : scratch.Spare();
  }
  batch.kernel(tables, in, out, scratch.Lanes());
}

}  // namespace sonavue::dsp
