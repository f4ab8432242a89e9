#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "context/CommandIds.h"
#include "app/CommandTable.h"
#include "support/AppFixture.h"

namespace sonavue::app {
namespace {

TEST(CommandLineParseTest, EmptyAndFileForms) {
  EXPECT_EQ(ParseCommandLine("").form, CommandLine::Form::Empty);
  EXPECT_EQ(ParseCommandLine("   ").form, CommandLine::Form::Empty);

  auto line = ParseCommandLine("\"/data/My Files/birdsong.wav\"");
  EXPECT_EQ(line.form, CommandLine::Form::File);
  EXPECT_EQ(line.fileName, "/data/My Files/birdsong.wav");
  // After the last separator a space ends the name.
  line = ParseCommandLine("  /data/My Files/bird song.wav");
  EXPECT_EQ(line.fileName, "/data/My Files/bird");
  line = ParseCommandLine("C:\\My Files\\birdsong.wav");
  EXPECT_EQ(line.fileName, "C:\\My Files\\birdsong.wav");
}

TEST(CommandLineParseTest, NumericFormSwapsLimitsAndReadsNumbersAsAtolDoes) {
  auto line = ParseCommandLine("7 5000 200 10");
  EXPECT_EQ(line.form, CommandLine::Form::Numeric);
  EXPECT_EQ(line.way, 7);
  EXPECT_EQ(line.lowHz, 200);
  EXPECT_EQ(line.highHz, 5000);
  EXPECT_EQ(line.spanS, 10);
  EXPECT_TRUE(line.fileName.empty());

  line = ParseCommandLine("1   0 8000   10 /rec/dawn chorus/a.wav");
  EXPECT_EQ(line.way, 1);
  EXPECT_EQ(line.highHz, 8000);
  EXPECT_EQ(line.fileName, "/rec/dawn chorus/a.wav");

  line = ParseCommandLine("2 12k x 3.9");
  EXPECT_EQ(line.lowHz, 0);  // "x" reads as 0, so the limits swap
  EXPECT_EQ(line.highHz, 12);
  EXPECT_EQ(line.spanS, 3);
  // Ways 7 … 10 take no file name.
  EXPECT_TRUE(ParseCommandLine("9 0 30000 5 extra").fileName.empty());
  EXPECT_EQ(ParseCommandLine("12 0 8000 10").way, 12);
}

class CommandLineTest : public sonavue::testing::AppFixture {};

TEST_F(CommandLineTest, ScanInputWaysChooseTheirDisplayAndRate) {
  // The live scope runs until STOP, pressed half a second in.
  bool pressed = false;
  devices_.SetTickHook([this, &pressed](std::uint32_t now) {
    if (!pressed && now >= 500) {
      pressed = true;
      PostCommand(App(), IDC_STOP);
    }
  });
  Start({"9", "0", "30000", "5"});
  devices_.SetTickHook({});
  EXPECT_TRUE(pressed);
  EXPECT_EQ(App().params.wayOfWorking, 9);
  EXPECT_EQ(App().params.displayId, ID_DISPLAY_SCOPE1);
  EXPECT_EQ(App().params.scopeLevelMin, -60);
  EXPECT_EQ(App().params.scopeLevelMax, 120);
  EXPECT_EQ(App().params.sampleRateHz, 48000);
  EXPECT_FALSE(App().commandLine.started);  // the engine took it
  EXPECT_EQ(App().params.highBandHz, 24000);
  EXPECT_FLOAT_EQ(App().params.displayWidthS, 5.0F);
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Highest Frequency Limited to 24 kHz");
}

TEST_F(CommandLineTest, AWayOutsideTheTableStartsNothing) {
  Start({"12", "0", "8000", "10"});
  EXPECT_FALSE(App().commandLine.started);
  EXPECT_EQ(App().params.wayOfWorking, 1);
  EXPECT_EQ(Window().Caption(), "Sonavue 16");
}

TEST_F(CommandLineTest, TheFileFormNamesTheFileInTheCaption) {
  Start({(*folders_ / "birdsong.wav").string()});
  EXPECT_EQ(App().params.wayOfWorking, 3);
  EXPECT_EQ(Window().Caption(), "Sonavue 16 birdsong.wav");
  EXPECT_EQ(App().frame.fileName, (*folders_ / "birdsong.wav").string());
}

}  // namespace
}  // namespace sonavue::app
