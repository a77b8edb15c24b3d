#pragma once
// Where the picture sits in the main window: a black area holding the picture widget. In full
// screen the main window fills the screen and the picture covers all of it; Esc or a double
// click on the picture gives the window back its former state and layout.

#include <QPointer>
#include <QWidget>

class QVBoxLayout;

namespace vistrel {

class VideoSurface : public QWidget {
 public:
  explicit VideoSurface(QWidget* parent);
  ~VideoSurface() override;

  // Shows `content` (the picture, or a plain stand-in) filling the area; the surface owns it.
  void SetContent(QWidget* content);
  QWidget* content() const { return content_; }

  // Nothing happens when the surface is not inside a window or the state would not change.
  void SetFullScreen(bool full_screen);
  bool IsFullScreen() const { return full_screen_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QVBoxLayout* layout_;
  QPointer<QWidget> content_;
  QPointer<QWidget> top_;  // the window made full screen
  Qt::WindowStates top_state_;
  bool full_screen_ = false;
};

}  // namespace vistrel
