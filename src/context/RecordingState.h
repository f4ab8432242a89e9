#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "context/CaptureRing.h"

namespace sonavue::app {

// An open POSIX file descriptor, closed with its owner; −1 when none.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes the descriptor; returns 0 or the error number of close.
  int Close();

 private:
  int fd_ = -1;
};

// One press of SAVE or STOP SAVE at its place in the input stream. It waits
// until the completion of the input buffer that holds that place.
struct RecordingPress {
  bool save = true;              // SAVE; false for STOP SAVE
  std::uint64_t streamByte = 0;  // byte of the input stream, a multiple of 12
};

// A recording file that was finished, for whoever reports it.
struct FinishedRecording {
  std::filesystem::path path;
  std::int64_t dataBytes = 0;
  std::int64_t bytesPerSecond = 0;
};

// A recording that goes on through a restart of the live scan (a resize,
// the live length limit): the same file, appended to by the next run.
struct RecordingCarry {
  std::filesystem::path path;
  bool fileMade = false;            // the first SAVE created the file
  std::int64_t recordedBytes = 0;   // sample bytes in it
  std::array<std::uint8_t, 68> header{};
  bool saving = false;              // a stretch was open when the scan stopped
};

// The recording of the live input to a WAV file chosen when the scan
// started: stretches from SAVE to STOP SAVE, appended one after the other.
// The file holds a 68-byte header whose two lengths are kept current on
// disk after every append, so that the file is a valid WAV at every moment.
struct RecordingState {
  static constexpr std::size_t kMaxPresses = 32;

  std::filesystem::path path;  // chosen at the start; empty: no recording in this scan
  FileDescriptor file;         // created by the first SAVE
  bool saving = false;         // the latest press was SAVE: a stretch is open
  bool appending = false;      // the completions are inside a stretch
  std::uint32_t saveTimeMs = 0;  // clock readings of the latest presses
  std::uint32_t stopTimeMs = 0;
  // Presses not yet reached by a completed buffer, oldest first.
  std::array<RecordingPress, kMaxPresses> presses{};
  std::size_t pressCount = 0;
  // The input buffer being filled is written as it fills, ahead of its
  // completion: the stream byte where it begins, the place of the last
  // press handled in it (the stretches' edges so far) and how far its
  // bytes have been appended. Presses handled early count against the
  // room for presses until the buffer completes, as they would have stayed
  // queued until then.
  std::uint64_t fillingStart = 0;
  std::uint64_t fillingPosition = 0;
  std::uint64_t fillingWritten = 0;
  std::size_t pressesHandledEarly = 0;
  std::int64_t recordedBytes = 0;  // sample bytes in the file
  std::array<std::uint8_t, 68> header{};
  std::int64_t bytesPerSecond = 0;
  bool limitReached = false;  // the size limit ended the recording
  std::string failure;        // a file failure, shown when the scan has ended
  std::optional<FinishedRecording> finished;  // the last file finished
  // The stream byte where the latest stretch ended: an early SAVE never
  // goes back before it.
  std::uint64_t lastStopByte = 0;
  // With a pre-trigger: the latest input, every completed buffer of the
  // scan, from which a stretch that starts before the buffer completing
  // it takes its first bytes. Empty otherwise.
  CaptureRing early;
  // The stop of the scan closed an open stretch.
  bool stopEndedStretch = false;
  // A stretch carried over a restart opens again once the input runs.
  bool resumeStretch = false;
  // Set between a run that stops for a restart and the run that follows.
  std::optional<RecordingCarry> carry;
};

}  // namespace sonavue::app
