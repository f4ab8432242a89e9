#include "cli/BatchCommand.h"

#include <cstdio>
#include <filesystem>

#include "app/WayCommands.h"
#include "cli/AnalysisOptions.h"
#include "cli/Arguments.h"
#include "cli/ImageDialogAnswer.h"
#include "cli/ImageOptions.h"
#include "cli/WindowAnalysis.h"
#include "cli/WindowContext.h"
#include "context/App.h"

namespace sonavue::cli {
namespace {

struct BatchOptions {
  std::vector<std::string> files;
  std::string out;
  bool jpeg = true;
  ImageOptions image;
  AnalysisOptions analysis;
};

bool ParseOptions(const std::vector<std::string>& args, BatchOptions& o) {
  Arguments in("batch", args);
  while (!in.AtEnd()) {
    const std::string name = in.Take();
    if (name.rfind("--", 0) != 0) {
      o.files.push_back(name);
      continue;
    }
    OptionRead read = ReadImageOption(in, name, o.image);
    if (read == OptionRead::NotMine) read = ReadAnalysisOption(in, name, o.analysis);
    if (read == OptionRead::Taken) continue;
    if (read == OptionRead::Bad) return false;
    const bool out = name == "--out";
    if (!out && name != "--format") return in.UnknownOption(name);
    const auto text = in.Value(name);
    if (!text) return false;
    if (out) {
      o.out = *text;
    } else if (*text == "jpg" || *text == "bmp") {
      o.jpeg = *text == "jpg";
    } else {
      return in.BadValue(name, *text);
    }
  }
  if (o.files.empty()) return in.Complain("WAV files are needed");
  if (o.out.empty()) return in.Complain("an output folder is needed (--out DIR)");
  return true;
}

void ReportNotSaved(const std::filesystem::path& file) {
  std::fprintf(stderr, "sonavue-cli batch: %s: not saved\n", file.string().c_str());
}

}  // namespace

int RunBatch(const std::vector<std::string>& args) {
  BatchOptions o;
  if (!ParseOptions(args, o)) return 2;
  if (o.files.size() < 2) {
    std::fprintf(stderr, "%s\n", engines::kTooFewFilesText);
    return 1;
  }

  WindowContext context(o.image.windowWidth, o.image.windowHeight);
  if (!context.Started()) return 1;
  app::App& app = context.App();

  // The batch is sized against a picture made by hand, as in the window:
  // the first file that can be analysed.
  bool failures = false;
  std::vector<std::filesystem::path> batch;
  for (const std::string& file : o.files) {
    if (!batch.empty()) {
      batch.push_back(file);
      continue;
    }
    if (AnalyzeInWindow(app, context.Prompts(), file, o.analysis)) {
      batch.push_back(file);
    } else {
      ReportNotSaved(file);
      failures = true;
    }
  }
  if (batch.empty()) return 1;
  context.ProcessEvents();
  if (app.analysis.channels == 2 && app.params.channelsId == app::ID_CHANNELS_DUAL) {
    std::fprintf(stderr, "%s\n", engines::kDualBatchText);
    return 1;
  }
  std::error_code error;
  std::filesystem::create_directories(o.out, error);
  if (error || !std::filesystem::is_directory(o.out, error)) {
    std::fprintf(stderr, "sonavue-cli batch: cannot make the folder %s\n", o.out.c_str());
    return 1;
  }

  context.Prompts().QueueDialog(ImageDialogAnswer(o.image, o.jpeg));
  const engines::BatchResult result =
      app::RunBatchOfFiles(app, std::move(batch), o.out, engines::BatchFailure::SkipsFile);
  for (const auto& file : result.failed) ReportNotSaved(file);
  return failures || !result.failed.empty() || !result.complete ? 1 : 0;
}

}  // namespace sonavue::cli
