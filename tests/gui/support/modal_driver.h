#pragma once
// Answers the modal windows that a test opens, as a user would: one step per window that comes
// up (or comes back on top after another one closed), in the order the steps were added.

#include <QElapsedTimer>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>

namespace vistrel {

// What a message box showed.
struct SeenBox {
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
};

class ModalDriver : public QObject {
  Q_OBJECT

 public:
  using Step = std::function<void(QWidget* modal)>;

  // Runs `step` on the next modal window on top. A step may open further modal windows; their
  // steps run meanwhile, and a window whose step is still running gets no other step.
  void Then(Step step);
  // The next modal window must be a message box: it is recorded in boxes() and answered with
  // `button`.
  void Answer(QMessageBox::StandardButton button);

  // Starts watching. Steps still waiting after `timeout_ms` count as a failure, and every modal
  // window is closed so that the test ends.
  void Start(int timeout_ms = 20000);

  bool finished() const { return steps_.empty(); }
  const QString& failure() const { return failure_; }
  const std::vector<SeenBox>& boxes() const { return boxes_; }

 private:
  void Tick();
  void Schedule();

  std::deque<Step> steps_;
  std::vector<SeenBox> boxes_;
  std::vector<QWidget*> running_;  // windows whose steps are on the stack
  QPointer<QWidget> last_seen_;
  bool changed_ = false;
  QElapsedTimer clock_;
  int timeout_ms_ = 0;
  QString failure_;
};

}  // namespace vistrel
