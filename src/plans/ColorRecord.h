#pragma once

#include <array>

#include "platform/DisplayBitmap.h"

namespace sonavue::render {

// The 18 colours of a colour record: scale points 0 … 12 (lowest level
// first), then Background, Signal 1, Signal 2, Freq Mark and Text.
using ColorRecord = std::array<platform::Rgb, 18>;

// Positions inside a ColorRecord.
inline constexpr int kScalePoints = 13;  // records 0 … 12
inline constexpr int kRecordBackground = 13;
inline constexpr int kRecordSignal1 = 14;
inline constexpr int kRecordSignal2 = 15;
inline constexpr int kRecordFreqMark = 16;
inline constexpr int kRecordText = 17;

// The default colour palette "CB".
inline constexpr ColorRecord kCbColors{{
    {0, 0, 200}, {0, 50, 210}, {0, 100, 220}, {0, 150, 230}, {0, 200, 240},
    {2, 252, 251}, {65, 252, 214}, {128, 253, 177}, {191, 254, 140}, {255, 255, 103},
    {232, 185, 99}, {210, 115, 95}, {188, 46, 92},
    {0, 0, 0}, {255, 255, 200}, {0, 133, 252}, {220, 0, 0}, {128, 128, 128},
}};

// The grey palette "BW": light at the lowest level, dark at the highest.
inline constexpr ColorRecord kBwColors{{
    {212, 212, 212}, {195, 195, 195}, {178, 178, 178}, {161, 161, 161}, {144, 144, 144},
    {127, 127, 127}, {110, 110, 110}, {93, 93, 93}, {76, 76, 76}, {59, 59, 59},
    {42, 42, 42}, {25, 25, 25}, {8, 8, 8},
    {255, 255, 255}, {96, 96, 96}, {0, 0, 0}, {220, 0, 0}, {0, 0, 0},
}};

// The perceptual palette "Perceptual": dark violet at the lowest level through
// blue and green to yellow at the highest, told apart by lightness alone, so
// it reads the same for colour-blind eyes and in grey print. The scale points
// are chosen so that the CIE lightness L* of the interpolated colour table
// rises strictly from entry to entry. The other colours are ones that stay
// distinct under the common colour-vision deficiencies.
inline constexpr ColorRecord kPerceptualColors{{
    {68, 1, 84}, {71, 30, 112}, {67, 57, 129}, {59, 82, 138}, {49, 103, 141},
    {40, 124, 142}, {33, 145, 140}, {34, 165, 133}, {57, 185, 119}, {96, 205, 95},
    {144, 214, 67}, {200, 224, 38}, {253, 231, 37},
    {0, 0, 0}, {255, 255, 255}, {86, 180, 233}, {213, 94, 0}, {160, 160, 160},
}};

}  // namespace sonavue::render
