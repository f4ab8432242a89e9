#include "dialogs/CalibrationStatusDialog.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

namespace sonavue::dialogs {
namespace {

// The text panel: both lines centred, in black on a cleared panel, in the
// panel's own font (h its text height), at h and 3h.
class StatusPanel final : public QWidget {
 public:
  StatusPanel(const std::array<std::string, 2>& lines, QWidget* parent) : QWidget(parent), lines_(lines) {
    setObjectName(QString::number(IDC_STATUS_PANEL));
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const std::string& line : lines_) {
      widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(line)));
    }
    setMinimumSize(widest + 4 * metrics.averageCharWidth(), 5 * metrics.height());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(Qt::black);
    const QFontMetrics metrics(font());
    const int h = metrics.height();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const QString text = QString::fromStdString(lines_[i]);
      const int x = (width() - metrics.horizontalAdvance(text)) / 2;
      const int top = static_cast<int>(1 + 2 * i) * h;
      painter.drawText(QPoint(x, top + metrics.ascent()), text);
    }
  }

 private:
  const std::array<std::string, 2>& lines_;
};

}  // namespace

std::array<std::string, 2> CalibrationStatusLines(const std::string& splDate,
                                                  const std::string& responseDate) {
  return {splDate.empty() ? std::string("Total SPL not calibrated.") : "Total SPL calibrated on " + splDate,
          responseDate.empty() ? std::string("Freq Response not calibrated.")
                               : "Freq Response calibrated on " + responseDate};
}

bool CalibrationStatusDialog::Exec(void* owner) {
  QDialog view(static_cast<QWidget*>(owner));
  view.setWindowTitle(QStringLiteral("Calibration Status"));
  auto* column = new QVBoxLayout(&view);
  column->addWidget(new StatusPanel(lines_, &view));
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addStretch();
  column->addLayout(row);
  QObject::connect(ok, &QPushButton::clicked, &view, &QDialog::accept);

  view.adjustSize();
  QScreen* screen = owner != nullptr ? static_cast<QWidget*>(owner)->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect area = screen->geometry();
    view.move(area.x() + std::max(0, (area.width() - view.width()) / 2),
              area.y() + std::max(0, (area.height() - view.height()) / 2));
  }
  return view.exec() == QDialog::Accepted;
}

}  // namespace sonavue::dialogs
