// The option readers of sonavue-cli: levels (and spectrum), the analysis and
// image options of analyze and batch, and record. The fuzz bytes are the
// arguments, separated by NUL bytes; the first byte picks the command. A
// command line that is accepted holds only values inside their ranges.

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/AnalysisOptions.h"
#include "cli/Arguments.h"
#include "cli/ImageOptions.h"
#include "cli/LevelsOptions.h"
#include "cli/RecordOptions.h"
#include "context/ImageSettings.h"

namespace {

using namespace sonavue::cli;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool FiniteOrUnset(const std::optional<float>& v) { return !v || std::isfinite(*v); }

void CheckFft(const std::optional<int>& n) {
  Require(!n || (*n >= 512 && *n <= 16384 && (*n & (*n - 1)) == 0));
}

void Levels(const std::vector<std::string>& args) {
  LevelsOptions o;
  if (!ParseLevelsOptions(args, "levels", o)) return;
  Require(o.rows >= 1 && o.rows <= 100000);
  Require(o.gainDb >= -30 && o.gainDb <= 30);
  Require(std::isfinite(o.stepMs) && o.stepMs > 0 && std::isfinite(o.averagingMs) && o.averagingMs >= 0);
  Require(FiniteOrUnset(o.lowHz) && FiniteOrUnset(o.highHz) && FiniteOrUnset(o.beginS) && FiniteOrUnset(o.endS) &&
          FiniteOrUnset(o.resolutionHz));
  CheckFft(o.fftSize);
}

// The option loop of analyze and batch.
void AnalyzeOptions(const std::vector<std::string>& args) {
  Arguments in("analyze", args);
  ImageOptions image;
  AnalysisOptions analysis;
  while (!in.AtEnd()) {
    const std::string name = in.Take();
    OptionRead read = ReadImageOption(in, name, image);
    if (read == OptionRead::NotMine) read = ReadAnalysisOption(in, name, analysis);
    if (read == OptionRead::Bad) return;
    if (read == OptionRead::NotMine) (void)IsJpegName(name);
  }
  Require(image.windowWidth >= 320 && image.windowWidth <= 8000 && image.windowHeight >= 240 &&
          image.windowHeight <= 8000);
  Require(!image.width || (*image.width >= 1 && *image.width <= sonavue::app::kMaxImageWidth));
  Require(!image.height || (*image.height >= 1 && *image.height <= 1000000));
  Require(!image.quality ||
          (*image.quality >= sonavue::app::kQualityLowest && *image.quality <= sonavue::app::kQualityHighest));
  Require(!image.dpi ||
          (*image.dpi >= sonavue::app::kDotsPerInchLowest && *image.dpi <= sonavue::app::kDotsPerInchHighest));
  Require(analysis.gainDb >= -30 && analysis.gainDb <= 30);
  Require(std::isfinite(analysis.averagingMs) && analysis.averagingMs >= 0);
  Require(FiniteOrUnset(analysis.lowHz) && FiniteOrUnset(analysis.highHz) && FiniteOrUnset(analysis.stepMs) &&
          FiniteOrUnset(analysis.beginS) && FiniteOrUnset(analysis.endS) && FiniteOrUnset(analysis.resolutionHz));
  CheckFft(analysis.fftSize);
}

void Record(const std::vector<std::string>& args) {
  const std::optional<RecordOptions> o = ParseRecordOptions(args);
  if (!o) return;
  Require(std::isfinite(o->seconds) && o->seconds >= 0);
  Require(std::isfinite(o->triggerDb));
  Require(o->rate == 22050 || o->rate == 44100 || o->rate == 48000 || o->rate == 96000);
  Require(o->channels == 1 || o->channels == 2);
  Require(o->bits == 16 || o->bits == 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<std::string> args(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  switch (data[0] % 3) {
    case 0: Levels(args); break;
    case 1: AnalyzeOptions(args); break;
    default: Record(args); break;
  }
  return 0;
}
