#include "gui/localisation/about_logos.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quillon {
namespace {

// Paints in a 100 x 100 box whatever the pixel size.
QPixmap Canvas(int size, QPainter* painter) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  painter->begin(&pixmap);
  painter->setRenderHint(QPainter::Antialiasing);
  painter->scale(size / 100.0, size / 100.0);
  return pixmap;
}

void RoundedBackground(QPainter* painter, const QColor& top, const QColor& bottom) {
  QLinearGradient gradient(0, 0, 0, 100);
  gradient.setColorAt(0, top);
  gradient.setColorAt(1, bottom);
  painter->setPen(Qt::NoPen);
  painter->setBrush(gradient);
  painter->drawRoundedRect(QRectF(2, 2, 96, 96), 18, 18);
}

// Five code holes and the smaller feed hole of one Baudot tape column.
void TapeColumn(QPainter* painter, qreal x, unsigned code) {
  for (int bit = 0; bit < 5; ++bit) {
    const qreal y = 56 + bit * 7 + (bit >= 2 ? 4 : 0);
    if (code & (1u << bit)) painter->drawEllipse(QPointF(x, y), 2.6, 2.6);
  }
  painter->drawEllipse(QPointF(x, 68.5), 1.2, 1.2);
}

}  // namespace

QPixmap MakerLogo(int size) {
  QPainter painter;
  QPixmap pixmap = Canvas(size, &painter);
  RoundedBackground(&painter, QColor(0x1f, 0x4e, 0x8c), QColor(0x0d, 0x2a, 0x52));
  painter.setBrush(QColor(0xf4, 0xe9, 0xc8));
  painter.drawRect(QRectF(10, 50, 80, 44));
  painter.setBrush(QColor(0x0d, 0x2a, 0x52));
  // "QUILLON" in Baudot, bit 1 at the top of the tape.
  const unsigned columns[] = {0x17, 0x07, 0x06, 0x12, 0x12, 0x18, 0x0C};
  for (int i = 0; i < 7; ++i) TapeColumn(&painter, 20 + i * 10, columns[i]);
  QPainterPath quill;
  quill.moveTo(30, 62);
  quill.cubicTo(40, 30, 62, 14, 86, 8);
  quill.cubicTo(78, 26, 60, 44, 30, 62);
  painter.setBrush(Qt::white);
  painter.drawPath(quill);
  painter.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 1.5));
  painter.drawLine(QPointF(32, 60), QPointF(80, 13));
  painter.end();
  return pixmap;
}

QPixmap ProductLogo(int size) {
  QPainter painter;
  QPixmap pixmap = Canvas(size, &painter);
  RoundedBackground(&painter, QColor(0x2e, 0x8b, 0x57), QColor(0x14, 0x4d, 0x2e));
  QPainterPath handset;
  handset.moveTo(18, 30);
  handset.cubicTo(18, 70, 38, 84, 62, 84);
  handset.lineTo(66, 70);
  handset.lineTo(54, 62);
  handset.lineTo(46, 68);
  handset.cubicTo(38, 62, 34, 54, 32, 46);
  handset.lineTo(40, 40);
  handset.lineTo(34, 26);
  handset.closeSubpath();
  painter.setBrush(Qt::white);
  painter.drawPath(handset);
  painter.setBrush(Qt::NoBrush);
  for (int ring = 0; ring < 3; ++ring) {
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    const qreal r = 14 + ring * 10;
    painter.drawArc(QRectF(58 - r, 42 - r, 2 * r, 2 * r), 0 * 16, 90 * 16);
  }
  painter.end();
  return pixmap;
}

}  // namespace quillon
