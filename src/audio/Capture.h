#pragma once

#include <cstdint>

namespace sonavue::app {
class App;
}

namespace sonavue::audio {

// Opens the default input for the channels, rate and bits of the current
// parameters (Scan Input), queues buffers A and B, asks for the recording
// file when recording is enabled, and starts it. Shows "Not enough memory"
// or "Cannot Open Audio Device" and returns false on failure, with
// everything released.
bool OpenAndStartInput(app::App& app);

// A filled buffer came back from the device: hand its part to the
// recording and to the capture, queue it again, move the buffer start time
// and offer SAVE again; with the stop request raised, close the device
// instead. A recording that reached its size limit or failed to write
// stops the scan.
void HandleWaveInData(app::App& app, int bufferIndex);

// The device closed: finish the recording file and release the block. A
// device that closes without a stop request ends the scan.
void HandleWaveInClose(app::App& app);

// The capture ring of the last 60 s, allocated before the device opens.
// Returns false when the memory cannot be had.
bool AllocateCapture(app::App& app);
void ReleaseCapture(app::App& app);

// Writes temp.wav with the captured stretch [startMs, endMs) of the stream
// (stream time 0 = the first recorded byte); cut to what was captured.
// Returns the milliseconds kept, or −1 when nothing could be written.
double WriteCaptureFile(app::App& app, double startMs, double endMs);

}  // namespace sonavue::audio
