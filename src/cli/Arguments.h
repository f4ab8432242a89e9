#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace sonavue::cli {

// The arguments of one subcommand, read left to right, and the complaints
// about them on standard error ("sonavue-cli COMMAND: …").
class Arguments {
 public:
  Arguments(std::string command, std::vector<std::string> args)
      : command_(std::move(command)), args_(std::move(args)) {}

  bool AtEnd() const { return next_ >= args_.size(); }
  const std::string& Peek() const { return args_[next_]; }
  std::string Take() { return args_[next_++]; }
  // How many arguments have been taken.
  std::size_t Position() const { return next_; }
  const std::vector<std::string>& All() const { return args_; }
  // The value after the option name just taken; nothing (after saying that
  // it is missing) at the end.
  std::optional<std::string> Value(const std::string& name);

  // Each prints its complaint and returns false.
  bool Complain(const std::string& text) const;
  bool BadValue(const std::string& name, const std::string& text) const;
  bool UnknownOption(const std::string& name) const;

 private:
  std::string command_;
  std::vector<std::string> args_;
  std::size_t next_ = 0;
};

// A finite decimal number (strtod syntax, nothing after it): "nan", "inf"
// and values beyond the double range are no numbers.
bool ParseNumber(const std::string& text, double& value);

// The largest values the analysis options take, so that every one of them
// fits the 32-bit and single-precision fields it ends up in.
inline constexpr double kLargestHz = 1.0e7;       // band limits, resolution
inline constexpr double kLargestMs = 1.0e9;       // column step, averaging
inline constexpr double kLargestSeconds = 1.0e7;  // segment begin and end

// Whether v is an FFT size the options take: a power of two 512 … 16384.
bool IsFftSize(double v);

// What an option reader made of the option name in front of it.
enum class OptionRead {
  Taken,    // it was the reader's option; its value (if any) was taken too
  NotMine,  // another reader's, or unknown
  Bad,      // the reader's, with a bad or missing value (already said)
};

}  // namespace sonavue::cli
