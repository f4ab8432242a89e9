#include "dialogs/ColorsDialogView.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "dialogs/ColorsDialog.h"
#include "dialogs/ColorsDialogModel.h"

namespace sonavue::dialogs {
namespace {

constexpr int kBarChars = 18;
constexpr int kSwatchChars = 4;
constexpr int kNumberChars = 5;
constexpr std::array<const char*, 13> kScaleCaptions{"-120 dB", "-110 dB", "-100 dB", "-90 dB", "-80 dB",
                                                     "-70 dB",  "-60 dB",  "-50 dB",  "-40 dB", "-30 dB",
                                                     "-20 dB",  "-10 dB",  "0 dB"};
constexpr std::array<const char*, 5> kOtherCaptions{"Background", "Signal 1", "Signal 2", "Freq Mark", "Text"};

QColor ToQColor(platform::Rgb c) { return QColor(c.r, c.g, c.b); }

// A swatch: bands of colour from the bottom up, each as tall as the widget
// divided by their count, filled from the model when painted.
class Swatch final : public QWidget {
 public:
  Swatch(const ColorsDialogModel* const* model, int first, int count, QWidget* parent = nullptr)
      : QWidget(parent), model_(model), first_(first), count_(count) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const ColorsDialogModel* model = *model_;
    if (model == nullptr) return;
    for (int i = 0; i < count_; ++i) {
      const int top = height() * (count_ - 1 - i) / count_;
      const int bottom = height() * (count_ - i) / count_;
      painter.fillRect(0, top, width(), bottom - top,
                       ToQColor(model->Current()[static_cast<std::size_t>(first_ + i)]));
    }
  }

 private:
  const ColorsDialogModel* const* model_;
  int first_;
  int count_;
};

// A scroll action of a horizontal bar, named by the direction it moves the
// value; false for actions the dialog does not take.
bool ActionOf(int sliderAction, ScrollAction& action) {
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepAdd: action = ScrollAction::LineUp; return true;
    case QAbstractSlider::SliderSingleStepSub: action = ScrollAction::LineDown; return true;
    case QAbstractSlider::SliderPageStepAdd: action = ScrollAction::PageUp; return true;
    case QAbstractSlider::SliderPageStepSub: action = ScrollAction::PageDown; return true;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: action = ScrollAction::Thumb; return true;
    default: return false;
  }
}

}  // namespace

