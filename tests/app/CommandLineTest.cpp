#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "context/CommandIds.h"
#include "app/CommandTable.h"
#include "support/AppFixture.h"
#include "support/WavBuilder.h"

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

TEST(CommandLineParseTest, NumbersBeyondThirtyTwoBitsAreOutOfRange) {
  auto line = ParseCommandLine("7 0 8000 10");
  EXPECT_TRUE(line.limitsInRange);
  EXPECT_TRUE(line.spanInRange);
  // The largest and smallest 32-bit numbers still count.
  line = ParseCommandLine("7 -2147483648 2147483647 2147483647");
  EXPECT_TRUE(line.limitsInRange);
  EXPECT_TRUE(line.spanInRange);
  EXPECT_EQ(line.lowHz, -2147483648LL);
  EXPECT_EQ(line.highHz, 2147483647);

  // 2^32 + 8000 would read as 8000 if it wrapped.
  line = ParseCommandLine("7 0 4294975296 10");
  EXPECT_FALSE(line.limitsInRange);
  EXPECT_TRUE(line.spanInRange);
  line = ParseCommandLine("7 -4294967296 8000 10");
  EXPECT_FALSE(line.limitsInRange);
  line = ParseCommandLine("7 0 8000 4294967306");
  EXPECT_TRUE(line.limitsInRange);
  EXPECT_FALSE(line.spanInRange);
  line = ParseCommandLine("7 0 8000 99999999999999999999999");
  EXPECT_FALSE(line.spanInRange);
  // A way of 2^32 + 1 is no way of working at all.
  line = ParseCommandLine("4294967297 0 8000 10");
  EXPECT_EQ(line.form, CommandLine::Form::Numeric);
  EXPECT_EQ(line.way, 0);
}

class CommandLineTest : public sonavue::testing::AppFixture {
 protected:
  // A file on the command line makes its folder the current folder; each
  // test puts back the one it found (or, when that had gone, the system's
  // temporary folder).
  void SetUp() override {
    AppFixture::SetUp();
    std::error_code error;
    folderBefore_ = std::filesystem::current_path(error);
    if (error) folderBefore_ = std::filesystem::temp_directory_path();
  }
  void TearDown() override {
    std::error_code error;
    std::filesystem::current_path(folderBefore_, error);
    AppFixture::TearDown();
  }
  std::filesystem::path MakeWav(const std::string& name) {
    const auto path = *folders_ / name;
    sonavue::testing::WavBuilder().Format(1, 1, 22050, 16).Data(std::vector<std::uint8_t>(88200, 0)).Write(path);
    return path;
  }
  // A command the command line sent: identifier and reason.
  struct Sent {
    int id = 0;
    int reason = 0;
    bool operator==(const Sent&) const = default;
  };
  // Interprets these arguments in the running App, recording the command it
  // sends instead of running it.
  std::vector<Sent> Interpret(const std::vector<std::string>& arguments) {
    std::vector<Sent> sent;
    InterpretCommandLine(App(), arguments, [&sent](int id, int reason) { sent.push_back({id, reason}); });
    return sent;
  }
  // Starts with these arguments; a live scan that starts anyway is stopped
  // half a second in, so that a refusal that fails ends the test.
  void StartRefused(const std::vector<std::string>& arguments) {
    devices_.SetTickHook([this](std::uint32_t now) {
      if (now >= 500 && App().frame.inputOpen) PostCommand(App(), IDC_STOP);
    });
    Start(arguments);
    devices_.SetTickHook({});
  }

 private:
  std::filesystem::path folderBefore_;
};

TEST_F(CommandLineTest, AFrequencyBeyondThirtyTwoBitsIsRefusedByScanInput) {
  StartRefused({"9", "0", "4294975296", "5"});
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Improper Frequency Limits");
  EXPECT_FALSE(App().frame.inputOpen);
  EXPECT_FALSE(App().commandLine.started);
}

TEST_F(CommandLineTest, ASpanBeyondThirtyTwoBitsIsRefusedByScanInput) {
  StartRefused({"7", "0", "8000", "4294967306"});
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Improper Time Span");
  EXPECT_FALSE(App().frame.inputOpen);
}

TEST_F(CommandLineTest, NumbersBeyondThirtyTwoBitsAreRefusedByAnalyzeFile) {
  const std::string file = MakeWav("quiet.wav").string();
  Start({"1", "0", "4294975296", "10", file});
  auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Improper Frequency Limits");
  EXPECT_FALSE(App().analysis.valid);

  Restart({"2", "0", "8000", "4294967306", file});
  boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Improper Time Span");
  EXPECT_FALSE(App().analysis.valid);
}

TEST_F(CommandLineTest, AWayBeyondThirtyTwoBitsStartsNothing) {
  Start({"4294967297", "0", "8000", "10"});
  EXPECT_FALSE(App().commandLine.started);
  EXPECT_EQ(App().params.wayOfWorking, 1);
  EXPECT_FALSE(App().frame.analysisPending);
  EXPECT_EQ(Window().Caption(), "Sonavue 16");
}

