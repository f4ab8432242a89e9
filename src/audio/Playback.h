#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace sonavue::app {
class App;
}

namespace sonavue::audio {

// Playback of the signal held in memory by the last analysis: PLAY from its
// first sample, PLAY WDW from the first column the window shows. The sound
// card plays one looping buffer of about two seconds; the program refills
// the half that is not sounding while the other half plays.

enum class PlayKind {
  Whole,   // PLAY
  Window,  // PLAY WDW
};

// Loop buffer length L in bytes: two seconds of the signal's frames, rounded
// up to the next multiple of 12 (a length that already is one gets 12 more),
// so that the loop holds whole frames and each half whole samples of every
// format.
std::uint32_t LoopBufferBytes(std::uint32_t rateHz, int bytesPerSample, int channels);

// Loops for PLAY: the whole signal of dataBytes, plus one.
int WholePlayLoops(std::uint32_t dataBytes, std::uint32_t loopBytes);

// Loops for PLAY WDW: the bytes of visibleColumns columns of columnMs each,
// plus one.
int WindowPlayLoops(double columnMs, int visibleColumns, std::uint32_t rateHz, int channels, int bytesPerSample,
                    std::uint32_t loopBytes);

// The byte where PLAY WDW starts: the first visible column × the signal's
// bytes per column, rounded half away from zero, then down to a multiple of
// 12 (a whole frame of every format), never past dataBytes (which is itself
// cut down to whole frames).
std::uint32_t WindowStartByte(int firstColumn, double columnMs, std::uint32_t rateHz, int channels,
                              int bytesPerSample, std::uint32_t dataBytes);

// Copies samples of signal from readPosition into half with the gain
// factor and advances readPosition by the bytes copied. 16 bits: sample ×
// gain, limited to ±32767, truncated. 24 bits: the sample as the upper three
// bytes of a 32-bit value × gain, truncated (limited to the 32-bit range
// when the gain amplifies), its upper three bytes stored. When the signal
// runs out, the rest of the half is silenced, so that the loop never plays
// old sound again. Returns the bytes copied.
std::size_t FillHalf(std::span<std::uint8_t> half, std::span<const std::uint8_t> signal,
                     std::size_t& readPosition, int bytesPerSample, double gain);

// The player of one PLAY or PLAY WDW run: what the follow loop reads and
// moves on. The output device and the loop buffer are app.output's.
struct Player {
  PlayKind kind = PlayKind::Whole;
  std::span<const std::uint8_t> samples;  // the signal's data bytes
  std::size_t readPosition = 0;           // next byte of samples to copy into a half
  double gain = 1.0;
  std::uint32_t rateHz = 0;
  int channels = 1;
  int bytesPerSample = 2;
  std::uint64_t frames = 0;      // frames from the start position to the signal's end
  std::uint64_t loopFrames = 0;  // frames of the whole loop buffer
  bool halfBDue = true;          // which half is refilled next
  std::uint32_t startMs = 0;     // clock at the write
};

// Starting, up to the device: gain factor, read position, loop buffer, half
// A, the device opened with the signal's format. On failure shows "Not
// enough memory" or "Drag Select a Smaller Time Segment" (error icon),
// releases whatever was taken and returns false. Needs a finished analysis
// with its signal; the caller has checked that nothing plays.
bool OpenPlayback(app::App& app, PlayKind kind, Player& player);

// Marks the player busy: the running menu state, STOP enabled, PLAY, PLAY
// WDW and GRID disabled; PLAY WDW also disables the gain scroll bar.
void MarkPlayerBusy(app::App& app, PlayKind kind);

// Writes the loop buffer to the device: the sound starts. The play start
// time is taken just before the write for PLAY, just after it for PLAY WDW.
// On failure shows "Drag Select a Smaller Time Segment", releases the device
// and the buffers and returns false; EndPlayback then gives the controls
// back.
bool WritePlayback(app::App& app, Player& player);

// One pass of the follow loop after its sleep: the time since the start,
// then the end rule (the sound ends a tenth of a second per channel before
// the signal's last frame: stop request, not playing, device reset) and the
// refill of the half that is not sounding, judged by where the device is.
// Returns the milliseconds of sound heard so far (by the device's position).
std::uint32_t ServicePlayback(app::App& app, Player& player);

// Whether PLAY or PLAY WDW still plays (until the end rule, a reset or the
// device's last loop).
bool PlaybackPlaying(const app::App& app);

// The output device's done notification for the buffer index: a calibration
// sound is marked as no longer playing (its player releases what it holds);
// a file scan is stopped and its device and buffers released; PLAY and PLAY
// WDW release the device and buffers and, unless their follow loop still
// runs (it does this itself when it ends), give the controls back. A
// notification for a buffer no longer held is ignored.
void HandleWaveOutDone(app::App& app, int index);

// The end of a PLAY or PLAY WDW run after its follow loop: releases the
// device if the done notification has not done so yet, and gives the
// controls back (STOP disabled, GRID enabled, PLAY WDW in sonogram
// displays, PLAY when the picture is wider than the window, the
// analysis-idle menu state, the gain scroll bar).
void EndPlayback(app::App& app);

}  // namespace sonavue::audio
