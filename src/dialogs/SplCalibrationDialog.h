#pragma once

#include <functional>
#include <memory>

#include "context/CalibrationRun.h"
#include "dialogs/SplCalibrationModel.h"
#include "platform/DisplayBitmap.h"
#include "platform/Prompts.h"

namespace sonavue::dialogs {

// What the SPL calibration dialog reports to the program as the user
// works it.
struct SplDialogCallbacks {
  std::function<void(int control)> controlChanged;  // the new control, 0 … 120
  std::function<void(int methodId)> methodChanged;  // 1196 or 1197
  // OK (true) or Cancel (false), with the gain lock chosen.
  std::function<void(bool ok, bool gainLockOn)> closed;
};

class SplCalibrationView;

// The modeless "SPL Calibration" dialog: its model, the white panel with the
// measured level and the instructions, and, when shown, the real window
// around them. The Scan Input engine hands it the level after every frame;
// the user's actions (from the window, or from a test through the scripted
// prompts) go through the same calls below.
class SplCalibrationDialog final : public platform::ModelessDialog, public app::SplLevelPanel {
 public:
  SplCalibrationDialog(int control, int methodId, SplDialogCallbacks callbacks);
  ~SplCalibrationDialog() override;
  SplCalibrationDialog(const SplCalibrationDialog&) = delete;
  SplCalibrationDialog& operator=(const SplCalibrationDialog&) = delete;

  int ResourceId() const override { return kSplCalibrationResource; }
  void Show(void* owner) override;
  void Hide() override;
  bool IsOpen() const override { return !closed_; }
  // The program closes it as OK would.
  void Accept() override { PressOk(); }
  // Redraws the panel when the shown number changes (not on every frame).
  void ShowMeasuredLevel(double levelDb) override;

  // The user's actions.
  void Scroll(SplScrollAction action, int position = 0);
  void ChooseMethod(int methodId);
  void ChooseGainLock(bool on);
  void PressOk();
  void PressCancel();

  const SplCalibrationModel& Model() const { return model_; }
  // The panel as last drawn: white, each line in black, centred.
  const platform::DisplayBitmap& Panel() const { return panel_; }
  // The panel's font and its text height h.
  const platform::FontSpec& PanelFont() const { return font_; }
  int PanelTextHeight() const { return textHeight_; }
  // The real window while shown, else nullptr.
  SplCalibrationView* View() const;

  // The panel's size and the dialog height its font follows (÷ 28); the
  // window sets them when it is built. The panel is redrawn.
  void SetPanelGeometry(platform::Size panel, int dialogHeight);

 private:
  void RedrawPanel();
  void Close(bool ok);

  SplCalibrationModel model_;
  SplDialogCallbacks callbacks_;
  platform::DisplayBitmap panel_;
  platform::FontSpec font_;
  int textHeight_ = 0;
  bool closed_ = false;
  struct Window;
  std::unique_ptr<Window> window_;
};

}  // namespace sonavue::dialogs
