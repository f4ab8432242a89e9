#pragma once

#include <cstdint>
#include <functional>
#include <limits>

namespace sonavue::app {
class App;
}

namespace sonavue::output {

// "Save Screen Image": the display saved as a 24-bit BMP or a JPEG file at
// the size the user picks, the sonogram resampled to it and the axes, grid
// and scope redrawn at the new scale so that text stays sharp.

enum class ImageCommand {
  CurrentWindow,   // what the window shows
  EntireSonogram,  // every analysed column, also those scrolled out of view
};

// The picture a save starts from, in pixels: the display area, or the whole
// sonogram (plot columns and the frequency margin); as high as the display
// area.
struct ImageSource {
  int width = 0;
  int height = 0;
  bool whole = false;
};

// The source of a command. "Current Window": the display area. "Entire":
// the analysed columns plus the left margin ("Current Window" for the scope
// displays, which are drawn whole anyway).
ImageSource SourceOf(const app::App& app, ImageCommand command);
// The source of a batch image: the window when every column fits in its
// plot, else the entire sonogram.
ImageSource BatchSourceOf(const app::App& app);

// The output size of a batch image: the source times the batch scale, each
// side rounded half away from zero.
struct ImageSize {
  int width = 0;
  int height = 0;
};
ImageSize BatchOutputSize(const ImageSource& source, double scale);

// Opens the "Image Characteristics" dialog for a source; true on OK, with
// the chosen settings and size in app.image. Supplied by the application
// layer, which owns the dialogs.
using AskImageSettings = std::function<bool(app::App& app, const ImageSource& source)>;

// The most bytes each large buffer of a save may take. The program leaves
// them unlimited; tests lower one to reach its failure path.
struct ImageMemoryLimits {
  static constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t outputImage = kUnlimited;      // the picture at the output size
  std::uint64_t sourceImage = kUnlimited;      // the picture at the source size
  std::uint64_t compressedImage = kUnlimited;  // the JPEG bytes
  std::uint64_t bitmapBuffer = kUnlimited;     // the buffer the BMP file is written through
};

enum class SaveResult {
  Saved,
  NothingToSave,  // no display image (or an analysis is being drawn)
  Cancelled,      // the dialog or the file chooser was cancelled
  Failed,         // a message said why; no file was written
};

// The interactive command: the dialog (ask), the chooser of the format
// ("Save Bitmap" or "Save JPEG Image File"), then the file. A chosen name
// ending in ".png" (either chooser offers it) is saved as a PNG file, a
// sonogram with the level legend at its right unless the image settings
// leave it out; one ending in ".svg" (any case) as an SVG file with the
// same picture and legend, its text and lines kept as SVG elements. A chooser
// cancelled redraws the window. The file is written whole under a new name
// beside the chosen one and then put in its place, so a failure leaves any
// earlier file of that name untouched.
SaveResult SaveScreenImage(app::App& app, ImageCommand command, const AskImageSettings& ask,
                           const ImageMemoryLimits& limits = {});

// The save that follows each analysis of a batch, without dialog or
// chooser: the batch source at the batch scale, into the batch's image
// folder as the analysed file's base name with ".bmp" or ".jpg" (".png"
// when the batch asks for PNG files).
SaveResult SaveBatchImage(app::App& app, const ImageMemoryLimits& limits = {});

// The failures of a save, each shown with its own message box.
enum class ImageFailure {
  CannotOpen,         // "Cannot Open File", warning
  NoOutputMemory,     // "Not Enough Memory To Save Image", error
  NoSourceMemory,     // "Not Enough Memory For Bitmap", error
  NoBufferMemory,     // "Not Enough Memory", warning, caption "KORV" (JPEG or BMP buffer)
  PixelsUnreadable,   // "Bitmap Error", error
  WriteFailed,        // "Error Writing File", error
};
void ReportImageFailure(app::App& app, ImageFailure failure);

}  // namespace sonavue::output
