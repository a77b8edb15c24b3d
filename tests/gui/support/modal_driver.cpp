#include "support/modal_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <algorithm>

namespace vistrel {

void ModalDriver::Then(Step step) {
  steps_.push_back(std::move(step));
}

void ModalDriver::Answer(QMessageBox::StandardButton button) {
  Then([this, button](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) {
      failure_ = "expected a message box, got " + modal->objectName();
      modal->close();
      return;
    }
    boxes_.push_back({box->text(), box->icon(), box->standardButtons()});
    if (QAbstractButton* b = box->button(button)) {
      b->click();
    } else {
      failure_ = "the box has not the expected button: " + box->text();
      box->close();
    }
  });
}

void ModalDriver::Start(int timeout_ms) {
  timeout_ms_ = timeout_ms;
  clock_.start();
  Schedule();
}

void ModalDriver::Schedule() {
  // A fresh timer each time: one still inside a step (in a nested event loop) does not fire.
  QTimer::singleShot(5, this, &ModalDriver::Tick);
}

void ModalDriver::Tick() {
  if (steps_.empty() && running_.empty()) return;
  Schedule();
  QWidget* current = QApplication::activeModalWidget();
  if (current != last_seen_) {
    last_seen_ = current;
    changed_ = true;
  }
  if (clock_.elapsed() > timeout_ms_) {
    if (failure_.isEmpty()) failure_ = "modal windows left unanswered";
    steps_.clear();
    if (current) current->close();
    return;
  }
  if (!current || !changed_ || steps_.empty() || !current->isVisible()) return;
  if (std::find(running_.begin(), running_.end(), current) != running_.end()) return;
  changed_ = false;
  Step step = std::move(steps_.front());
  steps_.pop_front();
  running_.push_back(current);
  step(current);
  running_.pop_back();
}

}  // namespace vistrel
