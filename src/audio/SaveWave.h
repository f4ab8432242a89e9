#pragma once

#include <cstdint>
#include <vector>

namespace sonavue::app {
class App;
struct AnalysisRecord;
}  // namespace sonavue::app

namespace sonavue::audio {

// The header Save Wave puts in front of a signal held in memory, followed
// by the first dataLength bytes of its samples: the samples are cut to
// whole sample frames; an analysis rate of at most 48000 Hz gets the
// 46-byte plain PCM header at that rate (an ultrasound file is thus saved
// slowed down by its multiplier), a higher one the signal's own working
// header at analysis rate × frequency multiplier (the rate of the file
// analysed). Empty when the record holds no signal.
std::vector<std::uint8_t> SavedSignalHeader(const app::AnalysisRecord& analysis, std::uint32_t& dataLength);

// "Save Wave": the signal of the current picture, or without one the
// capture of the last scan (temp.wav), to a WAV file chosen with the
// record-wave chooser. The file is written whole under another name beside
// the target and then renamed over it; a file that cannot be made there is
// "Cannot Open File", a write that fails says why.
void SaveWave(app::App& app);

}  // namespace sonavue::audio
