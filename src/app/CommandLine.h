#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sonavue::app {

class App;

// A command line as the program reads it.
struct CommandLine {
  enum class Form { Empty, File, Numeric };
  Form form = Form::Empty;
  // Numeric form: the way of working 1 … 10 (others, and one beyond the
  // 32-bit range, start nothing); the band limits, high never below low (the
  // two are exchanged); the span in seconds. A number beyond the 32-bit range
  // reads as 0 and clears its InRange flag, so that the way's engine refuses it.
  int way = 0;
  long lowHz = 0;
  long highHz = 0;
  long spanS = 0;
  bool limitsInRange = true;
  bool spanInRange = true;
  // The file form's name, or the fifth token for ways 1 … 6 (empty when missing).
  std::string fileName;
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
// numeric form (nothing for a way outside 1 … 10). The command goes through
// the command table (SendCommand).
void InterpretCommandLine(App& app, const std::vector<std::string>& arguments);

// Hands the command that starts a way of working (identifier and reason) on.
using CommandSender = std::function<void(int id, int reason)>;

// As above, with the starting command handed to send instead of the command
// table, so that a caller can see which command the command line sends.
void InterpretCommandLine(App& app, const std::vector<std::string>& arguments, const CommandSender& send);

}  // namespace sonavue::app
