// The command line as text: joining the arguments and reading the forms.
// Standard library only, so that the reader can be fuzzed on its own.
#include "app/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>

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

}  // namespace sonavue::app
