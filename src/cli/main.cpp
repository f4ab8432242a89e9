// sonavue-cli: the analyser's file commands without a visible window.
//   sonavue-cli info FILE
//   sonavue-cli levels FILE [options]
//   sonavue-cli analyze FILE -o OUT [options]
//   sonavue-cli batch FILE... --out DIR [options]
//   sonavue-cli spectrum FILE --at SECONDS [options]
//   sonavue-cli listen SECONDS [--rate HZ]
//   sonavue-cli calibrate spl --level DB [options]
//   sonavue-cli record OUT.wav [options]
//   sonavue-cli play FILE [--window]

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "context/CommandIds.h"
#include "audio/WaveOpen.h"
#include "cli/AnalysisOptions.h"
#include "cli/AnalyzeCommand.h"
#include "cli/BatchCommand.h"
#include "cli/CalibrateCommand.h"
#include "cli/CliContext.h"
#include "cli/ImageOptions.h"
#include "cli/LevelsCommand.h"
#include "cli/ListenCommand.h"
#include "cli/PlayCommand.h"
#include "cli/RecordCommand.h"
#include "cli/SpectrumCommand.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: sonavue-cli info FILE\n"
               "       sonavue-cli levels FILE [--rows R] [--low HZ] [--high HZ]\n"
               "                   [--scale linear|log|oct3] [--step MS] [--averaging MS]\n"
               "                   [--gain DB] [--begin S] [--end S] [--channel left|right]\n"
               "                   [--resolution HZ] [--fft N] [--log-spectrum LOG]\n"
               "                   [--format csv|npy] [--output FILE]\n"
               "       sonavue-cli analyze FILE -o OUT.bmp|OUT.jpg|OUT.png|OUT.svg [--legend] [--entire] [--log-spectrum LOG]\n"
               "                   %s\n"
               "                   %s\n"
               "       sonavue-cli batch FILE... --out DIR [--format bmp|jpg|png] [--legend]\n"
               "                   [--jobs N] [--skip-existing] [--reference FILE]\n"
               "                   %s\n"
               "                   %s\n"
               "       sonavue-cli spectrum FILE --at SECONDS [the options of levels]\n"
               "       sonavue-cli listen SECONDS [--rate HZ]\n"
               "       sonavue-cli calibrate spl --level DB [--seconds S] [--gain-lock on|off]\n"
               "       %s"
               "       %s",
               sonavue::cli::kAnalysisOptionsUsage, sonavue::cli::kImageOptionsUsage,
               sonavue::cli::kAnalysisOptionsUsage, sonavue::cli::kImageOptionsUsage, sonavue::cli::kRecordUsage,
               sonavue::cli::kPlayUsage);
  return 2;
}

int Info(const std::string& file) {
  sonavue::cli::CliContext context;
  if (!context.HasWorkingFolder()) return 1;
  const auto opened = sonavue::audio::OpenWaveFile(context.App(), file,
                                                   sonavue::audio::WaveCommand::AnalyzeFile, true);
  if (!opened) return 1;
  const auto& i = opened->info;
  std::printf("format_tag=%u\n", static_cast<unsigned>(i.formatTag));
  std::printf("channels=%u\n", static_cast<unsigned>(i.channels));
  std::printf("sample_rate=%d\n", static_cast<int>(i.sampleRate));
  std::printf("bits_per_sample=%d\n", static_cast<int>(i.bitsPerSample));
  std::printf("source_bits=%u\n", static_cast<unsigned>(i.sourceBits));
  std::printf("first_sample_offset=%u\n", static_cast<unsigned>(i.firstSampleOffset));
  std::printf("data_length=%u\n", static_cast<unsigned>(i.dataLength));
  std::printf("duration=%.6f\n", static_cast<double>(i.durationS));
  if (i.sampleRate > 96000) {
    std::printf("analysis_rate=%d\n", static_cast<int>(opened->analysisRate));
    std::printf("multiplier=%d\n", static_cast<int>(opened->multiplier));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 2) return Usage();
  if (args[0] == "info" && args.size() == 2) return Info(args[1]);
  if (args[0] == "play") {
    return sonavue::cli::RunPlay(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  if (args[0] == "record") {
    return sonavue::cli::RunRecord(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  if (args[0] == "listen") {
    return sonavue::cli::RunListen(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "levels") return sonavue::cli::RunLevels(rest);
  if (args[0] == "analyze") return sonavue::cli::RunAnalyze(rest);
  if (args[0] == "batch") return sonavue::cli::RunBatch(rest);
  if (args[0] == "spectrum") return sonavue::cli::RunSpectrum(rest);
  if (args[0] == "calibrate") return sonavue::cli::RunCalibrate(rest);
  return Usage();
}
