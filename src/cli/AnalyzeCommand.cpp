#include "cli/AnalyzeCommand.h"

#include <cstdio>

#include "app/WayCommands.h"
#include "cli/AnalysisOptions.h"
#include "cli/Arguments.h"
#include "cli/ImageDialogAnswer.h"
#include "cli/ImageOptions.h"
#include "cli/WindowAnalysis.h"
#include "cli/WindowContext.h"
#include "output/DataLog.h"

namespace sonavue::cli {
namespace {

struct AnalyzeOptions {
  std::string file;
  std::string out;
  bool entire = false;
  bool jpeg = true;
  bool png = false;     // OUT.png: a PNG file
  bool svg = false;     // OUT.svg: an SVG file
  bool legend = false;  // with the level legend at its right
  std::string logSpectrum;  // also the Log Spectrum of the picture, when given
  ImageOptions image;
  AnalysisOptions analysis;
};

bool ParseOptions(const std::vector<std::string>& args, AnalyzeOptions& o) {
  Arguments in("analyze", args);
  if (in.AtEnd()) return in.Complain("a WAV file is needed");
  o.file = in.Take();
  while (!in.AtEnd()) {
    const std::string name = in.Take();
    OptionRead read = ReadImageOption(in, name, o.image);
    if (read == OptionRead::NotMine) read = ReadAnalysisOption(in, name, o.analysis);
    if (read == OptionRead::Taken) continue;
    if (read == OptionRead::Bad) return false;
    if (name == "--entire") {
      o.entire = true;
    } else if (name == "--legend") {
      o.legend = true;
    } else if (name == "-o" || name == "--output") {
      const auto text = in.Value(name);
      if (!text) return false;
      o.out = *text;
    } else if (name == "--log-spectrum") {
      const auto text = in.Value(name);
      if (!text) return false;
      if (text->empty()) return in.BadValue(name, *text);
      o.logSpectrum = *text;
    } else {
      return in.UnknownOption(name);
    }
  }
  if (o.out.empty()) return in.Complain("an output file is needed (-o OUT.bmp, OUT.jpg, OUT.png or OUT.svg)");
  o.png = IsPngName(o.out);
  o.svg = IsSvgName(o.out);
  const std::optional<bool> jpeg = IsJpegName(o.out);
  if (!jpeg && !o.png && !o.svg) return in.Complain("the output file must end in .bmp, .jpg, .png or .svg");
  if (o.legend && !o.png && !o.svg) return in.Complain("--legend needs a PNG or SVG output file (-o OUT.png or OUT.svg)");
  o.jpeg = jpeg.value_or(false);
  return true;
}

}  // namespace

int RunAnalyze(const std::vector<std::string>& args) {
  AnalyzeOptions o;
  if (!ParseOptions(args, o)) return 2;

  WindowContext context(o.image.windowWidth, o.image.windowHeight);
  if (!context.Started()) return 1;
  app::App& app = context.App();
  if (!AnalyzeInWindow(app, context.Prompts(), o.file, o.analysis)) return 1;
  context.ProcessEvents();

  // The log the window's "Log Spectrum" writes of the same picture.
  if (!o.logSpectrum.empty()) {
    const output::LogOutcome logged = output::WriteSpectrumLog(app, o.logSpectrum);
    if (logged != output::LogOutcome::Written) {
      std::fprintf(stderr, "%s\n", output::LogOutcomeText(logged));
      return 1;
    }
  }

  // A PNG or SVG file goes through the bitmap chooser under its own name.
  app.image.pngLegend = o.legend;
  context.Prompts().QueueDialog(ImageDialogAnswer(o.image, o.jpeg));
  context.Prompts().QueueFile({o.out});
  const output::SaveResult saved = app::SaveScreenImageCommand(
      app, o.entire ? output::ImageCommand::EntireSonogram : output::ImageCommand::CurrentWindow);
  return saved == output::SaveResult::Saved ? 0 : 1;
}

}  // namespace sonavue::cli
