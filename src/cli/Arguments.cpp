#include "cli/Arguments.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sonavue::cli {

std::optional<std::string> Arguments::Value(const std::string& name) {
  if (AtEnd()) {
    Complain(name + " needs a value");
    return std::nullopt;
  }
  return Take();
}

bool Arguments::Complain(const std::string& text) const {
  std::fprintf(stderr, "sonavue-cli %s: %s\n", command_.c_str(), text.c_str());
  return false;
}

bool Arguments::BadValue(const std::string& name, const std::string& text) const {
  return Complain("bad value '" + text + "' for " + name);
}

bool Arguments::UnknownOption(const std::string& name) const { return Complain("unknown option " + name); }

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end != nullptr && *end == '\0' && std::isfinite(value);
}

bool IsFftSize(double v) {
  if (!(v >= 512 && v <= 16384) || v != std::floor(v)) return false;
  const int n = static_cast<int>(v);
  return (n & (n - 1)) == 0;
}

}  // namespace sonavue::cli
