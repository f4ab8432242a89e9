// Renders a Markdown text to a PDF document: make-help INPUT.md OUTPUT.pdf.
// A4 pages at 300 dots per inch, numbered at the foot; tables get ruled
// cells with a shaded heading row, code blocks a shaded box in a fixed-pitch
// font. Needs no network and no outside program: Qt's own text layout.

#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cstdio>

namespace {

const QColor kShade(0xEE, 0xEE, 0xEE);
const QColor kRule(0x88, 0x88, 0x88);

void StyleTable(QTextTable* table) {
  QTextTableFormat format = table->format();
  format.setBorder(0.5);
  format.setBorderBrush(kRule);
  format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
  format.setCellPadding(3);
  format.setCellSpacing(0);
  format.setTopMargin(4);
  format.setBottomMargin(8);
  format.setHeaderRowCount(1);
  table->setFormat(format);
  for (int column = 0; column < table->columns(); ++column) {
    QTextTableCell cell = table->cellAt(0, column);
    QTextCharFormat heading = cell.format();
    heading.setBackground(kShade);
    heading.setFontWeight(QFont::Bold);
    cell.setFormat(heading);
  }
}

// Code blocks come from the Markdown reader marked with a (possibly empty)
// code language.
bool IsCode(const QTextBlock& block) {
  const QTextBlockFormat format = block.blockFormat();
  return format.hasProperty(QTextFormat::BlockCodeLanguage) || format.hasProperty(QTextFormat::BlockCodeFence);
}

void StyleBlocks(QTextDocument& document) {
  QTextCursor cursor(&document);
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    cursor.setPosition(block.position());
    QTextBlockFormat format = block.blockFormat();
    if (IsCode(block)) {
      format.setBackground(kShade);
      format.setLeftMargin(12);
      format.setRightMargin(12);
      cursor.setBlockFormat(format);
    } else if (format.headingLevel() > 0) {
      format.setTopMargin(format.headingLevel() <= 2 ? 14 : 8);
      format.setBottomMargin(4);
      cursor.setBlockFormat(format);
    }
  }
  for (QTextFrame* frame : document.rootFrame()->childFrames()) {
    if (auto* table = qobject_cast<QTextTable*>(frame)) StyleTable(table);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: make-help INPUT.md OUTPUT.pdf\n");
    return 2;
  }
  QFile input(QString::fromLocal8Bit(argv[1]));
  if (!input.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "make-help: cannot read %s\n", argv[1]);
    return 1;
  }
  QTextDocument document;
  document.setDefaultFont(QFont("Liberation Sans", 10));
  document.setMarkdown(QString::fromUtf8(input.readAll()));
  StyleBlocks(document);

  QPdfWriter writer(QString::fromLocal8Bit(argv[2]));
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setResolution(300);
  writer.setTitle(document.toPlainText().section('\n', 0, 0));
  writer.setCreator("Sonavue");
  document.print(&writer);
  return 0;
}
