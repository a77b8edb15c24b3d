#include "gui/menu_icons.h"

#include "gui/icons.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>
#include <functional>
#include <numbers>

namespace vistrel {

namespace {

constexpr int kSize = 16;
const QColor kInk(8, 55, 114);
const QColor kGold(250, 200, 40);

QPolygonF Star(double cx, double cy, double outer) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double r = i % 2 == 0 ? outer : outer * 0.43;
    const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
    star << QPointF(cx + r * std::cos(a), cy + r * std::sin(a));
  }
  return star;
}

void DrawStar(QPainter& p, double cx, double cy, double outer) {
  p.setPen(QPen(QColor(150, 100, 0), 1));
  p.setBrush(kGold);
  p.drawPolygon(Star(cx, cy, outer));
}

void DrawFlag(QPainter& p, const QColor& cloth) {
  p.setPen(QPen(kInk, 1.5));
  p.drawLine(QPointF(3, 2), QPointF(3, 15));
  p.setPen(QPen(cloth.darker(140), 1));
  p.setBrush(cloth);
  p.drawPolygon(QPolygonF({QPointF(3.5, 2.5), QPointF(14, 5), QPointF(3.5, 9)}));
}

// A small sign in the lower right corner: plus or minus.
void DrawSign(QPainter& p, bool plus, const QColor& color) {
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawRect(QRectF(9, 11.5, 7, 2.5));
  if (plus) p.drawRect(QRectF(11.25, 9.25, 2.5, 7));
}

}  // namespace

QIcon MenuIcon(MenuGlyph glyph) {
  switch (glyph) {
    case MenuGlyph::kWatch:
      return DrawnIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 140, 40));
        p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
      });
    case MenuGlyph::kAddToFavorites:
      return DrawnIcon([](QPainter& p) {
        DrawStar(p, 7, 7.5, 7);
        DrawSign(p, true, QColor(30, 140, 40));
      });
    case MenuGlyph::kRemoveFromFavorites:
      return DrawnIcon([](QPainter& p) {
        DrawStar(p, 7, 7.5, 7);
        DrawSign(p, false, QColor(200, 30, 30));
      });
    case MenuGlyph::kHomepage:
      return DrawnIcon([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(120, 170, 230));
        p.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(15, 8), QPointF(1, 8)}));
        p.drawRect(QRectF(3.5, 8, 9, 6.5));
        p.setBrush(kInk);
        p.drawRect(QRectF(7, 10.5, 2.5, 4));
      });
    case MenuGlyph::kRate:
      return DrawnIcon([](QPainter& p) { DrawStar(p, 8, 8.5, 7.5); });
    case MenuGlyph::kFlag:
      return DrawnIcon([](QPainter& p) { DrawFlag(p, QColor(150, 150, 150)); });
    case MenuGlyph::kUpdate:
      return DrawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(200, 120, 20), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(4, 12), QPointF(13, 3));
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(1.5, 14.5), QPointF(3.5, 12.5));
      });
    case MenuGlyph::kRemove:
      return DrawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
      });
    case MenuGlyph::kGuide:
      // A page of programme lines.
      return DrawnIcon([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(250, 250, 240));
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        p.setPen(QPen(QColor(40, 90, 170), 1.5));
        for (double y : {5.0, 8.0, 11.0}) p.drawLine(QPointF(4.5, y), QPointF(11.5, y));
      });
  }
  return QIcon();
}

QIcon RatingIcon(int stars) {
  return DrawnIcon([stars](QPainter& p) {
    DrawStar(p, 8, 8.5, 7.5);
    QFont font({"DejaVu Sans", "Sans Serif"});
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kInk);
    p.drawText(QRectF(0, 3, kSize, kSize - 3), Qt::AlignCenter, QString::number(stars));
  });
}

QIcon FlagIcon(ChannelStatus status) {
  QColor cloth(150, 150, 150);
  switch (status) {
    case ChannelStatus::kWorkFine:
      cloth = QColor(40, 160, 60);
      break;
    case ChannelStatus::kNotWorking:
      cloth = QColor(210, 40, 40);
      break;
    case ChannelStatus::kWrongInfo:
      cloth = QColor(235, 150, 20);
      break;
    case ChannelStatus::kDuplicate:
      cloth = QColor(130, 90, 180);
      break;
    case ChannelStatus::kSpam:
      cloth = QColor(90, 90, 90);
      break;
    case ChannelStatus::kNew:
      break;
  }
  return DrawnIcon([cloth](QPainter& p) { DrawFlag(p, cloth); });
}

}  // namespace vistrel
