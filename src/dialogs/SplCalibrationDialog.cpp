#include "dialogs/SplCalibrationDialog.h"

#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "dialogs/SplCalibrationView.h"

namespace sonavue::dialogs {
namespace {

// Without a window (tests, scripts) the panel has this size and the font of
// a dialog this high.
constexpr platform::Size kDefaultPanel{440, 112};
constexpr int kDefaultDialogHeight = 392;
constexpr platform::Rgb kWhite{255, 255, 255};
constexpr platform::Rgb kBlack{0, 0, 0};

}  // namespace

struct SplCalibrationDialog::Window {
  QPointer<SplCalibrationView> view;
};

SplCalibrationDialog::SplCalibrationDialog(int control, int methodId, SplDialogCallbacks callbacks)
    : model_(control, methodId), callbacks_(std::move(callbacks)), window_(std::make_unique<Window>()) {
  SetPanelGeometry(kDefaultPanel, kDefaultDialogHeight);
}

SplCalibrationDialog::~SplCalibrationDialog() {
  // The window may already be gone with its owner.
  if (window_->view) delete window_->view.data();
}

void SplCalibrationDialog::Show(void* owner) {
  if (window_->view) return;
  auto* view = new SplCalibrationView(*this, static_cast<QWidget*>(owner));
  window_->view = view;
  view->PlaceOnScreen();
  view->show();
}

void SplCalibrationDialog::Hide() {
  if (!window_->view) return;
  // Called from the window's own buttons: it goes once their handling ends.
  window_->view->hide();
  window_->view->deleteLater();
  window_->view = nullptr;
}

SplCalibrationView* SplCalibrationDialog::View() const { return window_->view.data(); }

void SplCalibrationDialog::SetPanelGeometry(platform::Size panel, int dialogHeight) {
  font_ = platform::FontSpec{"Arial", std::max(1, SplPanelFontHeight(dialogHeight)), 400};
  textHeight_ = platform::MeasureFont(font_).height;
  if (!panel_.Allocate(std::max(1, panel.w), std::max(1, panel.h))) return;
  RedrawPanel();
}

void SplCalibrationDialog::RedrawPanel() {
  if (panel_.IsNull()) return;
  panel_.FillRect({0, 0, panel_.Width(), panel_.Height()}, kWhite);
  for (const PanelLine& line : model_.PanelLines()) {
    const int x = (panel_.Width() - platform::TextWidth(font_, line.text)) / 2;
    panel_.Text({x, line.halfLines * textHeight_ / 2}, line.text, font_, kBlack);
  }
  if (window_->view) window_->view->RefreshPanel();
}

void SplCalibrationDialog::ShowMeasuredLevel(double levelDb) {
  if (closed_) return;
  if (model_.SetMeasured(levelDb)) RedrawPanel();
}

void SplCalibrationDialog::Scroll(SplScrollAction action, int position) {
  if (closed_ || !model_.Scroll(action, position)) return;
  if (callbacks_.controlChanged) callbacks_.controlChanged(model_.Control());
}

void SplCalibrationDialog::ChooseMethod(int methodId) {
  if (closed_ || !model_.ChooseMethod(methodId)) return;
  RedrawPanel();
  if (callbacks_.methodChanged) callbacks_.methodChanged(model_.MethodId());
}

void SplCalibrationDialog::ChooseGainLock(bool on) {
  if (!closed_) model_.ChooseGainLock(on);
}

void SplCalibrationDialog::PressOk() { Close(true); }
void SplCalibrationDialog::PressCancel() { Close(false); }

void SplCalibrationDialog::Close(bool ok) {
  if (closed_) return;
  closed_ = true;
  if (callbacks_.closed) callbacks_.closed(ok, model_.GainLockOn());
}

}  // namespace sonavue::dialogs
