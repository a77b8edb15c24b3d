// The main window's ways to a list update against a real catalogue service on 127.0.0.1: the
// Update button with its web-site question, and the outdated question on activation. The list
// is reloaded only after "Complete!".

#include <QPushButton>
#include <QtTest>
#include <memory>

#include "catalogue/package.h"
#include "common/build_config.h"
#include "common/files.h"
#include "gui/list_update.h"
#include "gui/update_dialog.h"
#include "support/catalogue_service_fixture.h"
#include "support/modal_driver.h"
#include "support/temp_dir.h"
#include "support/update_dialog_steps.h"

namespace vistrel {

class ListUpdateTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<CatalogueServiceFixture> service_;
  std::unique_ptr<ProgramState> state_;
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<UpdateDialog> dialog_;
  std::unique_ptr<ListUpdate> update_;
  RequestRunner runner_;
  int reloads_ = 0;
  bool reload_ok_ = true;
  std::vector<QUrl> opened_;

  void Make(const std::string& service_key) {
    service_ = std::make_unique<CatalogueServiceFixture>(service_key);
    ServiceConfig service;
    service.base_url = service_->base_url();
    dialog_ = std::make_unique<UpdateDialog>(*state_, service, runner_, window_.get());
    ListUpdateHooks hooks;
    hooks.reload = [this] {
      ++reloads_;
      return reload_ok_;
    };
    hooks.open_url = [this](const QUrl& url) { opened_.push_back(url); };
    update_ = std::make_unique<ListUpdate>(*state_, *dialog_, window_.get(), hooks);
  }

  static void Check(const ModalDriver& driver) {
    QVERIFY2(driver.finished() && driver.failure().isEmpty(), qPrintable(driver.failure()));
  }

 private slots:
  void init() {
    dir_ = std::make_unique<TempDir>();
    state_ = std::make_unique<ProgramState>(dir_->path() / "data",
                                            SettingsStore(dir_->path() / "settings.ini"));
    window_ = std::make_unique<QWidget>();
    window_->show();
    reloads_ = 0;
    reload_ok_ = true;
    opened_.clear();
  }
  void cleanup() {
    update_.reset();
    dialog_.reset();
    window_.reset();
    service_.reset();
    state_.reset();
    dir_.reset();
  }

  void updateReloadsAfterCompleteAndOffersTheWebSite() {
    Make(build::kAccessKey);
    ModalDriver driver;
    CloseWhenDownloadEnds(driver);
    driver.Answer(QMessageBox::Yes);
    driver.Start();
    update_->UpdateClicked();
    Check(driver);
    QCOMPARE(reloads_, 1);
    QVERIFY(std::filesystem::exists(state_->data_folder / kPackageFileName));
    QCOMPARE(driver.boxes().at(0).text,
             QString("Channel list successfully updated. Would you like to visit our website "
                     "to check software updates?"));
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Question);
    QCOMPARE(opened_.size(), std::size_t{1});
    QCOMPARE(opened_[0], QUrl(build::kWebsiteUrl));

    // No: the site stays closed.
    ModalDriver again;
    CloseWhenDownloadEnds(again);
    again.Answer(QMessageBox::No);
    again.Start();
    update_->UpdateClicked();
    Check(again);
    QCOMPARE(reloads_, 2);
    QCOMPARE(opened_.size(), std::size_t{1});
  }

  void aRefusedDownloadReloadsNothing() {
    Make("another key");
    ModalDriver driver;
    CloseWhenDownloadEnds(driver);
    driver.Start();
    update_->UpdateClicked();
    Check(driver);
    QCOMPARE(dialog_->StatusText(), QString("Access denied: wrong access key."));
    QCOMPARE(reloads_, 0);
    QVERIFY(driver.boxes().empty());
  }

  void aFailedReloadAsksNothingAboutTheWebSite() {
    Make(build::kAccessKey);
    reload_ok_ = false;
    ModalDriver driver;
    CloseWhenDownloadEnds(driver);
    driver.Start();
    update_->UpdateClicked();
    Check(driver);
    QCOMPARE(reloads_, 1);
    QVERIFY(driver.boxes().empty());
  }

  void theOutdatedQuestionComesAgainUntilADownloadIsClosed() {
    Make(build::kAccessKey);
    state_->list_outdated = true;
    ModalDriver driver;
    driver.Answer(QMessageBox::No);
    driver.Start();
    update_->WindowActivated();
    Check(driver);
    QCOMPARE(driver.boxes().at(0).text,
             QString("List of channels is outdated. Would you like to download the new one now?"));
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Critical);
    QCOMPARE(driver.boxes().at(0).buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(state_->list_outdated);
    QCOMPARE(reloads_, 0);

    // The dialog's close box: no reload, and the question comes back.
    ModalDriver closed;
    closed.Answer(QMessageBox::Yes);
    CloseWhenDownloadEnds(closed, /*close_box=*/true);
    closed.Answer(QMessageBox::Yes);
    CloseWhenDownloadEnds(closed);
    closed.Start();
    update_->WindowActivated();
    QVERIFY(state_->list_outdated);
    QCOMPARE(reloads_, 0);
    update_->WindowActivated();
    Check(closed);
    QVERIFY(!state_->list_outdated);
    QCOMPARE(reloads_, 1);
    QCOMPARE(closed.boxes().size(), std::size_t{2});  // no question about the web site here

    // Closed with Close: nothing is asked any more.
    ModalDriver none;
    none.Answer(QMessageBox::Yes);
    none.Start(/*timeout_ms=*/500);
    update_->WindowActivated();
    QVERIFY(none.boxes().empty());
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::ListUpdateTest)
#include "list_update_test.moc"
