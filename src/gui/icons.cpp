#include "gui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>

namespace vistrel {

namespace {

constexpr int kSize = 16;

QPolygonF Star() {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double r = i % 2 == 0 ? 7.5 : 3.2;
    const double a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
    star << QPointF(8 + r * std::cos(a), 8.5 + r * std::sin(a));
  }
  return star;
}

QIcon FallbackIcon(ButtonGlyph glyph) {
  const QColor ink(8, 55, 114);
  switch (glyph) {
    case ButtonGlyph::kFavorites:
      return DrawnIcon([](QPainter& p) {
        p.setPen(QPen(QColor(150, 100, 0), 1));
        p.setBrush(QColor(250, 200, 40));
        p.drawPolygon(Star());
      });
    case ButtonGlyph::kUpdate:
      return DrawnIcon([ink](QPainter& p) {
        p.setPen(QPen(ink, 2));
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({QPointF(10, 1), QPointF(15, 4), QPointF(10, 7)}));
      });
    case ButtonGlyph::kAdd:
      return DrawnIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 140, 40));
        p.drawRect(QRectF(6.5, 2, 3, 12));
        p.drawRect(QRectF(2, 6.5, 12, 3));
      });
    case ButtonGlyph::kFilter:
      return DrawnIcon([ink](QPainter& p) {
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(120, 170, 230));
        p.drawPolygon(QPolygonF({QPointF(1.5, 2.5), QPointF(14.5, 2.5), QPointF(9.5, 8.5),
                                 QPointF(9.5, 14), QPointF(6.5, 12.5), QPointF(6.5, 8.5)}));
      });
    case ButtonGlyph::kStop:
      return DrawnIcon([ink](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRect(QRectF(3, 3, 10, 10));
      });
    case ButtonGlyph::kPlay:
      return DrawnIcon([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 140, 40));
        p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(14, 8), QPointF(4, 14)}));
      });
    case ButtonGlyph::kFullscreen:
      return DrawnIcon([ink](QPainter& p) {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 3.5, 11, 9));
        p.drawLine(QPointF(5, 6), QPointF(11, 10));
        p.drawLine(QPointF(11, 6), QPointF(5, 10));
      });
    case ButtonGlyph::kMute:
      return DrawnIcon([ink](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(4, 6), QPointF(8, 2), QPointF(8, 14),
                                 QPointF(4, 10), QPointF(1, 10)}));
        p.setPen(QPen(QColor(200, 30, 30), 1.5));
        p.drawLine(QPointF(10, 5), QPointF(15, 11));
        p.drawLine(QPointF(15, 5), QPointF(10, 11));
      });
  }
  return QIcon();
}

const char* ThemeName(ButtonGlyph glyph) {
  switch (glyph) {
    case ButtonGlyph::kFavorites:
      return "emblem-favorite";
    case ButtonGlyph::kUpdate:
      return "view-refresh";
    case ButtonGlyph::kAdd:
      return "list-add";
    case ButtonGlyph::kFilter:
      return "view-filter";
    case ButtonGlyph::kStop:
      return "media-playback-stop";
    case ButtonGlyph::kPlay:
      return "media-playback-start";
    case ButtonGlyph::kFullscreen:
      return "view-fullscreen";
    case ButtonGlyph::kMute:
      return "audio-volume-muted";
  }
  return "";
}

// A round badge in the status colour with a white mark in it.
QIcon Badge(QColor fill, const std::function<void(QPainter&)>& mark) {
  return DrawnIcon([fill, mark](QPainter& p) {
    p.setPen(QPen(fill.darker(140), 1));
    p.setBrush(fill);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    mark(p);
  });
}

}  // namespace

QIcon DrawnIcon(const std::function<void(QPainter&)>& draw) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p);
  p.end();
  return QIcon(pixmap);
}

QIcon ButtonIcon(ButtonGlyph glyph) {
  return QIcon::fromTheme(QString::fromLatin1(ThemeName(glyph)), FallbackIcon(glyph));
}

QIcon StatusIcon(int32_t status) {
  switch (status) {
    case 0:  // works fine: a tick
      return Badge(QColor(40, 160, 60), [](QPainter& p) {
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
      });
    case 1:  // not working: a cross
      return Badge(QColor(210, 40, 40), [](QPainter& p) {
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
      });
    case 2:  // new, no reports yet: a dot
      return Badge(QColor(40, 110, 210), [](QPainter& p) {
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(6.5, 6.5, 3, 3));
      });
    case 3:  // wrong info: an exclamation mark
      return Badge(QColor(235, 150, 20), [](QPainter& p) {
        p.drawLine(QPointF(8, 4.5), QPointF(8, 8.5));
        p.drawPoint(QPointF(8, 11.5));
      });
    case 4:  // duplicate: two bars
      return Badge(QColor(130, 90, 180), [](QPainter& p) {
        p.drawLine(QPointF(5, 6.5), QPointF(11, 6.5));
        p.drawLine(QPointF(5, 9.5), QPointF(11, 9.5));
      });
    case 5:  // spam: a bar across
      return Badge(QColor(90, 90, 90),
                   [](QPainter& p) { p.drawLine(QPointF(4.5, 8), QPointF(11.5, 8)); });
    default:
      return QIcon();
  }
}

}  // namespace vistrel
