#pragma once

#include <deque>
#include <functional>
#include <variant>

#include "platform/Prompts.h"

namespace sonavue::platform {

// A box the program showed, as it was shown.
struct ShownBox {
  std::string text;
  std::string caption;
  BoxIcon icon = BoxIcon::None;
  BoxButtons buttons = BoxButtons::Ok;
};

// Prompts answered from a script. Boxes with only an OK button need no
// answer; every other prompt takes the next answer from the queue, and a
// prompt with no fitting answer is reported through the unexpected-prompt
// callback (a test failure, or an error of the command-line companion) and
// answered as cancelled.
class ScriptedPrompts final : public Prompts {
 public:
  struct FileAnswer {
    std::optional<std::vector<std::string>> paths;  // nothing = cancel
  };
  // Works the dialog as a user would (through its model) and returns
  // whether OK was pressed.
  using DialogAnswer = std::function<bool(ModalDialog&)>;
  using Answer = std::variant<BoxResult, FileAnswer, DialogAnswer>;
  using UnexpectedHandler = std::function<void(const std::string& what)>;

  void SetUnexpectedHandler(UnexpectedHandler handler) { unexpected_ = std::move(handler); }
  // Called for every box as it is shown (the companion prints it).
  void SetBoxObserver(std::function<void(const ShownBox&)> observer) {
    observer_ = std::move(observer);
  }

  void QueueBoxAnswer(BoxResult result) { answers_.emplace_back(result); }
  void QueueFile(std::vector<std::string> paths) {
    answers_.emplace_back(FileAnswer{std::move(paths)});
  }
  void QueueFileCancel() { answers_.emplace_back(FileAnswer{std::nullopt}); }
  void QueueDialog(DialogAnswer answer) { answers_.emplace_back(std::move(answer)); }

  BoxResult MessageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                       BoxButtons buttons) override;
  std::optional<std::vector<std::string>> ChooseFile(const FileChooserRequest& request) override;
  // Records the path; succeeds when the file exists, as a desktop viewer would.
  bool OpenDocument(const std::filesystem::path& path) override;
  bool RunDialog(ModalDialog& dialog) override;
  // Records the dialog without a window: the test then works its model, as
  // a user would work the window, through ShownModeless().
  void OpenModeless(ModelessDialog& dialog) override;
  void CloseModeless(ModelessDialog& dialog) override;

  const std::vector<ShownBox>& Boxes() const { return boxes_; }
  std::vector<ShownBox> TakeBoxes();
  const std::vector<FileChooserRequest>& Choosers() const { return choosers_; }
  const std::vector<std::filesystem::path>& Documents() const { return documents_; }
  // Resource numbers of the dialogs run, in order.
  const std::vector<int>& Dialogs() const { return dialogs_; }
  // The latest modeless dialog shown with this resource number while it is
  // still open, else nullptr. The program keeps each modeless dialog object
  // for as long as it runs (showing the same object again to reopen it), so
  // the objects recorded here stay valid while the App lives.
  ModelessDialog* ShownModeless(int resourceId) const;
  // Resource numbers of the modeless dialogs shown, in order.
  const std::vector<int>& ModelessShown() const { return modelessIds_; }
  std::size_t UnusedAnswers() const { return answers_.size(); }

 private:
  void Unexpected(const std::string& what);

  std::deque<Answer> answers_;
  std::vector<ShownBox> boxes_;
  std::vector<FileChooserRequest> choosers_;
  std::vector<std::filesystem::path> documents_;
  std::vector<int> dialogs_;
  std::vector<ModelessDialog*> modeless_;
  std::vector<int> modelessIds_;
  UnexpectedHandler unexpected_;
  std::function<void(const ShownBox&)> observer_;
};

}  // namespace sonavue::platform
