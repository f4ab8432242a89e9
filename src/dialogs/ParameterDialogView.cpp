#include "dialogs/ParameterDialogView.h"

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
#include <tuple>

#include "dialogs/DialogControls.h"
#include "dialogs/ParameterDialogModel.h"

namespace sonavue::dialogs {
namespace {

// Sizes in average character widths, so the controls grow with the font.
constexpr int kScrollBarChars = 16;
constexpr int kEditChars = 10;

ScrollAction ActionOf(int sliderAction, bool& known) {
  known = true;
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::LineUp;
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::LineDown;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::PageUp;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::PageDown;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: return ScrollAction::Thumb;
    default: break;
  }
  known = false;
  return ScrollAction::Thumb;
}

}  // namespace

ParameterDialogView::ParameterDialogView(ParameterDialogModel& model, QWidget* owner)
    : QDialog(owner), model_(model) {
  setWindowTitle(QString::fromUtf8(model_.Title()));
  setModal(true);

  auto* columns = new QHBoxLayout;
  auto* first = new QVBoxLayout;
  auto* second = new QVBoxLayout;
  auto* third = new QVBoxLayout;
  for (QVBoxLayout* column : {first, second, third}) columns->addLayout(column);

  Add(first, RadioGroup("Sample Rate", {app::ID_RATE_22K, app::ID_RATE_44K, app::ID_RATE_48K,
                                        app::ID_RATE_96K}, 4));
  Add(first, RadioGroup("Type", {app::ID_TYPE_MONO, app::ID_TYPE_STEREO}, 2));
  Add(first, RadioGroup("Resolution", {app::ID_BITS_16, app::ID_BITS_24}, 2));
  Add(first, RadioGroup("Channels", {app::ID_CHANNELS_DUAL, app::ID_CHANNELS_LEFT,
                                     app::ID_CHANNELS_RIGHT}, 3));
  Add(first, RadioGroup("Display", {app::ID_DISPLAY_SCROLL1, app::ID_DISPLAY_SCROLL2,
                                    app::ID_DISPLAY_SCOPE1, app::ID_DISPLAY_SCOPE2}, 2));
  Add(first, RadioGroup("Plot Type", {app::ID_PLOT_SIGNAL, app::ID_PLOT_DELTA}, 2));
  Add(first, RadioGroup("Palette", {app::ID_PALETTE_CB, app::ID_PALETTE_BW, app::ID_PALETTE_USER,
                                    app::ID_PALETTE_PERCEPTUAL}, 4));
  Add(first, SegmentGroup());

  Add(second, RadioGroup("Frequency Scale", {app::ID_SCALE_LINEAR, app::ID_SCALE_LOG,
                                             app::ID_SCALE_OCT3}, 3));
  Add(second, RadioGroup("FFT Size (Points)", {IDC_FFT_512, IDC_FFT_1024, IDC_FFT_2048,
                                               IDC_FFT_4096, IDC_FFT_8192, IDC_FFT_16384}, 3));
  Add(second, ScrollGroup("Freq Resolution (Hz)", IDC_SCROLL_RESOLUTION, IDC_EDIT_RESOLUTION));
  Add(second, EditGroup("Frequency Resolution (Hz)", IDC_EDIT_AUTO_RESOLUTION));
  Add(second, ScrollGroup("High Band Limit (Hz)", IDC_SCROLL_HIGH_BAND, IDC_EDIT_HIGH_BAND));
  Add(second, ScrollGroup("Low Band Limit (Hz)", IDC_SCROLL_LOW_BAND, IDC_EDIT_LOW_BAND));
  Add(second, EditGroup("Cursor Frequency Offset (Hz)", IDC_EDIT_CURSOR_OFFSET));

  Add(third, LevelGroup());
  Add(third, AveragingGroup());
  Add(third, WidthGroup());
  Add(third, RecordingGroup());
  Add(third, UltrasoundGroup());
  for (QVBoxLayout* column : {first, second, third}) column->addStretch(1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (const int id : {IDC_OK, IDC_RESET, IDC_CANCEL}) buttons->addWidget(Make(id));

  auto* whole = new QVBoxLayout(this);
  whole->addLayout(columns);
  whole->addLayout(buttons);
  whole->setSizeConstraint(QLayout::SetFixedSize);

  Refresh();
}

QWidget* ParameterDialogView::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void ParameterDialogView::Add(QBoxLayout* column, QGroupBox* group) {
  if (group != nullptr) column->addWidget(group);
}

// The widget of one control, connected to the model; nullptr when the
// member lacks the control.
QWidget* ParameterDialogView::Make(int id) {
  const ControlInfo* info = FindControl(id);
  if (info == nullptr || !model_.Has(id)) return nullptr;
  const QString caption = QString::fromUtf8(info->caption);
  const int charWidth = fontMetrics().averageCharWidth();
  QWidget* widget = nullptr;
  switch (info->kind) {
    case ControlKind::Radio: {
      auto* radio = new QRadioButton(caption);
      // The model decides what is checked: a group may have no choice at all
      // (the channel radios of a mono type).
      radio->setAutoExclusive(false);
      connect(radio, &QRadioButton::clicked, this, [this, id] {
        model_.Click(id);
        Refresh();
      });
      widget = radio;
      break;
    }
    case ControlKind::ScrollBar: {
      auto* bar = new QScrollBar(Qt::Horizontal);
      bar->setMinimumWidth(kScrollBarChars * charWidth);
      bar->setSingleStep(1);
      bar->setPageStep(10);
      // The action arrives before Qt moves the value: the model's rule gives
      // the position, and Refresh puts it on the bar.
      connect(bar, &QAbstractSlider::actionTriggered, this, [this, id, bar](int action) {
        if (refreshing_) return;
        bool known = false;
        const ScrollAction step = ActionOf(action, known);
        if (!known) return;
        int thumb = bar->sliderPosition();
        if (action == QAbstractSlider::SliderToMinimum) thumb = bar->minimum();
        if (action == QAbstractSlider::SliderToMaximum) thumb = bar->maximum();
        model_.Scroll(id, step, thumb);
        Refresh();
      });
      widget = bar;
      break;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit;
      // Wide enough for the longest value shown, so that the bars beside
      // the edits get the rest of the row.
      edit->setFixedWidth((kEditChars + 2) * charWidth);
      connect(edit, &QLineEdit::textChanged, this, [this, id](const QString& text) {
        if (!refreshing_) model_.SetText(id, text.toStdString());
      });
      widget = edit;
      break;
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(caption);
      if (id == IDC_OK) {
        button->setDefault(true);
        connect(button, &QPushButton::clicked, this, &QDialog::accept);
      } else if (id == IDC_CANCEL) {
        connect(button, &QPushButton::clicked, this, &QDialog::reject);
      } else {
        connect(button, &QPushButton::clicked, this, [this] {
          model_.Reset();
          Refresh();
        });
      }
      widget = button;
      break;
    }
  }
  widget->setObjectName(QString::number(id));
  widget->setAccessibleName(caption);
  controls_[id] = widget;
  return widget;
}

QGroupBox* ParameterDialogView::RadioGroup(const char* title, std::initializer_list<int> ids,
                                           int perRow) {
  auto* grid = new QGridLayout;
  int n = 0;
  for (const int id : ids) {
    if (QWidget* radio = Make(id)) {
      grid->addWidget(radio, n / perRow, n % perRow);
      ++n;
    }
  }
  if (n == 0) {
    delete grid;
    return nullptr;
  }
  auto* group = new QGroupBox(QString::fromUtf8(title));
  group->setLayout(grid);
  return group;
}

QGroupBox* ParameterDialogView::ScrollGroup(const char* title, int scrollId, int editId) {
  QWidget* bar = Make(scrollId);
  if (bar == nullptr) return nullptr;
  auto* row = new QHBoxLayout;
  row->addWidget(bar, 1);
  if (QWidget* edit = Make(editId)) row->addWidget(edit);
  auto* group = new QGroupBox(QString::fromUtf8(title));
  group->setLayout(row);
  return group;
}

QGroupBox* ParameterDialogView::EditGroup(const char* title, int editId) {
  QWidget* edit = Make(editId);
  if (edit == nullptr) return nullptr;
  auto* row = new QHBoxLayout;
  row->addWidget(edit);
  auto* group = new QGroupBox(QString::fromUtf8(title));
  group->setLayout(row);
  return group;
}

QGroupBox* ParameterDialogView::LevelGroup() {
  if (!model_.Has(IDC_SCROLL_LEVEL_MAX)) return nullptr;
  auto* grid = new QGridLayout;
  int row = 0;
  for (const auto& [scrollId, editId, caption] :
       {std::tuple{IDC_SCROLL_LEVEL_MAX, IDC_EDIT_LEVEL_MAX, "Max"},
        std::tuple{IDC_SCROLL_LEVEL_MIN, IDC_EDIT_LEVEL_MIN, "Min"}}) {
    grid->addWidget(new QLabel(QString::fromUtf8(caption)), row, 0);
    grid->addWidget(Make(scrollId), row, 1);
    grid->addWidget(Make(editId), row, 2);
    ++row;
  }
  grid->setColumnStretch(1, 1);
  auto* group = new QGroupBox(QStringLiteral("Level (dB)"));
  group->setLayout(grid);
  return group;
}

QGroupBox* ParameterDialogView::AveragingGroup() {
  if (!model_.Has(IDC_EDIT_AVERAGING)) return nullptr;
  auto* row = new QHBoxLayout;
  for (const int id : {app::ID_AVERAGING_OFF, app::ID_AVERAGING_MSEC, app::ID_AVERAGING_SEC}) {
    row->addWidget(Make(id));
  }
  row->addWidget(Make(IDC_EDIT_AVERAGING));
  auto* group = new QGroupBox(QStringLiteral("Averaging"));
  group->setLayout(row);
  return group;
}

QGroupBox* ParameterDialogView::WidthGroup() {
  auto* row = new QHBoxLayout;
  QGroupBox* group = nullptr;
  if (model_.Has(IDC_SCROLL_WIDTH)) {
    group = new QGroupBox(QString::fromUtf8(FindControl(IDC_SCROLL_WIDTH)->caption));
    row->addWidget(Make(IDC_SCROLL_WIDTH), 1);
  } else {
    group = new QGroupBox(QString::fromUtf8(FindControl(IDC_EDIT_WIDTH)->caption));
    row->addWidget(Make(app::ID_WIDTH_SEC));
    row->addWidget(Make(app::ID_WIDTH_MIN));
  }
  row->addWidget(Make(IDC_EDIT_WIDTH));
  group->setLayout(row);
  return group;
}

QGroupBox* ParameterDialogView::SegmentGroup() {
  if (!model_.Has(IDC_EDIT_BEGIN)) return nullptr;
  auto* row = new QHBoxLayout;
  row->addWidget(Make(IDC_EDIT_BEGIN));
  row->addWidget(new QLabel(QStringLiteral("-")));
  row->addWidget(Make(IDC_EDIT_END));
  auto* group = new QGroupBox(QString::fromUtf8(FindControl(IDC_EDIT_BEGIN)->caption));
  group->setLayout(row);
  return group;
}

QGroupBox* ParameterDialogView::RecordingGroup() {
  if (!model_.Has(app::ID_RECORDING_OFF)) return nullptr;
  auto* grid = new QGridLayout;
  int column = 0;
  for (const int id : {app::ID_RECORDING_OFF, app::ID_RECORDING_ON, app::ID_RECORDING_TRIGGER}) {
    grid->addWidget(Make(id), 0, column++);
  }
  grid->addWidget(new QLabel(QString::fromUtf8(FindControl(IDC_SCROLL_TRIGGER)->caption)), 1, 0, 1, 3);
  auto* trigger = new QHBoxLayout;
  trigger->addWidget(Make(IDC_SCROLL_TRIGGER), 1);
  trigger->addWidget(Make(IDC_EDIT_TRIGGER));
  grid->addLayout(trigger, 2, 0, 1, 3);
  grid->addWidget(new QLabel(QString::fromUtf8(FindControl(IDC_EDIT_PRE_TRIGGER)->caption)), 3, 0, 1, 2);
  grid->addWidget(Make(IDC_EDIT_PRE_TRIGGER), 3, 2);
  auto* group = new QGroupBox(QStringLiteral("Recording"));
  group->setLayout(grid);
  return group;
}

QGroupBox* ParameterDialogView::UltrasoundGroup() {
  if (!model_.Has(app::ID_ULTRASOUND_OFF)) return nullptr;
  auto* grid = new QGridLayout;
  int column = 0;
  for (const int id : {app::ID_ULTRASOUND_OFF, app::ID_ULTRASOUND_FREQ_DIV, app::ID_ULTRASOUND_TIME_EXP}) {
    grid->addWidget(Make(id), 0, column++);
  }
  grid->addWidget(new QLabel(QString::fromUtf8(FindControl(IDC_SCROLL_MULTIPLIER)->caption)), 1, 0, 1, 3);
  auto* multiplier = new QHBoxLayout;
  multiplier->addWidget(Make(IDC_SCROLL_MULTIPLIER), 1);
  multiplier->addWidget(Make(IDC_EDIT_MULTIPLIER));
  grid->addLayout(multiplier, 2, 0, 1, 3);
  auto* group = new QGroupBox(QStringLiteral("Ultrasound Conversion"));
  group->setLayout(grid);
  return group;
}

void ParameterDialogView::Refresh() {
  refreshing_ = true;
  for (const auto& [id, widget] : controls_) {
    const ControlState s = model_.State(id);
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

void ParameterDialogView::CentreOnScreen() {
  adjustSize();
  const QWidget* owner = parentWidget();
  QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const int x = area.x() + (area.width() - width()) / 2;
  const int y = area.y() + (area.height() - height()) / 2;
  move(std::max(0, x), std::max(0, y));
}

}  // namespace sonavue::dialogs
