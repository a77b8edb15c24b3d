// The list-download dialog against a real catalogue service on 127.0.0.1: a completed
// download, the service's refusals, Cancel during the transfer, and the close box.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "catalogue/package.h"
#include "common/files.h"
#include "gui/update_dialog.h"
#include "protocol/list_response.h"
#include "server/list_answer.h"
#include "service_client/list_download.h"
#include "support/catalogue_service_fixture.h"
#include "support/http_test_server.h"
#include "support/modal_driver.h"
#include "support/temp_dir.h"

namespace vistrel {

namespace {

const std::string kOldPackage = "old package";

ServiceConfig At(std::string base_url) {
  ServiceConfig service;
  service.base_url = std::move(base_url);
  return service;
}

}  // namespace

class UpdateDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ProgramState> state_;
  RequestRunner runner_;

  std::filesystem::path package() const { return state_->data_folder / kPackageFileName; }

  template <typename T>
  static T* Find(QWidget* form, const char* name) {
    T* w = form->findChild<T*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
  }

  // Shows the dialog modally; once its download has ended, `finished` runs and then Close is
  // clicked (or the close box, with `close_box`). Returns the dialog's result.
  int Run(UpdateDialog& form, const std::function<void()>& finished = {}, bool close_box = false) {
    connect(
        &form, &UpdateDialog::DownloadFinished, &form,
        [&form, finished, close_box] {
          if (finished) finished();
          if (close_box) {
            form.close();
          } else {
            QTest::mouseClick(Find<QPushButton>(&form, "closeButton"), Qt::LeftButton);
          }
        },
        Qt::QueuedConnection);
    return form.exec();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<TempDir>();
    state_ = std::make_unique<ProgramState>(dir_->path() / "data",
                                            SettingsStore(dir_->path() / "settings.ini"));
    state_->list_outdated = true;
    QVERIFY(WriteFileAtomically(package(), kOldPackage).ok());
  }
  void cleanup() {
    state_.reset();
    dir_.reset();
  }

  void looksAsDesigned() {
    UpdateDialog form(*state_, At("http://127.0.0.1:1"), runner_);
    QCOMPARE(form.windowTitle(), QString("update list ..."));
    QCOMPARE(Find<QLabel>(&form, "statusCaption")->text(), QString("Status:"));
    QVERIFY(Find<QLabel>(&form, "statusCaption")->font().bold());
    QCOMPARE(form.StatusText(), QString("Ready"));
    QCOMPARE(Find<QPushButton>(&form, "cancelButton")->text(), QString("Cancel"));
    QCOMPARE(Find<QPushButton>(&form, "closeButton")->text(), QString("Close"));
    QCOMPARE(Find<QPushButton>(&form, "closeButton")->geometry(),
             Find<QPushButton>(&form, "cancelButton")->geometry());
    QCOMPARE(Find<QProgressBar>(&form, "progressBar")->maximum(), 100);
  }

