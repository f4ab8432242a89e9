#pragma once

#include <string>
#include <vector>

namespace sonavue::render {

// Tick positions and label texts of the sonogram axes, as data: no drawing,
// no fonts. Lengths are in drawn pixels (already multiplied by the drawing
// scale).

// One labelled tick: its position (time ticks: x from the plot's left edge;
// frequency labels: y from the top of the picture), the value it stands for
// (seconds or milliseconds as labelled, or Hz) and its label text.
struct AxisTick {
  int position = 0;
  double value = 0.0;
  std::string text;
};

enum class TimeScaleKind { Milliseconds, DecimalSeconds, WholeSeconds };

// The time step (s) nearest to target among 0.001 … 100000 s (1-2-5 steps);
// on equal distance the smaller step.
double ChooseTimeStep(double targetS);
// Milliseconds for steps up to 0.02 s, decimal seconds below 1 s, else whole
// seconds.
TimeScaleKind TimeScaleFor(double stepS);

struct TimeAxisInput {
  int windowWidth = 0;       // W: the window's display-area width
  int plotWidth = 0;         // P: drawn plot width
  double msPerPixel = 0.0;   // Δ: ms per drawn pixel (time per column ÷ scale)
  double offsetPx = 0.0;     // D: view offset of the plot's left edge, see TimeViewOffset
  double originMs = 0.0;     // time origin of the image; 0 under "time origin zero"
  double scrollTimeMs = 0.0;  // time of the left edge while a scan display scrolls
  double timeDivisor = 1.0;  // the frequency multiplier under "Time Exp", else 1
  bool dual = false;         // two plots side by side: one decimal fewer
};

struct TimeAxis {
  double stepS = 0.0;
  TimeScaleKind kind = TimeScaleKind::WholeSeconds;
  double pixelsPerStep = 0.0;
  std::vector<AxisTick> ticks;  // trunc(steps across the plot) + 2 ticks
};

// The view offset D in drawn pixels: scale × horizontal scroll position +
// the segment's start times ÷ Δ; 0 under "time origin zero".
double TimeViewOffset(double scale, int horizontalScroll, double segmentStartMs,
                      double msPerPixel, bool timeOriginZero);

// The time ticks: the step aims at a fifth of the time across the whole
// window; the first tick is the last multiple of the step at or before the
// plot's left edge (so it may lie left of the plot, at a negative x).
// Labels: "%-3u sec" (whole seconds, step below 100 s), "%.1f ksec" (step of
// 100 s and more), "%.2f sec" (decimal seconds; "%.1f sec" for "Dual"),
// "%-3u ms" (milliseconds).
TimeAxis TimeAxisTicks(const TimeAxisInput& input);

// The linear frequency step (Hz) for a band of bandHz (display Hz): the
// entry of 1, 2, 5 … 100000 nearest to bandHz ÷ 5 (integer division; ties
// the smaller), 1 for a band under 10 Hz.
int ChooseFrequencyStep(int bandHz);

struct FrequencyAxisInput {
  int lowHz = 0;        // fL as analysed
  int highHz = 0;       // fH as analysed
  int multiplier = 1;   // m: displayed frequency = analysed × m
  int plotBottom = 0;   // B: the row under the lowest sonogram row
  int plotRows = 0;     // B ("Scroll 1") or B − Hw ("Scroll 2")
};

// Linear frequency labels, lowest first: label j at
// y = round-half-up(B − e − j·q − 1); text "%u Hz" for steps below 100 Hz,
// "%-2.1f kHz" for 100 … 999 Hz steps, "%u kHz" (integer kHz) above. Every
// label of the band is returned; the drawing decides which fit.
std::vector<AxisTick> LinearFrequencyTicks(const FrequencyAxisInput& input);

// The decade factor of the logarithmic labels: 1 up to 48 kHz displayed,
// 10 up to 240 kHz, else 100.
int LogDecadeFactor(int highDisplayHz);

// Logarithmic labels ("Log" and "Oct/3"): 10, 20, 30 and 50 times five
// decades from the decade factor, at y = trunc(B − (log10 f − log10 fL·m) ÷ λ);
// text "%u" of f. All twenty are returned; the drawing decides which fit.
std::vector<AxisTick> LogFrequencyTicks(const FrequencyAxisInput& input);

}  // namespace sonavue::render
