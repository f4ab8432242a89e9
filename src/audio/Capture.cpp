#include "audio/Capture.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <new>
#include <vector>

#include "context/Boxes.h"
#include "context/App.h"
#include "context/WorkingFiles.h"
#include "audio/Recording.h"
#include "audio/StopAllAudio.h"
#include "audio/WaveFormat.h"

namespace sonavue::audio {
namespace {

constexpr int kCaptureSeconds = 60;

void ReleaseBlock(app::App& app) {
  app.live.block.clear();
  app.live.block.shrink_to_fit();
  app.live.headerA = {};
  app.live.headerB = {};
}

std::int64_t BytesPerSecond(const app::App& app) {
  const auto& f = app.live.format;
  return static_cast<std::int64_t>(f.sampleRate) * f.BytesPerFrame();
}

}  // namespace

bool AllocateCapture(app::App& app) {
  const app::CurrentParameters& p = app.params;
  const int channels = p.typeId == app::ID_TYPE_STEREO ? 2 : 1;
  const int bytes = p.resolutionId == app::ID_BITS_24 ? 3 : 2;
  const std::uint64_t size = static_cast<std::uint64_t>(kCaptureSeconds) *
                             static_cast<std::uint64_t>(p.sampleRateHz) * static_cast<std::uint64_t>(bytes * channels);
  app.capture = app::CaptureBuffer{};
  if (!app.capture.ring.Allocate(static_cast<std::size_t>(size))) return false;
  app.capture.exists = true;
  return true;
}

void ReleaseCapture(app::App& app) { app.capture = app::CaptureBuffer{}; }

bool OpenAndStartInput(app::App& app) {
  app::LiveInput& live = app.live;
  const app::CurrentParameters& p = app.params;
  const auto fail = [&](const char* text, platform::BoxIcon icon) {
    live.device.reset();
    ReleaseBlock(app);
    ReleaseCapture(app);
    if (text != nullptr) app.prompts.MessageBox(text, app::kCaption, icon, platform::BoxButtons::Ok);
    return false;
  };
  live.failed = false;
  live.format.sampleRate = static_cast<std::uint32_t>(p.sampleRateHz);
  live.format.channels = static_cast<std::uint16_t>(p.typeId == app::ID_TYPE_STEREO ? 2 : 1);
  live.format.bitsPerSample = static_cast<std::uint16_t>(p.resolutionId == app::ID_BITS_24 ? 24 : 16);
  live.spanS = p.sampleRateHz > 48000 ? 2 : 4;
  live.samplesPerBuffer = live.spanS * p.sampleRateHz;
  live.bufferBytes = static_cast<std::int32_t>(live.samplesPerBuffer * live.format.BytesPerFrame());
  try {
    live.block.assign(kWorkingHeaderBytes + 2 * static_cast<std::size_t>(live.bufferBytes), 0);
    live.headerBytes = kWorkingHeaderBytes;
  } catch (const std::bad_alloc&) {
    return fail("Not enough memory", platform::BoxIcon::Warning);
  }
  WriteWorkingHeader(std::span<std::uint8_t, kWorkingHeaderBytes>(live.block.data(), kWorkingHeaderBytes),
                     live.format.channels, p.sampleRateHz, live.format.bitsPerSample, 0);
  if (app.devices == nullptr) return fail("Cannot Open Audio Device", platform::BoxIcon::Error);
  live.device = app.devices->MakeInput(app.pump);
  if (!live.device || live.device->Open(live.format) != platform::WaveResult::Ok) {
    return fail("Cannot Open Audio Device", platform::BoxIcon::Error);
  }
  const auto length = static_cast<std::size_t>(live.bufferBytes);
  live.headerA = {std::span<std::uint8_t>(live.BufferA(), length), 0, 0};
  live.headerB = {std::span<std::uint8_t>(live.BufferB(), length), 0, 1};
  if (live.device->AddBuffer(live.headerA) != platform::WaveResult::Ok ||
      live.device->AddBuffer(live.headerB) != platform::WaveResult::Ok) {
    live.device->Close();
    return fail(nullptr, platform::BoxIcon::None);
  }
  live.buffersDone = 0;
  live.buffersReturned = 0;
  app.frame.stopRequest = false;
  // The recording file is chosen before the input starts.
  BeginRecording(app);
  live.bufferStartMs = app.clock.NowMs();
  live.anchorMs = live.bufferStartMs;
  live.anchorFrames = 0;
  if (live.device->Start() != platform::WaveResult::Ok) {
    live.device->Close();
    return fail(nullptr, platform::BoxIcon::None);
  }
  app.frame.inputOpen = true;
  ResumeCarriedStretch(app);
  return true;
}

void HandleWaveInData(app::App& app, int bufferIndex) {
  app::LiveInput& live = app.live;
  if (live.block.empty()) return;
  platform::WaveBuffer& completed = bufferIndex == 0 ? live.headerA : live.headerB;
  const std::size_t recorded = std::min(completed.bytesRecorded, completed.data.size());
  const auto length = static_cast<std::size_t>(live.bufferBytes);
  const std::uint64_t streamStart = static_cast<std::uint64_t>(live.buffersReturned) * length;
  live.buffersReturned += 1;

  // The recording takes its part of the buffer first; a full file or a
  // failed write stops the scan once this buffer has been handled.
  const bool stopScan =
      RecordCompletedBuffer(app, streamStart, completed.data.first(recorded), length) == RecordingStep::StopScan;

  app::CaptureBuffer& capture = app.capture;
  if (capture.exists && !capture.closed) {
    std::size_t bytes = recorded;
    if (app.frame.stopRequest && live.failed) {
      // A failed device stopped by itself: everything it delivered counts.
      bytes -= bytes % app::CaptureRing::kGroupBytes;
      capture.closed = true;
    } else if (app.frame.stopRequest) {
      const double ms = static_cast<double>(app.clock.NowMs() - live.bufferStartMs);
      const auto due = static_cast<std::size_t>(ms / 1000.0 * static_cast<double>(BytesPerSecond(app)));
      bytes = std::min(bytes, due - due % app::CaptureRing::kGroupBytes);
      capture.closed = true;
    }
    capture.ring.Write(completed.data.first(bytes));
  }

  if (app.frame.stopRequest) {
    if (live.device) {
      live.device->Reset();
      live.device->Stop();
      live.device->Close();
    }
    return;
  }
  if (live.device) live.device->AddBuffer(completed);
  // Completions come A, B, A, B as the device fills its queue in turn: the
  // next buffer of the stream is now being filled.
  live.buffersDone += 1;
  live.bufferStartMs = app.clock.NowMs();
  live.anchorMs = live.bufferStartMs;
  if (live.device) live.anchorFrames = live.device->DeliveredFrames();
  RearmRecording(app);
  if (stopScan) StopAllAudio(app, false);
}

void HandleWaveInClose(app::App& app) {
  FinishRecording(app);
  // A device that closes on its own (it failed or went away) ends the scan.
  app.frame.stopRequest = true;
  app.frame.inputOpen = false;
  app.live.device.reset();
  ReleaseBlock(app);
}

double WriteCaptureFile(app::App& app, double startMs, double endMs) {
  app::CaptureBuffer& capture = app.capture;
  if (!capture.exists || capture.ring.Size() == 0) return -1.0;
  const double perSecond = static_cast<double>(BytesPerSecond(app));
  const auto byteAt = [perSecond](double ms) {
    return static_cast<std::uint64_t>(std::max(0.0, ms * perSecond / 1000.0));
  };
  // Cut to what the ring still holds: never past what was captured (the
  // clock may run ahead of the device), never older than 60 s.
  std::vector<std::uint8_t> data;
  const app::StreamSpan kept = capture.ring.Extract(byteAt(startMs), byteAt(endMs), data);

  std::array<std::uint8_t, kWorkingHeaderBytes> header{};
  const auto& f = app.live.format;
  WriteWorkingHeader(header, f.channels, static_cast<std::int32_t>(f.sampleRate), f.bitsPerSample,
                     static_cast<std::uint32_t>(kept.Length()));
  const auto path = app::WorkingFilePath(app, "temp.wav");
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return -1.0;
  out.write(reinterpret_cast<const char*>(header.data()), header.size());
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  out.close();
  if (out.fail()) return -1.0;
  return static_cast<double>(kept.Length()) * 1000.0 / perSecond;
}

}  // namespace sonavue::audio
