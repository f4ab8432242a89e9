#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"

namespace sonavue::platform {

class DisplayBitmap;
class NativeWindow;

// A printed document of one page: the print dialog, then images placed on
// the page in the printer's own pixels.
class Printer {
 public:
  virtual ~Printer() = default;
  // Shows the print dialog (one page, one copy); false when the user
  // cancelled it.
  virtual bool ChoosePrinter() = 0;
  // Starts the document and its page; returns the printable area's size in
  // device pixels, or nothing when the printer cannot start it.
  virtual std::optional<Size> BeginDocument(const std::string& name) = 0;
  // Copies the image pixel for pixel to the page, its top-left corner at
  // `at` (device pixels from the printable area's top-left corner).
  virtual bool DrawImage(const DisplayBitmap& image, Point at) = 0;
  // Ends the page and the document.
  virtual bool EndDocument() = 0;
  // Ends the document without printing anything (a failure after it began).
  virtual void AbortDocument() = 0;
};

// The real printer through Qt's print support: the print dialog, owned by
// the window that owner() returns (none when it returns nullptr), chooses
// the printer. Pages are made at 600 dots per inch unless the printer
// decides otherwise.
std::unique_ptr<Printer> MakeQtPrinter(std::function<NativeWindow*()> owner);

// A printer that writes a PDF file of the given page size and resolution
// without asking (tests, the command-line companion). chooseAnswer is what
// the print dialog answers (false: cancelled).
struct PdfPageSetup {
  double widthMm = 210.0;
  double heightMm = 297.0;
  int dotsPerInch = 300;
  double marginMm = 0.0;  // on every side; the printable area lies inside
};
std::unique_ptr<Printer> MakePdfPrinter(const std::filesystem::path& file, PdfPageSetup page,
                                        bool chooseAnswer = true);

}  // namespace sonavue::platform
