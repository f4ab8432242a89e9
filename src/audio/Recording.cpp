#include "audio/Recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <optional>
#include <string>
#include <system_error>

#include "audio/FileWriting.h"
#include "audio/StopAllAudio.h"
#include "audio/WaveFormat.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/CommandIds.h"
#include "context/FileChoosers.h"

namespace sonavue::audio {
namespace {

// Stretches begin and end on multiples of 12 bytes: whole sample frames of
// every input format (mono or stereo, 16 or 24 bits).
constexpr std::uint64_t kGroupBytes = 12;
constexpr std::uint64_t kHeaderBytes = kWorkingHeaderBytes;
// The input being filled is written once this much more has arrived.
constexpr std::uint64_t kEarlyWriteMs = 250;
// Offset of the valid-bits field, which the recording file leaves 0.
constexpr std::size_t kValidBitsOffset = 38;

bool RecordingMode(const app::App& app) {
  return app.params.recordingId == app::ID_RECORDING_ON || app.params.recordingId == app::ID_RECORDING_TRIGGER;
}

void EnableButton(app::App& app, int id, bool enable) {
  if (app.window) app.window->EnableButton(id, enable);
}

// Whether a file could be created at path: opened for writing (never
// truncated) and, when it did not exist, removed again. 0 or the errno.
int ProbeFile(const std::filesystem::path& path) {
  std::error_code ignored;
  const bool existed = std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  ::close(fd);
  if (!existed) ::unlink(path.c_str());
  return 0;
}

// Puts the data length and the RIFF length into the header on disk (and in
// memory). 0 or the errno.
int WriteLengths(app::RecordingState& r) {
  const auto data = static_cast<std::uint32_t>(r.recordedBytes);
  PutU32(r.header.data() + 4, data + 60);
  PutU32(r.header.data() + 64, data);
  const int error = WriteAt(r.file.Get(), 4, std::span<const std::uint8_t>(r.header.data() + 4, 4));
  return error != 0 ? error : WriteAt(r.file.Get(), 64, std::span<const std::uint8_t>(r.header.data() + 64, 4));
}

// Closes the file with its final lengths and notes it as finished.
void CloseFile(app::RecordingState& r) {
  if (!r.file.IsOpen()) return;
  WriteLengths(r);
  r.file.Close();
  r.finished = app::FinishedRecording{r.path, r.recordedBytes, r.bytesPerSecond};
}

// No more stretches in this scan.
void EndStretches(app::App& app) {
  app::RecordingState& r = app.recording;
  r.saving = false;
  r.appending = false;
  r.pressCount = 0;
  app.render.view.recording = false;
}

// A file failure: the file keeps what was written, the recording ends for
// this scan, and the message waits for the end of the scan.
void FailRecording(app::App& app, const std::string& what, int error) {
  app::RecordingState& r = app.recording;
  EndStretches(app);
  CloseFile(r);
  r.failure = what + ": " + FileErrorText(error) + "\n" + r.path.string();
  r.path.clear();
}

// Creates (or replaces) the recording file with its header: the working
// header of the scan's format, lengths of an empty file, valid bits 0.
int CreateFile(app::App& app) {
  app::RecordingState& r = app.recording;
  const platform::WaveFormat& f = app.live.format;
  WriteWorkingHeader(r.header, f.channels, static_cast<std::int32_t>(f.sampleRate), f.bitsPerSample, 0);
  PutU16(r.header.data() + kValidBitsOffset, 0);
  const int fd = ::open(r.path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  const WriteOutcome outcome = WriteAll(fd, r.header, 0, app.recordingWriteFailureBytes);
  if (outcome.error != 0) {
    ::close(fd);
    ::unlink(r.path.c_str());
    return outcome.error;
  }
  r.file = app::FileDescriptor(fd);
  r.recordedBytes = 0;
  return 0;
}

// Appends bytes at the file's end. On a failure only whole sample frames of
// what reached the file are kept.
int Append(app::App& app, std::span<const std::uint8_t> bytes) {
  app::RecordingState& r = app.recording;
  const std::uint64_t fileBytes = kHeaderBytes + static_cast<std::uint64_t>(r.recordedBytes);
  const WriteOutcome outcome = WriteAll(r.file.Get(), bytes, fileBytes, app.recordingWriteFailureBytes);
  const std::size_t frame = std::max<std::size_t>(1, app.live.format.BytesPerFrame());
  const std::size_t kept = outcome.written - outcome.written % frame;
  // A part frame is cut off; should that fail, it stays behind the data
  // that the lengths describe.
  if (kept != outcome.written) {
    const int cut = ::ftruncate(r.file.Get(), static_cast<off_t>(fileBytes + kept));
    static_cast<void>(cut);
  }
  r.recordedBytes += static_cast<std::int64_t>(kept);
  return outcome.error;
}

void AddStop(app::App& app, std::optional<std::uint64_t> streamByte = std::nullopt) {
  app::RecordingState& r = app.recording;
  r.stopTimeMs = app.clock.NowMs();
  r.lastStopByte = streamByte ? *streamByte : StreamByteAt(app.live, r.stopTimeMs);
  r.presses[r.pressCount++] = {false, r.lastStopByte};
  r.saving = false;
  app.render.view.recording = false;
}

// Appends the stream bytes [from, to) that came before the buffer now
// completing (which starts at `to`) from the pre-trigger ring, as far back
// as it holds them and as the file's size limit leaves room for besides
// the buffer itself. 0 or the errno.
int AppendEarly(app::App& app, std::uint64_t from, std::uint64_t to, std::size_t bufferBytes) {
  const app::RecordingState& r = app.recording;
  const app::CaptureRing& ring = r.early;
  // The ring holds whole buffers up to the start of this one, or nothing
  // usable (a buffer handed back part full at a stop).
  if (ring.Size() == 0 || ring.Total() != to) return 0;
  const std::uint64_t oldest = ring.Total() > ring.Size() ? ring.Total() - ring.Size() : 0;
  const std::int64_t room = app.recordingLimitBytes - static_cast<std::int64_t>(bufferBytes) - r.recordedBytes;
  const std::size_t frame = std::max<std::size_t>(1, app.live.format.BytesPerFrame());
  const std::uint64_t allowed = room > 0 ? static_cast<std::uint64_t>(room) / frame * frame : 0;
  const std::uint64_t start = std::max({from, oldest, to > allowed ? to - allowed : 0});
  if (start >= to) return 0;
  for (const std::span<const std::uint8_t> piece : ring.Pieces(start, to)) {
    if (piece.empty()) continue;
    if (const int error = Append(app, piece); error != 0) return error;
  }
  return 0;
}

// Takes up a recording carried over a restart: the same path and, once
// the file exists, the file reopened with what it holds (its size must be
// what the last run left). False, with the user told and recording "Off",
// when the file cannot be reopened.
bool TakeUpCarry(app::App& app, const app::RecordingCarry& carry) {
  app::RecordingState& r = app.recording;
  r.path = carry.path;
  r.resumeStretch = carry.saving;
  if (!carry.fileMade) return true;
  int error = 0;
  const int fd = ::open(carry.path.c_str(), O_RDWR | O_CLOEXEC);
  struct stat status {};
  if (fd < 0) {
    error = errno;
  } else if (::fstat(fd, &status) != 0) {
    error = errno;
  } else if (static_cast<std::uint64_t>(status.st_size) !=
             kHeaderBytes + static_cast<std::uint64_t>(carry.recordedBytes)) {
    error = ESTALE;
  } else if (::lseek(fd, 0, SEEK_END) < 0) {
    // Appends write at the file offset.
    error = errno;
  }
  if (error != 0) {
    if (fd >= 0) ::close(fd);
    app::Warn(app, "Cannot continue the recording file: " + FileErrorText(error) + "\n" + carry.path.string() +
                       "\nThe scan runs without recording.");
    r.path.clear();
    r.resumeStretch = false;
    app.params.recordingId = app::ID_RECORDING_OFF;
    return false;
  }
  r.file = app::FileDescriptor(fd);
  r.header = carry.header;
  r.recordedBytes = carry.recordedBytes;
  return true;
}

// Makes the buffer that begins at streamStart the one being written, if it
// is not yet: nothing of it handled.
void BeginFilling(app::RecordingState& r, std::uint64_t streamStart) {
  if (r.fillingStart == streamStart) return;
  r.fillingStart = streamStart;
  r.fillingPosition = streamStart;
  r.fillingWritten = streamStart;
  r.pressesHandledEarly = 0;
}

// Takes the buffer that begins at stream byte streamStart (bufferBytes
// long) on from where the last call left it: data holds its first bytes,
// as far as they have arrived. The waiting presses that lie before
// pressEnd are handled in order, each at its place but never before the
// last one handled nor past the end of data; the bytes inside stretches
// up to the end of data are appended, each once. Called as the buffer
// fills and once more when it comes back, it appends exactly what one
// call at its completion would. Returns 0 or the errno; pressesUsed says
// how many presses were handled.
int AdvanceBuffer(app::App& app, std::uint64_t streamStart, std::span<const std::uint8_t> data,
                  std::uint64_t pressEnd, std::size_t bufferBytes, std::size_t& pressesUsed) {
  app::RecordingState& r = app.recording;
  BeginFilling(r, streamStart);
  // The device hands a buffer back with at least what it counted as
  // arrived; should it hold less, nothing written is taken back.
  const std::uint64_t end = std::max<std::uint64_t>(streamStart + data.size(), r.fillingWritten);
  const auto part = [&](std::uint64_t from, std::uint64_t to) {
    return data.subspan(static_cast<std::size_t>(from - streamStart), static_cast<std::size_t>(to - from));
  };
  // The edge of the stretches so far, and how far the bytes are in the file
  // (never behind it while a stretch is open, equal to it otherwise).
  std::uint64_t& position = r.fillingPosition;
  std::uint64_t& written = r.fillingWritten;
  int error = 0;
  std::size_t used = 0;
  while (error == 0 && used < r.pressCount && r.presses[used].streamByte < pressEnd) {
    const app::RecordingPress& press = r.presses[used];
    // A SAVE of a pre-trigger may lie in buffers already handed back.
    if (press.save && !r.appending && press.streamByte < position) {
      error = AppendEarly(app, press.streamByte, position, bufferBytes);
      if (error != 0) break;
    }
    const std::uint64_t at = std::clamp(press.streamByte, position, end);
    if (r.appending && at > written) error = Append(app, part(written, at));
    position = at;
    written = std::max(written, at);
    r.appending = press.save;
    ++used;
  }
  std::move(r.presses.begin() + static_cast<std::ptrdiff_t>(used),
            r.presses.begin() + static_cast<std::ptrdiff_t>(r.pressCount), r.presses.begin());
  r.pressCount -= used;
  pressesUsed = used;
  if (error == 0 && r.appending && end > written) {
    error = Append(app, part(written, end));
    written = end;
  }
  return error;
}

// The recording part of a completed buffer (RecordCompletedBuffer without
// the ring).
RecordingStep RecordBuffer(app::App& app, std::uint64_t streamStart, std::span<const std::uint8_t> recorded,
                           std::size_t bufferBytes);

}  // namespace

std::uint64_t StreamByteAt(const app::LiveInput& live, std::uint32_t nowMs) {
  const auto sinceMs = static_cast<std::int64_t>(static_cast<std::int32_t>(nowMs - live.anchorMs));
  std::uint64_t frames =
      live.anchorFrames + static_cast<std::uint64_t>(std::max<std::int64_t>(0, sinceMs) * live.format.sampleRate / 1000);
  if (live.device) {
    frames = std::min<std::uint64_t>(
        frames, live.device->DeliveredFrames() + static_cast<std::uint64_t>(live.format.sampleRate) * kStreamLeadMs / 1000);
  }
  const std::uint64_t bytes = frames * live.format.BytesPerFrame();
  return bytes - bytes % kGroupBytes;
}

bool RecordingEnabled(const app::App& app) { return RecordingMode(app) && !app.recording.path.empty(); }

bool IsSaving(const app::App& app) { return app.recording.saving; }

void BeginRecording(app::App& app) {
  std::optional<app::RecordingCarry> carry = std::move(app.recording.carry);
  app.recording = app::RecordingState{};
  app.recording.bytesPerSecond =
      static_cast<std::int64_t>(app.live.format.sampleRate) * app.live.format.BytesPerFrame();
  app.render.view.recording = false;
  if (!RecordingMode(app)) return;
  if (carry) {
    if (!TakeUpCarry(app, *carry)) return;
  } else {
    const auto chosen = app::ChooseFile(app, app::FileChooser::RecordWave);
    if (!chosen || chosen->empty() || chosen->front().empty()) {
      app.params.recordingId = app::ID_RECORDING_OFF;
      return;
    }
    const std::filesystem::path path = chosen->front();
    if (const int error = ProbeFile(path); error != 0) {
      app::Warn(app, "Cannot create the recording file: " + FileErrorText(error) + "\n" + path.string() +
                         "\nThe scan runs without recording.");
      app.params.recordingId = app::ID_RECORDING_OFF;
      return;
    }
    app.recording.path = path;
  }
  const double preTriggerS = std::clamp(static_cast<double>(app.params.preTriggerS), 0.0,
                                        static_cast<double>(app::kMaxPreTriggerS));
  if (app.params.recordingId == app::ID_RECORDING_TRIGGER && preTriggerS > 0.0) {
    const double seconds = preTriggerS + app.live.spanS;
    const auto bytes = static_cast<std::size_t>(std::ceil(seconds * static_cast<double>(app.recording.bytesPerSecond)));
    if (!app.recording.early.Allocate(bytes)) app.recording.early.Release();
  }
}

bool PressSave(app::App& app, double preTriggerS) {
  app::RecordingState& r = app.recording;
  if (!RecordingEnabled(app) || !app.frame.inputOpen || app.frame.stopRequest || r.saving) return false;
  // A STOP SAVE always finds room after the SAVE.
  if (r.pressCount + r.pressesHandledEarly + 2 > r.presses.size()) return false;
  if (!r.file.IsOpen()) {
    if (const int error = CreateFile(app); error != 0) {
      FailRecording(app, "Cannot create the recording file", error);
      StopAllAudio(app, false);
      return false;
    }
  }
  r.saveTimeMs = app.clock.NowMs();
  std::uint64_t start = StreamByteAt(app.live, r.saveTimeMs);
  if (preTriggerS > 0.0 && r.early.Size() > 0) {
    const double seconds = std::min(preTriggerS, static_cast<double>(app::kMaxPreTriggerS));
    const auto frames = static_cast<std::uint64_t>(std::llround(seconds * app.live.format.sampleRate));
    const std::uint64_t back = frames * app.live.format.BytesPerFrame();
    start = std::max(start > back ? start - back : 0, r.lastStopByte);
  }
  r.presses[r.pressCount++] = {true, start};
  r.saving = true;
  EnableButton(app, app::IDC_PLAY, false);
  EnableButton(app, app::IDC_PLAY_WINDOW, app.params.recordingId == app::ID_RECORDING_ON);
  app.render.view.recording = true;
  return true;
}

bool PressStopSave(app::App& app) {
  if (!RecordingEnabled(app) || !app.frame.inputOpen || !app.recording.saving) return false;
  AddStop(app);
  EnableButton(app, app::IDC_PLAY_WINDOW, false);
  return true;
}

void EndSaveAtStop(app::App& app) {
  if (!app.recording.saving) return;
  AddStop(app);
  app.recording.stopEndedStretch = true;
}

void CarryRecordingOver(app::App& app) {
  app::RecordingState& r = app.recording;
  r.carry.reset();
  if (!RecordingEnabled(app) || r.limitReached || !r.failure.empty()) return;
  app::RecordingCarry carry;
  carry.path = r.path;
  carry.fileMade = r.finished.has_value() && r.finished->path == r.path;
  carry.recordedBytes = r.recordedBytes;
  carry.header = r.header;
  carry.saving = r.stopEndedStretch;
  r.carry = std::move(carry);
}

void ResumeCarriedStretch(app::App& app) {
  if (!app.recording.resumeStretch) return;
  app.recording.resumeStretch = false;
  PressSave(app);
}

void EndSaveAtStreamByte(app::App& app, std::uint64_t streamByte) {
  if (app.recording.saving) AddStop(app, streamByte);
}

RecordingStep RecordCompletedBuffer(app::App& app, std::uint64_t streamStart,
                                    std::span<const std::uint8_t> recorded, std::size_t bufferBytes) {
  const RecordingStep step = RecordBuffer(app, streamStart, recorded, bufferBytes);
  app::CaptureRing& early = app.recording.early;
  if (early.Size() > 0 && early.Total() == streamStart) early.Write(recorded);
  // The next buffer of the stream is the one being filled now.
  BeginFilling(app.recording, streamStart + bufferBytes);
  return step;
}

void WriteArrivedInput(app::App& app) {
  app::RecordingState& r = app.recording;
  const app::LiveInput& live = app.live;
  if (!app.recordingWritesAsItFills || !r.file.IsOpen() || !live.device || live.block.empty() ||
      live.bufferBytes <= 0 || !app.frame.inputOpen || app.frame.stopRequest) {
    return;
  }
  const auto length = static_cast<std::uint64_t>(live.bufferBytes);
  const std::uint64_t streamStart = static_cast<std::uint64_t>(live.buffersReturned) * length;
  BeginFilling(r, streamStart);
  // How far the buffer being filled holds input (its bytes are in memory
  // once the count says so), but never past the place a press made from
  // now on may take: a press made later must find the bytes before it
  // still waiting, and none lies before the one the clock gives now (a
  // pre-trigger's SAVE, which reaches back, takes its bytes from memory).
  const std::uint64_t delivered = live.device->DeliveredFrames() * live.format.BytesPerFrame();
  const std::uint64_t limit =
      std::min({delivered, streamStart + length, StreamByteAt(live, app.clock.NowMs())});
  // Writes come at most a few times a second, each with its header update.
  const std::uint64_t step = std::max<std::uint64_t>(
      kGroupBytes, static_cast<std::uint64_t>(r.bytesPerSecond) * kEarlyWriteMs / 1000);
  if (limit < r.fillingWritten + step) return;
  const bool pressDue = r.pressCount > 0 && r.presses[0].streamByte < limit;
  if (!r.appending && !pressDue) return;
  const std::uint8_t* buffer = live.buffersReturned % 2 == 0 ? live.BufferA() : live.BufferB();
  const std::span<const std::uint8_t> arrived(buffer, static_cast<std::size_t>(limit - streamStart));
  const std::int64_t before = r.recordedBytes;
  std::size_t used = 0;
  int error = AdvanceBuffer(app, streamStart, arrived, limit, static_cast<std::size_t>(length), used);
  r.pressesHandledEarly += used;
  if (error == 0 && r.recordedBytes != before) error = WriteLengths(r);
  if (error != 0) {
    // As a failed write at a completion: the file keeps what was written
    // and the scan stops.
    FailRecording(app, "Cannot write the recording file", error);
    StopAllAudio(app, false);
  }
}

namespace {

RecordingStep RecordBuffer(app::App& app, std::uint64_t streamStart, std::span<const std::uint8_t> recorded,
                           std::size_t bufferBytes) {
  app::RecordingState& r = app.recording;
  if (!r.file.IsOpen()) return RecordingStep::Continue;
  const std::int64_t before = r.recordedBytes;
  // Presses that fall in this buffer, in order; later ones wait for theirs.
  std::size_t used = 0;
  int error = AdvanceBuffer(app, streamStart, recorded, streamStart + bufferBytes, bufferBytes, used);
  if (error == 0 && r.recordedBytes != before) error = WriteLengths(r);
  if (error != 0) {
    FailRecording(app, "Cannot write the recording file", error);
    return RecordingStep::StopScan;
  }
  if (r.recordedBytes > app.recordingLimitBytes - static_cast<std::int64_t>(bufferBytes)) {
    // The file ends with this buffer and is finished when the device closes.
    EndStretches(app);
    r.limitReached = true;
    return RecordingStep::StopScan;
  }
  return RecordingStep::Continue;
}

}  // namespace

void RearmRecording(app::App& app) {
  const app::RecordingState& r = app.recording;
  if (!RecordingEnabled(app) || app.frame.stopRequest || r.saving || r.appending) return;
  if (app.params.recordingId == app::ID_RECORDING_ON) EnableButton(app, app::IDC_PLAY, true);
}

void FinishRecording(app::App& app) {
  app::RecordingState& r = app.recording;
  EndStretches(app);
  CloseFile(r);
}

}  // namespace sonavue::audio
