#pragma once
// The small "Please wait ..." window shown while the catalogue loads. The load blocks the
// event loop, so the window is painted once when it appears.

#include <QWidget>

namespace vistrel {

class SplashWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SplashWindow(QWidget* parent = nullptr);

  // Shows the window centred on the screen and paints it before returning.
  void ShowNow();
};

// Shows a new splash window for the lifetime of the object, also when the load throws.
class ScopedSplash {
 public:
  ScopedSplash();
  ~ScopedSplash();
  ScopedSplash(const ScopedSplash&) = delete;
  ScopedSplash& operator=(const ScopedSplash&) = delete;

 private:
  SplashWindow* window_;
};

}  // namespace vistrel
