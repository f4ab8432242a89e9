#pragma once

#include <optional>

#include "dialogs/ColorsDialogModel.h"
#include "platform/Geometry.h"
#include "platform/Prompts.h"

namespace sonavue::app {
class App;
}

namespace sonavue::dialogs {

class ColorsDialogView;

// Dialog 154 as the program runs it: the model, the program's palette and
// picture kept in step with it, and (through the real prompts) its window.
// One object per App, kept from its first opening on and opened again with
// Open(); the actions below are what the window's controls call, and what a
// test calls in their place.
class ColorsDialog final : public platform::ModelessDialog {
 public:
  explicit ColorsDialog(app::App& app);
  ~ColorsDialog() override;
  ColorsDialog(const ColorsDialog&) = delete;
  ColorsDialog& operator=(const ColorsDialog&) = delete;

  int ResourceId() const override { return kColorsDialogId; }
  // Builds and shows the window where it was last moved to.
  void Show(void* owner) override;
  void Hide() override;
  bool IsOpen() const override { return open_; }
  // OK pressed by the program (a parameter command or a scan start): the
  // edits are kept; the command that closes it draws the picture anew.
  void Accept() override;

  // The opening: the model from the current palette, the User palette, the
  // palette choice and the level pair of the display type; the window shown
  // through the prompts; the palette applied. Nothing when already open.
  void Open();

  // The controls.
  void SelectColor(int color);
  void Arm(ColorOperation operation);
  void CancelOperation();
  void ScrollColor(int channel, ScrollAction action, int thumb);
  void ScrollLevel(bool max, ScrollAction action, int thumb);
  void ChoosePalette(int choiceId);
  void Reset();
  void Restore();
  // OK is ignored while an analysis owns the window.
  void Ok();
  void Cancel();
  // The window moved: its position is kept for the next opening.
  void Moved(int x, int y);

  const ColorsDialogModel& Model() const { return *model_; }
  const ColorsDialogModel* const* ModelSlot() const { return &modelPointer_; }
  // The window while it is shown (real prompts only), else nullptr.
  ColorsDialogView* View() const { return view_; }

 private:
  // Mirrors a change of the model into the program's palette and picture.
  void Apply(ColorsChange change);
  // Recolours the picture on show from the old colour table to the new one.
  void ShowColors(const platform::ColorTable& before);
  void RedrawScope();
  void RedrawSonogramWindow();
  void Close(bool keep, bool reanalyse);
  void Refresh();

  app::App& app_;
  std::optional<ColorsDialogModel> model_;
  const ColorsDialogModel* modelPointer_ = nullptr;
  ColorsDialogView* view_ = nullptr;  // owned; deleted when the dialog closes
  bool open_ = false;
  // The sonogram image was cleared by a level change, or recoloured where
  // two entries shared a colour: the picture must be drawn anew at the end.
  bool pictureCleared_ = false;
  bool recolorInexact_ = false;
  std::optional<platform::Point> position_;
};

// F7 (IDM_COLOR_SCALE): opens the colours dialog unless it is open, then
// rebuilds the palette.
void OpenColorsDialog(app::App& app);

}  // namespace sonavue::dialogs
