#include "support/update_dialog_steps.h"

#include <QPushButton>
#include <QTest>

#include "gui/update_dialog.h"

namespace vistrel {

void CloseWhenDownloadEnds(ModalDriver& driver, bool close_box) {
  driver.Then([close_box](QWidget* modal) {
    auto* form = qobject_cast<UpdateDialog*>(modal);
    QVERIFY(form);
    auto end = [form, close_box] {
      if (close_box) {
        form->close();
      } else {
        form->findChild<QPushButton*>("closeButton")->click();
      }
    };
    // A short download may be over already.
    if (form->findChild<QPushButton*>("closeButton")->isVisible() && !form->downloading()) {
      end();
      return;
    }
    QObject::connect(
        form, &UpdateDialog::DownloadFinished, form, end,
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
  });
}

}  // namespace vistrel
