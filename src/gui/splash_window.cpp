#include "gui/splash_window.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QStyle>

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
  QFont font({"Tahoma", "DejaVu Sans", "Sans Serif"});
  font.setPointSize(8);
  label->setFont(font);
  label->move(89, 23);
  label->adjustSize();
}

void SplashWindow::ShowNow() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
  }
  show();
  raise();
  // Only painting and window-system events: no input reaches the program during a load.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
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
