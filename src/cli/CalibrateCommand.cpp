#include "cli/CalibrateCommand.h"

#include <QCoreApplication>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "context/App.h"
#include "context/Settings.h"
#include "audio/WaveFormat.h"
#include "calibration/LiveLevel.h"
#include "calibration/SplCalibration.h"
#include "cli/CliContext.h"
#include "platform/PortAudioWave.h"

namespace sonavue::cli {
namespace {

constexpr const char* kUsage =
    "usage: sonavue-cli calibrate spl --level DB [--seconds S] [--gain-lock on|off]\n";

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && std::isfinite(value);
}

}  // namespace

int RunCalibrate(const std::vector<std::string>& args) {
  if (args.empty() || args[0] != "spl") {
    std::fputs(kUsage, stderr);
    return 2;
  }
  double knownDb = 0.0;
  bool haveLevel = false;
  double seconds = 5.0;
  bool gainLockOn = true;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    const std::string& name = args[i];
    const std::string& value = args[i + 1];
    bool ok = true;
    if (name == "--level") {
      ok = ParseNumber(value, knownDb) && knownDb >= -100.0 && knownDb <= 200.0;
      haveLevel = ok;
    } else if (name == "--seconds") {
      ok = ParseNumber(value, seconds) && seconds >= 1.0 && seconds <= 60.0;
    } else if (name == "--gain-lock") {
      ok = value == "on" || value == "off";
      gainLockOn = value == "on";
    } else {
      ok = false;
    }
    if (!ok) {
      std::fprintf(stderr, "sonavue-cli calibrate: bad %s %s\n%s", name.c_str(), value.c_str(), kUsage);
      return 2;
    }
  }
  if (!haveLevel) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  int argc = 1;
  char name[] = "sonavue-cli";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  const auto devices = platform::MakePortAudioDevices();
  CliContext context(devices.get());
  if (!context.HasWorkingFolder()) return 1;
  app::App& app = context.App();
  app::LoadSettings(app);
  app::CurrentParameters& p = app.params;
  // As a live scan runs: with the gain lock on, at the locked gain.
  if (p.splCalibrated && p.gainLock == app::IDM_GAIN_LOCK_ON) p.gainDb = p.lockedGainDb;

  const auto samples = calibration::RecordLiveInput(app, static_cast<int>(std::lround(seconds)), 48000);
  if (!samples) return 1;
  const auto measured =
      calibration::MeanFrameLevelDb(*samples, calibration::kLevelFrameSize, audio::GainFactor(p.gainDb));
  if (!measured) {
    std::fprintf(stderr, "sonavue-cli calibrate: the input was silent\n");
    return 1;
  }
  const auto control = calibration::ControlForLevel(*measured, knownDb);
  if (!control) {
    std::fprintf(stderr,
                 "sonavue-cli calibrate: a level of %.2f dB cannot be made to read %.2f dB SPL: the SPL "
                 "Calibration Control spans 60 dB either way\n",
                 *measured, knownDb);
    return 1;
  }
  p.splControl = *control;
  calibration::AcceptSplCalibration(app, gainLockOn);
  app::SaveSettings(app);
  std::printf("measured_db=%.2f\n", *measured);
  std::printf("control=%d\n", *control);
  std::printf("spl_db=%.2f\n", calibration::CalibratedLevel(*measured, *control));
  std::printf("gain_db=%d\n", static_cast<int>(p.lockedGainDb));
  std::printf("gain_lock=%s\n", gainLockOn ? "on" : "off");
  std::printf("date=%s\n", p.splDate.c_str());
  return 0;
}

}  // namespace sonavue::cli
