#include "dialogs/ImageDialogView.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/ImageDialogModel.h"

namespace sonavue::dialogs {
namespace {

// Sizes in average character widths, so the controls grow with the font.
constexpr int kScrollBarChars = 24;
constexpr int kEditChars = 8;
// The dialog sits this far above the middle of the screen.
constexpr int kAboveCentre = 30;

}  // namespace

ImageDialogView::ImageDialogView(ImageDialogModel& model, QWidget* owner) : QDialog(owner), model_(model) {
  setWindowTitle(QStringLiteral("Image Characteristics"));
  setModal(true);

  auto* whole = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  top->addWidget(RadioGroup("Format", {{app::ID_IMAGE_BITMAP, "bitmap"}, {app::ID_IMAGE_JPEG, "jpeg"}}));
  auto* quality = new QGroupBox(QStringLiteral("JPEG Quality"));
  auto* qualityRow = new QHBoxLayout(quality);
  qualityRow->addWidget(Bar(IDC_IMAGE_QUALITY_BAR), 1);
  qualityRow->addWidget(Edit(IDC_IMAGE_QUALITY_TEXT));
  top->addWidget(quality, 1);
  whole->addLayout(top);

  auto* size = new QGroupBox(QStringLiteral("Image Size"));
  auto* sizeGrid = new QGridLayout(size);
  int column = 0;
  for (const auto& [id, caption] : {std::pair{app::ID_UNIT_PIXELS, "Pixels"}, std::pair{app::ID_UNIT_INCHES, "Inches"},
                                    std::pair{app::ID_UNIT_CENTIMETERS, "Centimeters"}}) {
    sizeGrid->addWidget(Radio(id, caption), 0, column++);
  }
  sizeGrid->addWidget(Bar(IDC_IMAGE_WIDTH_BAR), 1, 0, 1, 3);
  sizeGrid->addWidget(new QLabel(QStringLiteral("Width")), 2, 0);
  sizeGrid->addWidget(Edit(IDC_IMAGE_WIDTH_EDIT), 2, 1);
  sizeGrid->addWidget(new QLabel(QStringLiteral("Height")), 3, 0);
  sizeGrid->addWidget(Edit(IDC_IMAGE_HEIGHT_EDIT), 3, 1);
  whole->addWidget(size);

  auto* resolution = new QGroupBox(QStringLiteral("Print Resolution"));
  auto* resolutionGrid = new QGridLayout(resolution);
  resolutionGrid->addWidget(Radio(app::ID_DOTS_PER_INCH, "Dots Per Inch"), 0, 0);
  resolutionGrid->addWidget(Radio(app::ID_DOTS_PER_CENTIMETER, "Dots Per Centimeter"), 0, 1);
  resolutionGrid->addWidget(Bar(IDC_IMAGE_RESOLUTION_BAR), 1, 0);
  resolutionGrid->addWidget(Edit(IDC_IMAGE_RESOLUTION_TEXT), 1, 1);
  whole->addWidget(resolution);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(RadioGroup("Text Font", {{app::ID_FONT_ARIAL, "Arial"},
                                             {app::ID_FONT_TIMES, "Times New Roman"},
                                             {app::ID_FONT_COURIER, "Courier New"}}));
  bottom->addWidget(RadioGroup("Set Time Origin To Zero", {{app::ID_ORIGIN_ZERO_YES, "Yes"},
                                                           {app::ID_ORIGIN_ZERO_NO, "No"}}));
  whole->addLayout(bottom);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QString::number(IDC_OK));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QString::number(IDC_CANCEL));
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  controls_[IDC_OK] = ok;
  controls_[IDC_CANCEL] = cancel;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  whole->addLayout(buttons);
  whole->setSizeConstraint(QLayout::SetFixedSize);

  Refresh();
}

QWidget* ImageDialogView::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

QWidget* ImageDialogView::Radio(int id, const char* caption) {
  auto* radio = new QRadioButton(QString::fromUtf8(caption));
  // The model decides what is checked.
  radio->setAutoExclusive(false);
  radio->setObjectName(QString::number(id));
  connect(radio, &QRadioButton::clicked, this, [this, id] {
    model_.Click(id);
    Refresh();
  });
  controls_[id] = radio;
  return radio;
}

QWidget* ImageDialogView::Bar(int id) {
  auto* bar = new QScrollBar(Qt::Horizontal);
  bar->setMinimumWidth(kScrollBarChars * fontMetrics().averageCharWidth());
  bar->setSingleStep(1);
  bar->setPageStep(10);
  bar->setObjectName(QString::number(id));
  // The model's rule gives the position; Refresh puts it on the bar.
  connect(bar, &QAbstractSlider::actionTriggered, this, [this, id, bar](int action) {
    if (refreshing_) return;
    ScrollAction step = ScrollAction::Thumb;
    int thumb = bar->sliderPosition();
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: step = ScrollAction::LineUp; break;
      case QAbstractSlider::SliderSingleStepSub: step = ScrollAction::LineDown; break;
      case QAbstractSlider::SliderPageStepAdd: step = ScrollAction::PageUp; break;
      case QAbstractSlider::SliderPageStepSub: step = ScrollAction::PageDown; break;
      case QAbstractSlider::SliderToMinimum: thumb = bar->minimum(); break;
      case QAbstractSlider::SliderToMaximum: thumb = bar->maximum(); break;
      case QAbstractSlider::SliderMove: break;
      default: return;
    }
    model_.Scroll(id, step, thumb);
    Refresh();
  });
  controls_[id] = bar;
  return bar;
}

QWidget* ImageDialogView::Edit(int id) {
  auto* edit = new QLineEdit;
  edit->setFixedWidth((kEditChars + 2) * fontMetrics().averageCharWidth());
  edit->setObjectName(QString::number(id));
  connect(edit, &QLineEdit::editingFinished, this, [this, id, edit] {
    if (refreshing_ || edit->isReadOnly()) return;
    model_.SetText(id, edit->text().toStdString());
    Refresh();
  });
  controls_[id] = edit;
  return edit;
}

QGroupBox* ImageDialogView::RadioGroup(const char* title,
                                       std::initializer_list<std::pair<int, const char*>> radios) {
  auto* group = new QGroupBox(QString::fromUtf8(title));
  auto* column = new QVBoxLayout(group);
  for (const auto& [id, caption] : radios) column->addWidget(Radio(id, caption));
  return group;
}

void ImageDialogView::Refresh() {
  refreshing_ = true;
  for (const auto& [id, widget] : controls_) {
    const ControlState s = model_.State(id);
    if (!s.present) continue;
    widget->setEnabled(s.enabled);
    if (auto* radio = dynamic_cast<QRadioButton*>(widget)) {
      radio->setChecked(s.checked);
    } else if (auto* bar = dynamic_cast<QScrollBar*>(widget)) {
      const QSignalBlocker block(bar);
      bar->setRange(s.minimum, s.maximum);
      bar->setValue(s.value);
    } else if (auto* edit = dynamic_cast<QLineEdit*>(widget)) {
      edit->setReadOnly(s.readOnly);
      const QString text = QString::fromStdString(s.text);
      if (edit->text() != text) edit->setText(text);
    }
  }
  refreshing_ = false;
}

void ImageDialogView::PlaceOnScreen() {
  adjustSize();
  const QWidget* owner = parentWidget();
  QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const int x = area.x() + (area.width() - width()) / 2;
  const int y = area.y() + (area.height() - height()) / 2 - kAboveCentre;
  move(std::max(area.x(), x), std::max(area.y(), y));
}

}  // namespace sonavue::dialogs
