#include "cli/BatchCommand.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/WayCommands.h"
#include "cli/AnalysisOptions.h"
#include "cli/Arguments.h"
#include "cli/ImageDialogAnswer.h"
#include "cli/ImageOptions.h"
#include "cli/WindowAnalysis.h"
#include "cli/WindowContext.h"
#include "context/App.h"

extern char** environ;

namespace sonavue::cli {
namespace {

constexpr int kMostJobs = 256;

struct BatchOptions {
  std::vector<std::string> files;
  std::string out;
  bool jpeg = true;
  bool png = false;
  bool legend = false;
  bool skipExisting = false;
  int jobs = 1;
  std::string reference;  // the file the batch is sized against, when given
  ImageOptions image;
  AnalysisOptions analysis;
  // Every option with its value as given, but --jobs and --reference: what
  // each job of a --jobs run is started with.
  std::vector<std::string> forwarded;
};

bool ParseOptions(const std::vector<std::string>& args, BatchOptions& o) {
  Arguments in("batch", args);
  while (!in.AtEnd()) {
    const std::size_t start = in.Position();
    const std::string name = in.Take();
    if (name.rfind("--", 0) != 0) {
      o.files.push_back(name);
      continue;
    }
    bool forward = true;
    OptionRead read = ReadImageOption(in, name, o.image);
    if (read == OptionRead::NotMine) read = ReadAnalysisOption(in, name, o.analysis);
    if (read == OptionRead::Bad) return false;
    if (read == OptionRead::NotMine) {
      if (name == "--legend") {
        o.legend = true;
      } else if (name == "--skip-existing") {
        o.skipExisting = true;
      } else if (name == "--out" || name == "--format" || name == "--jobs" || name == "--reference") {
        const auto text = in.Value(name);
        if (!text) return false;
        if (name == "--out") {
          o.out = *text;
        } else if (name == "--reference") {
          if (text->empty()) return in.BadValue(name, *text);
          o.reference = *text;
          forward = false;
        } else if (name == "--jobs") {
          double jobs = 0.0;
          if (!ParseNumber(*text, jobs) || jobs != static_cast<int>(jobs) || jobs < 1 || jobs > kMostJobs) {
            return in.BadValue(name, *text);
          }
          o.jobs = static_cast<int>(jobs);
          forward = false;
        } else if (*text == "jpg" || *text == "bmp" || *text == "png") {
          o.jpeg = *text == "jpg";
          o.png = *text == "png";
        } else {
          return in.BadValue(name, *text);
        }
      } else {
        return in.UnknownOption(name);
      }
    }
    if (forward) {
      o.forwarded.insert(o.forwarded.end(), in.All().begin() + static_cast<std::ptrdiff_t>(start),
                         in.All().begin() + static_cast<std::ptrdiff_t>(in.Position()));
    }
  }
  if (o.files.empty()) return in.Complain("WAV files are needed");
  if (o.out.empty()) return in.Complain("an output folder is needed (--out DIR)");
  if (o.legend && !o.png) return in.Complain("--legend needs PNG images (--format png)");
  return true;
}

void ReportNotSaved(const std::filesystem::path& file) {
  std::fprintf(stderr, "sonavue-cli batch: %s: not saved\n", file.string().c_str());
}

// The name SaveBatchImage gives a file's image in the output folder.
std::filesystem::path ImageOf(const BatchOptions& o, const std::filesystem::path& file) {
  return std::filesystem::path(o.out) / (file.stem().string() + (o.png ? ".png" : o.jpeg ? ".jpg" : ".bmp"));
}

// Starts this program again for one job: the same options, the reference
// file and the job's files. The job's standard error is this one's.
bool SpawnJob(const BatchOptions& o, const std::string& reference, const std::vector<std::filesystem::path>& files,
              pid_t& pid) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return false;
  std::vector<std::string> args{self.string(), "batch"};
  args.insert(args.end(), o.forwarded.begin(), o.forwarded.end());
  args.push_back("--reference");
  args.push_back(reference);
  for (const auto& file : files) args.push_back(file.string());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
}

// Runs the batch as o.jobs jobs side by side, job k over every o.jobs-th
// file from the kth; false when any job failed or could not be started.
bool RunJobs(const BatchOptions& o, const std::string& reference, const std::vector<std::filesystem::path>& batch) {
  const std::size_t jobs = std::min<std::size_t>(static_cast<std::size_t>(o.jobs), batch.size());
  std::vector<pid_t> started;
  bool ok = true;
  for (std::size_t k = 0; k < jobs; ++k) {
    std::vector<std::filesystem::path> files;
    for (std::size_t i = k; i < batch.size(); i += jobs) files.push_back(batch[i]);
    pid_t pid = 0;
    if (SpawnJob(o, reference, files, pid)) {
      started.push_back(pid);
    } else {
      std::fprintf(stderr, "sonavue-cli batch: cannot start a job\n");
      for (const auto& file : files) ReportNotSaved(file);
      ok = false;
    }
  }
  for (const pid_t pid : started) {
    int status = 0;
    pid_t waited = 0;
    do {
      waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) ok = false;
  }
  return ok;
}

}  // namespace