ColorsDialogView::ColorsDialogView(ColorsDialog& controller, QWidget* owner)
    : QDialog(owner), controller_(controller) {
  setWindowTitle(QString::fromUtf8(kColorsDialogTitle));
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose, false);
  const int cw = fontMetrics().averageCharWidth();
  const ColorsDialogModel* const* model = controller_.ModelSlot();

  const auto button = [this](int id, const QString& caption, std::function<void()> action) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
    controls_[id] = b;
    return b;
  };

  // The scale: "0 dB" at the top, "-120 dB" at the bottom, the swatch beside.
  auto* scale = new QGridLayout;
  scale->setVerticalSpacing(0);
  for (int point = 12; point >= 0; --point) {
    const int id = kColorButtonIds[static_cast<std::size_t>(point)];
    scale->addWidget(button(id, kScaleCaptions[static_cast<std::size_t>(point)],
                            [this, point] { controller_.SelectColor(point); }),
                     12 - point, 0);
  }
  auto* scaleSwatch = new Swatch(model, 0, render::kScalePoints);
  scaleSwatch->setObjectName(QString::number(IDC_SCALE_SWATCH));
  scaleSwatch->setMinimumWidth(kSwatchChars * cw);
  controls_[IDC_SCALE_SWATCH] = scaleSwatch;
  scale->addWidget(scaleSwatch, 0, 1, 13, 1);
  auto* scaleBox = new QGroupBox(QStringLiteral("Spectrum Scale"));
  scaleBox->setLayout(scale);

  auto* others = new QGridLayout;
  for (int i = 0; i < 5; ++i) {
    const int color = render::kScalePoints + i;
    others->addWidget(button(kColorButtonIds[static_cast<std::size_t>(color)], kOtherCaptions[static_cast<std::size_t>(i)],
                             [this, color] { controller_.SelectColor(color); }),
                      i, 0);
    auto* swatch = new Swatch(model, color, 1);
    swatch->setObjectName(QString::number(kOtherSwatchIds[static_cast<std::size_t>(i)]));
    swatch->setMinimumWidth(kSwatchChars * cw);
    controls_[kOtherSwatchIds[static_cast<std::size_t>(i)]] = swatch;
    others->addWidget(swatch, i, 1);
  }
  auto* othersBox = new QGroupBox(QStringLiteral("Other Colors"));
  othersBox->setLayout(others);

  auto* operations = new QHBoxLayout;
  auto* copy = button(IDC_COPY_TO, QStringLiteral("Copy To"), [this] { controller_.Arm(ColorOperation::CopyTo); });
  auto* spread = button(IDC_SPREAD_TO, QStringLiteral("Spread To"), [this] { controller_.Arm(ColorOperation::SpreadTo); });
  static_cast<QPushButton*>(copy)->setCheckable(true);
  static_cast<QPushButton*>(spread)->setCheckable(true);
  operations->addWidget(copy);
  operations->addWidget(spread);
  operations->addWidget(button(IDC_CANCEL_OPERATION, QStringLiteral("Cancel Operation"),
                               [this] { controller_.CancelOperation(); }));

  auto* bars = new QGridLayout;
  const std::array<const char*, 3> rgbNames{"Red", "Green", "Blue"};
  for (int channel = 0; channel < 3; ++channel) {
    bars->addWidget(new QLabel(QString::fromUtf8(rgbNames[static_cast<std::size_t>(channel)])), channel, 0);
    bars->addWidget(Bar(kRgbBarIds[static_cast<std::size_t>(channel)], 255,
                        [this, channel](int action, int thumb) {
                          ScrollAction a;
                          if (ActionOf(action, a)) controller_.ScrollColor(channel, a, thumb);
                        }),
                    channel, 1);
    auto* number = new QLabel;
    number->setObjectName(QString::number(kRgbNumberIds[static_cast<std::size_t>(channel)]));
    number->setMinimumWidth(kNumberChars * cw);
    controls_[kRgbNumberIds[static_cast<std::size_t>(channel)]] = number;
    bars->addWidget(number, channel, 2);
  }
  bars->addWidget(new QLabel(QStringLiteral("Max (dB)")), 3, 0);
  bars->addWidget(Bar(IDC_MAX_BAR, kLevelBarMax,
                      [this](int action, int thumb) {
                        ScrollAction a;
                        if (ActionOf(action, a)) controller_.ScrollLevel(true, a, thumb);
                      }),
                  3, 1);
  bars->addWidget(new QLabel(QStringLiteral("Min (dB)")), 4, 0);
  bars->addWidget(Bar(IDC_MIN_BAR, kLevelBarMax,
                      [this](int action, int thumb) {
                        ScrollAction a;
                        if (ActionOf(action, a)) controller_.ScrollLevel(false, a, thumb);
                      }),
                  4, 1);
  for (const auto& [row, id] : {std::pair{3, IDC_MAX_NUMBER}, std::pair{4, IDC_MIN_NUMBER}}) {
    auto* number = new QLabel;
    number->setObjectName(QString::number(id));
    controls_[id] = number;
    bars->addWidget(number, row, 2);
  }

  auto* choices = new QHBoxLayout;
  for (const auto& [id, caption] : {std::pair{IDC_CHOICE_CB, "CB"}, std::pair{IDC_CHOICE_BW, "BW"},
                                    std::pair{IDC_CHOICE_USER, "User"}}) {
    auto* radio = new QRadioButton(QString::fromUtf8(caption));
    radio->setObjectName(QString::number(id));
    radio->setAutoExclusive(false);
    connect(radio, &QRadioButton::clicked, this, [this, id = id] { controller_.ChoosePalette(id); });
    controls_[id] = radio;
    choices->addWidget(radio);
  }
  auto* choiceBox = new QGroupBox(QStringLiteral("Palette"));
  choiceBox->setLayout(choices);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(button(IDC_COLORS_RESET, QStringLiteral("Reset"), [this] { controller_.Reset(); }));
  buttons->addWidget(button(IDC_COLORS_RESTORE, QStringLiteral("Restore"), [this] { controller_.Restore(); }));
  buttons->addStretch(1);
  buttons->addWidget(button(IDC_COLORS_OK, QStringLiteral("OK"), [this] { controller_.Ok(); }));
  buttons->addWidget(button(IDC_COLORS_CANCEL, QStringLiteral("Cancel"), [this] { controller_.Cancel(); }));

  auto* right = new QVBoxLayout;
  right->addWidget(othersBox);
  right->addLayout(operations);
  right->addLayout(bars);
  right->addWidget(choiceBox);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addWidget(scaleBox);
  columns->addLayout(right);
  auto* whole = new QVBoxLayout(this);
  whole->addLayout(columns);
  whole->addLayout(buttons);
  whole->setSizeConstraint(QLayout::SetFixedSize);
  Refresh();
}

