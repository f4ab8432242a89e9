// A night of live recording on the virtual clock: a scrolling sonogram of
// the simulated input with a triggered recording, a burst every ten
// minutes, for longer than the live scan's four-hour limit, across the
// 32-bit millisecond clock's wrap. The program's heap and open files must
// stay flat, and the recording must hold every burst, whole.

#include <gtest/gtest.h>

#include <dirent.h>
#include <malloc.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "context/App.h"
#include "support/RecordingFixture.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SONAVUE_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define SONAVUE_ASAN 1
#endif
#ifdef SONAVUE_ASAN
// The sanitizer's count of the bytes its allocator has handed out and not
// taken back (GCC installs no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace sonavue {
namespace {

// Bytes the program holds on its heap now.
std::size_t HeapInUse() {
#ifdef SONAVUE_ASAN
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

int OpenFileCount() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

// Minutes of virtual time to run, from SONAVUE_SOAK_MINUTES (tools/soak.sh
// sets 250: the whole night, across the live scan's four-hour limit), or 0
// for the short night every test run makes: 45 minutes with the limit
// brought down to 30, so that it still restarts once.
std::uint32_t SoakMinutes() {
  if (const char* text = std::getenv("SONAVUE_SOAK_MINUTES")) {
    const long minutes = std::strtol(text, nullptr, 10);
    if (minutes >= 30 && minutes < 24 * 60) return static_cast<std::uint32_t>(minutes);
  }
  return 0;
}

class SoakTest : public testing::RecordingFixture {
 protected:
  void SetUp() override {
    RecordingFixture::SetUp();
    // A minute across the plot: the longest span the capture keeps.
    App().params.displayWidthS = 60.0F;
    app::StoreScanParameters(App().params);
    path_ = *folders_ / "night.wav";
    Quiet();
  }
  void Quiet() { devices_.SetSource({platform::SignalSource::Kind::Noise, 0.0, 17.0, -1.0, {}}); }
  void Loud() { devices_.SetSource({platform::SignalSource::Kind::Tone, 2000.0, 10000.0, -1.0, {}}); }

  std::filesystem::path path_;
};

TEST_F(SoakTest, AFourHourTriggeredRecordingStaysFlatAndKeepsEveryBurst) {
  constexpr std::uint32_t kMinuteMs = 60 * 1000;
  constexpr std::uint32_t kBurstEveryMs = 10 * kMinuteMs;
  constexpr std::uint32_t kBurstMs = 3000;
  const std::uint32_t minutes = SoakMinutes() > 0 ? SoakMinutes() : 45;
  if (SoakMinutes() == 0) App().frame.scanTimeLimitMs = 30 * kMinuteMs;
  const std::uint32_t runMs = minutes * kMinuteMs;
  // The clock wraps around 2^32 ms a quarter of an hour into the night.
  clock_.Advance(0xFFFFFFFFU - 15 * kMinuteMs);

  AnswerScanDialog(app::ID_RECORDING_TRIGGER, 60);  // −30 dB
  prompts_.QueueFile({path_.string()});
  const std::uint32_t start = clock_.NowMs();
  struct Stretch {
    std::uint32_t fromMs = 0;  // since the start
    std::uint32_t toMs = 0;
  };
  std::vector<Stretch> stretches;
  std::vector<std::size_t> heap;   // one reading every five minutes
  std::vector<int> files;
  bool saving = false;
  bool loud = false;
  bool stopped = false;
  std::uint32_t nextSampleMs = 0;
  devices_.SetTickHook([&](std::uint32_t now) {
    const std::uint32_t t = now - start;
    // Bursts from the 5th minute on, every ten minutes, three seconds long.
    const bool burst = t >= 5 * kMinuteMs && (t - 5 * kMinuteMs) % kBurstEveryMs < kBurstMs;
    if (burst != loud) {
      loud = burst;
      if (loud) {
        Loud();
      } else {
        Quiet();
      }
    }
    if (App().recording.saving != saving) {
      saving = App().recording.saving;
      if (saving) {
        stretches.push_back({t, 0});
      } else if (!stretches.empty()) {
        stretches.back().toMs = t;
      }
    }
    if (t >= nextSampleMs) {
      nextSampleMs += 5 * kMinuteMs;
      heap.push_back(HeapInUse());
      files.push_back(OpenFileCount());
    }
    if (!stopped && t >= runMs) {
      stopped = true;
      app::PostCommand(App(), app::IDC_STOP);
    }
  });
  SendCommand(app::IDM_SCAN_INPUT);
  devices_.SetTickHook({});
  ASSERT_TRUE(stopped) << "the scan ended before the night was over";

  // One stretch per burst, each from soon after the burst began (the
  // 20-frame mean must pass the level: at a minute across the plot, 20
  // frames are 1.4 s) to 2 s after it ended.
  const std::size_t bursts = (runMs - 5 * kMinuteMs + kBurstEveryMs - 1) / kBurstEveryMs;
  ASSERT_EQ(stretches.size(), bursts);
  std::uint64_t recordedMs = 0;
  for (std::size_t k = 0; k < stretches.size(); ++k) {
    const std::uint32_t burstAt = 5 * kMinuteMs + static_cast<std::uint32_t>(k) * kBurstEveryMs;
    EXPECT_GT(stretches[k].fromMs, burstAt) << k;
    EXPECT_LT(stretches[k].fromMs, burstAt + 2000) << k;
    EXPECT_GT(stretches[k].toMs, burstAt + kBurstMs + 2000) << k;
    EXPECT_LT(stretches[k].toMs, burstAt + kBurstMs + 4000) << k;
    recordedMs += stretches[k].toMs - stretches[k].fromMs;
  }

  // The file is whole and holds every stretch, sample for sample (each
  // press lies on a whole 12-byte group, within one millisecond of the
  // clock reading the hook saw).
  const Wav wav = ReadWav(path_);
  ASSERT_TRUE(IsComplete(wav));
  EXPECT_NEAR(static_cast<double>(wav.data.size()), static_cast<double>(recordedMs * 96),
              static_cast<double>(stretches.size() * 2 * 96));
  // Every stretch begins inside its burst: a loud first 100 ms.
  std::size_t at = 0;
  for (const Stretch& stretch : stretches) {
    double sum = 0.0;
    std::size_t n = 0;
    for (std::size_t i = at; i + 1 < std::min(at + 100 * 96, wav.data.size()); i += 2, ++n) {
      const auto v = static_cast<std::int16_t>(wav.data[i] | (wav.data[i + 1] << 8));
      sum += static_cast<double>(v) * v;
    }
    EXPECT_NEAR(std::sqrt(sum / static_cast<double>(std::max<std::size_t>(n, 1))), 7071.0, 150.0)
        << "stretch at byte " << at;
    at += static_cast<std::size_t>(stretch.toMs - stretch.fromMs) * 96;
  }

  // Flat: from the tenth minute on (the capture ring and the pictures are
  // made by then) the heap moves by less than a megabyte and no file is
  // left open.
  ASSERT_GT(heap.size(), 4U);
  std::size_t low = heap[2];
  std::size_t high = heap[2];
  for (std::size_t i = 2; i < heap.size(); ++i) {
    low = std::min(low, heap[i]);
    high = std::max(high, heap[i]);
    EXPECT_EQ(files[i], files[2]) << "open files at minute " << i * 5;
  }
  EXPECT_LT(high - low, 1024U * 1024U) << "heap from " << low << " to " << high << " bytes";
  RecordProperty("heap_low_bytes", std::to_string(low));
  RecordProperty("heap_high_bytes", std::to_string(high));
  std::printf("soak: %u min, %zu stretches, %zu bytes recorded, heap %zu..%zu bytes, %d open files\n",
              minutes, stretches.size(), wav.data.size(), low, high, files.back());
}

}  // namespace
}  // namespace sonavue
