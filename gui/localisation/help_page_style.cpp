#include "gui/localisation/help_page_style.h"

#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "gui/common/contrast.h"

namespace quillon {
namespace {

// Where a format keeps the colour the page gave it, before any palette.
constexpr int kPageForeground = QTextFormat::UserProperty + 1;
constexpr int kPageBackground = QTextFormat::UserProperty + 2;

// The colour the page gave for `property` (foreground or background),
// remembered the first time; invalid when the page gave none.
QColor PageColour(QTextFormat& format, int property, int page_property) {
  if (!format.hasProperty(page_property)) {
    const QBrush brush = format.brushProperty(property);
    format.setProperty(page_property, brush.style() == Qt::NoBrush ? QColor() : brush.color());
  }
  return format.colorProperty(page_property);
}

// The background the page asks for, or the palette's alternate base when the
// palette's text would not read on it; invalid for no background.
QColor FittedBackground(const QColor& page, const QPalette& palette) {
  if (!page.isValid()) return QColor();
  const QColor text = palette.color(QPalette::Text);
  if (ContrastRatio(page, text) >= kReadableContrast) return page;
  return palette.color(QPalette::AlternateBase);
}

void FitBackground(QTextFormat& format, const QPalette& palette) {
  const QColor background =
      FittedBackground(PageColour(format, QTextFormat::BackgroundBrush, kPageBackground), palette);
  if (background.isValid()) {
    format.setProperty(QTextFormat::BackgroundBrush, QBrush(background));
  } else {
    format.clearProperty(QTextFormat::BackgroundBrush);
  }
}

// The table cells: their backgrounds, by the cell a position lies in.
void FitTables(QTextFrame* frame, const QPalette& palette) {
  for (QTextFrame* child : frame->childFrames()) {
    if (auto* table = qobject_cast<QTextTable*>(child)) {
      for (int row = 0; row < table->rows(); ++row) {
        for (int column = 0; column < table->columns(); ++column) {
          QTextTableCell cell = table->cellAt(row, column);
          if (cell.row() != row || cell.column() != column) continue;  // spanned
          QTextCharFormat format = cell.format();
          FitBackground(format, palette);
          cell.setFormat(format);
        }
      }
    }
    FitTables(child, palette);
  }
}

// The background of the table cell `at` lies in, fitted first (a cell
// that FitTables did not reach, such as one of a table that follows another
// directly, is fitted here); invalid outside tables or for none.
QColor CellBackground(const QTextCursor& at, const QPalette& palette) {
  QTextTable* table = at.currentTable();
  if (!table) return QColor();
  QTextTableCell cell = table->cellAt(at);
  QTextCharFormat format = cell.format();
  FitBackground(format, palette);
  cell.setFormat(format);
  const QBrush brush = table->cellAt(at).format().background();
  return brush.style() == Qt::NoBrush ? QColor() : brush.color();
}

// A stretch of a block in one format; formats are set after the block's
// fragments have all been read, since setting one may merge fragments.
struct Stretch {
  int position = 0;
  int length = 0;
  QTextCharFormat format;
};

std::vector<Stretch> Stretches(const QTextBlock& block) {
  std::vector<Stretch> stretches;
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (fragment.isValid())
      stretches.push_back({fragment.position(), fragment.length(), fragment.charFormat()});
  }
  return stretches;
}

void SetFormat(QTextDocument* page, const Stretch& stretch, const QTextCharFormat& format) {
  QTextCursor cursor(page);
  cursor.setPosition(stretch.position);
  cursor.setPosition(stretch.position + stretch.length, QTextCursor::KeepAnchor);
  cursor.setCharFormat(format);
}

void FitStretch(QTextDocument* page, const Stretch& stretch, const QColor& under,
                const QPalette& palette) {
  QTextCharFormat format = stretch.format;
  if (format.isImageFormat()) return;
  // A background behind the text itself, as a table heading's may be.
  FitBackground(format, palette);
  const QColor own_background =
      format.background().style() == Qt::NoBrush ? under : format.background().color();
  const QColor page_colour = PageColour(format, QTextFormat::ForegroundBrush, kPageForeground);
  QColor colour;
  if (format.isAnchor() && !format.anchorHref().isEmpty()) {
    colour = palette.color(QPalette::Link);
  } else if (page_colour.isValid() &&
             ContrastRatio(page_colour, own_background) >= kReadableContrast) {
    colour = page_colour;
  }
  if (colour.isValid()) {
    format.setForeground(colour);
  } else {
    format.clearForeground();
  }
  SetFormat(page, stretch, format);
}

}  // namespace

void FitPageToPalette(QTextDocument* page, const QPalette& palette) {
  const bool undo = page->isUndoRedoEnabled();
  page->setUndoRedoEnabled(false);
  FitTables(page->rootFrame(), palette);
  for (QTextBlock block = page->begin(); block.isValid(); block = block.next()) {
    QTextBlockFormat format = block.blockFormat();
    FitBackground(format, palette);
    QTextCursor cursor(block);
    cursor.setBlockFormat(format);
    // What lies under the block's text: its own background, its cell's, or
    // the page's base.
    QColor under = format.background().style() == Qt::NoBrush ? CellBackground(cursor, palette)
                                                              : format.background().color();
    if (!under.isValid()) under = palette.color(QPalette::Base);
    for (const Stretch& stretch : Stretches(block)) FitStretch(page, stretch, under, palette);
  }
  page->setUndoRedoEnabled(undo);
}

void FitPageToWidth(QTextDocument* page, double width) {
  const bool undo = page->isUndoRedoEnabled();
  page->setUndoRedoEnabled(false);
  for (QTextBlock block = page->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().nonBreakableLines()) {
      QTextBlockFormat format = block.blockFormat();
      format.setNonBreakableLines(false);
      QTextCursor(block).setBlockFormat(format);
    }
    for (const Stretch& stretch : Stretches(block)) {
      if (!stretch.format.isImageFormat()) continue;
      QTextImageFormat image = stretch.format.toImageFormat();
      const QVariant resource = page->resource(QTextDocument::ImageResource, QUrl(image.name()));
      QSizeF natural;
      if (resource.canConvert<QImage>()) natural = resource.value<QImage>().size();
      if (resource.canConvert<QPixmap>())
        natural = resource.value<QPixmap>().deviceIndependentSize();
      if (natural.isEmpty()) continue;
      const double shown = std::min(natural.width(), std::max(width, 1.0));
      if (qFuzzyCompare(image.width(), shown)) continue;
      image.setWidth(shown);
      image.setHeight(natural.height() * shown / natural.width());
      SetFormat(page, stretch, image);
    }
  }
  page->setUndoRedoEnabled(undo);
}

}  // namespace quillon
