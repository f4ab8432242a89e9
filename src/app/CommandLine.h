#pragma once

#include <string>
#include <vector>

namespace sonavue::app {

class App;

// A command line as the program reads it.
struct CommandLine {
  enum class Form { Empty, File, Numeric };
  Form form = Form::Empty;
  int way = 0;          // numeric form: way of working 1 … 10 (others start nothing)
  long lowHz = 0;
  long highHz = 0;      // never below lowHz: the two are exchanged
  long spanS = 0;
  bool limitsInRange = true;  // false: low or high lies beyond the 32-bit range
  bool spanInRange = true;    // false: the span lies beyond the 32-bit range
  std::string fileName;  // the file form's name, or the fifth token for ways 1 … 6
};

// Joins the program's arguments into the command text, separated by spaces.
std::string JoinArguments(const std::vector<std::string>& arguments);

// Reads a command text: every '"' removed, leading spaces skipped; a text
// starting with a digit is the numeric form "way low high span [file]", any
// other the name of a WAV file. A file name runs to the end of the text; a
// space ends it only after the last folder separator.
CommandLine ParseCommandLine(const std::string& text);

// Sets the parameters the command line chooses and starts its way of working:
// Scan File for the file form; Analyze File, Scan File or Scan Input for the
// numeric form (nothing for a way outside 1 … 10).
void InterpretCommandLine(App& app, const std::vector<std::string>& arguments);

}  // namespace sonavue::app