TEST_F(CommandLineTest, AFileWayWithoutAFileLeavesTheCaptionAndCannotOpen) {
  // Analyze File has no file to open and says so, as for a file it cannot open.
  Start({"1", "0", "8000", "10"});
  EXPECT_EQ(Window().Caption(), "Sonavue 16");
  EXPECT_EQ(App().frame.fileName, "");
  const auto boxes = TakeBoxes();
  ASSERT_EQ(boxes.size(), 1U);
  EXPECT_EQ(boxes[0].text, "Cannot Open File");
  EXPECT_FALSE(App().analysis.valid);
  EXPECT_FALSE(App().commandLine.started);

  // The same for the Scan File ways: no name joins the caption, and Scan File
  // is started from the command line with no file to open (its engine
  // reports that, as Analyze File does above).
  Restart();
  const auto sent = Interpret({"5", "0", "8000", "10"});
  EXPECT_EQ(sent, (std::vector<Sent>{{IDM_SCAN_FILE, kReasonCommandLine}}));
  EXPECT_EQ(Window().Caption(), "Sonavue 16");
  EXPECT_EQ(App().frame.fileName, "");
  EXPECT_EQ(App().params.wayOfWorking, 5);
  EXPECT_TRUE(App().commandLine.started);
}

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

TEST_F(CommandLineTest, TheFileFormNamesTheFileInTheCaptionAndStartsScanFile) {
  std::filesystem::create_directories(*folders_ / "My Files");
  const auto file = MakeWav("My Files/birdsong.wav");
  Start();
  ASSERT_EQ(Window().Caption(), "Sonavue 16");
  // The name arrives in quotes; its folder holds a space.
  std::string quoted = "\"";
  quoted += file.string();
  quoted += '"';
  const auto sent = Interpret({quoted});
  EXPECT_EQ(sent, (std::vector<Sent>{{IDM_SCAN_FILE, kReasonCommandLine}}));
  EXPECT_EQ(Window().Caption(), "Sonavue 16 birdsong.wav");
  EXPECT_EQ(App().frame.fileName, file.string());
  EXPECT_EQ(std::filesystem::current_path(), *folders_ / "My Files");
  EXPECT_EQ(App().params.wayOfWorking, 3);
  // The file form asks for no band or span: Scan File takes the whole file
  // over the whole band.
  EXPECT_FALSE(App().commandLine.started);
  EXPECT_TRUE(App().commandLine.fileForm);
}

TEST_F(CommandLineTest, TheFileFormAtStartUpScansTheNamedFile) {
  const auto file = MakeWav("birdsong.wav");
  Start({file.string()});
  // Scan File played it (2 s of 22050 Hz, less its last tenth of a second)
  // without a chooser or a dialog.
  EXPECT_GT(devices_.PlayedBytes().size(), 1890U * 44U);
  EXPECT_TRUE(prompts_.Choosers().empty());
  EXPECT_TRUE(prompts_.Dialogs().empty());
  EXPECT_EQ(App().scanFile.path, file);
  EXPECT_EQ(App().params.highBandHz, 11025);
  EXPECT_FALSE(App().commandLine.fileForm);
}

TEST_F(CommandLineTest, WaysThreeToSixStartScanFileWithTheirDisplayBandAndSpan) {
  const auto file = MakeWav("quiet.wav");
  struct Way {
    int way;
    int displayId;
    bool scope;
  };
  for (const Way w : {Way{3, ID_DISPLAY_SCROLL1, false}, Way{4, ID_DISPLAY_SCROLL2, false},
                      Way{5, ID_DISPLAY_SCOPE1, true}, Way{6, ID_DISPLAY_SCOPE2, true}}) {
    SCOPED_TRACE(w.way);
    Restart();
    // Scope limits other than the ones the scope ways choose.
    App().params.scopeLevelMin = -30;
    App().params.scopeLevelMax = 90;
    App().params.scanFlag = 0;
    const auto sent = Interpret({std::to_string(w.way), "8000", "100", "12", file.string()});
    EXPECT_EQ(sent, (std::vector<Sent>{{IDM_SCAN_FILE, kReasonCommandLine}}));
    EXPECT_EQ(Window().Caption(), "Sonavue 16 quiet.wav");
    EXPECT_EQ(App().frame.fileName, file.string());
    EXPECT_EQ(App().params.wayOfWorking, w.way);
    EXPECT_EQ(App().params.displayId, w.displayId);
    EXPECT_EQ(App().params.scanFlag, 1);
    EXPECT_EQ(App().params.scopeLevelMin, w.scope ? -60 : -30);
    EXPECT_EQ(App().params.scopeLevelMax, w.scope ? 120 : 90);
    // Scan File reads the band (the limits exchanged) and the span once.
    const CommandLineRequest& request = App().commandLine;
    EXPECT_TRUE(request.started);
    EXPECT_EQ(request.lowHz, 100);
    EXPECT_EQ(request.highHz, 8000);
    EXPECT_FLOAT_EQ(request.spanS, 12.0F);
  }
}

TEST_F(CommandLineTest, EachWaySendsItsEnginesCommand) {
  const auto file = MakeWav("quiet.wav");
  Start();
  EXPECT_EQ(Interpret({"1", "0", "8000", "10", file.string()}),
            (std::vector<Sent>{{IDM_ANALYZE_FILE, kReasonCommandLine}}));
  EXPECT_TRUE(App().frame.analysisPending);
  EXPECT_EQ(Interpret({"10", "0", "8000", "10"}), (std::vector<Sent>{{IDM_SCAN_INPUT, kReasonUser}}));
  EXPECT_EQ(App().params.displayId, ID_DISPLAY_SCOPE2);
  EXPECT_EQ(App().params.sampleRateHz, 48000);
  EXPECT_TRUE(Interpret({"12", "0", "8000", "10"}).empty());
  EXPECT_TRUE(Interpret({}).empty());
}

}  // namespace
}  // namespace sonavue::app
