#include "gui/update_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <exception>

#include "gui/dialog_style.h"
#include "gui/post_back.h"
#include "gui/qt_text.h"
#include "gui/text_fit.h"
#include "service_client/list_download.h"

namespace vistrel {

namespace {

const QSize kDesignSize(380, 104);

}  // namespace

UpdateDialog::UpdateDialog(ProgramState& state, ServiceConfig service, RequestRunner& runner,
                           QWidget* parent)
    : QDialog(parent),
      state_(state),
      service_(std::move(service)),
      runner_(runner),
      post_(PostTo(this)) {
  setObjectName("updateForm");
  setWindowTitle("update list ...");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kDesignSize);
  QWidget* panel = AddDialogPanel(this);

  progress_ = new QProgressBar(panel);
  progress_->setObjectName("progressBar");
  progress_->setGeometry(10, 10, 360, 18);
  progress_->setRange(0, 100);
  progress_->setValue(0);

  cancel_ = new QPushButton("Cancel", panel);
  cancel_->setObjectName("cancelButton");
  cancel_->setGeometry(290, 72, 80, 24);

  status_caption_ = new QLabel("Status:", panel);
  status_caption_->setObjectName("statusCaption");
  status_caption_->setGeometry(10, 36, 48, 16);
  QFont bold = status_caption_->font();
  bold.setBold(true);
  status_caption_->setFont(bold);

  close_ = new QPushButton("Close", panel);
  close_->setObjectName("closeButton");
  close_->setGeometry(cancel_->geometry());
  close_->hide();

  // Service messages and error texts are shown as they are, never read as markup.
  status_ = new QLabel("Ready", panel);
  status_->setObjectName("statusLine");
  status_->setTextFormat(Qt::PlainText);
  status_->setWordWrap(true);
  status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  status_->setGeometry(60, 36, 310, 32);  // two lines, also with a larger font

  // Larger fonts and wider fonts than the design's (DejaVu Sans for Tahoma) need more room.
  design_ = DesignOf(panel);
  for (DesignedControl& c : design_)
    c.keep_right_margin = c.widget == cancel_ || c.widget == close_;
  FitToTexts();

  connect(cancel_, &QPushButton::clicked, this, &UpdateDialog::CancelClicked);
  connect(close_, &QPushButton::clicked, this, &UpdateDialog::CloseClicked);
}

void UpdateDialog::FitToTexts() {
  PlaceGrownToText(this, kDesignSize, design_);
}

QString UpdateDialog::StatusText() const {
  return status_->text();
}

void UpdateDialog::showEvent(QShowEvent* event) {
  if (!opening_) {
    QDialog::showEvent(event);
    return;
  }
  opening_ = false;
  // Nothing of the last opening's outcome is seen while the new download starts.
  complete_ = false;
  progress_->setValue(0);
  status_->setText(kStatusReady);
  FitToTexts();
  ShowFinished(false);
  QDialog::showEvent(event);
  // Started from the dialog's own event loop, once the dialog is on the screen.
  QMetaObject::invokeMethod(this, &UpdateDialog::RunDownload, Qt::QueuedConnection);
}

void UpdateDialog::done(int result) {
  opening_ = true;
  QDialog::done(result);
}

void UpdateDialog::ShowFinished(bool finished) {
  close_->setVisible(finished);
  cancel_->setVisible(!finished);
  (finished ? close_ : cancel_)->setFocus();
}

void UpdateDialog::RunDownload() {
  if (downloading_ || !isVisible()) return;
  downloading_ = true;
  cancel_requested_ = false;
  close_after_download_ = false;

  ListDownloadRequest request;
  request.version_text = state_.catalogue.version_text;
  request.data_dir = state_.data_folder;
  const PostBack& post = post_;
  job_ = runner_.Run(
      [this, post, service = service_,
       request = std::move(request)](const std::atomic<bool>& cancelled) -> std::function<void()> {
        // Only the posted functions touch the dialog: they run on its thread while it lives.
        ListDownloadHooks hooks;
        hooks.begin = [this, post](int64_t total) {
          post([this, total] { emit TransferBegun(total); });
        };
        hooks.progress = [this, post](int percent, const std::string& status) {
          post([this, percent, status] { ShowProgress(percent, status); });
        };
        hooks.cancel_requested = [&cancelled] { return cancelled.load(); };
        ListDownloadResult result;
        try {
          result = DownloadChannelList(service, request, hooks);
        } catch (const std::exception& e) {
          result = {e.what(), false};
        }
        return [this, result = std::move(result)] { FinishDownload(result); };
      },
      post);
}

void UpdateDialog::ShowProgress(int percent, const std::string& status) {
  if (!downloading_ || cancel_requested_) return;  // "Interrupted" stays until the end
  status_->setText(ToQString(status));
  progress_->setValue(percent);
}

void UpdateDialog::FinishDownload(const ListDownloadResult& result) {
  complete_ = result.complete;
  status_->setText(ToQString(result.status));
  FitToTexts();  // an error text may take more lines
  progress_->setValue(100);
  ShowFinished(true);
  downloading_ = false;
  emit DownloadFinished();
  if (close_after_download_) QDialog::reject();
}

void UpdateDialog::RequestCancel() {
  cancel_requested_ = true;
  if (downloading_) runner_.Cancel(job_);
}

void UpdateDialog::CancelClicked() {
  RequestCancel();
  status_->setText(kStatusInterrupted);
  ShowFinished(true);
}

void UpdateDialog::CloseClicked() {
  if (downloading_) {
    // Shown after Cancel while the transfer winds down: close once it has ended, with the
    // outcome it had.
    RequestCancel();
    connect(this, &UpdateDialog::DownloadFinished, this, &UpdateDialog::CloseClicked,
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    return;
  }
  state_.list_outdated = false;
  done(complete_ ? QDialog::Accepted : QDialog::Rejected);
}

void UpdateDialog::reject() {
  if (downloading_) {
    RequestCancel();
    close_after_download_ = true;
    return;
  }
  QDialog::reject();
}

}  // namespace vistrel
