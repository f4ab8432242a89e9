#include "dialogs/MarkerDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <algorithm>
#include <cctype>
#include <climits>

#include "context/App.h"

namespace sonavue::dialogs {
namespace {

constexpr std::size_t kReadChars = 7;

std::size_t Slot(int editId) { return editId == IDC_MARKER2 ? 1 : 0; }

}  // namespace

int ParseMarkerText(const std::string& text) {
  const std::string head = text.substr(0, kReadChars);
  std::size_t i = 0;
  while (i < head.size() && std::isspace(static_cast<unsigned char>(head[i])) != 0) ++i;
  bool negative = false;
  if (i < head.size() && (head[i] == '-' || head[i] == '+')) negative = head[i++] == '-';
  long value = 0;
  while (i < head.size() && std::isdigit(static_cast<unsigned char>(head[i])) != 0) {
    value = value * 10 + (head[i++] - '0');  // at most 7 digits: no overflow
  }
  return negative ? 0 : static_cast<int>(value);
}

FrequencyMarkersModel::FrequencyMarkersModel(int marker1Hz, int marker2Hz)
    : texts_{std::to_string(static_cast<unsigned>(std::max(0, marker1Hz))),
             std::to_string(static_cast<unsigned>(std::max(0, marker2Hz)))} {}

void FrequencyMarkersModel::SetText(int editId, const std::string& text) { texts_[Slot(editId)] = text; }

const std::string& FrequencyMarkersModel::Text(int editId) const { return texts_[Slot(editId)]; }

std::array<int, 2> FrequencyMarkersModel::Markers() const {
  return {ParseMarkerText(texts_[0]), ParseMarkerText(texts_[1])};
}

bool FrequencyMarkersDialog::Exec(void* owner) {
  QDialog dialog(static_cast<QWidget*>(owner));
  dialog.setWindowTitle(QString::fromUtf8(kMarkerDialogTitle));
  auto* form = new QFormLayout(&dialog);
  for (const auto& [id, label] : {std::pair{IDC_MARKER1, "Marker 1 (Hz)"}, std::pair{IDC_MARKER2, "Marker 2 (Hz)"}}) {
    auto* edit = new QLineEdit(QString::fromStdString(model_.Text(id)));
    edit->setObjectName(QString::number(id));
    QObject::connect(edit, &QLineEdit::textChanged, &dialog,
                     [this, id = id](const QString& text) { model_.SetText(id, text.toStdString()); });
    form->addRow(QString::fromUtf8(label), edit);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  dialog.adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    const int x = area.x() + (area.width() - dialog.width()) / 2;
    const int y = area.y() + (area.height() - dialog.height()) / 2 - kMarkerDialogRaise;
    dialog.move(std::max(0, x), std::max(0, y));
  }
  return dialog.exec() == QDialog::Accepted;
}

bool RunFrequencyMarkersDialog(app::App& app) {
  FrequencyMarkersDialog dialog(app.params.frequencyMarker1Hz, app.params.frequencyMarker2Hz);
  if (!app.prompts.RunDialog(dialog)) return false;
  const std::array<int, 2> markers = dialog.Model().Markers();
  app.params.frequencyMarker1Hz = markers[0];
  app.params.frequencyMarker2Hz = markers[1];
  return true;
}

}  // namespace sonavue::dialogs
