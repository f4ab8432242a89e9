#include "engines/SegmentZoom.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "context/App.h"
#include "context/Boxes.h"
#include "context/Layout.h"
#include "context/ParameterGuard.h"
#include "dsp/ParameterRules.h"
#include "engines/AnalysisPlan.h"
#include "engines/AnalyzeFile.h"
#include "engines/Snapshots.h"

namespace sonavue::engines {
namespace {

constexpr double kMinSpanS = 0.1;
constexpr double kMaxSpanS = 60.0;
// The span is cut to whole tenths of a second; the tolerance keeps a span
// that is a tenth in decimal but not in binary from losing a tenth.
constexpr double kTenthTolerance = 1e-9;
// Rmin: a frame spans at most twelve columns.
constexpr double kFrameColumns = 12.0;
constexpr std::int32_t kLowestRateHz = 4000;
constexpr std::int32_t kHighestRateHz = 96000;

std::int64_t DownToFrame(double bytes, int frameBytes) {
  const auto whole = static_cast<std::int64_t>(std::floor(bytes));
  return whole - ((whole % frameBytes) + frameBytes) % frameBytes;
}

}  // namespace

double BytesPerSecond(std::int32_t rateHz, int channels, int bytesPerSample) {
  return static_cast<double>(rateHz) * channels * bytesPerSample;
}

double ColumnTimeMs(double startMs, double columnMs, int x, int offset, int leftMargin) {
  return startMs + columnMs * (x + offset - leftMargin);
}

ZoomPlan PlanZoom(const ZoomInput& in) {
  ZoomPlan z;
  const double b = BytesPerSecond(in.rateHz, in.channels, in.bytesPerSample);
  const int frameBytes = in.channels * in.bytesPerSample;
  const int plotWidth = in.dual ? in.displayWidth - 2 * in.leftMargin : in.displayWidth - in.leftMargin;
  if (!(b > 0.0) || frameBytes <= 0 || plotWidth <= 0 || !(in.columnMs > 0.0)) return z;

  // Left to right: from the middle of the press column to the middle of
  // the release column; right to left: from the release column to the
  // press column.
  const bool leftToRight = in.releaseX >= in.pressX;
  const int first = leftToRight ? in.pressX : in.releaseX;
  const int last = leftToRight ? in.releaseX : in.pressX;
  const double half = leftToRight ? 0.5 : 0.0;
  const double startMs = in.startMs + in.columnMs * (first + in.offset - in.leftMargin + half);
  const double endMs = in.startMs + in.columnMs * (last + in.offset - in.leftMargin + half);
  const auto dataEnd = static_cast<double>(std::max<std::int64_t>(0, in.dataEndByte));
  z.startByte = DownToFrame(std::max(0.0, startMs * b / 1000.0), frameBytes);
  const double end = std::min(endMs * b / 1000.0, dataEnd);

  double span = (end - static_cast<double>(z.startByte)) / b;
  span = std::floor(span * 10.0 + kTenthTolerance) / 10.0;
  z.spanS = std::clamp(span, kMinSpanS, kMaxSpanS);
  z.endByte = DownToFrame(std::min(static_cast<double>(z.startByte) + z.spanS * b, dataEnd), frameBytes);
  z.endByte = std::max(z.endByte, z.startByte);

  z.columnMs = static_cast<float>(z.spanS * (in.dual ? 2000.0 : 1000.0) / plotWidth);
  z.minResolutionHz = static_cast<float>(1000.0 / (kFrameColumns * z.columnMs));
  z.resolutionHz = std::max(in.resolutionHz, z.minResolutionHz);
  z.beginS = static_cast<double>(z.startByte) / b;
  z.ok = true;
  return z;
}

void ZoomToSegment(app::App& app, int pressX, int releaseX) {
  const app::AnalysisRecord& a = app.analysis;
  if (!a.valid || app.frame.engineLoop) return;
  const int bytesPerSample = a.bitsPerSample / 8;
  // The analysed data in the file's data bytes: from the begin, as the
  // analysis read it, for the bytes it kept.
  const SegmentBytes begin = SegmentForSpan(a.analysisRate, a.channels, a.bitsPerSample, a.beginS, a.beginS,
                                            std::numeric_limits<std::uint32_t>::max());
  ZoomInput in;
  in.startMs = static_cast<double>(a.beginS) * 1000.0;
  in.columnMs = a.columnMs;
  in.offset = a.horizontalScroll;
  in.leftMargin = a.leftMargin;
  in.pressX = pressX;
  in.releaseX = releaseX;
  in.rateHz = a.analysisRate;
  in.channels = a.channels;
  in.bytesPerSample = bytesPerSample;
  in.dataEndByte = static_cast<std::int64_t>(begin.beginByte) + a.dataLength;
  in.displayWidth = app.layout.displayWidth;
  in.dual = a.dual;
  in.resolutionHz = app.params.resolutionHz;
  const ZoomPlan z = PlanZoom(in);
  if (!z.ok) return;

  if (!PushSnapshot(app)) return;
  app::ParameterGuard guard(app);
  app::CurrentParameters& p = app.params;
  const double b = BytesPerSecond(a.analysisRate, a.channels, bytesPerSample);
  p.beginS = static_cast<float>(z.beginS);
  p.displayWidthS = static_cast<float>(z.spanS);
  p.timePerColumnMs = z.columnMs;
  p.resolutionHz = z.resolutionHz;
  p.fftSize = dsp::FftSizeForResolution(static_cast<float>(a.analysisRate), p.resolutionHz);
  // One frame more, so that the last column has a whole frame.
  const auto frameTail = static_cast<double>(p.fftSize) * a.channels * bytesPerSample;
  p.endS = static_cast<float>((static_cast<double>(z.endByte) + frameTail) / b);
  if (a.analysisRate < kLowestRateHz || a.analysisRate > kHighestRateHz) {
    app::Fail(app, "Sample Rate Out of Range");
    return DropNewestSnapshot(app);
  }

  std::optional<AnalyzeSource> source = BeginAnalyzeFile(app, kAnalyzeAgain);
  if (!source) {
    EndAnalyzeFile(app);
    return DropNewestSnapshot(app);
  }
  source->columnStepMs = z.columnMs;
  source->exactBytes = std::pair{static_cast<std::uint32_t>(z.startByte),
                                 static_cast<std::uint32_t>(
                                     std::min<double>(static_cast<double>(z.endByte) + frameTail,
                                                      std::numeric_limits<std::uint32_t>::max()))};
  const AnalyzeOutcome outcome = RunAnalyzeFile(app, *source);
  EndAnalyzeFile(app);
  // A refused zoom leaves the picture on show: its snapshot has nothing to
  // bring back.
  if (outcome == AnalyzeOutcome::Refused) return DropNewestSnapshot(app);
  guard.Keep();
  if (outcome == AnalyzeOutcome::LayoutChanged) {
    app::RunLayout(app, false);
    AnalyzeFileRequest(app, kAnalyzeAgain, nullptr);
  }
}

}  // namespace sonavue::engines
