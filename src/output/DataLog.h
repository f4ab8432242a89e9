#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "context/WholeFile.h"
#include "output/DataLogFormat.h"

namespace sonavue::app {
class App;
}
namespace sonavue::engines {
class ColumnAnalysis;
}

namespace sonavue::output {

// How writing a log ended.
enum class LogOutcome {
  Written,        // the whole log is in the file
  NotAvailable,   // the frequency multiplier is 2 or more: nothing written
  NothingToLog,   // no finished analysis or scope spectrum: nothing written
  CannotOpen,     // the file cannot be created: nothing written
  NoMemory,       // the analysis could not be set up: nothing written
  WriteFailed,    // a write failed: the file is not replaced
};

// The message of an outcome other than Written ("Log Not Available With
// Expanded Frequency Scale", "Cannot Open File", "Not enough memory",
// "Error Writing File").
const char* LogOutcomeText(LogOutcome outcome);

// The Log Spectrum of a sonogram, written whole as its rows come: the
// common and header lines at Open, one row per analysed column, the file in
// place at Commit. Rows are formatted into a line reserved at Open and pass
// through the writer's block, so adding one neither allocates nor touches
// the file for itself.
class SpectrumLogWriter {
 public:
  // Creates the temporary file beside target and writes lines 1 to 10.
  // False when it cannot be created.
  bool Open(const std::filesystem::path& target, std::string_view signalFile, const SpectrumLogHeader& header);
  // The row of display column `column` from the analysis' last frame: the
  // whole-dB level of each logged bin of its (one) analysed channel.
  void AddColumn(std::int64_t column, const engines::ColumnAnalysis& analysis);
  // Puts the file in place; false when any write failed (the target is then
  // untouched).
  bool Commit();
  void Abandon();

 private:
  app::WholeFileWriter file_;
  SpectrumLogHeader header_;
  LoggedBins bins_;
  std::uint32_t startMs_ = 0;
  std::vector<int> levels_;
  std::string line_;
};

// Writes the Log Spectrum of what the window shows to path, without a
// chooser or a message: for a finished sonogram its columns analysed again
// from the signal in memory (header only in the stereo "Dual" view), for a
// scope display its current spectrum. While the columns are analysed the
// window keeps being served and STOP ends the log early (what was logged is
// kept). The command-line companion calls this after its analysis.
LogOutcome WriteSpectrumLog(app::App& app, const std::filesystem::path& path);

// "Log Spectrum": refuses with an expanded frequency scale, asks for the
// file with the "Save Data Log" chooser and writes the log; every failure
// gets its message.
void LogSpectrumCommand(app::App& app);

}  // namespace sonavue::output
