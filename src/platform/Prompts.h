#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sonavue::platform {

enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxResult { Ok, Cancel, Yes, No };

// One file chooser as the program describes it.
struct FileChooserRequest {
  std::string title;
  // Filter pairs separated by "|": "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*|".
  std::string filter;
  // Appended when the typed name has no extension; empty for none.
  std::string defaultExtension;
  std::string startFolder;
  bool save = false;
  bool multiSelect = false;
  bool overwritePrompt = false;
};

// A modal dialog of the program (the parameter dialogs), as the prompts see
// it: the dialogs module implements it around its model and its Qt view.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  // The dialog's resource number (102, 103, 167, 170 …).
  virtual int ResourceId() const = 0;
  // Shows the real dialog, modal to owner (a QWidget*, may be null), and
  // returns true when it was closed with OK.
  virtual bool Exec(void* owner) = 0;
};

// A modeless dialog of the program (the colours dialog, SPL calibration):
// it stays open beside the main window while the program goes on, and works
// on the program's records itself as the user edits; the engines' loops,
// which dispatch the window's events between frames, let the user work it.
// At most one window per dialog object.
class ModelessDialog {
 public:
  virtual ~ModelessDialog() = default;
  // The dialog's resource number (154 …).
  virtual int ResourceId() const = 0;
  // Builds and shows the real window, owned by owner (a QWidget*, may be
  // null), and returns at once.
  virtual void Show(void* owner) = 0;
  // Closes and destroys the real window, if one was shown.
  virtual void Hide() = 0;
  // True from its opening until the dialog has closed.
  virtual bool IsOpen() const = 0;
  // Closes the dialog as its OK button would (the program's commands close
  // it so); nothing happens when it is not open.
  virtual void Accept() = 0;
};

// Everything that asks the user something or shows something outside the
// main window. The real implementation uses Qt; the scripted one answers
// from a queue for tests and the command-line companion.
class Prompts {
 public:
  virtual ~Prompts() = default;

  // A modal message box. Texts use "\n" and "\r" as line breaks.
  virtual BoxResult MessageBox(const std::string& text, const std::string& caption,
                               BoxIcon icon, BoxButtons buttons) = 0;

  // A file chooser. Returns nothing when cancelled; otherwise the full path of
  // the chosen file, or for a multiple choice the folder followed by each name.
  virtual std::optional<std::vector<std::string>> ChooseFile(
      const FileChooserRequest& request) = 0;

  // Opens a document with the desktop's viewer. Returns false when it could
  // not be opened.
  virtual bool OpenDocument(const std::filesystem::path& path) = 0;

  // Runs a modal dialog; true when the user pressed OK.
  virtual bool RunDialog(ModalDialog& dialog) = 0;

  // Opens a modeless dialog and returns at once; it stays open until it
  // closes itself through CloseModeless. The dialog must outlive its opening.
  virtual void OpenModeless(ModelessDialog& dialog) = 0;
  virtual void CloseModeless(ModelessDialog& dialog) = 0;
};

}  // namespace sonavue::platform
