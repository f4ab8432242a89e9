#include "app/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "context/App.h"
#include "context/CommandIds.h"
#include "app/CommandTable.h"

namespace sonavue::app {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

void SkipSpaces(const std::string& text, std::size_t& at) {
  while (at < text.size() && text[at] == ' ') ++at;
}

// A number of the numeric form and whether it fits 32 bits.
struct Number {
  long value = 0;  // 0 when out of range
  bool inRange = true;
};

// The characters up to the next space, converted as atol does (leading
// digits; anything else gives 0). A number beyond the 32-bit range is marked
// out of range rather than wrapped into a small one.
Number ReadNumber(const std::string& text, std::size_t& at) {
  SkipSpaces(text, at);
  const std::size_t start = at;
  while (at < text.size() && text[at] != ' ') ++at;
  errno = 0;
  const long long value = std::strtoll(text.substr(start, at - start).c_str(), nullptr, 10);
  if (errno == ERANGE || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return {0, false};
  }
  return {static_cast<long>(value), true};
}

std::string ReadFileName(const std::string& text, std::size_t& at) {
  SkipSpaces(text, at);
  std::size_t lastSeparator = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsSeparator(text[i])) lastSeparator = i;
  }
  std::size_t end = at;
  while (end < text.size()) {
    if (text[end] == ' ' && (lastSeparator == std::string::npos || end > lastSeparator)) break;
    ++end;
  }
  std::string name = text.substr(at, end - at);
  at = end;
  return name;
}

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

std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::string text;
  for (const auto& argument : arguments) {
    if (!text.empty()) text += ' ';
    text += argument;
  }
  return text;
}

CommandLine ParseCommandLine(const std::string& raw) {
  std::string text;
  for (char c : raw) {
    if (c != '"') text += c;
  }
  CommandLine line;
  std::size_t at = 0;
  SkipSpaces(text, at);
  if (at >= text.size()) return line;
  if (!std::isdigit(static_cast<unsigned char>(text[at]))) {
    line.form = CommandLine::Form::File;
    line.fileName = ReadFileName(text, at);
    return line;
  }
  line.form = CommandLine::Form::Numeric;
  const Number way = ReadNumber(text, at);
  const Number low = ReadNumber(text, at);
  const Number high = ReadNumber(text, at);
  const Number span = ReadNumber(text, at);
  line.way = static_cast<int>(way.value);  // out of range: 0, no way of working
  line.lowHz = low.value;
  line.highHz = high.value;
  line.limitsInRange = low.inRange && high.inRange;
  if (line.highHz < line.lowHz) std::swap(line.lowHz, line.highHz);
  line.spanS = span.value;
  line.spanInRange = span.inRange;
  if (line.way >= 1 && line.way <= 6) line.fileName = ReadFileName(text, at);
  return line;
}

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