int RunBatch(const std::vector<std::string>& args) {
  BatchOptions o;
  if (!ParseOptions(args, o)) return 2;
  // A batch is several files, or any files sized against a reference.
  if (o.files.size() < 2 && o.reference.empty()) {
    std::fprintf(stderr, "%s\n", engines::kTooFewFilesText);
    return 1;
  }

  // Held in an optional so that a --jobs run can let its picture go before
  // the jobs make theirs.
  std::optional<WindowContext> window;
  window.emplace(o.image.windowWidth, o.image.windowHeight);
  WindowContext& context = *window;
  if (!context.Started()) return 1;
  app::App& app = context.App();

  // The batch is sized against a picture made by hand, as in the window:
  // the reference file, or the first file that can be analysed.
  bool failures = false;
  std::vector<std::filesystem::path> batch;
  std::string reference = o.reference;
  if (!reference.empty()) {
    if (!AnalyzeInWindow(app, context.Prompts(), reference, o.analysis)) {
      std::fprintf(stderr, "sonavue-cli batch: the reference file %s cannot be analysed\n", reference.c_str());
      return 1;
    }
    batch.assign(o.files.begin(), o.files.end());
  } else {
    for (const std::string& file : o.files) {
      if (!batch.empty()) {
        batch.push_back(file);
        continue;
      }
      if (AnalyzeInWindow(app, context.Prompts(), file, o.analysis)) {
        batch.push_back(file);
        reference = file;
      } else {
        ReportNotSaved(file);
        failures = true;
      }
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

  // An image in the folder is whole (they are written under another name
  // and renamed), so a file that has one is done.
  if (o.skipExisting) {
    std::vector<std::filesystem::path> left;
    for (const auto& file : batch) {
      if (std::filesystem::exists(ImageOf(o, file), error)) {
        std::fprintf(stderr, "sonavue-cli batch: %s: skipped (its image exists)\n", file.string().c_str());
      } else {
        left.push_back(file);
      }
    }
    batch = std::move(left);
    if (batch.empty()) return failures ? 1 : 0;
  }

  // Each job sizes its images against the same reference as this run; this
  // process keeps no picture meanwhile, so memory is that of the jobs.
  if (o.jobs > 1 && batch.size() > 1) {
    window.reset();
    return RunJobs(o, reference, batch) && !failures ? 0 : 1;
  }

  app.batch.pngImages = o.png;
  app.image.pngLegend = o.legend;
  context.Prompts().QueueDialog(ImageDialogAnswer(o.image, o.jpeg));
  const engines::BatchResult result =
      app::RunBatchOfFiles(app, std::move(batch), o.out, engines::BatchFailure::SkipsFile);
  for (const auto& file : result.failed) ReportNotSaved(file);
  return failures || !result.failed.empty() || !result.complete ? 1 : 0;
}

}  // namespace sonavue::cli
