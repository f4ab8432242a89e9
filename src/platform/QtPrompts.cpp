#include "platform/QtPrompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include "platform/NativeWindow.h"

namespace sonavue::platform {
namespace {

QString BoxText(const std::string& text) {
  QString result = QString::fromStdString(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return result;
}

class QtPrompts final : public Prompts {
 public:
  explicit QtPrompts(std::function<NativeWindow*()> owner) : owner_(std::move(owner)) {}

  BoxResult MessageBox(const std::string& text, const std::string& caption, BoxIcon icon,
                       BoxButtons buttons) override {
    QMessageBox box(Owner());
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(BoxText(text));
    switch (icon) {
      case BoxIcon::None: box.setIcon(QMessageBox::NoIcon); break;
      case BoxIcon::Information: box.setIcon(QMessageBox::Information); break;
      case BoxIcon::Warning: box.setIcon(QMessageBox::Warning); break;
      case BoxIcon::Error: box.setIcon(QMessageBox::Critical); break;
      case BoxIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
      case BoxButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
      case BoxButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
      case BoxButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
      case QMessageBox::Ok: return BoxResult::Ok;
      case QMessageBox::Yes: return BoxResult::Yes;
      case QMessageBox::No: return BoxResult::No;
      default: return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Cancel;
    }
  }

  std::optional<std::vector<std::string>> ChooseFile(const FileChooserRequest& request) override {
    QFileDialog dialog(Owner(), QString::fromStdString(request.title),
                       QString::fromStdString(request.startFolder),
                       QString::fromStdString(QtFilterFromStored(request.filter)));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (!request.save) {
      dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles
                                             : QFileDialog::ExistingFile);
    }
    if (!request.defaultExtension.empty()) {
      dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    }
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;

    std::vector<std::string> result;
    if (request.multiSelect) {
      result.push_back(QFileInfo(files.front()).absolutePath().toStdString());
      for (const QString& file : files) result.push_back(QFileInfo(file).fileName().toStdString());
    } else {
      result.push_back(files.front().toStdString());
    }
    return result;
  }

  bool RunDialog(ModalDialog& dialog) override { return dialog.Exec(Owner()); }
  void OpenModeless(ModelessDialog& dialog) override { dialog.Show(Owner()); }
  void CloseModeless(ModelessDialog& dialog) override { dialog.Hide(); }

  bool OpenDocument(const std::filesystem::path& path) override {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
  }

 private:
  QWidget* Owner() const {
    NativeWindow* window = owner_ ? owner_() : nullptr;
    return window != nullptr && !window->IsDestroyed()
               ? static_cast<QWidget*>(window->NativeHandle())
               : nullptr;
  }

  std::function<NativeWindow*()> owner_;
};

}  // namespace

std::string QtFilterFromStored(const std::string& stored) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : stored) {
    if (c == '|') {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);

  std::string result;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;
    std::string description = parts[i];
    std::string pattern = parts[i + 1] == "*.*" ? "*" : parts[i + 1];
    for (char& c : pattern) {
      if (c == ';') c = ' ';
    }
    // Qt reads the patterns from the parentheses of the description.
    const auto open = description.find(" (");
    if (open != std::string::npos) description.erase(open);
    if (!result.empty()) result += ";;";
    result += description + " (" + pattern + ")";
  }
  return result;
}

std::unique_ptr<Prompts> MakeQtPrompts(std::function<NativeWindow*()> owner) {
  return std::make_unique<QtPrompts>(std::move(owner));
}

}  // namespace sonavue::platform
