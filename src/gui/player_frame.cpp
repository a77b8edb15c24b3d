#include "gui/player_frame.h"

#include <QLinearGradient>
#include <QPainter>

namespace vistrel {

PlayerFrame::PlayerFrame(QWidget* parent) : QWidget(parent) {}

void PlayerFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient shade(0, 0, 0, height());
  shade.setColorAt(0, QColor(214, 214, 214));
  shade.setColorAt(1, QColor(120, 120, 120));
  painter.fillRect(rect(), shade);
  painter.setPen(QColor(96, 96, 96));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vistrel
