#include "audio/WaveOpen.h"

#include "context/App.h"
#include "context/CommandIds.h"
#include "audio/WaveConversion.h"

namespace sonavue::audio {
namespace {

constexpr const char* kCaption = "Sonavue";

void Warn(app::App& app, std::string_view text) {
  app.prompts.MessageBox(std::string(text), kCaption, platform::BoxIcon::Warning,
                         platform::BoxButtons::Ok);
}

void ChooseUltrasoundControls(app::App& app) {
  app.params.analysisControls = app::IDM_CONTROLS_ULTRASOUND;
  if (app.window == nullptr) return;
  for (int id : {app::IDM_CONTROLS_AUTOMATIC, app::IDM_CONTROLS_MANUAL,
                 app::IDM_CONTROLS_ULTRASOUND}) {
    app.window->CheckMenuItem(id, id == app::IDM_CONTROLS_ULTRASOUND);
  }
}

}  // namespace

std::optional<OpenedWave> OpenWaveFile(app::App& app, const std::filesystem::path& path,
                                       WaveCommand command, bool firstAnalysis) {
  OpenedWave opened;
  opened.path = path;
  std::uint16_t sourceBits = 0;
  // A converted file is read again; it never needs a second conversion.
  for (int pass = 0; pass < 2; ++pass) {
    ChunkLayout layout;
    WaveError error = ReadHeaderBlock(opened.path, opened.info, layout);
    if (error == WaveError::None) error = CheckFormat(opened.info, command);
    if (error != WaveError::None) {
      Warn(app, WaveErrorMessage(error, command));
      return std::nullopt;
    }
    const int bits = opened.info.bitsPerSample;
    if (bits != 8 && bits != 32) break;
    if (pass == 1) {
      Warn(app, WaveErrorMessage(WaveError::CannotRead, command));
      return std::nullopt;
    }
    const auto target = app.workingFolder / "mod.wav";
    const bool converted = bits == 8 ? Convert8BitTo16(opened.path, target)
                                     : ConvertFloatTo24(opened.path, target);
    if (!converted) {
      Warn(app, WaveErrorMessage(WaveError::CannotRead, command));
      return std::nullopt;
    }
    sourceBits = static_cast<std::uint16_t>(bits);
    opened.path = target;
  }
  if (sourceBits != 0) opened.info.sourceBits = sourceBits;

  opened.analysisRate = opened.info.sampleRate;
  if (command == WaveCommand::AnalyzeFile && opened.info.sampleRate > 96000) {
    if (firstAnalysis && app.params.analysisControls != app::IDM_CONTROLS_ULTRASOUND) {
      Warn(app,
           "     Sampling rate is greater than 96000 Hz.\nFile will be analyzed as UltraSound "
           "recording.");
    }
    const UltrasoundRate reduced = ReduceUltrasoundRate(opened.info.sampleRate);
    if (!reduced.ok) {
      Warn(app, WaveErrorMessage(WaveError::RateOutOfRange, command));
      return std::nullopt;
    }
    opened.analysisRate = reduced.analysisRate;
    opened.multiplier = reduced.multiplier;
    opened.ultrasound = true;
    if (firstAnalysis) ChooseUltrasoundControls(app);
  }
  return opened;
}

}  // namespace sonavue::audio
