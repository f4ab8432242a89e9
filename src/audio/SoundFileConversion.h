#pragma once

#include <filesystem>
#include <string>

#include "platform/SoundFile.h"

namespace sonavue::audio {

// Bits per sample of the conversion file for a decoded source: 16 for 8- and
// 16-bit integer sources (8-bit samples widened as s × 256, as for 8-bit WAV
// files), 24 for everything else (wider integers cut to their top 24 bits,
// floating-point samples converted as float WAV files are).
int WorkingBitsForDecoded(int pcmBits);

// Bits the panels show as the sample size of a decoded source: its integer
// depth, or 32 for a floating-point or compressed source.
int SourceBitsForDecoded(int pcmBits);

// Decodes the whole of reader into the working WAV file target (the working
// header, then the samples at WorkingBitsForDecoded). target is replaced only
// once the new file is complete. On failure returns false with the reason:
// the decoder's own, or that the sound is too long for a WAV file.
bool DecodeToWorkingWave(platform::SoundFileReader& reader, const std::filesystem::path& target,
                         std::string& reason);

}  // namespace sonavue::audio
