#include "dialogs/SplCalibrationView.h"

#include <QButtonGroup>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/SplCalibrationDialog.h"

namespace sonavue::dialogs {
namespace {

// The white panel: shows the dialog's panel image as it is.
class PanelWidget final : public QWidget {
 public:
  PanelWidget(const SplCalibrationDialog& dialog, QWidget* parent) : QWidget(parent), dialog_(dialog) {
    setObjectName(QString::number(IDC_SPL_PANEL));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const platform::DisplayBitmap& panel = dialog_.Panel();
    if (panel.IsNull()) {
      painter.fillRect(rect(), Qt::white);
      return;
    }
    platform::PaintBitmap(painter, panel);
  }

 private:
  const SplCalibrationDialog& dialog_;
};

QRadioButton* Radio(const char* text, int id, QButtonGroup* group, QLayout* layout) {
  auto* button = new QRadioButton(QString::fromUtf8(text));
  button->setObjectName(QString::number(id));
  group->addButton(button, id);
  layout->addWidget(button);
  return button;
}

}  // namespace

SplCalibrationView::SplCalibrationView(SplCalibrationDialog& dialog, QWidget* owner)
    : QDialog(owner), dialog_(dialog) {
  setWindowTitle(QStringLiteral("SPL Calibration"));
  setModal(false);
  const SplCalibrationModel& model = dialog_.Model();

  // The panel's font is a 28th of the dialog's height: the dialog is made
  // 28 text lines of the window's font high.
  const int fontHeight = std::max(13, QFontMetrics(font()).height());
  const int dialogHeight = 28 * fontHeight;
  const platform::FontSpec panelFont{"Arial", dialogHeight / 28, 400};
  int widest = 0;
  for (int method : {IDC_SPL_SOUND_METER, IDC_SPL_ACOUSTIC_SOURCE}) {
    SplCalibrationModel probe(0, method);
    probe.SetMeasured(-100.0);
    for (const PanelLine& line : probe.PanelLines()) {
      widest = std::max(widest, platform::TextWidth(panelFont, line.text));
    }
  }
  const platform::FontMetrics metrics = platform::MeasureFont(panelFont);
  // Seven text lines and a half: the last line at 6h with room below it.
  const platform::Size panelSize{widest + 4 * metrics.averageCharWidth, 15 * metrics.height / 2};

  auto* column = new QVBoxLayout(this);
  panel_ = new PanelWidget(dialog_, this);
  panel_->setFixedSize(panelSize.w, panelSize.h);
  column->addWidget(panel_, 0, Qt::AlignHCenter);

  auto* controlGroup = new QGroupBox(QStringLiteral("SPL Calibration Control"));
  auto* controlLayout = new QHBoxLayout(controlGroup);
  control_ = new QScrollBar(Qt::Horizontal);
  control_->setObjectName(QString::number(IDC_SPL_CONTROL));
  control_->setRange(0, kSplControlMax);
  control_->setSingleStep(1);
  control_->setPageStep(10);
  control_->setValue(model.Control());
  controlLayout->addWidget(control_);
  column->addWidget(controlGroup);

  auto* rows = new QHBoxLayout;
  auto* methodGroup = new QGroupBox(QStringLiteral("SPL Calibration Method"));
  auto* methodLayout = new QVBoxLayout(methodGroup);
  auto* methods = new QButtonGroup(this);
  Radio("Sound Meter", IDC_SPL_SOUND_METER, methods, methodLayout);
  Radio("Acoustic Source", IDC_SPL_ACOUSTIC_SOURCE, methods, methodLayout);
  methods->button(model.MethodId())->setChecked(true);
  rows->addWidget(methodGroup);

  auto* lockGroup = new QGroupBox(QStringLiteral("SPL Cal Gain Lock"));
  auto* lockLayout = new QVBoxLayout(lockGroup);
  auto* locks = new QButtonGroup(this);
  Radio("On", IDC_SPL_LOCK_ON, locks, lockLayout);
  Radio("Off", IDC_SPL_LOCK_OFF, locks, lockLayout);
  locks->button(model.GainLockOn() ? IDC_SPL_LOCK_ON : IDC_SPL_LOCK_OFF)->setChecked(true);
  rows->addWidget(lockGroup);
  column->addLayout(rows);
  // The dialog is taller than its controls need (its height sets the
  // panel's font): the room goes above the buttons.
  column->addStretch();

  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("2"));
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  column->addLayout(buttons);

  // Every value the bar takes (arrows, page clicks, the thumb) is the new
  // control; the model keeps it within range.
  connect(control_, &QScrollBar::valueChanged, this, [this](int value) {
    dialog_.Scroll(SplScrollAction::ThumbPosition, value);
    if (control_->value() != dialog_.Model().Control()) control_->setValue(dialog_.Model().Control());
  });
  connect(methods, &QButtonGroup::idClicked, this, [this](int id) { dialog_.ChooseMethod(id); });
  connect(locks, &QButtonGroup::idClicked, this, [this](int id) { dialog_.ChooseGainLock(id == IDC_SPL_LOCK_ON); });
  connect(ok, &QPushButton::clicked, this, [this] { dialog_.PressOk(); });
  connect(cancel, &QPushButton::clicked, this, [this] { dialog_.PressCancel(); });

  adjustSize();
  resize(width(), std::max(height(), dialogHeight));
  dialog_.SetPanelGeometry(panelSize, dialogHeight);
}

QWidget* SplCalibrationView::Control(int id) const {
  return findChild<QWidget*>(QString::number(id));
}

void SplCalibrationView::RefreshPanel() {
  if (panel_ != nullptr) panel_->update();
}

void SplCalibrationView::PlaceOnScreen() {
  const QWidget* owner = parentWidget();
  QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const platform::Point at = SplDialogPosition({area.width(), area.height()}, {width(), height()});
  move(area.x() + at.x, area.y() + at.y);
}

void SplCalibrationView::reject() { dialog_.PressCancel(); }

}  // namespace sonavue::dialogs
