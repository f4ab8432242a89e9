#include "engines/StaticAnalysis.h"

#include <algorithm>

#include "audio/WaveFormat.h"
#include "context/CurrentParameters.h"
#include "dsp/ParameterRules.h"

namespace sonavue::engines {

const char* RefusalText(AnalysisRefusal refusal) {
  switch (refusal) {
    case AnalysisRefusal::None: return "";
    case AnalysisRefusal::ImproperBeginOrEnd: return "Improper Begin or End";
    case AnalysisRefusal::TimeScaleTooSmall: return "Time Scale Too Small";
    case AnalysisRefusal::NoRows: return "File Error";
  }
  return "";
}

bool RefusalIsError(AnalysisRefusal refusal) {
  return refusal == AnalysisRefusal::ImproperBeginOrEnd || refusal == AnalysisRefusal::TimeScaleTooSmall;
}

namespace {

// A segment given by its bytes: the end cut to the data's last whole frame.
SegmentBytes ExactSegment(std::int32_t rateHz, int channels, int bitsPerSample, std::uint32_t begin,
                          std::uint32_t end, std::uint32_t dataLength) {
  SegmentBytes segment;
  const std::uint32_t frameBytes = static_cast<std::uint32_t>(channels * (bitsPerSample / 8));
  if (frameBytes == 0) return segment;
  const std::uint32_t last = dataLength - dataLength % frameBytes;
  begin -= begin % frameBytes;
  end = std::min(end - end % frameBytes, last);
  if (begin > last || end < begin) return segment;
  segment.beginByte = begin;
  segment.endByte = end;
  segment.endS = static_cast<float>(static_cast<double>(end) /
                                    (static_cast<double>(rateHz) * channels * bitsPerSample / 8.0));
  segment.ok = true;
  return segment;
}

}  // namespace

int NewFileLowBandHz(int frequencyScaleId) {
  return AnalysisScale(frequencyScaleId, false) == dsp::FrequencyScale::Linear ? 0 : kLowestLogBandHz;
}

StaticAnalysis PlanStaticAnalysis(const app::CurrentParameters& p, const StaticAnalysisInput& in) {
  StaticAnalysis a;
  const auto fs = static_cast<float>(in.rateHz);
  a.resolutionHz = p.resolutionHz;
  a.fftSize = p.fftSize;
  if (!dsp::ResolutionIsValid(fs, a.fftSize, a.resolutionHz)) {
    a.resolutionHz = dsp::AutomaticResolution(static_cast<float>(p.lowBandHz), static_cast<float>(p.highBandHz),
                                              fs, in.columnStepMs, dsp::DisplayKind::Sonogram,
                                              in.sonogramHeight, AnalysisScale(p.frequencyScaleId, false));
    if (!in.keepFftSize) a.fftSize = dsp::FftSizeForResolution(fs, a.resolutionHz);
  }

  if (in.exactBytes) {
    a.segment = ExactSegment(in.rateHz, in.channels, in.bitsPerSample, in.exactBytes->first,
                             in.exactBytes->second, in.availableBytes);
  } else {
    a.segment = SegmentForSpan(in.rateHz, in.channels, in.bitsPerSample, p.beginS, p.endS, in.availableBytes);
  }
  if (!a.segment.ok) {
    a.refusal = AnalysisRefusal::ImproperBeginOrEnd;
    return a;
  }
  a.endS = a.segment.endS;
  const int bytesPerSample = in.bitsPerSample / 8;
  const std::int64_t samples = (a.segment.endByte - a.segment.beginByte) / bytesPerSample;
  const FramePlan frames = PlanFrames(in.channels, in.columnStepMs, in.rateHz, samples, a.fftSize);
  if (!frames.Valid()) {
    a.refusal = AnalysisRefusal::TimeScaleTooSmall;
    return a;
  }
  if (in.rows < 1) {
    a.refusal = AnalysisRefusal::NoRows;
    return a;
  }

  const int analysed = in.onlyChannel >= 0 ? 1 : in.channels;
  ColumnRun& run = a.columns;
  // The correction tables stay in p: the run borrows them.
  run.levels = LevelRunFor(p, in.rateHz, a.fftSize, in.rows, analysed, in.columnStepMs, false);
  run.levels.resolutionHz = a.resolutionHz;
  run.frames = frames;
  run.channels = in.channels;
  run.bytesPerSample = bytesPerSample;
  run.gainFactor = audio::GainFactor(p.gainDb);
  run.onlyChannel = in.onlyChannel;
  run.stripPeaks = in.stripHeight > 0;
  run.strip = StripWindowFor(a.fftSize, in.rateHz, a.resolutionHz, in.columnStepMs);
  return a;
}

}  // namespace sonavue::engines
