#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

namespace sonavue::app {

// The Analyze File batch: the files it works through, where their images
// go, and the sizes that the images are scaled by.
struct BatchState {
  bool running = false;
  std::vector<std::filesystem::path> files;  // in the order chosen
  std::size_t index = 0;                      // files started so far
  std::filesystem::path current;              // the file being analysed and saved
  std::filesystem::path imageFolder;          // the "images" folder of the batch
  // The display image width of the last single-file analysis started from
  // the menu: the batch's images are sized against it. 0 until one has been
  // made, and after any failed analysis.
  int referenceWidth = 0;
  // Chosen image width ÷ reference width; 0 until the first file's "Image
  // Characteristics" dialog fixes it.
  double scale = 0.0;
  // The images are PNG files (with the level legend when the image
  // settings ask for it) rather than the dialog's BMP or JPEG.
  bool pngImages = false;

  // Starts the next file: it becomes the current one.
  const std::filesystem::path& StartNext() {
    current = files[index++];
    return current;
  }
  // STOP: no further file starts; the current one is still saved.
  void StopAfterCurrent() { index = files.size(); }
  // Ends the batch and forgets its list.
  void End() {
    running = false;
    files.clear();
    index = 0;
    current.clear();
  }
};

}  // namespace sonavue::app
