#include "dialogs/PointLogDialog.h"

#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QPointer>
#include <algorithm>
#include <string>

#include "context/App.h"

namespace sonavue::dialogs {
namespace {

constexpr int kEditCharacters = 12;

// The dialog's window; it outlives its wrapper until Qt deletes it.
class PointLogView final : public QDialog {
 public:
  PointLogView(QWidget* owner, std::function<void()> closed) : QDialog(owner), closed_(std::move(closed)) {
    setWindowTitle(kPointLogTitle);
    setModal(false);
    auto* form = new QFormLayout(this);
    time_ = AddEdit(form, "Time (msec)", "time");
    frequency_ = AddEdit(form, "Frequency (Hz)", "frequency");
    level_ = AddEdit(form, "Level (dB/Hz)", "level");
    // Closing by the title bar, Esc or a program's close all end the log.
    connect(this, &QDialog::finished, this, [this] {
      // A copy: the handler may destroy the wrapper that clears closed_.
      const std::function<void()> onClosed = closed_;
      closed_ = {};
      if (onClosed) onClosed();
    });
  }

  void Forget() { closed_ = {}; }
  void Show(const std::string& time, const std::string& frequency, const std::string& level) {
    time_->setText(QString::fromStdString(time));
    frequency_->setText(QString::fromStdString(frequency));
    level_->setText(QString::fromStdString(level));
  }

 private:
  static QLineEdit* AddEdit(QFormLayout* form, const char* label, const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * kEditCharacters);
    form->addRow(label, edit);
    return edit;
  }

  std::function<void()> closed_;
  QLineEdit* time_ = nullptr;
  QLineEdit* frequency_ = nullptr;
  QLineEdit* level_ = nullptr;
};

class PointLogWindowImpl final : public app::PointLogWindow {
 public:
  explicit PointLogWindowImpl(PointLogView* view) : view_(view) {}
  ~PointLogWindowImpl() override {
    if (view_ == nullptr) return;
    view_->Forget();
    view_->hide();
    view_->deleteLater();
  }
  void ShowPoint(const std::string& time, const std::string& frequency, const std::string& level) override {
    if (view_ != nullptr) view_->Show(time, frequency, level);
  }

 private:
  QPointer<PointLogView> view_;
};

}  // namespace

std::unique_ptr<app::PointLogWindow> OpenPointLogDialog(app::App& app, std::function<void()> closed) {
  auto* owner = app.window != nullptr ? static_cast<QWidget*>(app.window->NativeHandle()) : nullptr;
  auto* view = new PointLogView(owner, std::move(closed));
  view->adjustSize();
  if (app.window != nullptr) {
    const platform::Point corner = app.window->ClientToScreen({app.layout.clientWidth, 0});
    view->move(std::max(0, corner.x - view->width()), std::max(0, corner.y));
  }
  view->show();
  return std::make_unique<PointLogWindowImpl>(view);
}

}  // namespace sonavue::dialogs
