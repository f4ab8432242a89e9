#pragma once

#include <string>

namespace sonavue::platform {

class DisplayBitmap;

// A printed document: the print dialog, then pages drawn from images.
class Printer {
 public:
  virtual ~Printer() = default;
  // Shows the print dialog; false when the user cancelled it.
  virtual bool ChoosePrinter() = 0;
  virtual bool BeginDocument(const std::string& name) = 0;
  // Draws the image scaled to fit the page, keeping its aspect ratio.
  virtual bool PrintImage(const DisplayBitmap& image) = 0;
  virtual bool EndDocument() = 0;
};

}  // namespace sonavue::platform
