#include "context/FileChoosers.h"

#include <gtest/gtest.h>

#include "platform/QtPrompts.h"

namespace sonavue::app {
namespace {

TEST(FileChoosersTest, TheOpenChoosersOfferSoundFilesAfterWaveFiles) {
  for (const FileChooser chooser : {FileChooser::OpenWave, FileChooser::OpenMultipleWave}) {
    const platform::FileChooserRequest request = ChooserRequest(chooser);
    // Wave files stay the first choice.
    EXPECT_EQ(request.filter.rfind("Wave Files (*.wav)|*.wav|", 0), 0U) << request.filter;
    EXPECT_EQ(platform::QtFilterFromStored(request.filter),
              "Wave Files (*.wav);;"
              "Sound Files (*.flac *.aif *.aiff *.aifc *.ogg *.oga *.opus *.mp3);;"
              "All Files (*)");
  }
  // The image choosers offer PNG files (with the level legend) after their own.
  EXPECT_EQ(ChooserRequest(FileChooser::SaveJpeg).filter,
            "JPEG Files (*.jpg)|*.jpg|PNG Files with Level Legend (*.png)|*.png|SVG Files with Level Legend (*.svg)|*.svg|All Files (*.*)|*.*||");
  EXPECT_EQ(platform::QtFilterFromStored(ChooserRequest(FileChooser::SaveBitmap).filter),
            "Bitmap Files (*.bmp);;PNG Files with Level Legend (*.png);;SVG Files with Level Legend (*.svg);;All Files (*)");
  // The recording chooser writes WAV files only.
  EXPECT_EQ(ChooserRequest(FileChooser::RecordWave).filter, "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*||");
}

}  // namespace
}  // namespace sonavue::app
