#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "context/CommandIds.h"
#include "dialogs/DialogControls.h"
#include "dialogs/DialogRules.h"
#include "dialogs/ParameterDialog.h"
#include "support/LiveScanFixture.h"
#include "support/WavBuilder.h"

namespace sonavue::testing {

// A live scan that records: the Scan Input dialog answered with a
// Recording Enable choice, the recording file chooser with a path, and
// things done at given times of the virtual clock.
class RecordingFixture : public LiveScanFixture {
 protected:
  // 10 s across the plot: a column every 12 ms or so, fewer frames for
  // the same stretch of time than the live fixture's 2 s.
  void SetUp() override {
    LiveScanFixture::SetUp();
    App().params.displayWidthS = 10.0F;
    app::StoreScanParameters(App().params);
  }

  // The simulated input hears a ramp: stream frame k holds k % kRampPeriod,
  // so every recorded sample says where in the stream it came from.
  static constexpr int kRampPeriod = 30011;

  void UseRamp() {
    platform::SignalSource source;
    source.kind = platform::SignalSource::Kind::Samples;
    source.amplitude = 32767.0;
    source.samples.resize(kRampPeriod);
    for (int k = 0; k < kRampPeriod; ++k) source.samples[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(k);
    devices_.SetSource(source);
  }

  // The next Scan Input dialog picks this Recording Enable (and for
  // "Trigger" the trigger level, internal scale, a multiple of 10) and OK.
  void AnswerScanDialog(int recordingId, int triggerLevel = 90) {
    App().params.variables = app::IDM_VARIABLES_ADJUST;
    prompts_.QueueDialog([recordingId, triggerLevel](platform::ModalDialog& d) {
      dialogs::ParameterDialogModel& model = static_cast<dialogs::ParameterDialog&>(d).Model();
      model.Click(recordingId);
      if (recordingId == app::ID_RECORDING_TRIGGER) {
        model.Scroll(dialogs::IDC_SCROLL_TRIGGER, dialogs::ScrollAction::Thumb, triggerLevel);
      }
      return true;
    });
  }

  // Something to do once the clock reaches atMs; doneMs is when it ran.
  struct Step {
    std::uint32_t atMs = 0;
    std::function<void()> action;
    std::uint32_t doneMs = 0;
    bool done = false;
  };

  // Runs a Scan Input with these steps on the clock ticks; startMs is the
  // clock when the scan (and the device) started.
  void RunSteps(std::vector<Step>& steps) {
    startMs_ = clock_.NowMs();
    devices_.SetTickHook([&steps](std::uint32_t now) {
      for (Step& step : steps) {
        if (!step.done && now >= step.atMs) {
          step.done = true;
          step.doneMs = now;
          step.action();
          break;
        }
      }
    });
    SendCommand(app::IDM_SCAN_INPUT);
    devices_.SetTickHook({});
  }

  // Presses as the user does, at once (the handler runs at this clock).
  std::function<void()> Press(int id) {
    return [this, id] { app::SendCommand(App(), id); };
  }

  // The byte of a 48000 Hz mono 16-bit stream heard atMs after the start,
  // moved down to a whole 12-byte group.
  std::uint64_t StreamByte(std::uint32_t atMs, std::uint64_t bytesPerMs = 96) const {
    const std::uint64_t bytes = static_cast<std::uint64_t>(atMs - startMs_) * bytesPerMs;
    return bytes - bytes % 12;
  }

  // A WAV file as written: its header fields and its data.
  struct Wav {
    bool exists = false;
    std::size_t fileSize = 0;
    std::string riffTag, waveTag, fmtTag, dataTag;
    std::uint32_t riffLength = 0;
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
    std::uint16_t validBits = 0;
    std::uint32_t dataLength = 0;
    std::size_t headerBytes = 0;
    std::vector<std::uint8_t> data;  // the bytes behind the header
  };

  static std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
  }
  static std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
  }

  // Reads a file with the 68-byte working header or the 46-byte plain one.
  static Wav ReadWav(const std::filesystem::path& path) {
    Wav wav;
    if (!std::filesystem::exists(path)) return wav;
    const std::vector<std::uint8_t> b = ReadFileBytes(path);
    wav.exists = true;
    wav.fileSize = b.size();
    if (b.size() < 46) return wav;
    wav.riffTag.assign(b.begin(), b.begin() + 4);
    wav.riffLength = U32(b, 4);
    wav.waveTag.assign(b.begin() + 8, b.begin() + 12);
    wav.fmtTag.assign(b.begin() + 12, b.begin() + 16);
    const std::uint32_t fmtLength = U32(b, 16);
    wav.formatTag = U16(b, 20);
    wav.channels = U16(b, 22);
    wav.sampleRate = U32(b, 24);
    wav.byteRate = U32(b, 28);
    wav.blockAlign = U16(b, 32);
    wav.bits = U16(b, 34);
    if (fmtLength == 40) wav.validBits = U16(b, 38);
    const std::size_t dataAt = 20 + fmtLength;
    if (b.size() < dataAt + 8) return wav;
    wav.dataTag.assign(b.begin() + static_cast<std::ptrdiff_t>(dataAt), b.begin() + static_cast<std::ptrdiff_t>(dataAt + 4));
    wav.dataLength = U32(b, dataAt + 4);
    wav.headerBytes = dataAt + 8;
    wav.data.assign(b.begin() + static_cast<std::ptrdiff_t>(wav.headerBytes), b.end());
    return wav;
  }

  // A complete WAV file: its tags in place and both lengths matching the
  // bytes in the file.
  static ::testing::AssertionResult IsComplete(const Wav& wav) {
    if (!wav.exists) return ::testing::AssertionFailure() << "no file";
    if (wav.riffTag != "RIFF" || wav.waveTag != "WAVE" || wav.fmtTag != "fmt " || wav.dataTag != "data") {
      return ::testing::AssertionFailure() << "tags out of place";
    }
    if (wav.riffLength != wav.fileSize - 8) {
      return ::testing::AssertionFailure() << "RIFF length " << wav.riffLength << " for a file of " << wav.fileSize;
    }
    if (wav.dataLength != wav.data.size()) {
      return ::testing::AssertionFailure() << "data length " << wav.dataLength << " for " << wav.data.size()
                                           << " bytes";
    }
    if (wav.blockAlign != 0 && wav.dataLength % wav.blockAlign != 0) {
      return ::testing::AssertionFailure() << "a part sample frame at the end";
    }
    return ::testing::AssertionSuccess();
  }

  // Whether mono 16-bit data holds the ramp from stream frame first on.
  static ::testing::AssertionResult IsRampFrom(const std::vector<std::uint8_t>& data, std::uint64_t first) {
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
      const auto value = static_cast<std::int16_t>(data[i] | (data[i + 1] << 8));
      const auto expected = static_cast<std::int16_t>((first + i / 2) % kRampPeriod);
      if (value != expected) {
        return ::testing::AssertionFailure() << "sample " << i / 2 << " is " << value << ", not stream frame "
                                             << first + i / 2 << " (" << expected << ")";
      }
    }
    return ::testing::AssertionSuccess();
  }

  std::uint32_t startMs_ = 0;
};

}  // namespace sonavue::testing
