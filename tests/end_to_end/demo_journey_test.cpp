// A user's first sessions with the program, end to end: the built vistrel-service serving the
// demo catalogue and its media on 127.0.0.1, the program's own start-up with real libmpv
// (no picture or sound device on the offscreen platform), driven through its window. The test
// functions are one journey and run in order, each going on from where the last one ended.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "catalogue/user_files.h"
#include "gui/channel_editor_dialog.h"
#include "gui/channel_menu.h"
#include "gui/program_entry.h"
#include "server/catalogue_db.h"
#include "server/catalogue_import.h"
#include "server/version_stamp.h"
#include "support/modal_driver.h"
#include "support/service_process.h"
#include "support/temp_dir.h"
#include "support/typing.h"
#include "support/update_dialog_steps.h"

namespace vistrel {

namespace {

namespace fs = std::filesystem;

const fs::path kDemo = fs::path(VISTREL_SOURCE_DIR) / "demo";
// The address the demo tables are written for; the test's service has another port.
constexpr std::string_view kTablesBaseUrl = "http://127.0.0.1:8780";
// Playing is reached in a second or two; a loaded machine running the suite in parallel may
// take much longer.
constexpr int kPlayTimeoutMs = 60000;

std::string ReplaceAll(std::string text, std::string_view from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The demo tables with their channels pointing at `base_url`, and the version stamp of `stamp`.
void WriteDemoTables(const fs::path& folder, const std::string& base_url, StampTime stamp) {
  for (const auto& entry : fs::directory_iterator(kDemo / "tables")) {
    const std::string name = entry.path().filename().string();
    const std::string text = name == "version.dat"
                                 ? FormatVersionStamp(stamp)
                                 : ReplaceAll(ReadTestFile(entry.path()), kTablesBaseUrl, base_url);
    WriteTestFile(folder / name, text);
  }
}

const Channel* FindChannel(const std::vector<Channel>& channels, int32_t id) {
  for (const Channel& c : channels) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

}  // namespace

class DemoJourneyTest : public QObject {
  Q_OBJECT

 private:
  TempDir dir_;
  fs::path db_;
  std::unique_ptr<ServiceProcess> service_;
  std::unique_ptr<MainWindow> window_;
  QTableView* list_ = nullptr;
  int32_t user_channel_id_ = 0;

  // The service's database as a second process sees it.
  CatalogueDb Db() const { return CatalogueDb(db_, CurrentMinute(), OpenMode::kExisting); }

  static void Check(const ModalDriver& driver) {
    QVERIFY2(driver.finished() && driver.failure().isEmpty(), qPrintable(driver.failure()));
  }
  template <typename T>
  T* Find(const char* name) const {
    return window_->findChild<T*>(name);
  }
  QString Status() const { return Find<QLabel>("statusLabel")->text(); }
  int RowOf(const QString& name) const {
    for (int r = 0; r < list_->model()->rowCount(); ++r) {
      if (list_->model()->index(r, 0).data().toString() == name) return r;
    }
    return -1;
  }
  QPoint CellOf(const QString& name) const {
    return list_->visualRect(list_->model()->index(RowOf(name), 0)).center();
  }
  void DoubleClick(const QString& name) {
    QVERIFY2(RowOf(name) >= 0, qPrintable(name));
    list_->scrollTo(list_->model()->index(RowOf(name), 0));
    QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, CellOf(name));
  }
  // A right click on the row of `name`, as the list gets it: the press selects, then the menu.
  ChannelMenu* OpenMenuOn(const QString& name) {
    const QPoint pos = CellOf(name);
    QTest::mousePress(list_->viewport(), Qt::RightButton, {}, pos);
    QTest::mouseRelease(list_->viewport(), Qt::RightButton, {}, pos);
    QContextMenuEvent request(QContextMenuEvent::Mouse, pos, list_->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(list_->viewport(), &request);
    return Find<ChannelMenu>("channelMenu");
  }
  // Start-up as the program does it, the window shown and active.
  void StartTheProgram() {
    window_ = StartProgram(DefaultPlayerFactory());
    QVERIFY(window_);
    QVERIFY2(window_->player(), "libmpv did not start");
    window_->ShowCentred();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    list_ = Find<QTableView>("channelList");
    QVERIFY(list_);
  }
  const Channel* InWindow(int32_t id) const {
    return FindChannel(window_->state().catalogue.channels, id);
  }

 private slots:
  void initTestCase() {
    // The catalogue is stamped two minutes back, so that the rating's change is published as
    // a new package at once (a package goes out at most once a minute).
    const StampTime imported = CurrentMinute() - std::chrono::minutes(2);
    db_ = dir_.path() / "catalogue.sqlite";
    // The service's port is known only once it listens: the tables are imported once to have
    // a database to serve, and again with the real address before the first request.
    WriteDemoTables(dir_.path() / "tables", std::string(kTablesBaseUrl), imported);
    ImportCatalogue(db_, dir_.path() / "tables", {}, imported);
    service_ = std::make_unique<ServiceProcess>(
        db_, std::vector<std::string>{"--media", (kDemo / "media").string()},
        dir_.path() / "service.log");
    WriteDemoTables(dir_.path() / "tables", service_->base_url(), imported);
    ImportCatalogue(db_, dir_.path() / "tables", {}, imported);

    ::setenv("XDG_DATA_HOME", (dir_.path() / "share").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir_.path() / "config").c_str(), 1);
    ::setenv("VISTREL_SERVICE_URL", service_->base_url().c_str(), 1);
  }
  void cleanupTestCase() {
    window_.reset();
    ::unsetenv("VISTREL_SERVICE_URL");
    if (service_) qInfo("service log:\n%s", service_->log().c_str());
  }

  void theFirstStartOffersTheListAndFillsIt() {
    StartTheProgram();
    QCOMPARE(list_->model()->rowCount(), 0);
    ModalDriver driver;
    driver.Answer(QMessageBox::Yes);
    CloseWhenDownloadEnds(driver);
    driver.Start(kPlayTimeoutMs);
    QApplication::setActiveWindow(window_.get());
    QTRY_VERIFY_WITH_TIMEOUT(driver.finished(), kPlayTimeoutMs);
    Check(driver);
    QCOMPARE(driver.boxes().at(0).text,
             QString("List of channels is outdated. Would you like to download the new one now?"));
    QTRY_VERIFY(RowOf("Alpha Pattern TV") == 0);
    QVERIFY(RowOf(QString::fromUtf8("Первый тестовый")) > 0);
  }

  void aDoubleClickPlaysTheLiveTestPattern() {
    DoubleClick("Alpha Pattern TV");
    QCOMPARE(Find<QLabel>("channelLabel")->text(), QString("Alpha Pattern TV"));
    QTRY_VERIFY_WITH_TIMEOUT(Status().contains("Playing"), kPlayTimeoutMs);
  }

  void aUserChannelIsSubmittedOnceWhenItFirstPlays() {
    const QString name = QString::fromUtf8("Testkanal Ålesund");
    // The editor refuses an address the catalogue has already; the service ignores the query.
    const std::string url = service_->base_url() + "/live/tv-bars.ts?from=user";
    ModalDriver driver;
    driver.Then([&](QWidget* modal) {
      QVERIFY(qobject_cast<ChannelEditorDialog*>(modal));
      modal->findChild<QComboBox*>("categoryBox")->setCurrentIndex(1);  // TV
      TypeText(modal->findChild<QLineEdit*>("nameEdit"), name);
      QTest::keyClicks(modal->findChild<QLineEdit*>("urlEdit"), QString::fromStdString(url));
      QTest::keyClicks(modal->findChild<QLineEdit*>("bitrateEdit"), "340");
      modal->findChild<QComboBox*>("typeBox")->setCurrentIndex(1);
      modal->findChild<QComboBox*>("countryList")->setCurrentIndex(2);
      modal->findChild<QComboBox*>("genreList")->setCurrentIndex(3);
      TypeText(modal->findChild<QLineEdit*>("commentEdit"), QString::fromUtf8("Fjord-TV"));
      QTest::mouseClick(modal->findChild<QCheckBox*>("confirmBox"), Qt::LeftButton);
      QTest::mouseClick(modal->findChild<QPushButton*>("addChannelButton"), Qt::LeftButton);
    });
    driver.Start();
    QTest::mouseClick(Find<QToolButton>("addButton"), Qt::LeftButton);
    Check(driver);
    QVERIFY(RowOf(name) >= 0);
    QCOMPARE(Db().SubmissionCount(), int64_t{0});

    DoubleClick(name);
    QTRY_VERIFY_WITH_TIMEOUT(Status().contains("Playing"), kPlayTimeoutMs);
    QTRY_COMPARE(Db().SubmissionCount(), int64_t{1});
    const std::vector<StoredSubmission> sent = Db().Submissions();
    const Submission& s = sent.at(0).channel;
    const Channel* mine = nullptr;
    for (const Channel& c : window_->state().catalogue.channels) {
      if (c.user_defined == 1) mine = &c;
    }
    QVERIFY(mine);
    user_channel_id_ = mine->id;
    QCOMPARE(s.group_id, 1);
    QCOMPARE(QString::fromStdString(s.name), name);
    QCOMPARE(s.url, url);
    QCOMPARE(s.bitrate, 340);
    QCOMPARE(s.type_id, 1);
    QCOMPARE(s.homepage, std::string());
    QCOMPARE(s.country_id, mine->country_id);
    QCOMPARE(s.genre_id, mine->genre_id);
    QVERIFY(s.country_id != 0 && s.genre_id != 0);
    QCOMPARE(s.comment, std::string("Fjord-TV"));
    QCOMPARE(mine->sent, 1);

    // Played again: already sent, nothing more goes out.
    QTest::mouseClick(Find<QToolButton>("stopButton"), Qt::LeftButton);
    QTRY_VERIFY(!Status().contains("Playing"));
    DoubleClick(name);
    QTRY_VERIFY_WITH_TIMEOUT(Status().contains("Playing"), kPlayTimeoutMs);
    QTest::qWait(300);
    QCOMPARE(Db().SubmissionCount(), int64_t{1});
  }

  void aRatingShowsInTheNextPackage() {
    constexpr int32_t kBarsLive = 2;  // unrated in the demo catalogue
    QCOMPARE(InWindow(kBarsLive)->rated, 0);
    ChannelMenu* menu = OpenMenuOn("Bars Live");
    QVERIFY(menu && menu->isVisible());
    QAction* four_stars = nullptr;
    for (QAction* action : menu->rate_menu()->actions()) {
      if (action->text() == "4 stars") four_stars = action;
    }
    QVERIFY(four_stars && four_stars->isEnabled());
    four_stars->trigger();
    menu->close();

    ModalDriver driver;
    CloseWhenDownloadEnds(driver);
    driver.Answer(QMessageBox::No);  // the web site
    driver.Start(kPlayTimeoutMs);
    QTest::mouseClick(Find<QToolButton>("updateButton"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(driver.finished(), kPlayTimeoutMs);
    Check(driver);
    QCOMPARE(driver.boxes().at(0).text,
             QString("Channel list successfully updated. Would you like to visit our website "
                     "to check software updates?"));
    QCOMPARE(InWindow(kBarsLive)->rated, 1);
    QCOMPARE(InWindow(kBarsLive)->average_rating, 4.0);
    // The user's channel stays, still marked sent.
    QVERIFY(InWindow(user_channel_id_));
    QCOMPARE(InWindow(user_channel_id_)->sent, 1);
  }

  void aFailingChannelShowsTheErrorAndIsReportedOnce() {
    constexpr int32_t kRefusedTv = 11;  // port 9: nothing listens there
    const auto reports = [this] {
      return FindChannel(Db().LoadTables().channels, kRefusedTv)->not_working_reports;
    };
    const int32_t before = reports();
    ModalDriver driver;
    driver.Answer(QMessageBox::Ok);
    driver.Start(kPlayTimeoutMs);
    DoubleClick("Refused TV");
    QTRY_VERIFY_WITH_TIMEOUT(driver.finished(), kPlayTimeoutMs);
    Check(driver);
    const SeenBox& box = driver.boxes().at(0);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QVERIFY2(box.text.contains("127.0.0.1:9"), qPrintable(box.text));
    QTRY_COMPARE(reports(), before + 1);
    QTest::qWait(300);
    QCOMPARE(reports(), before + 1);
  }

  void favouritesAndUserChannelsOutliveARestart() {
    ModalDriver driver;
    driver.Answer(QMessageBox::Yes);
    driver.Start();
    OpenMenuOn("Alpha Pattern TV")->add_to_favorites_action()->trigger();
    Check(driver);

    QVERIFY(window_->close());
    window_.reset();
    StartTheProgram();
    // The list is current now: no question, the list filled from the stored package.
    QApplication::setActiveWindow(window_.get());
    QTest::qWait(100);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(RowOf("Alpha Pattern TV") >= 0);
    QVERIFY(InWindow(user_channel_id_));
    QCOMPARE(InWindow(user_channel_id_)->sent, 1);
    QVERIFY(RowOf(QString::fromUtf8("Testkanal Ålesund")) >= 0);

    QTest::mouseClick(Find<QToolButton>("favoritesButton"), Qt::LeftButton);
    QCOMPARE(list_->model()->rowCount(), 1);
    QCOMPARE(list_->model()->index(0, 0).data().toString(), QString("Alpha Pattern TV"));
    QVERIFY(window_->close());
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::DemoJourneyTest)
#include "demo_journey_test.moc"
