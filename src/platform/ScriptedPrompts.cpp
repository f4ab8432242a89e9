#include "platform/ScriptedPrompts.h"

#include <algorithm>

namespace sonavue::platform {

void ScriptedPrompts::Unexpected(const std::string& what) {
  if (unexpected_) unexpected_(what);
}

BoxResult ScriptedPrompts::MessageBox(const std::string& text, const std::string& caption,
                                      BoxIcon icon, BoxButtons buttons) {
  boxes_.push_back({text, caption, icon, buttons});
  if (observer_) observer_(boxes_.back());
  if (buttons == BoxButtons::Ok) return BoxResult::Ok;

  const BoxResult cancelled = buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Cancel;
  if (answers_.empty() || !std::holds_alternative<BoxResult>(answers_.front())) {
    Unexpected("message box without a scripted answer: \"" + text + "\"");
    return cancelled;
  }
  const BoxResult result = std::get<BoxResult>(answers_.front());
  answers_.pop_front();
  return result;
}

std::optional<std::vector<std::string>> ScriptedPrompts::ChooseFile(
    const FileChooserRequest& request) {
  choosers_.push_back(request);
  if (answers_.empty() || !std::holds_alternative<FileAnswer>(answers_.front())) {
    Unexpected("file chooser \"" + request.title + "\" without a scripted answer");
    return std::nullopt;
  }
  auto answer = std::get<FileAnswer>(std::move(answers_.front()));
  answers_.pop_front();
  return answer.paths;
}

bool ScriptedPrompts::OpenDocument(const std::filesystem::path& path) {
  documents_.push_back(path);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool ScriptedPrompts::RunDialog(ModalDialog& dialog) {
  dialogs_.push_back(dialog.ResourceId());
  if (answers_.empty() || !std::holds_alternative<DialogAnswer>(answers_.front())) {
    Unexpected("dialog " + std::to_string(dialog.ResourceId()) + " without a scripted answer");
    return false;
  }
  const DialogAnswer answer = std::get<DialogAnswer>(std::move(answers_.front()));
  answers_.pop_front();
  return answer(dialog);
}

void ScriptedPrompts::OpenModeless(ModelessDialog& dialog) {
  modelessIds_.push_back(dialog.ResourceId());
  std::erase(modeless_, &dialog);
  modeless_.push_back(&dialog);
}

void ScriptedPrompts::CloseModeless(ModelessDialog& dialog) { std::erase(modeless_, &dialog); }

ModelessDialog* ScriptedPrompts::ShownModeless(int resourceId) const {
  for (auto it = modeless_.rbegin(); it != modeless_.rend(); ++it) {
    if ((*it)->IsOpen() && (*it)->ResourceId() == resourceId) return *it;
  }
  return nullptr;
}

std::vector<ShownBox> ScriptedPrompts::TakeBoxes() {
  std::vector<ShownBox> taken;
  taken.swap(boxes_);
  return taken;
}

}  // namespace sonavue::platform