  void aCompleteDownloadStoresThePackageAndReturnsOk() {
    CatalogueServiceFixture service;
    UpdateDialog form(*state_, At(service.base_url()), runner_);
    bool close_shown = false;
    const int result = Run(form, [&] {
      QCOMPARE(form.StatusText(), QString("Complete!"));
      QCOMPARE(Find<QProgressBar>(&form, "progressBar")->value(), 100);
      close_shown = Find<QPushButton>(&form, "closeButton")->isVisible() &&
                    !Find<QPushButton>(&form, "cancelButton")->isVisible();
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(close_shown);
    QVERIFY(!state_->list_outdated);
    // The new package is the served one: it loads.
    Catalogue info;
    LoadChannelPackage(info, {}, package());
    QCOMPARE(info.version_text, service.version());
    QCOMPARE(info.channels.size(), std::size_t{2});
  }

  void refusalsShowTheServicesMessageAndKeepTheOldPackage() {
    struct Case {
      const char* what;
      std::string key;
      bool send_version;
      QString status;
    };
    const Case cases[] = {
        {"wrong key", "another key", false, kWrongKeyMessage},
        {"up to date", build::kAccessKey, true, kUpToDateMessage},
    };
    for (const Case& c : cases) {
      CatalogueServiceFixture service(c.key);
      state_->list_outdated = true;
      state_->catalogue.version_text = c.send_version ? service.version() : "";
      UpdateDialog form(*state_, At(service.base_url()), runner_);
      QString status;
      QCOMPARE(Run(form, [&] { status = form.StatusText(); }), int(QDialog::Rejected));
      QCOMPARE(status, c.status);
      QVERIFY2(!state_->list_outdated, c.what);  // Close clears the mark whatever the outcome
      QCOMPARE(ReadTestFile(package()), kOldPackage);
    }
  }

  void aRefusedConnectionShowsTheClientsText() {
    RefusingPort port;
    UpdateDialog form(*state_, At(port.base_url()), runner_);
    QString status;
    QCOMPARE(Run(form, [&] { status = form.StatusText(); }), int(QDialog::Rejected));
    QVERIFY(!status.isEmpty() && status != "Complete!" && status != "Ready");
    QCOMPARE(ReadTestFile(package()), kOldPackage);
  }

  void progressIsShownWhileTheTransferRuns() {
    CatalogueServiceFixture service(build::kAccessKey, 40000);
    UpdateDialog form(*state_, At(service.base_url()), runner_);
    QList<int> values;
    connect(Find<QProgressBar>(&form, "progressBar"), &QProgressBar::valueChanged, &form,
            [&](int value) { values << value; });
    QStringList statuses;
    // The status line while the transfer runs, at the first step between 0 and 100.
    connect(Find<QProgressBar>(&form, "progressBar"), &QProgressBar::valueChanged, &form,
            [&](int value) {
              if (value > 0 && value < 100 && statuses.isEmpty()) statuses << form.StatusText();
            });
    QCOMPARE(Run(form), int(QDialog::Accepted));
    QVERIFY2(std::any_of(values.begin(), values.end(), [](int v) { return v > 0 && v < 100; }),
             "no progress between 0 and 100 was shown");
    QCOMPARE(values.last(), 100);
    QCOMPARE(statuses.size(), 1);
    QVERIFY2(statuses[0].startsWith(" downloading  ") && statuses[0].endsWith(" ..."),
             qPrintable(statuses[0]));
  }

  void cancelDuringTheTransferStopsIt() {
    // A long answer that comes slowly: the transfer is still on when Cancel is clicked.
    HttpTestServer service;
    service.server().Get("/service/get.php", [](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(std::size_t{10} << 20, "application/octet-stream",
                               [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                 static const std::string block(1024, 'x');
                                 std::this_thread::sleep_for(std::chrono::milliseconds(10));
                                 return sink.write(block.data(), block.size());
                               });
    });
    service.Start();
    UpdateDialog form(*state_, At(service.base_url()), runner_);
    QString after_cancel;
    connect(&form, &UpdateDialog::TransferBegun, &form, [&] {
      QTest::mouseClick(Find<QPushButton>(&form, "cancelButton"), Qt::LeftButton);
      after_cancel = form.StatusText();
    });
    QString status;
    QCOMPARE(Run(form, [&] { status = form.StatusText(); }), int(QDialog::Rejected));
    QCOMPARE(after_cancel, QString("Interrupted"));
    QVERIFY2(status != "Complete!" && !status.isEmpty(), qPrintable(status));
    QCOMPARE(ReadTestFile(package()), kOldPackage);
  }

  void aRestoreFromTheTaskBarKeepsTheDownloadAndItsOutcome() {
    CatalogueServiceFixture service;
    UpdateDialog form(*state_, At(service.base_url()), runner_);
    int transfers = 0;
    connect(&form, &UpdateDialog::TransferBegun, &form, [&] { ++transfers; });
    bool restored = false;
    QString status;
    const int result = Run(form, [&] {
      if (restored) return;
      restored = true;
      form.showMinimized();
      form.showNormal();
      QCoreApplication::processEvents();  // a second download would start from here
      status = form.StatusText();
    });
    QVERIFY(restored);
    QCOMPARE(transfers, 1);
    QCOMPARE(status, QString("Complete!"));
    QCOMPARE(result, int(QDialog::Accepted));  // the caller reloads the new list
  }

  void theCloseBoxLeavesTheOutdatedMark() {
    CatalogueServiceFixture service;
    UpdateDialog form(*state_, At(service.base_url()), runner_);
    QCOMPARE(Run(form, {}, /*close_box=*/true), int(QDialog::Rejected));
    QVERIFY(state_->list_outdated);
    QVERIFY(ReadTestFile(package()) != kOldPackage);  // stored all the same
  }

  // A framed answer whose payload is no package (random bytes): not "Complete!", the reason on
  // the status line, the old list kept and no reload.
  void aPackageThatDoesNotLoadIsShownAndNotStored() {
    std::string noise(4000, '\0');
    uint32_t x = 7;
    for (char& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    HttpTestServer server;
    server.Answer("/service/get.php", 200, FrameListResponse(kTagPackage, noise));
    server.Start();
    UpdateDialog form(*state_, At(server.base_url()), runner_);
    QString status;
    QCOMPARE(Run(form, [&] { status = form.StatusText(); }), int(QDialog::Rejected));
    QVERIFY2(status.startsWith(kStatusUnusablePackage) && status.contains("not a readable archive"),
             qPrintable(status));
    QCOMPARE(ReadTestFile(package()), kOldPackage);
  }

  void serviceMessagesAreShownAsPlainText() {
    HttpTestServer server;
    server.Answer("/service/get.php", 200, FrameListResponse(kTagMessage, "<b>Closed</b> today"));
    server.Start();
    UpdateDialog form(*state_, At(server.base_url()), runner_);
    QCOMPARE(Run(form), int(QDialog::Rejected));
    auto* line = Find<QLabel>(&form, "statusLine");
    QCOMPARE(line->text(), QString("<b>Closed</b> today"));
    QCOMPARE(line->textFormat(), Qt::PlainText);
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::UpdateDialogTest)
#include "update_dialog_test.moc"
