#include "engines/PointSpectrum.h"

#include <algorithm>
#include <cmath>

#include "audio/WaveFormat.h"
#include "context/App.h"
#include "context/Boxes.h"
#include "context/Layout.h"
#include "context/Menu.h"
#include "dsp/Rounding.h"
#include "engines/AnalysisPlan.h"
#include "engines/SegmentZoom.h"
#include "engines/Snapshots.h"
#include "render/FrequencyMarkers.h"
#include "render/Palette.h"
#include "render/Scope.h"
#include "render/ViewQueries.h"

namespace sonavue::engines {
namespace {

// Byte positions are whole multiples of 12: a whole sample frame of every
// format (1 or 2 channels of 2 or 3 bytes).
constexpr std::int64_t kByteAlign = 12;
// The level range of the point spectrum's scope.
constexpr int kSpectrumLevelMax = 120;
constexpr int kSpectrumLevelMin = -60;

std::int64_t DownToAlign(std::int64_t bytes) {
  return bytes - ((bytes % kByteAlign) + kByteAlign) % kByteAlign;
}

}  // namespace

PointSpectrumPlan PlanPointSpectrum(const PointSpectrumInput& in) {
  PointSpectrumPlan plan;
  const double b = BytesPerSecond(in.rateHz, in.channels, in.bytesPerSample);
  if (!(b > 0.0) || !(in.columnMs > 0.0) || in.column < 0) return plan;
  plan.endByte = DownToAlign(dsp::RoundHalfAway(in.column * in.columnMs * b / 1000.0));
  const double averagingBytes =
      static_cast<double>(in.rateHz) * in.averagingMs * in.bytesPerSample * in.channels / 1000.0;
  std::int64_t start = DownToAlign(dsp::RoundHalfAway(static_cast<double>(plan.endByte) - averagingBytes));
  start = std::max<std::int64_t>(0, start);
  if (start == plan.endByte) start = std::max<std::int64_t>(0, plan.endByte - static_cast<std::int64_t>(b));
  plan.startByte = start;
  plan.frames = std::max<std::int64_t>(
      1, dsp::RoundHalfAway(static_cast<double>(plan.endByte - start) * 1000.0 / (b * in.columnMs)));
  const std::int64_t twoFrames = 2LL * in.fftSize * in.channels * in.bytesPerSample;
  plan.ok = plan.endByte + twoFrames < in.dataLength;
  return plan;
}

ColumnRun PointSpectrumRun(const app::CurrentParameters& p, std::int32_t rateHz, int channels,
                           int bytesPerSample, int fftSize, float columnMs, int rows,
                           double averagingMs, std::int64_t frames) {
  ColumnRun run;
  run.levels = LevelRunFor(p, rateHz, fftSize, rows, channels, columnMs, true);
  run.levels.averagingMs = static_cast<float>(averagingMs);
  run.frames.hop = static_cast<float>(channels) * columnMs * static_cast<float>(rateHz) / 1000.0F;
  run.frames.columns = frames;
  run.channels = channels;
  run.bytesPerSample = bytesPerSample;
  run.gainFactor = audio::GainFactor(p.gainDb);
  return run;
}

bool AnalysePointSpectrum(const ColumnRun& run, std::span<const std::uint8_t> data,
                          std::array<std::vector<std::int16_t>, 2>& codes,
                          const std::function<bool()>& between) {
  ColumnAnalysis analysis;
  if (!analysis.Start(run)) return false;
  for (std::int64_t i = 0; i < run.frames.columns; ++i) {
    analysis.Analyse(data, i);
    if (between && !between()) break;
  }
  for (int c = 0; c < 2; ++c) {
    auto& out = codes[static_cast<std::size_t>(c)];
    if (c < analysis.Channels()) {
      const std::span<const std::int16_t> last = analysis.Codes(c);
      out.assign(last.begin(), last.end());
    } else {
      out.clear();
    }
  }
  analysis.Release();
  return true;
}

double PointRowFrequencyHz(int lowHz, int highHz, int rows, int row, dsp::FrequencyScale scale) {
  const double along = rows > 0 ? static_cast<double>(row) / rows : 0.0;
  if (scale == dsp::FrequencyScale::Linear) return lowHz + (highHz - lowHz) * along;
  const double low = std::max(1.0, static_cast<double>(lowHz));
  const double high = std::max(1.0, static_cast<double>(highHz));
  return low * std::pow(high / low, along);
}

double PointSpectrumAveragingMs(const app::CurrentParameters& p) {
  return p.averagingId == app::ID_AVERAGING_OFF ? 0.0 : static_cast<double>(p.averagingScrollMs);
}

void ShowPointSpectrum(app::App& app, int x) {
  const app::AnalysisRecord& a = app.analysis;
  app::CurrentParameters& p = app.params;
  if (!a.valid || a.dual || app.frame.engineLoop || a.signal.size() <= audio::kWorkingHeaderBytes) return;
  const int bytesPerSample = a.bitsPerSample / 8;
  PointSpectrumInput in;
  in.column = x + a.horizontalScroll - a.leftMargin;
  in.columnMs = a.columnMs;
  in.rateHz = a.analysisRate;
  in.channels = a.channels;
  in.bytesPerSample = bytesPerSample;
  in.averagingMs = PointSpectrumAveragingMs(p);
  in.fftSize = a.fftSize;
  in.dataLength = static_cast<std::int64_t>(a.signal.size() - audio::kWorkingHeaderBytes);
  const PointSpectrumPlan plan = PlanPointSpectrum(in);
  if (!plan.ok) return;

  const app::LayoutValues& v = app.layout;
  platform::DisplayBitmap image;
  if (!image.Allocate(std::max(1, v.displayWidth), std::max(1, v.displayHeight))) {
    app::Warn(app, "Not enough memory");
    return;
  }
  if (!PushSnapshot(app)) return;

  app.beforeSpectrum = {true, p.displayId, p.scopeLevelMin, p.scopeLevelMax};
  p.displayId = app::ID_DISPLAY_SCOPE1;
  p.scopeLevelMax = kSpectrumLevelMax;
  p.scopeLevelMin = kSpectrumLevelMin;
  app.frame.segmentSpectrumShown = true;
  app.display = std::move(image);
  app.display.BindColors(&app.colors);
  app.display.FillRectIndex({0, 0, app.display.Width(), app.display.Height()}, render::kBackgroundIndex);
  const double clickedMs = ColumnTimeMs(static_cast<double>(a.beginS) * 1000.0, a.columnMs, x,
                                        a.horizontalScroll, a.leftMargin);
  app.render.view.scopeTimeMs = clickedMs / render::TimeDivisor(app);
  app::EnterScanIdleMenuState(app);

  const ColumnRun run = PointSpectrumRun(p, a.analysisRate, a.channels, bytesPerSample, a.fftSize, a.columnMs,
                                         std::max(1, v.scopePoints), in.averagingMs, plan.frames);
  const std::span<const std::uint8_t> data(a.signal.data() + audio::kWorkingHeaderBytes + plan.startByte,
                                           static_cast<std::size_t>(in.dataLength - plan.startByte));
  std::array<std::vector<std::int16_t>, 2> codes;
  app.frame.stopRequest = false;
  app.frame.engineLoop = true;
  const bool started = AnalysePointSpectrum(run, data, codes, [&app] {
    app.pump.DispatchOne();
    return !app.frame.stopRequest;
  });
  app.frame.engineLoop = false;
  if (app.frame.layoutPending) {
    app.frame.layoutPending = false;
    app::RunLayout(app, false);
  }
  if (!started) {
    app::Warn(app, "Not enough memory");
    return;
  }

  render::BeginScopeRun(app);
  const bool right = a.channels == 2 && p.channelsId == app::ID_CHANNELS_RIGHT;
  render::StoreScopeFrame(app, codes[0], right ? std::span<const std::int16_t>(codes[1])
                                               : std::span<const std::int16_t>());
  render::DrawScope(app, &render::DrawScopeMarkers);
  app.window->Invalidate();
}

void ForgetPointSpectrum(app::App& app) {
  if (app.frame.segmentSpectrumShown && app.beforeSpectrum.saved) {
    app.params.displayId = app.beforeSpectrum.displayId;
    app.params.scopeLevelMin = app.beforeSpectrum.scopeLevelMin;
    app.params.scopeLevelMax = app.beforeSpectrum.scopeLevelMax;
  }
  app.beforeSpectrum = {};
  app.frame.segmentSpectrumShown = false;
}

}  // namespace sonavue::engines
