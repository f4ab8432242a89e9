#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/DisplayBitmap.h"
#include "platform/NativeWindow.h"
#include "platform/Printer.h"

namespace sonavue::platform {
namespace {

// The resolution pages are made at when the printer leaves it to the
// program: fine enough for the axis text, small enough for the page image
// (an A4 page is then 4960 × 7016 pixels).
constexpr int kPrintDotsPerInch = 600;

// One document on a QPrinter: a painter open from BeginDocument to
// EndDocument. The printable area's top-left corner is the origin, as the
// printer's device context has it.
class QtPrinterBase : public Printer {
 public:
  std::optional<Size> BeginDocument(const std::string& name) override {
    if (painter_.isActive()) painter_.end();
    printer_.setDocName(QString::fromStdString(name));
    printer_.setFromTo(1, 1);
    printer_.setCopyCount(1);
    if (!painter_.begin(&printer_)) return std::nullopt;
    const QRect area = printer_.pageLayout().paintRectPixels(printer_.resolution());
    return Size{area.width(), area.height()};
  }

  bool DrawImage(const DisplayBitmap& image, Point at) override {
    if (!painter_.isActive() || image.IsNull()) return false;
    const auto* native = static_cast<const QImage*>(image.NativeImage());
    painter_.drawImage(QPoint(at.x, at.y), *native);
    return true;
  }

  bool EndDocument() override {
    if (!painter_.isActive()) return false;
    return painter_.end();
  }

  void AbortDocument() override {
    if (!painter_.isActive()) return;
    printer_.abort();
    painter_.end();
  }

 protected:
  QPrinter printer_{QPrinter::HighResolution};
  QPainter painter_;
};

class QtDialogPrinter final : public QtPrinterBase {
 public:
  explicit QtDialogPrinter(std::function<NativeWindow*()> owner) : owner_(std::move(owner)) {
    printer_.setResolution(kPrintDotsPerInch);
  }

  bool ChoosePrinter() override {
    NativeWindow* window = owner_ ? owner_() : nullptr;
    QWidget* parent = window != nullptr && !window->IsDestroyed()
                          ? static_cast<QWidget*>(window->NativeHandle())
                          : nullptr;
    printer_.setFromTo(1, 1);
    printer_.setCopyCount(1);
    QPrintDialog dialog(&printer_, parent);
    dialog.setMinMax(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    return dialog.exec() == QDialog::Accepted;
  }

 private:
  std::function<NativeWindow*()> owner_;
};

class PdfPrinter final : public QtPrinterBase {
 public:
  PdfPrinter(const std::filesystem::path& file, PdfPageSetup page, bool chooseAnswer)
      : chooseAnswer_(chooseAnswer) {
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(QString::fromStdString(file.string()));
    printer_.setResolution(page.dotsPerInch);
    const QPageSize size(QSizeF(page.widthMm, page.heightMm), QPageSize::Millimeter);
    printer_.setPageLayout(QPageLayout(size, QPageLayout::Portrait,
                                       QMarginsF(page.marginMm, page.marginMm, page.marginMm, page.marginMm),
                                       QPageLayout::Millimeter));
  }

  bool ChoosePrinter() override { return chooseAnswer_; }

 private:
  bool chooseAnswer_;
};

}  // namespace

std::unique_ptr<Printer> MakeQtPrinter(std::function<NativeWindow*()> owner) {
  return std::make_unique<QtDialogPrinter>(std::move(owner));
}

std::unique_ptr<Printer> MakePdfPrinter(const std::filesystem::path& file, PdfPageSetup page,
                                        bool chooseAnswer) {
  return std::make_unique<PdfPrinter>(file, page, chooseAnswer);
}

}  // namespace sonavue::platform
