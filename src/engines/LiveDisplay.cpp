#include "engines/LiveDisplay.h"

#include <algorithm>
#include <cmath>

#include "context/App.h"
#include "context/CommandIds.h"
#include "dsp/ParameterRules.h"
#include "dsp/Rounding.h"
#include "engines/ColumnAnalysis.h"
#include "render/Axes.h"
#include "render/Palette.h"
#include "render/Panels.h"
#include "render/Scope.h"

namespace sonavue::engines {

using app::App;
using dsp::RoundHalfAway;

namespace {

// Draws one sonogram column (codes per channel) at x of each plot.
void DrawColumn(App& app, const LiveRun& run, int x, const std::vector<std::int16_t>* codes,
                const float* high, const float* low) {
  platform::DisplayBitmap& image = app.display;
  const int minDb = app.params.sonogramLevelMin;
  const int maxDb = app.params.sonogramLevelMax;
  const int plots = run.dual ? 2 : 1;
  for (int plot = 0; plot < plots; ++plot) {
    const int channel = run.dual ? plot : (app.params.channelsId == app::ID_CHANNELS_RIGHT && run.channels == 2 ? 1 : 0);
    const int px = x + (plot == 1 ? run.halfWidth : 0);
    const auto& c = codes[channel];
    for (int m = 0; m < run.rows; ++m) {
      const int index = render::ClampToScale(render::LevelToColorIndex(c[static_cast<std::size_t>(m)], minDb, maxDb));
      image.SetPixel(px, run.height - run.bottom - m - 1, app.colors[static_cast<std::size_t>(index)]);
    }
    if (run.strip > 0) {
      const int hw = run.strip;
      image.FillRectIndex({px, 0, 1, hw}, render::kBackgroundIndex);
      const int yHigh = hw / 2 - StripOffset(high[channel], hw) + 1;
      const int yLow = hw / 2 - StripOffset(low[channel], hw);
      image.Line({px, std::min(yHigh, yLow)}, {px, std::max(yHigh, yLow)}, app.colors[render::kSignal1Index]);
      image.SetPixelIndex(px, hw / 2, render::kSignal1Index);
      image.SetPixelIndex(px, hw, render::kSignal2Index);
    }
  }
}

// Moves every plot of the live sonogram sideways by dx pixels.
void ScrollPlots(App& app, const LiveRun& run, int dx) {
  const int plots = run.dual ? 2 : 1;
  for (int plot = 0; plot < plots; ++plot) {
    const int left = run.margin + (plot == 1 ? run.halfWidth : 0);
    app.display.Scroll({left, 0, run.columns, run.height - run.bottom}, dx, 0);
  }
}

// Rows of a live sonogram (its plot height, strip included) or scope points.
int ResolutionPoints(const App& app, bool scope) {
  const app::LayoutValues& v = app.layout;
  return scope ? v.scopePoints : std::max(1, v.displayHeight - 2 * v.charHeight);
}

}  // namespace

LiveRun PlanLiveRun(const app::CurrentParameters& p, const app::LayoutValues& v, std::int64_t latencyMs) {
  LiveRun run;
  run.scope = p.IsScopeDisplay();
  run.dual = p.typeId == app::ID_TYPE_STEREO && p.channelsId == app::ID_CHANNELS_DUAL;
  const int plotWidth = run.dual ? v.displayWidth / 2 - v.leftMargin : v.displayWidth - v.leftMargin;
  run.channels = p.typeId == app::ID_TYPE_STEREO ? 2 : 1;
  run.bytesPerSample = p.resolutionId == app::ID_BITS_24 ? 3 : 2;
  run.fftSize = p.fftSize;
  run.rate = p.sampleRateHz;
  run.margin = v.leftMargin;
  run.columns = plotWidth;
  run.halfWidth = v.displayWidth / 2;
  run.height = v.displayHeight;
  run.bottom = 2 * v.charHeight;
  const int plotHeight = run.height - run.bottom;
  const bool strip = !run.scope && p.displayId == app::ID_DISPLAY_SCROLL2;
  run.strip = strip ? render::WaveformStripHeight(v.displayHeight, v.charHeight) : 0;
  run.rows = run.scope ? std::max(1, v.scopePoints) : plotHeight - run.strip;
  // The live scope draws every 20 ms; its frames step 10 ms for averaging.
  const int stepWidth = run.dual ? v.displayWidth - 2 * v.leftMargin : plotWidth;
  run.stepMs = run.scope ? 10.0F
                         : p.displayWidthS * (run.dual ? 2000.0F : 1000.0F) / static_cast<float>(std::max(1, stepWidth));
  run.firstFrameDelayMs =
      static_cast<std::uint32_t>(std::max<double>(0.0, 1000.0 / p.resolutionHz + static_cast<double>(latencyMs)));
  return run;
}

int LivePlotWidth(const App& app, bool dual) {
  const app::LayoutValues& v = app.layout;
  return dual ? v.displayWidth / 2 - v.leftMargin : v.displayWidth - v.leftMargin;
}

void ChooseAutomaticResolution(App& app, std::int32_t rateHz, bool scope, float stepMs) {
  app::CurrentParameters& p = app.params;
  p.resolutionHz = dsp::AutomaticResolution(static_cast<float>(p.lowBandHz), static_cast<float>(p.highBandHz),
                                            static_cast<float>(rateHz), stepMs,
                                            scope ? dsp::DisplayKind::Scope : dsp::DisplayKind::Sonogram,
                                            ResolutionPoints(app, scope), AnalysisScale(p.frequencyScaleId, scope));
  p.fftSize = dsp::FftSizeForResolution(static_cast<float>(rateHz), p.resolutionHz);
}

ColumnPace PaceColumn(LiveState& state, std::uint32_t sinceStartMs) {
  ColumnPace pace;
  const std::int64_t expected = RoundHalfAway(static_cast<double>(sinceStartMs) / state.stepMs);
  if (state.drawnColumn + 1 < expected) {
    if (++state.behindPasses >= 2) state.drawnColumn = expected - 1;
    pace.analyse = false;
  } else {
    state.behindPasses = 0;
    if (expected < state.drawnColumn - 1) pace.draw = false;
  }
  return pace;
}

void ShowFrameLevel(App& app, const LiveRun& run, LiveState& state) {
  const int shownChannel = run.channels == 2 && app.params.channelsId == app::ID_CHANNELS_RIGHT ? 1 : 0;
  const double shown = run.dual ? 20.0 * std::log10((std::pow(10.0, state.frameLevel[0] / 20.0) +
                                                     std::pow(10.0, state.frameLevel[1] / 20.0)) / 2.0)
                                : state.frameLevel[static_cast<std::size_t>(shownChannel)];
  state.levelHistory[static_cast<std::size_t>(state.frameCount % 20)] = shown;
  double sum = 0.0;
  for (double level : state.levelHistory) sum += level;
  app.render.view.frameTotalLevelDb = static_cast<float>(sum / 20.0);
}

void TraceLevels(App& app, const LiveRun& run, const LiveState& state) {
  render::DisplayView& view = app.render.view;
  std::vector<float>* traces[2] = {&view.levelTraceLeft, &view.levelTraceRight};
  for (int c = 0; c < run.channels; ++c) {
    std::vector<float>& trace = *traces[c];
    if (trace.empty()) continue;
    const auto level = static_cast<float>(state.frameLevel[static_cast<std::size_t>(c)]);
    if (state.frameCount < static_cast<std::int64_t>(trace.size())) {
      trace[static_cast<std::size_t>(state.frameCount)] = level;
    } else {
      std::copy(trace.begin() + 1, trace.end(), trace.begin());
      trace.back() = level;
    }
  }
}

void DrawLiveColumn(App& app, const LiveRun& run, LiveState& state, const std::vector<std::int16_t>* codes) {
  const bool full = state.column >= run.columns;
  if (full && !state.scrolling) {
    // The first column past the right edge: the picture moves left so that
    // the newest column sits where the scrolling picture keeps it (four
    // columns back once a group of four has scrolled), and no column is
    // written over.
    state.scrolling = true;
    ScrollPlots(app, run, state.phase - 4);
  }
  const int x = full ? run.margin + run.columns - 4 + state.phase : run.margin + state.column;
  DrawColumn(app, run, x, codes, state.high.data(), state.low.data());
  if (state.phase == 3) {
    if (full) ScrollPlots(app, run, -4);
    render::BlitDisplay(app);
  }
  if (!full) ++state.column;
  state.phase = (state.phase + 1) % 4;
  ++state.drawnColumn;

  const std::uint32_t stampNow = app.clock.NowMs();
  state.stamps[static_cast<std::size_t>(state.frameCount % static_cast<std::int64_t>(state.stamps.size()))] = stampNow;
  std::uint32_t oldest = stampNow;
  for (std::uint32_t stamp : state.stamps) {
    if (stamp != 0 && stamp - state.start < oldest - state.start) oldest = stamp;
  }
  const std::int64_t counted =
      std::min<std::int64_t>(state.frameCount + 1, static_cast<std::int64_t>(state.stamps.size()));
  const float measured =
      counted > 1 ? static_cast<float>(stampNow - oldest) / static_cast<float>(counted - 1) : state.stepMs;
  app.render.view.measuredColumnMs = measured;
  if (state.frameCount + 1 == 2 * static_cast<std::int64_t>(app.layout.clientWidth) && measured > 0.0F) {
    state.stepMs = measured;
    state.drawnColumn = RoundHalfAway(static_cast<double>(stampNow - state.start) / state.stepMs);
  }
  if (state.column >= run.columns && !state.filled) {
    state.filled = true;
    state.filledAt = stampNow;
  }
  if (state.phase == 0 && state.filled) {
    app.render.view.scrollTimeMs = static_cast<double>(stampNow - state.filledAt);
    render::DrawAxes(app, app.display, {});
  }
}

bool OpenLiveDisplay(App& app, const LiveRun& run) {
  const app::LayoutValues& v = app.layout;
  app.display.Release();
  app.analysis = app::AnalysisRecord{};
  app.frame.fileName.clear();
  if (!app.display.Allocate(platform::RoundUpImageWidth(v.displayWidth), run.height)) return false;
  app.display.FillRectIndex({0, 0, app.display.Width(), app.display.Height()}, render::kBackgroundIndex);
  render::DisplayView& view = app.render.view;
  view = render::DisplayView{};
  view.channelCount = run.channels;
  view.analysisRateHz = run.rate;
  view.sourceBits = run.bytesPerSample * 8;
  app.frame.displayIsScan = true;
  if (run.scope) {
    render::BeginScopeRun(app);
    render::DrawScopeAxes(app, app.display);
  } else {
    render::DrawAxes(app, app.display, {});
  }
  render::BlitDisplay(app);
  return true;
}

}  // namespace sonavue::engines
