#include "platform/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include "platform/QtPrompts.h"

namespace sonavue::platform {
namespace {

// A modeless dialog that only says whether it is open.
class FakeModeless final : public ModelessDialog {
 public:
  explicit FakeModeless(int id) : id_(id) {}
  int ResourceId() const override { return id_; }
  void Show(void*) override { ++shown; }
  void Hide() override {}
  bool IsOpen() const override { return open; }
  void Accept() override { open = false; }
  bool open = true;
  int shown = 0;

 private:
  int id_;
};

TEST(ScriptedPromptsTest, AModelessDialogIsRecordedWithoutAWindowAndFoundWhileOpen) {
  ScriptedPrompts prompts;
  std::vector<std::string> unexpected;
  prompts.SetUnexpectedHandler([&](const std::string& what) { unexpected.push_back(what); });
  FakeModeless colors(154);
  EXPECT_EQ(prompts.ShownModeless(154), nullptr);
  prompts.OpenModeless(colors);
  EXPECT_EQ(colors.shown, 0);  // no window in a script
  EXPECT_EQ(prompts.ShownModeless(154), &colors);
  EXPECT_EQ(prompts.ShownModeless(166), nullptr);
  colors.Accept();
  EXPECT_EQ(prompts.ShownModeless(154), nullptr);
  // Shown again: one entry, found again.
  colors.open = true;
  prompts.OpenModeless(colors);
  EXPECT_EQ(prompts.ShownModeless(154), &colors);
  EXPECT_EQ(prompts.ModelessShown(), (std::vector<int>{154, 154}));
  EXPECT_TRUE(unexpected.empty());  // needs no scripted answer
}

TEST(ScriptedPromptsTest, OkBoxesNeedNoAnswerAndAreRecordedAsShown) {
  ScriptedPrompts prompts;
  std::vector<std::string> unexpected;
  prompts.SetUnexpectedHandler([&](const std::string& what) { unexpected.push_back(what); });

  EXPECT_EQ(prompts.MessageBox("Sample Rate Out of Range", "Sonavue", BoxIcon::Error, BoxButtons::Ok),
            BoxResult::Ok);
  ASSERT_EQ(prompts.Boxes().size(), 1U);
  EXPECT_EQ(prompts.Boxes()[0].text, "Sample Rate Out of Range");
  EXPECT_EQ(prompts.Boxes()[0].caption, "Sonavue");
  EXPECT_EQ(prompts.Boxes()[0].icon, BoxIcon::Error);
  EXPECT_TRUE(unexpected.empty());
  EXPECT_EQ(prompts.TakeBoxes().size(), 1U);
  EXPECT_TRUE(prompts.Boxes().empty());
}

TEST(ScriptedPromptsTest, ChoicesComeFromTheQueueAndAMissingAnswerIsReported) {
  ScriptedPrompts prompts;
  std::vector<std::string> unexpected;
  prompts.SetUnexpectedHandler([&](const std::string& what) { unexpected.push_back(what); });
  prompts.QueueBoxAnswer(BoxResult::Ok);
  prompts.QueueFile({"/data/a.wav"});

  EXPECT_EQ(prompts.MessageBox("Freeze?", "Sonavue", BoxIcon::Warning, BoxButtons::OkCancel),
            BoxResult::Ok);
  const auto file = prompts.ChooseFile({"Open Wave File", "", "", "", false, false, false});
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->front(), "/data/a.wav");
  EXPECT_TRUE(unexpected.empty());

  // Nothing scripted: reported, and answered as a cancel.
  EXPECT_EQ(prompts.MessageBox("Again?", "Sonavue", BoxIcon::Warning, BoxButtons::YesNo),
            BoxResult::No);
  EXPECT_FALSE(prompts.ChooseFile({"Save Bitmap", "", "bmp", "", true, false, true}).has_value());
  EXPECT_EQ(unexpected.size(), 2U);
  EXPECT_EQ(prompts.Choosers().back().title, "Save Bitmap");
}

TEST(ScriptedPromptsTest, AFileAnswerDoesNotAnswerABox) {
  ScriptedPrompts prompts;
  int unexpected = 0;
  prompts.SetUnexpectedHandler([&](const std::string&) { ++unexpected; });
  prompts.QueueFileCancel();
  EXPECT_EQ(prompts.MessageBox("Sure?", "Sonavue", BoxIcon::Warning, BoxButtons::OkCancel),
            BoxResult::Cancel);
  EXPECT_EQ(unexpected, 1);
  EXPECT_EQ(prompts.UnusedAnswers(), 1U);
}

TEST(ScriptedPromptsTest, StoredFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFilterFromStored("Wave Files (*.wav)|*.wav|All Files (*.*)|*.*|"),
            "Wave Files (*.wav);;All Files (*)");
  EXPECT_EQ(QtFilterFromStored("Text Files (*.txt)|*.txt|All Files (*.*)|*.*||"),
            "Text Files (*.txt);;All Files (*)");
  EXPECT_EQ(QtFilterFromStored(""), "");
}

}  // namespace
}  // namespace sonavue::platform
