#include "playback/mpv/video_surface.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPalette>
#include <QVBoxLayout>

namespace vistrel {

VideoSurface::VideoSurface(QWidget* parent) : QWidget(parent), layout_(new QVBoxLayout(this)) {
  layout_->setContentsMargins(0, 0, 0, 0);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::black);
  setPalette(palette);
  setAutoFillBackground(true);
}

VideoSurface::~VideoSurface() {
  SetFullScreen(false);  // the content returns here and goes with the surface
}

void VideoSurface::SetContent(QWidget* content) {
  SetFullScreen(false);
  delete content_;
  content_ = content;
  if (content_ != nullptr) layout_->addWidget(content_);
}

void VideoSurface::SetFullScreen(bool full_screen) {
  if (full_screen == full_screen_ || content_ == nullptr) return;
  if (full_screen) {
    QWidget* top = window();
    if (top == this) return;
    full_screen_ = true;
    top_ = top;
    top_state_ = top->windowState();
    // The picture stays in the same top-level window, so its drawing context survives.
    layout_->removeWidget(content_);
    content_->setParent(top);
    content_->setGeometry(top->rect());
    content_->setFocusPolicy(Qt::StrongFocus);
    content_->show();
    content_->raise();
    content_->setFocus(Qt::OtherFocusReason);
    top->installEventFilter(this);
    content_->installEventFilter(this);
    // Esc leaves wherever the focus went meanwhile.
    qApp->installEventFilter(this);
    top->setWindowState((top_state_ & ~Qt::WindowMinimized) | Qt::WindowFullScreen);
    top->show();
    return;
  }
  full_screen_ = false;
  qApp->removeEventFilter(this);
  content_->removeEventFilter(this);
  content_->setFocusPolicy(Qt::NoFocus);
  layout_->addWidget(content_);  // back under the surface
  content_->show();
  if (top_ != nullptr) {
    top_->removeEventFilter(this);
    top_->setWindowState(top_state_ & ~Qt::WindowFullScreen);
  }
  top_ = nullptr;
}

bool VideoSurface::eventFilter(QObject* watched, QEvent* event) {
  if (!full_screen_) return QWidget::eventFilter(watched, event);
  if (watched == top_ && event->type() == QEvent::Resize && content_ != nullptr) {
    content_->setGeometry(top_->rect());
  }
  const bool is_escape =
      (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == top_;
  if (is_escape) {
    event->accept();
    if (event->type() == QEvent::KeyPress) SetFullScreen(false);
    return true;
  }
  if (watched == content_ && event->type() == QEvent::MouseButtonDblClick) {
    SetFullScreen(false);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vistrel
