#pragma once
// The list-download dialog: each opening downloads a new channel package with progress and
// Cancel; a window restored from the task bar keeps its download and outcome. The download runs on
// the request runner's worker; its progress and outcome come back to the dialog's thread, and
// Cancel sets the job's cancel flag.

#include <QDialog>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "gui/text_fit.h"
#include "service_client/list_download.h"
#include "service_client/request_runner.h"
#include "service_client/service_config.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vistrel {

class UpdateDialog : public QDialog {
  Q_OBJECT

 public:
  // `service` says where the list comes from; `runner` runs the download.
  UpdateDialog(ProgramState& state, ServiceConfig service, RequestRunner& runner,
               QWidget* parent = nullptr);

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
  // A progress step of the running download, on the dialog's thread.
  void ShowProgress(int percent, const std::string& status);
  // The download's outcome, on the dialog's thread.
  void FinishDownload(const ListDownloadResult& result);
  void ShowFinished(bool finished);
  // Sets the running download's cancel flag.
  void RequestCancel();
  // Grows the controls and the dialog where the texts need more room. Never fails.
  void FitToTexts();

  ProgramState& state_;
  ServiceConfig service_;
  RequestRunner& runner_;
  RequestRunner::JobId job_ = 0;
  PostBack post_;  // results to this dialog while it lives
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
