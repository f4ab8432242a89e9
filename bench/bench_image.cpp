// Image export and the batch on the real clock, in a 1200 × 800 main window
// on the offscreen platform:
//   - a batch of one-minute 48 kHz mono files saved as JPEG, in files per
//     minute (analysis and save together, as F4 runs them);
//   - single saves 12000 pixels wide (the entire sonogram and the window),
//     as JPEG and as BMP, in milliseconds.
// Usage: bench_image [FILES [batch|saves]]   (default 12 files, both parts)

#include <QApplication>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/WayCommands.h"
#include "context/App.h"
#include "context/CommandIds.h"
#include "dialogs/ImageDialog.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// One minute at 48 kHz, mono: a chirp over noise, different for each seed.
void WriteMinute(const fs::path& path, std::uint32_t seed) {
  constexpr int kRate = 48000;
  constexpr int kFrames = kRate * 60;
  std::vector<std::int16_t> samples(kFrames);
  std::uint32_t state = seed;
  for (int i = 0; i < kFrames; ++i) {
    state = state * 1664525U + 1013904223U;
    const double t = static_cast<double>(i) / kRate;
    const double chirp = std::sin(2.0 * M_PI * (500.0 + 60.0 * seed + 100.0 * std::fmod(t, 5.0)) * t);
    samples[static_cast<std::size_t>(i)] =
        static_cast<std::int16_t>(7000.0 * chirp + static_cast<double>(state >> 22) - 512.0);
  }
  const std::uint32_t dataBytes = kFrames * 2;
  std::ofstream out(path, std::ios::binary);
  const auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  const auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + dataBytes);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(kRate);
  u32(kRate * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(dataBytes);
  out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the process so far (user and system), ms: on a machine
// shared with other work the wall clock alone says little.
double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// The answer to the image dialog: the format and a width in pixels.
sonavue::platform::ScriptedPrompts::DialogAnswer ImageAnswer(bool jpeg, int width) {
  return [jpeg, width](sonavue::platform::ModalDialog& shown) {
    auto& model = dynamic_cast<sonavue::dialogs::ImageDialog&>(shown).Model();
    model.Click(jpeg ? sonavue::app::ID_IMAGE_JPEG : sonavue::app::ID_IMAGE_BITMAP);
    if (width > 0) model.SetWidthPixels(width);
    return true;
  };
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  const int files = argc > 1 ? std::max(2, std::atoi(argv[1])) : 12;
  const std::string part = argc > 2 ? argv[2] : "";
  const fs::path folder = fs::temp_directory_path() / "sonavue-bench-image";
  fs::create_directories(folder / "bin");
  fs::create_directories(folder / "wavs");
  std::vector<std::string> names;
  for (int i = 0; i < files; ++i) {
    const std::string name = "minute" + std::to_string(i) + ".wav";
    if (!fs::exists(folder / "wavs" / name)) WriteMinute(folder / "wavs" / name, static_cast<std::uint32_t>(i + 1));
    names.push_back(name);
  }

  const auto clock = sonavue::platform::MakeRealClock();
  sonavue::platform::ScriptedPrompts prompts;
  prompts.SetUnexpectedHandler([](const std::string& what) { std::fprintf(stderr, "unexpected: %s\n", what.c_str()); });
  sonavue::app::AppEnvironment environment;
  environment.executableFolder = folder / "bin";
  environment.tempFolder = folder;
  environment.cacheFolder = folder;
  environment.configFolder = folder / "config";
  sonavue::app::App app({*clock, prompts}, environment);
  sonavue::app::StartApplication(app, {});
  const auto r = app.window->WindowRect();
  app.window->SetWindowRect({r.x, r.y, 1200, 800});
  QApplication::processEvents();
  app.pump.DispatchAll();

  // The parameters a user would leave: 10 s across the window, N = 1024.
  auto& p = app.params;
  p.variables = sonavue::app::IDM_VARIABLES_FREEZE;
  p.displayId = sonavue::app::ID_DISPLAY_SCROLL1;
  p.displayWidthS = 10.0F;
  p.fftSize = 1024;
  p.resolutionHz = 100.0F;

  // The picture made by hand that sizes the batch.
  prompts.QueueFile({(folder / "wavs" / names[0]).string()});
  const double handCpu = CpuMs();
  const auto handStart = Clock::now();
  sonavue::app::SendCommand(app, sonavue::app::IDM_ANALYZE_FILE);
  std::printf("analysis by hand: %.0f ms (processor %.0f ms)\n", MsSince(handStart), CpuMs() - handCpu);
  const std::int64_t columns = app.analysis.columns;
  std::printf("window %dx%d, display %dx%d, %lld columns per file\n", app.layout.clientWidth,
              app.layout.clientHeight, app.layout.displayWidth, app.layout.displayHeight,
              static_cast<long long>(columns));

  if (part == "saves") names.resize(2);  // a short batch: the saves are timed
  std::vector<std::string> chosen{(folder / "wavs").string()};
  chosen.insert(chosen.end(), names.begin(), names.end());
  prompts.QueueFile(chosen);
  prompts.QueueDialog(ImageAnswer(true, 0));
  fs::remove_all(folder / "wavs" / "images");
  const auto batchStart = Clock::now();
  const double batchCpuStart = CpuMs();
  const sonavue::engines::BatchResult batch = sonavue::app::AnalyzeBatchCommand(app);
  const double batchMs = MsSince(batchStart);
  const double batchCpuMs = CpuMs() - batchCpuStart;
  const int saved = std::max(1, batch.saved);
  std::printf("batch: %d files saved in %.0f ms: %.0f files per minute (%.0f ms per file; processor %.0f ms per file, "
              "%.0f files per processor minute)\n",
              batch.saved, batchMs, batch.saved * 60000.0 / batchMs, batchMs / saved, batchCpuMs / saved,
              batch.saved * 60000.0 / batchCpuMs);

  // One-minute picture on show: save it 12000 pixels wide.
  for (const auto command : {sonavue::output::ImageCommand::EntireSonogram, sonavue::output::ImageCommand::CurrentWindow}) {
    if (part == "batch") break;
    for (const bool jpeg : {true, false}) {
      const fs::path out = folder / (std::string("wide") + (jpeg ? ".jpg" : ".bmp"));
      prompts.QueueDialog(ImageAnswer(jpeg, 12000));
      prompts.QueueFile({out.string()});
      const auto start = Clock::now();
      const double cpuStart = CpuMs();
      const auto result = sonavue::app::SaveScreenImageCommand(app, command);
      const double ms = MsSince(start);
      const double cpuMs = CpuMs() - cpuStart;
      std::printf("save %s %s at %dx%d: %.0f ms (processor %.0f ms), %llu bytes%s\n",
                  command == sonavue::output::ImageCommand::EntireSonogram ? "entire" : "window",
                  jpeg ? "JPEG" : "BMP ", app.image.outputWidth, app.image.outputHeight, ms, cpuMs,
                  static_cast<unsigned long long>(fs::file_size(out)),
                  result == sonavue::output::SaveResult::Saved ? "" : " (FAILED)");
    }
  }
  app.window->Destroy();
  return batch.saved == static_cast<int>(names.size()) ? 0 : 1;
}
