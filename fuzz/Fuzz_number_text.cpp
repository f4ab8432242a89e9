// The readers of numbers typed or passed as text: the dialogs' edits (the
// image size of "Image Characteristics", the log and analysis numbers) and
// the program's own command line "way low high span [file]". Any text reads
// as a finite number, an int32 within its range, or the command line's
// documented values.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/CommandLine.h"
#include "dialogs/DialogText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::size_t width : {std::size_t{8}, std::size_t{32}, size}) {
    const double value = sonavue::dialogs::ReadLeadingNumber(text, width);
    if (!std::isfinite(value)) std::abort();
  }
  (void)sonavue::dialogs::ReadLeadingInteger(text);

  const sonavue::app::CommandLine line = sonavue::app::ParseCommandLine(std::string(text));
  if (line.form == sonavue::app::CommandLine::Form::Numeric) {
    if (line.highHz < line.lowHz) std::abort();
    if (line.lowHz < INT32_MIN || line.highHz > INT32_MAX) std::abort();
    if (!line.spanInRange && line.spanS != 0) std::abort();
  }
  if (line.form == sonavue::app::CommandLine::Form::Empty && !line.fileName.empty()) std::abort();
  return 0;
}
