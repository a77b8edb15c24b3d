#pragma once
// Keeps the screen saver from starting while a window is shown, through the desktop's
// org.freedesktop.ScreenSaver service on the session bus. Where there is no session bus or no
// such service nothing happens and nothing is reported.

#include <QObject>
#include <QPointer>
#include <cstdint>

class QWidget;

namespace vistrel {

class ScreenSaverInhibitor : public QObject {
  Q_OBJECT

 public:
  // Watches `window`'s show and hide events; the inhibition ends with the window's hiding or
  // with this object.
  explicit ScreenSaverInhibitor(QWidget* window);
  ~ScreenSaverInhibitor() override;

  // True while the service has granted an inhibition.
  bool active() const { return cookie_ != 0; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Inhibit();
  void Release();

  QPointer<QWidget> window_;
  uint32_t cookie_ = 0;
  bool pending_ = false;  // an Inhibit call is on its way
  bool wanted_ = false;   // the window is shown; an answer that comes after hiding is released
};

}  // namespace vistrel
