#include "output/PointLog.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>
#include <system_error>

#include "context/App.h"
#include "context/Boxes.h"
#include "context/FileChoosers.h"
#include "context/WholeFile.h"
#include "dsp/Rounding.h"
#include "output/DataLogFormat.h"
#include "render/Panels.h"
#include "render/ViewQueries.h"

namespace sonavue::output {
namespace {

using app::App;

constexpr std::size_t kCopyBlockBytes = 1U << 16;

// The open point log: the file it appends to and its window.
class PointLog final : public app::PointLogSession {
 public:
  PointLog(App& app, std::filesystem::path path) : app_(app), path_(std::move(path)) {}
  void SetWindow(std::unique_ptr<app::PointLogWindow> window) { window_ = std::move(window); }

  void LogPoint(platform::Point click) override {
    // A picture being drawn has no readouts yet.
    if (app_.frame.analysisPending || app_.display.IsNull()) return;
    const platform::Point point{std::max(0, click.x), std::max(0, click.y)};
    const render::ReadoutTexts readout = render::ComputeReadouts(app_, point, true);
    if (readout.store) app_.render.readout = {true, readout.timeMs, readout.frequencyHz};
    const int timeMs = dsp::RoundHalfAway(readout.timeMs, std::numeric_limits<int>::min(),
                                          std::numeric_limits<int>::max());
    if (window_) window_->ShowPoint(PointLogTimeText(timeMs), PointLogFrequencyText(readout.frequencyHz), readout.level);
    if (!AppendWhole(path_, PointLogRow(timeMs, readout.frequencyHz, readout.level))) {
      app::Fail(app_, "Error Writing File");
    }
  }

 private:
  App& app_;
  std::filesystem::path path_;
  std::unique_ptr<app::PointLogWindow> window_;
};

}  // namespace

bool AppendWhole(const std::filesystem::path& path, std::string_view text) {
  app::WholeFileWriter writer;
  if (!writer.Open(path)) return false;
  std::error_code error;
  if (std::filesystem::exists(path, error)) {
    std::ifstream old(path, std::ios::binary);
    if (!old) {
      writer.Abandon();
      return false;
    }
    std::string block(kCopyBlockBytes, '\0');
    while (old) {
      old.read(block.data(), static_cast<std::streamsize>(block.size()));
      writer.Write(std::string_view(block.data(), static_cast<std::size_t>(old.gcount())));
    }
    if (!old.eof()) {
      writer.Abandon();
      return false;
    }
  }
  writer.Write(text);
  return writer.Commit();
}

void LogPointsCommand(App& app, const OpenPointLogWindow& open) {
  if (render::Multiplier(app) > 1) {
    app::Warn(app, "Log Not Available With Expanded Frequency Scale");
    return;
  }
  const auto chosen = app::ChooseFile(app, app::FileChooser::SaveDataLog);
  if (!chosen) {
    render::RedrawWindow(app);
    return;
  }
  // One point log at a time: a new one closes the one before.
  app.pointLog.reset();
  const std::filesystem::path path = chosen->front();
  std::error_code error;
  const bool exists = std::filesystem::exists(path, error);
  const std::string start = exists ? std::string(kLineEnd)
                                   : PointLogHeaderLines(app.frame.fileName, app.analysis.analysisRate,
                                                         app.analysis.fftSize);
  if (!AppendWhole(path, start)) {
    app::Warn(app, "Cannot Open File");
    return;
  }
  auto log = std::make_unique<PointLog>(app, path);
  PointLog& session = *log;
  app.pointLog = std::move(log);
  if (open) session.SetWindow(open(app, [&app] { app.pointLog.reset(); }));
}

}  // namespace sonavue::output
