#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace sonavue::app {
class App;
struct LiveInput;
}  // namespace sonavue::app

namespace sonavue::audio {

// The byte of the input stream (a multiple of 12, so the start of a whole
// sample frame) that the input was recording at clock time nowMs: the
// frames the device had delivered at the last anchor, plus the frames the
// clock says have been heard since, but never more than kStreamLeadMs past
// what the device has delivered by now: a sound server that starts the
// stream late or delivers in bursts would otherwise put a press seconds
// after the sound that caused it.
inline constexpr std::uint32_t kStreamLeadMs = 100;
std::uint64_t StreamByteAt(const app::LiveInput& live, std::uint32_t nowMs);

// Whether the running scan records: Recording Enable "On" or "Trigger"
// with a recording file chosen.
bool RecordingEnabled(const app::App& app);
// Whether a stretch is open: SAVE was pressed and STOP SAVE not yet.
bool IsSaving(const app::App& app);

// The start of a scan, input opened but not yet started: forgets the last
// scan's recording and, with Recording Enable "On" or "Trigger", asks for
// the recording file (the record-wave chooser), or after a restart takes
// up the file carried over (reopened for appending; when that fails, the
// scan runs without recording and says so). With "Trigger" and a
// pre-trigger, the ring that keeps the latest input for it is made (the
// pre-trigger and one input buffer long); without the memory for it the
// recording runs without a pre-trigger. A cancelled chooser, or a
// file that cannot be created there (reported), runs the scan with
// Recording Enable "Off".
void BeginRecording(app::App& app);

// SAVE: a stretch begins at the sample frame the input is recording now;
// the first SAVE of a scan creates the file. False when the press is
// ignored (no recording, a stretch already open, the scan stopping).
// A file that cannot be created ends the recording and stops the scan; its
// message is shown when the scan has ended.
// With preTriggerS > 0 (a trigger's SAVE) the stretch begins that many
// seconds, rounded to whole sample frames, before the frame recorded now:
// its first bytes come from the pre-trigger ring. It never begins before
// the stream, the end of the previous stretch or the oldest byte the ring
// holds.
bool PressSave(app::App& app, double preTriggerS = 0.0);

// A live scan stops to start again (a resize, the live length limit): the
// recording goes on in the same file in the next run, without asking for
// it again, and a stretch that was open goes on from the next run's first
// sample. Nothing is carried when no file was chosen, a failure or the
// size limit ended the recording.
void CarryRecordingOver(app::App& app);
// The input of the next run has started: a stretch carried over is opened
// again at once.
void ResumeCarriedStretch(app::App& app);
// STOP SAVE: the open stretch ends at the sample frame the input is
// recording now. False when ignored (no stretch open).
bool PressStopSave(app::App& app);
// The scan stops: an open stretch ends at this moment. The buffers the
// device hands back at the stop still bring what it recorded up to it.
void EndSaveAtStop(app::App& app);
// The input failed: an open stretch ends at streamByte, the end of what the
// device delivered (it need not be a multiple of 12).
void EndSaveAtStreamByte(app::App& app, std::uint64_t streamByte);

enum class RecordingStep { Continue, StopScan };

// A buffer came back from the device. recorded holds what the device put
// in it (stream bytes from streamStart on; the buffer is bufferBytes long).
// Appends the parts that lie inside stretches (a stretch that began before
// this buffer takes its earlier bytes from the pre-trigger ring), puts the
// new lengths into the header on disk and keeps the buffer in the ring. StopScan when the file has reached its size limit or
// a write failed; the file then holds everything written before, with
// lengths to match.
RecordingStep RecordCompletedBuffer(app::App& app, std::uint64_t streamStart,
                                    std::span<const std::uint8_t> recorded, std::size_t bufferBytes);

// The engine loop, between completions: writes what of the buffer being
// filled has arrived and lies inside stretches, so that a process killed
// in the middle of a buffer loses a fraction of a second at most. It
// writes once at least a quarter of a second more has arrived, never past
// the place a press made from now on could take, and the file then holds
// exactly what it would hold had the whole buffer been written at its
// completion (which then appends only the rest). A failed write ends the
// recording and stops the scan as at a completion.
void WriteArrivedInput(app::App& app);

// After a completion with no stretch open or still to be written, SAVE is
// offered again (Recording Enable "On").
void RearmRecording(app::App& app);

// The device closed: the file gets its final lengths and is closed, and
// the recording flags are cleared.
void FinishRecording(app::App& app);

}  // namespace sonavue::audio