QWidget* ColorsDialogView::Bar(int id, int maximum, std::function<void(int action, int thumb)> onAction) {
  auto* bar = new QScrollBar(Qt::Horizontal);
  bar->setObjectName(QString::number(id));
  bar->setRange(0, maximum);
  bar->setMinimumWidth(kBarChars * fontMetrics().averageCharWidth());
  connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, onAction = std::move(onAction)](int action) {
    if (refreshing_) return;
    int thumb = bar->sliderPosition();
    if (action == QAbstractSlider::SliderToMinimum) thumb = bar->minimum();
    if (action == QAbstractSlider::SliderToMaximum) thumb = bar->maximum();
    onAction(action, thumb);
  });
  controls_[id] = bar;
  return bar;
}

QWidget* ColorsDialogView::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

void ColorsDialogView::Refresh() {
  const ColorsDialogModel* model = *controller_.ModelSlot();
  if (model == nullptr) return;
  refreshing_ = true;
  for (int point = 0; point < render::kScalePoints; ++point) {
    auto* b = static_cast<QPushButton*>(Control(kColorButtonIds[static_cast<std::size_t>(point)]));
    b->setText(QString::fromStdString(model->ScaleLabel(point)));
  }
  for (const auto& [id, widget] : controls_) widget->setEnabled(model->Enabled(id));
  static_cast<QPushButton*>(Control(IDC_COPY_TO))->setChecked(model->Operation() == ColorOperation::CopyTo);
  static_cast<QPushButton*>(Control(IDC_SPREAD_TO))->setChecked(model->Operation() == ColorOperation::SpreadTo);
  const platform::Rgb shown = model->ShownColor();
  const std::array<int, 3> values{shown.r, shown.g, shown.b};
  for (std::size_t c = 0; c < 3; ++c) {
    static_cast<QScrollBar*>(Control(kRgbBarIds[c]))->setValue(values[c]);
    static_cast<QLabel*>(Control(kRgbNumberIds[c]))->setText(QString::number(values[c]));
  }
  static_cast<QScrollBar*>(Control(IDC_MAX_BAR))->setValue(model->LevelBarPosition(model->MaxDb()));
  static_cast<QScrollBar*>(Control(IDC_MIN_BAR))->setValue(model->LevelBarPosition(model->MinDb()));
  static_cast<QLabel*>(Control(IDC_MAX_NUMBER))->setText(QString::fromStdString(model->LevelNumber(model->MaxDb())));
  static_cast<QLabel*>(Control(IDC_MIN_NUMBER))->setText(QString::fromStdString(model->LevelNumber(model->MinDb())));
  for (const int id : {IDC_CHOICE_CB, IDC_CHOICE_BW, IDC_CHOICE_USER}) {
    static_cast<QRadioButton*>(Control(id))->setChecked(model->Choice() == id);
  }
  for (const int id : {IDC_SCALE_SWATCH, kOtherSwatchIds[0], kOtherSwatchIds[1], kOtherSwatchIds[2],
                       kOtherSwatchIds[3], kOtherSwatchIds[4]}) {
    Control(id)->update();
  }
  refreshing_ = false;
}

void ColorsDialogView::Place(bool remembered, int x, int y) {
  adjustSize();
  if (!remembered) {
    const QWidget* owner = parentWidget();
    QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
      const QRect area = screen->geometry();
      x = area.x() + (area.width() - width()) / 2;
      y = area.y() + (area.height() - height()) / 2;
    }
  }
  move(std::max(0, x), std::max(0, y));
  placed_ = true;
}

void ColorsDialogView::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  if (placed_ && isVisible()) controller_.Moved(pos().x(), pos().y());
}

void ColorsDialogView::closeEvent(QCloseEvent* event) {
  // The window's close box is Cancel; the controller hides the window.
  event->ignore();
  controller_.Cancel();
}

void ColorsDialogView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    controller_.Cancel();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace sonavue::dialogs
