#include "cli/RecordOptions.h"

#include "cli/Arguments.h"
#include "context/CurrentParameters.h"

namespace sonavue::cli {

std::optional<RecordOptions> ParseRecordOptions(const std::vector<std::string>& args) {
  if (args.empty() || args[0].empty() || args[0][0] == '-') return std::nullopt;
  RecordOptions options;
  // --pre-trigger keeps the input before a trigger: it needs --trigger.
  bool preTrigger = false;
  std::error_code error;
  options.out = std::filesystem::absolute(args[0], error);
  if (error) return std::nullopt;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return std::nullopt;
    double value = 0.0;
    if (!ParseNumber(args[i + 1], value)) return std::nullopt;
    const std::string& name = args[i];
    if (name == "--seconds" && value > 0.0 && value <= 4.0e6) {
      options.seconds = value;
    } else if (name == "--trigger" && value >= -60.0 && value <= 30.0) {
      options.trigger = true;
      options.triggerDb = value;
    } else if (name == "--pre-trigger" && value >= 0.0 && value <= app::kMaxPreTriggerS) {
      options.preTriggerS = value;
      preTrigger = true;
    } else if (name == "--rate" && (value == 22050 || value == 44100 || value == 48000 || value == 96000)) {
      options.rate = static_cast<int>(value);
    } else if (name == "--channels" && (value == 1 || value == 2)) {
      options.channels = static_cast<int>(value);
    } else if (name == "--bits" && (value == 16 || value == 24)) {
      options.bits = static_cast<int>(value);
    } else {
      return std::nullopt;
    }
  }
  if (preTrigger && !options.trigger) return std::nullopt;
  return options;
}

}  // namespace sonavue::cli
