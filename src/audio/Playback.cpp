#include "audio/Playback.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "audio/WaveFormat.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/CommandIds.h"
#include "context/Menu.h"
#include "dsp/Rounding.h"

namespace sonavue::audio {
namespace {

using app::App;
using app::OutputUser;

constexpr const char* kPlayFailedText = "Drag Select a Smaller Time Segment";
// A length that every frame size (2, 3, 4 or 6 bytes) divides.
constexpr std::uint32_t kWholeFrameBytes = 12;
constexpr std::uint32_t kLoopSeconds = 2;

bool IsPlayUser(OutputUser user) { return user == OutputUser::Play || user == OutputUser::PlayWindow; }

// Sample value limits of the 16-bit refill.
constexpr double kLimit16 = 32767.0;

void Store16(std::uint8_t* out, double value) {
  const auto v = static_cast<std::int16_t>(std::clamp(value, -kLimit16, kLimit16));
  out[0] = static_cast<std::uint8_t>(v);
  out[1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
}

// The 24-bit sample as the upper three bytes of a 32-bit value, scaled;
// beyond the 32-bit range it is held at full scale rather than wrapped.
void Store24(std::uint8_t* out, const std::uint8_t* in, double gain) {
  const auto word = static_cast<std::int32_t>(static_cast<std::uint32_t>(in[0]) << 8 |
                                              static_cast<std::uint32_t>(in[1]) << 16 |
                                              static_cast<std::uint32_t>(in[2]) << 24);
  const double scaled = std::clamp(static_cast<double>(word) * gain,
                                   static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                   static_cast<double>(std::numeric_limits<std::int32_t>::max()));
  const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
  out[0] = static_cast<std::uint8_t>(v >> 8);
  out[1] = static_cast<std::uint8_t>(v >> 16);
  out[2] = static_cast<std::uint8_t>(v >> 24);
}

// Closes the device and frees the loop buffer and its header; the record
// is ready for the next user.
void ReleaseOutput(App& app) {
  app::WaveOut& out = app.output;
  if (out.device) {
    out.device->Reset();
    out.device->Close();
    out.device.reset();
  }
  out.playing = false;
  out.header.data = {};
  out.header.bytesRecorded = 0;
  std::vector<std::uint8_t>().swap(out.loopBuffer);
  out.loops = 0;
  out.user = OutputUser::None;
}

// The two halves of the loop buffer.
std::span<std::uint8_t> HalfA(app::WaveOut& out) {
  return std::span<std::uint8_t>(out.loopBuffer).first(out.loopBuffer.size() / 2);
}
std::span<std::uint8_t> HalfB(app::WaveOut& out) {
  return std::span<std::uint8_t>(out.loopBuffer).subspan(out.loopBuffer.size() / 2);
}

bool IsDual(const App& app) { return app.analysis.channels == 2 && app.analysis.dual; }

}  // namespace

std::uint32_t LoopBufferBytes(std::uint32_t rateHz, int bytesPerSample, int channels) {
  const std::uint64_t bytes =
      static_cast<std::uint64_t>(rateHz) * static_cast<std::uint64_t>(bytesPerSample * channels) * kLoopSeconds;
  return static_cast<std::uint32_t>((bytes / kWholeFrameBytes + 1) * kWholeFrameBytes);
}

int WholePlayLoops(std::uint32_t dataBytes, std::uint32_t loopBytes) {
  return static_cast<int>(dataBytes / std::max<std::uint32_t>(1, loopBytes)) + 1;
}

int WindowPlayLoops(double columnMs, int visibleColumns, std::uint32_t rateHz, int channels, int bytesPerSample,
                    std::uint32_t loopBytes) {
  const double spanBytes = columnMs * visibleColumns * rateHz * channels * bytesPerSample;
  const double loops = spanBytes / (static_cast<double>(std::max<std::uint32_t>(1, loopBytes)) * 1000.0);
  return static_cast<int>(std::clamp(loops, 0.0, 1.0e6)) + 1;
}

std::uint32_t WindowStartByte(int firstColumn, double columnMs, std::uint32_t rateHz, int channels,
                              int bytesPerSample, std::uint32_t dataBytes) {
  const double bytesPerColumn = columnMs * rateHz * channels * bytesPerSample / 1000.0;
  const std::int64_t rounded = std::max<std::int64_t>(0, dsp::RoundHalfAway(firstColumn * bytesPerColumn));
  const auto start = static_cast<std::uint64_t>(rounded) / kWholeFrameBytes * kWholeFrameBytes;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(start, dataBytes));
}

std::size_t FillHalf(std::span<std::uint8_t> half, std::span<const std::uint8_t> signal,
                     std::size_t& readPosition, int bytesPerSample, double gain) {
  const std::size_t sample = static_cast<std::size_t>(bytesPerSample);
  const std::size_t left = readPosition < signal.size() ? signal.size() - readPosition : 0;
  const std::size_t bytes = std::min(half.size(), left) / sample * sample;
  const std::uint8_t* in = signal.data() + readPosition;
  std::uint8_t* out = half.data();
  for (std::size_t at = 0; at < bytes; at += sample) {
    if (bytesPerSample == 2) {
      const auto value = static_cast<std::int16_t>(in[at] | in[at + 1] << 8);
      Store16(out + at, value * gain);
    } else {
      Store24(out + at, in + at, gain);
    }
  }
  std::fill(half.begin() + static_cast<std::ptrdiff_t>(bytes), half.end(), std::uint8_t{0});
  readPosition += bytes;
  return bytes;
}

bool OpenPlayback(App& app, PlayKind kind, Player& player) {
  const app::AnalysisRecord& a = app.analysis;
  app::WaveOut& out = app.output;
  player = Player{};
  player.kind = kind;
  player.gain = GainFactor(app.params.gainDb);
  player.rateHz = static_cast<std::uint32_t>(std::max(0, a.analysisRate));
  player.channels = a.channels;
  player.bytesPerSample = a.bitsPerSample / 8;
  const std::uint32_t frameBytes = static_cast<std::uint32_t>(std::max(1, player.channels * player.bytesPerSample));
  const std::size_t held = a.signal.size() > kWorkingHeaderBytes ? a.signal.size() - kWorkingHeaderBytes : 0;
  const auto dataBytes =
      static_cast<std::uint32_t>(std::min<std::size_t>(a.dataLength, held) / frameBytes * frameBytes);
  player.samples = std::span<const std::uint8_t>(a.signal).subspan(held > 0 ? kWorkingHeaderBytes : 0, dataBytes);

  const std::uint32_t start = kind == PlayKind::Whole
                                  ? 0
                                  : WindowStartByte(a.horizontalScroll, a.columnMs, player.rateHz, player.channels,
                                                    player.bytesPerSample, dataBytes);
  player.readPosition = start;
  player.frames = (dataBytes - start) / frameBytes;

  const std::uint32_t loopBytes = LoopBufferBytes(player.rateHz, player.bytesPerSample, player.channels);
  player.loopFrames = loopBytes / frameBytes;
  const int visibleColumns = IsDual(app) ? app.layout.clientWidth / 2 : app.layout.clientWidth;
  const int loops = kind == PlayKind::Whole
                        ? WholePlayLoops(dataBytes, loopBytes)
                        : WindowPlayLoops(a.columnMs, visibleColumns, player.rateHz, player.channels,
                                          player.bytesPerSample, loopBytes);
  try {
    out.loopBuffer.assign(loopBytes, 0);
  } catch (const std::bad_alloc&) {
    ReleaseOutput(app);
    app::Warn(app, "Not enough memory");
    return false;
  }
  FillHalf(HalfA(out), player.samples, player.readPosition, player.bytesPerSample, player.gain);

  out.user = kind == PlayKind::Whole ? OutputUser::Play : OutputUser::PlayWindow;
  out.loops = loops;
  out.header.data = std::span<std::uint8_t>(out.loopBuffer);
  out.header.bytesRecorded = out.loopBuffer.size();
  out.header.index = ++out.writes;
  out.playing = false;
  if (app.devices != nullptr) out.device = app.devices->MakeOutput(app.pump);
  const platform::WaveFormat format{player.rateHz, static_cast<std::uint16_t>(player.channels),
                                    static_cast<std::uint16_t>(a.bitsPerSample)};
  if (!out.device || out.device->Open(format) != platform::WaveResult::Ok) {
    ReleaseOutput(app);
    app::Fail(app, kPlayFailedText);
    return false;
  }
  return true;
}

void MarkPlayerBusy(App& app, PlayKind kind) {
  platform::NativeWindow& w = *app.window;
  app.frame.playbackActive = true;
  app::EnterRunningMenuState(app);
  w.EnableButton(app::IDC_STOP, true);
  for (int id : {app::IDC_PLAY, app::IDC_PLAY_WINDOW, app::IDC_GRID}) w.EnableButton(id, false);
  if (kind == PlayKind::Window) w.EnableScrollBar(platform::ScrollBarId::Vertical, false);
}

bool WritePlayback(App& app, Player& player) {
  app::WaveOut& out = app.output;
  if (player.kind == PlayKind::Whole) player.startMs = app.clock.NowMs();
  const platform::WaveResult result =
      out.device ? out.device->Write(out.header, out.loops) : platform::WaveResult::NotOpen;
  if (player.kind == PlayKind::Window) player.startMs = app.clock.NowMs();
  if (result != platform::WaveResult::Ok) {
    ReleaseOutput(app);
    app::Fail(app, kPlayFailedText);
    return false;
  }
  out.playing = true;
  return true;
}

std::uint32_t ServicePlayback(App& app, Player& player) {
  app::WaveOut& out = app.output;
  const std::uint32_t elapsedMs = app.clock.NowMs() - player.startMs;
  if (!out.playing || !out.device) return elapsedMs;
  // What has been heard is what the device says it has played: a sound
  // server may start the stream a second or more after the write, and the
  // clock alone would end the sound that much early. The clock still ends a
  // device that stops moving, two seconds after the sound should have ended.
  const std::uint64_t byClock = static_cast<std::uint64_t>(elapsedMs) * player.rateHz / 1000;
  const std::uint64_t played = std::min(byClock, out.device->PositionFrames());
  const std::uint64_t early = static_cast<std::uint64_t>(player.channels) * player.rateHz / 10;
  const auto heardMs = static_cast<std::uint32_t>(played * 1000 / std::max<std::uint32_t>(1, player.rateHz));
  if (played + early >= player.frames || byClock >= player.frames + 2ULL * player.rateHz) {
    app.frame.stopRequest = true;
    out.playing = false;
    out.device->Reset();
    return elapsedMs;
  }
  // The half to refill is judged by where the device is, not by the clock:
  // a stream that started late must not have its sounding half overwritten.
  const std::uint64_t inLoop = out.device->PositionFrames() % std::max<std::uint64_t>(1, player.loopFrames);
  const bool firstHalf = inLoop <= player.loopFrames / 2;
  if (firstHalf && player.halfBDue) {
    FillHalf(HalfB(out), player.samples, player.readPosition, player.bytesPerSample, player.gain);
    player.halfBDue = false;
  } else if (!firstHalf && !player.halfBDue) {
    FillHalf(HalfA(out), player.samples, player.readPosition, player.bytesPerSample, player.gain);
    player.halfBDue = true;
  }
  return heardMs;
}

bool PlaybackPlaying(const App& app) {
  return app.output.playing && app.output.device != nullptr && IsPlayUser(app.output.user);
}

void HandleWaveOutDone(App& app, int index) {
  app::WaveOut& out = app.output;
  if (out.user == OutputUser::CalibrationSound) {
    out.playing = false;
    return;
  }
  if (!out.device || index != out.header.index) return;
  if (out.user == OutputUser::ScanFile) {
    app.frame.stopRequest = true;
    ReleaseOutput(app);
    app.frame.scanFileRunning = false;
    return;
  }
  if (IsPlayUser(out.user)) {
    ReleaseOutput(app);
    if (!app.frame.engineLoop) EndPlayback(app);
  }
}

void EndPlayback(App& app) {
  if (IsPlayUser(app.output.user)) ReleaseOutput(app);
  if (!app.frame.playbackActive || app.window == nullptr) return;
  app.frame.playbackActive = false;
  platform::NativeWindow& w = *app.window;
  app::EnterAnalysisIdleMenuState(app);
  w.EnableButton(app::IDC_GRID, true);
  w.EnableScrollBar(platform::ScrollBarId::Vertical, true);
  if (app.params.IsScrollDisplay()) w.EnableButton(app::IDC_PLAY_WINDOW, true);
  // PLAY again only where it differs from PLAY WDW: a picture wider than
  // the window.
  const int shown = IsDual(app) ? app.layout.clientWidth / 2 : app.layout.displayWidth - app.layout.leftMargin;
  if (app.analysis.columns > shown) w.EnableButton(app::IDC_PLAY, true);
}

}  // namespace sonavue::audio
