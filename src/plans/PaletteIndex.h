#pragma once

namespace sonavue::render {

// Palette indices of the five other colours; 5 … 235 are the colour scale.
inline constexpr int kTextIndex = 0;
inline constexpr int kFreqMarkIndex = 1;
inline constexpr int kSignal2Index = 2;
inline constexpr int kSignal1Index = 3;
inline constexpr int kBackgroundIndex = 4;
inline constexpr int kFirstScaleIndex = 5;
inline constexpr int kLastScaleIndex = 235;

}  // namespace sonavue::render
