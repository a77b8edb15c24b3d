#pragma once
// The list-download dialog: each opening downloads a new channel package with progress and
// Cancel; a window restored from the task bar keeps its download and outcome. It runs the download
// on the GUI thread; the download's progress steps process the waiting window events, so the dialog
// keeps painting and Cancel is delivered meanwhile.

#include <QDialog>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "gui/text_fit.h"
#include "service_client/service_config.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vistrel {

class T_updateForm : public QDialog {
  Q_OBJECT

 public:
  // `service` says where the list comes from; its event pump is replaced by the dialog's.
  T_updateForm(ProgramState& state, ServiceConfig service, QWidget* parent = nullptr);

  // The status line's text.
  QString StatusText() const;
  // Whether a download is running.
  bool downloading() const { return downloading_; }

 signals:
  // The answer's body has started arriving; `total` is its announced size (0: none).
  void TransferBegun(qint64 total);
  // The download has ended; Close is shown.
  void DownloadFinished();

 public slots:
  // Ends the dialog: OK when a new package was stored ("Complete!"), else Cancel. Closing
  // through Close also says that the list is no longer outdated.
  void CloseClicked();
  // Asks the running transfer to stop: status "Interrupted", Close shown.
  void CancelClicked();
  // The close box and Escape: Cancel, the outdated mark left as it is. During a transfer the
  // transfer is stopped first and the dialog closes once it has ended.
  void reject() override;

 protected:
  // The first showing after the dialog was made or closed starts a download; later show events
  // (a restore from the task bar) change nothing.
  void showEvent(QShowEvent* event) override;
  // Every closing: the next showing is a new opening.
  void done(int result) override;

 private:
  void RunDownload();
  void ShowFinished(bool finished);
  // Grows the controls and the dialog where the texts need more room. Never fails.
  void FitToTexts();

  ProgramState& state_;
  ServiceConfig service_;
  bool cancel_requested_ = false;
  bool downloading_ = false;
  bool close_after_download_ = false;
  bool complete_ = false;
  bool opening_ = true;  // the next show event is an opening

  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* status_caption_ = nullptr;
  QPushButton* close_ = nullptr;
  QLabel* status_ = nullptr;
  std::vector<DesignedControl> design_;
};

}  // namespace vistrel
