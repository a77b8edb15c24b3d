#include "gui/list_update.h"

#include <QDesktopServices>
#include <QDialog>

#include "common/build_config.h"
#include "gui/message_boxes.h"
#include "gui/update_dialog.h"

namespace vistrel {

ListUpdate::ListUpdate(ProgramState& state, UpdateDialog& dialog, QWidget* window,
                       ListUpdateHooks hooks)
    : state_(state), dialog_(dialog), window_(window), hooks_(std::move(hooks)) {}

void ListUpdate::UpdateClicked() {
  if (dialog_.exec() != QDialog::Accepted) return;
  if (hooks_.reload && !hooks_.reload()) return;
  if (!AskYesNo(window_, QMessageBox::Question, kVisitWebsiteQuestion)) return;
  const QUrl site(QString::fromUtf8(build::kWebsiteUrl));
  if (hooks_.open_url) {
    hooks_.open_url(site);
  } else {
    QDesktopServices::openUrl(site);
  }
}

void ListUpdate::WindowActivated() {
  if (asking_ || !state_.list_outdated) return;
  asking_ = true;
  const bool download = AskYesNo(window_, QMessageBox::Critical, kOutdatedQuestion);
  const bool complete = download && dialog_.exec() == QDialog::Accepted;
  asking_ = false;
  if (complete && hooks_.reload) hooks_.reload();
}

}  // namespace vistrel
