#include "dialogs/ColorsDialog.h"

#include <QWidget>

#include "context/App.h"
#include "context/CommandIds.h"
#include "dialogs/ColorsDialogView.h"
#include "render/Axes.h"
#include "render/FrequencyMarkers.h"
#include "render/Palette.h"
#include "render/Panels.h"
#include "render/Recolor.h"
#include "render/Scope.h"

namespace sonavue::dialogs {
namespace {

// How a change of the levels reaches the picture: a level bar clears the
// picture (its colours no longer match the levels); the palette buttons and
// Restore only store the levels.
enum class LevelChange { Bar, Choice, Restore };

// A finished Analyze File sonogram is on show: it can be analysed again.
bool AnalysisPicture(const app::App& app) {
  const int way = app.params.wayOfWorking;
  return (way == 1 || way == 2) && app.params.IsScrollDisplay() && !app.frame.displayIsScan &&
         !app.frame.fileName.empty() && !app.display.IsNull() && !app.frame.segmentSpectrumShown;
}

// The levels of the model into the pair of the display type (a sonogram's
// only while a scan runs), and for a level bar the picture cleared.
void StoreLevels(app::App& app, const ColorsDialogModel& model, LevelChange how) {
  app::CurrentParameters& p = app.params;
  const bool scope = p.IsScopeDisplay();
  if (scope) {
    p.scopeLevelMin = model.MinDb();
    p.scopeLevelMax = model.MaxDb();
  } else if (app.frame.IsScanning()) {
    // A running scan draws its next columns with the new levels; a finished
    // picture takes them at OK.
    p.sonogramLevelMin = model.MinDb();
    p.sonogramLevelMax = model.MaxDb();
  }
  if (how == LevelChange::Bar && !app.display.IsNull()) {
    app.display.FillRectIndex({0, 0, app.display.Width(), app.display.Height()}, render::kBackgroundIndex);
  }
}

}  // namespace

ColorsDialog::ColorsDialog(app::App& app) : app_(app) {}

ColorsDialog::~ColorsDialog() {
  // The window goes with the dialog, without calling back into the program.
  delete view_;
}

void ColorsDialog::Open() {
  if (open_) return;
  const app::CurrentParameters& p = app_.params;
  ColorsDialogSetup setup;
  setup.current = app_.render.current;
  setup.user = p.userPalette;
  setup.cb = app_.render.cb;
  setup.bw = app_.render.bw;
  setup.choice = p.paletteId;
  setup.scope = p.IsScopeDisplay();
  setup.minDb = setup.scope ? p.scopeLevelMin : p.sonogramLevelMin;
  setup.maxDb = setup.scope ? p.scopeLevelMax : p.sonogramLevelMax;
  setup.splCalibrated = p.splCalibrated;
  model_.emplace(setup);
  modelPointer_ = &*model_;
  pictureCleared_ = false;
  recolorInexact_ = false;
  open_ = true;
  app_.frame.colorsDialogOpen = true;
  app_.prompts.OpenModeless(*this);
  render::ApplyPalette(app_);
}

void ColorsDialog::Show(void* owner) {
  if (view_ == nullptr) view_ = new ColorsDialogView(*this, static_cast<QWidget*>(owner));
  view_->Refresh();
  view_->Place(position_.has_value(), position_ ? position_->x : 0, position_ ? position_->y : 0);
  view_->show();
  view_->raise();
  view_->activateWindow();
}

void ColorsDialog::Hide() {
  if (view_ == nullptr) return;
  // Called from the window's own buttons: it goes once their handling ends.
  view_->hide();
  view_->deleteLater();
  view_ = nullptr;
}

void ColorsDialog::Refresh() {
  if (view_ != nullptr) view_->Refresh();
}

void ColorsDialog::RedrawScope() {
  if (app_.display.IsNull()) return;
  if (app_.render.scope.hasData && app_.params.plotTypeId != app::ID_PLOT_DELTA) {
    render::DrawScope(app_, &render::DrawScopeMarkers);
  } else {
    render::ClearScopePlot(app_);
    render::DrawWindowOverlays(app_);
  }
}

void ColorsDialog::RedrawSonogramWindow() {
  if (app_.window == nullptr) return;
  render::BlitDisplay(app_);
  if (!app_.display.IsNull()) render::DrawAxes(app_, app_.window->Surface(), {});
  render::DrawWindowOverlays(app_);
  app_.window->Present();
}

void ColorsDialog::ShowColors(const platform::ColorTable& before) {
  if (app_.display.IsNull()) return;
  if (app_.params.IsScopeDisplay()) {
    RedrawScope();
    return;
  }
  if (!render::RecolorImage(app_.display, before, app_.colors)) recolorInexact_ = true;
  RedrawSonogramWindow();
}

void ColorsDialog::Apply(ColorsChange change) {
  app_.params.userPalette = model_->User();
  if (change.colors) {
    const platform::ColorTable before = app_.colors;
    app_.render.current = model_->Current();
    render::ApplyPalette(app_);
    ShowColors(before);
  }
  Refresh();
}


void ColorsDialog::SelectColor(int color) {
  if (!open_) return;
  Apply(model_->SelectColor(color));
}

void ColorsDialog::Arm(ColorOperation operation) {
  if (!open_) return;
  model_->Arm(operation);
  Refresh();
}

void ColorsDialog::CancelOperation() {
  if (!open_) return;
  model_->CancelOperation();
  Refresh();
}

void ColorsDialog::ScrollColor(int channel, ScrollAction action, int thumb) {
  if (!open_) return;
  Apply(model_->ScrollColor(channel, action, thumb));
}

void ColorsDialog::ScrollLevel(bool max, ScrollAction action, int thumb) {
  if (!open_) return;
  const ColorsChange change = max ? model_->ScrollMax(action, thumb) : model_->ScrollMin(action, thumb);
  if (change.levels) {
    StoreLevels(app_, *model_, LevelChange::Bar);
    if (app_.params.IsScopeDisplay()) {
      RedrawScope();
    } else {
      if (!app_.frame.IsScanning()) pictureCleared_ = true;
      RedrawSonogramWindow();
    }
  }
  Refresh();
}

void ColorsDialog::ChoosePalette(int choiceId) {
  if (!open_) return;
  const ColorsChange change = model_->Choose(choiceId);
  Apply(change);
  if (change.levels) {
    StoreLevels(app_, *model_, LevelChange::Choice);
    if (app_.params.IsScopeDisplay()) RedrawScope();
  }
}

void ColorsDialog::Reset() {
  if (!open_) return;
  Apply(model_->Reset());
  StoreLevels(app_, *model_, LevelChange::Choice);
  if (app_.params.IsScopeDisplay()) RedrawScope();
}

void ColorsDialog::Restore() {
  if (!open_) return;
  Apply(model_->Restore());
  StoreLevels(app_, *model_, LevelChange::Restore);
  if (app_.params.IsScopeDisplay()) RedrawScope();
}

void ColorsDialog::Ok() {
  if (!open_ || app_.frame.analysisPending) return;
  const ColorsDialogModel::Outcome outcome = model_->Ok();
  Close(true, outcome.levelsChanged || pictureCleared_ || recolorInexact_);
}

void ColorsDialog::Accept() { Close(true, false); }

void ColorsDialog::Cancel() {
  if (!open_) return;
  Restore();
  Close(false, pictureCleared_ || recolorInexact_);
}

void ColorsDialog::Close(bool keep, bool reanalyse) {
  if (!open_) return;
  app::CurrentParameters& p = app_.params;
  if (keep) {
    const ColorsDialogModel::Outcome outcome = model_->Ok();
    p.paletteId = outcome.choice;
    p.userPalette = outcome.user;
    if (p.IsScopeDisplay()) {
      p.scopeLevelMin = outcome.minDb;
      p.scopeLevelMax = outcome.maxDb;
    } else {
      p.sonogramLevelMin = outcome.minDb;
      p.sonogramLevelMax = outcome.maxDb;
    }
  }
  open_ = false;
  app_.frame.colorsDialogOpen = false;
  Hide();
  app_.prompts.CloseModeless(*this);
  if (p.IsScopeDisplay()) {
    RedrawScope();
  } else if (reanalyse && AnalysisPicture(app_)) {
    // Drawn anew once the dialog's own message has been handled.
    app_.pump.Post({platform::MessageKind::Command, app::IDM_ANALYZE_FILE, app::kReasonReanalysis});
  } else {
    RedrawSonogramWindow();
  }
}

void ColorsDialog::Moved(int x, int y) { position_ = platform::Point{x, y}; }

void OpenColorsDialog(app::App& app) {
  if (!app.colorsDialog) app.colorsDialog = std::make_unique<ColorsDialog>(app);
  static_cast<ColorsDialog*>(app.colorsDialog.get())->Open();
  render::ApplyPalette(app);
}

}  // namespace sonavue::dialogs
