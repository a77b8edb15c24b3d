#include "gui/splash_window.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "gui/text_fit.h"

namespace vistrel {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("splashWindow");
  setAccessibleName("Please wait");
  setFixedSize(251, 60);

  auto* panel = new QFrame(this);
  panel->setObjectName("splashPanel");
  panel->setGeometry(0, 0, 251, 60);
  panel->setFrameShape(QFrame::Box);
  panel->setLineWidth(1);
  panel->setAutoFillBackground(true);
  QPalette colours = panel->palette();
  colours.setColor(QPalette::Window, QColor(166, 202, 240));
  colours.setColor(QPalette::WindowText, QColor(8, 55, 114));
  panel->setPalette(colours);

  auto* label = new QLabel("Please wait ...", panel);
  label->setObjectName("pleaseWaitLabel");
  label->setFont(WindowFont());
  label->adjustSize();
  // The design place while the text fits; with a larger font the window grows around it.
  const QSize size(std::max(251, label->width() + 2 * 24), std::max(60, label->height() + 2 * 16));
  setFixedSize(size);
  panel->setGeometry(QRect(QPoint(0, 0), size));
  label->move(
      label->width() + 2 * 89 <= size.width() ? 89 : (size.width() - label->width()) / 2,
      label->height() + 2 * 23 <= size.height() ? 23 : (size.height() - label->height()) / 2);
}

void SplashWindow::ShowNow() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
  }
  show();
  raise();
  // Painted at once, without running the event loop: no input reaches the program during a
  // load.
  repaint();
}

ScopedSplash::ScopedSplash() : window_(new SplashWindow) {
  window_->ShowNow();
}

ScopedSplash::~ScopedSplash() {
  window_->hide();
  delete window_;
}

}  // namespace vistrel
