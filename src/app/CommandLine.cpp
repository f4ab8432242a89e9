#include "app/CommandLine.h"

#include <cstdint>
#include <filesystem>

#include "context/App.h"
#include "context/CommandIds.h"
#include "app/CommandTable.h"

namespace sonavue::app {
namespace {

// The file's folder becomes the current folder and its name joins the
// caption. Without a name there is no file: the caption stays as it is and
// the engine reports that it cannot open one.
void TakeFile(App& app, const std::string& fileName) {
  if (fileName.empty()) {
    app.frame.fileName.clear();
    return;
  }
  const std::filesystem::path path(fileName);
  std::error_code error;
  app.frame.fileName = std::filesystem::absolute(path, error).string();
  if (path.has_parent_path()) std::filesystem::current_path(path.parent_path(), error);
  if (app.window != nullptr) {
    app.window->SetCaption(app.window->Caption() + " " + path.filename().string());
  }
}

}  // namespace

void InterpretCommandLine(App& app, const std::vector<std::string>& arguments) {
  InterpretCommandLine(app, arguments, [&app](int id, int reason) { SendCommand(app, id, reason); });
}

void InterpretCommandLine(App& app, const std::vector<std::string>& arguments, const CommandSender& send) {
  const CommandLine line = ParseCommandLine(JoinArguments(arguments));
  CurrentParameters& p = app.params;
  switch (line.form) {
    case CommandLine::Form::Empty: return;
    case CommandLine::Form::File:
      TakeFile(app, line.fileName);
      p.wayOfWorking = 3;
      app.commandLine.fileForm = true;
      send(IDM_SCAN_FILE, kReasonCommandLine);
      return;
    case CommandLine::Form::Numeric: break;
  }
  if (line.way < 1 || line.way > 10) return;
  if (line.way <= 6) TakeFile(app, line.fileName);
  p.wayOfWorking = line.way;
  app.commandLine = {true, static_cast<std::int32_t>(line.lowHz), static_cast<std::int32_t>(line.highHz),
                     static_cast<float>(line.spanS), line.limitsInRange, line.spanInRange};
  const bool second = line.way % 2 == 0;
  const bool scope = line.way == 5 || line.way == 6 || line.way == 9 || line.way == 10;
  p.displayId = scope ? (second ? ID_DISPLAY_SCOPE2 : ID_DISPLAY_SCOPE1)
                      : (second ? ID_DISPLAY_SCROLL2 : ID_DISPLAY_SCROLL1);
  if (scope) {
    p.scopeLevelMin = -60;
    p.scopeLevelMax = 120;
  }
  if (line.way <= 2) {
    p.frequencyScaleId = ID_SCALE_LINEAR;
    p.scanFlag = 0;
    app.frame.analysisPending = true;
    send(IDM_ANALYZE_FILE, kReasonCommandLine);
  } else if (line.way <= 6) {
    p.scanFlag = 1;
    send(IDM_SCAN_FILE, kReasonCommandLine);
  } else {
    p.sampleRateHz = 48000;
    p.sampleRateId = ID_RATE_48K;
    send(IDM_SCAN_INPUT, kReasonUser);
  }
}

}  // namespace sonavue::app
