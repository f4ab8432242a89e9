#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sonavue::cli {

// The arguments of sonavue-cli record.
struct RecordOptions {
  std::filesystem::path out;
  double seconds = 0.0;  // 0: until a signal
  bool trigger = false;
  double triggerDb = 0.0;  // in the Scan Input dialog's scale, −60 … +30
  double preTriggerS = 0.0;  // with --trigger: seconds kept from before the trigger
  int rate = 48000;
  int channels = 1;
  int bits = 16;
};

// OUT.wav and the options in pairs; nothing for anything not in the usage:
// an unknown option, a missing value, or a value that is not a finite
// number inside the option's range, or --pre-trigger without --trigger.
std::optional<RecordOptions> ParseRecordOptions(const std::vector<std::string>& args);

}  // namespace sonavue::cli
