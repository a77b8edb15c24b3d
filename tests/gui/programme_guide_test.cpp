// The programme guide in the window: the "Programme now" line over the picture and in the
// row's tooltip, and the guide window (Ctrl+G, the channel menu), against a guide served on
// 127.0.0.1, with times shown in a time zone the test sets; also for the channels of a user's
// playlist whose header names an XMLTV guide (gzip) served there.

#include <QAbstractItemModel>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <ctime>
#include <filesystem>
#include <string_view>

#include "gui/channel_menu.h"
#include "gui_fixture.h"
#include "guide/xmltv_time.h"
#include "support/gzip_bytes.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

namespace vistrel {

namespace {

// Local time one hour east of UTC without summer time: "HH:MM" of a UTC time.
QString Clock(int64_t utc) {
  const std::time_t local = static_cast<std::time_t>(utc + 3600);
  std::tm parts{};
  gmtime_r(&local, &parts);
  return QString::asprintf("%02d:%02d", parts.tm_hour, parts.tm_min);
}

std::string Programme(int64_t start, int64_t stop, const std::string& title,
                      const std::string& description = "") {
  return "{\"start\":" + std::to_string(start) + ",\"stop\":" + std::to_string(stop) +
         ",\"title\":\"" + title + "\",\"description\":\"" + description + "\"}";
}

std::string XmltvProgramme(int64_t start, int64_t stop, const std::string& channel,
                           const std::string& title, const std::string& description) {
  return "<programme start=\"" + FormatXmltvTime(start) + "\" stop=\"" + FormatXmltvTime(stop) +
         "\" channel=\"" + channel + "\"><title>" + title + "</title><desc>" + description +
         "</desc></programme>\n";
}

std::string Gzip(std::string_view bytes) {
  return GzipBytes(bytes);
}

}  // namespace

class ProgrammeGuideTest : public QObject {
  Q_OBJECT

 private:
  // Minutes on the clock, so the line's times are what the test computes.
  const int64_t now_ = std::time(nullptr) / 60 * 60;
  HttpTestServer service_;

  static int RowOf(QTableView* list, const QString& name) {
    for (int row = 0; row < list->model()->rowCount(); ++row) {
      if (list->model()->index(row, 0).data().toString() == name) return row;
    }
    return -1;
  }
  static void Select(QTableView* list, int row) {
    list->selectionModel()->setCurrentIndex(
        list->model()->index(row, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }

 private slots:
  void initTestCase() {
    ::setenv("TZ", "CET-1", 1);
    tzset();
    // Channel 2 ("alpha TV") has a guide; 3 ("Beta Music") an empty one; the rest none (404).
    service_.server().Get(
        "/service/guide.php", [this](const httplib::Request& request, httplib::Response& response) {
          const int64_t t = now_;
          if (request.get_param_value("now") == "1") {
            response.set_content("[{\"id\":2,\"programmes\":[" +
                                     Programme(t - 600, t + 1200, "Morning Show") + "," +
                                     Programme(t + 1200, t + 4800, "Noon News") + "]}]",
                                 "application/json");
          } else if (request.get_param_value("id") == "2") {
            response.set_content(
                "[" + Programme(t - 4200, t - 600, "Early", "Gone already") + "," +
                    Programme(t - 600, t + 1200, "Morning Show", "Talk and <b>music</b>") + "," +
                    Programme(t + 1200, t + 4800, "Noon News", "The news at noon") + "]",
                "application/json");
          } else if (request.get_param_value("id") == "3") {
            response.set_content("[]", "application/json");
          } else {
            response.status = 404;
          }
        });
    // A playlist's own guide: "pl.one" by its id, "Named Two" by its display-name.
    const int64_t t = now_;
    service_.Answer(
        "/epg.xml.gz", 200,
        Gzip("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n"
             "<channel id=\"pl.one\"><display-name>Other Name</display-name></channel>\n"
             "<channel id=\"pl.two\"><display-name>named two</display-name></channel>\n" +
             XmltvProgramme(t - 4200, t - 600, "pl.one", "Playlist Early", "Gone") +
             XmltvProgramme(t - 600, t + 1200, "pl.one", "Playlist Morning", "Own guide") +
             XmltvProgramme(t + 1200, t + 4800, "pl.one", "Playlist Noon", "Later") +
             XmltvProgramme(t - 600, t + 600, "pl.two", "Second Show", "By name") + "</tv>\n"));
    service_.Start();
    ::setenv("VISTREL_SERVICE_URL", service_.base_url().c_str(), 1);
  }
  void cleanupTestCase() { ::unsetenv("VISTREL_SERVICE_URL"); }

  void theSelectedChannelShowsNowAndNext() {
    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    QVERIFY(run.Start());
    auto* list = run.Find<QTableView>("channelList");
    auto* line = run.Find<QLabel>("programmeNow");
    QVERIFY(line);
    QCOMPARE(line->accessibleName(), QString("Programme now"));
    const QString expected = "Now: " + Clock(now_ - 600) +
                             " Morning Show \u00b7 Next: " + Clock(now_ + 1200) + " Noon News";

    const int alpha = RowOf(list, "alpha TV");
    QVERIFY(alpha >= 0);
    Select(list, alpha);
    QTRY_VERIFY(line->isVisible());
    QCOMPARE(line->toolTip(), expected);
    QVERIFY(expected.startsWith(line->text().chopped(1)) || line->text() == expected);
    QCOMPARE(list->model()->index(alpha, 0).data(Qt::ToolTipRole).toString(),
             "alpha TV\n" + expected);

    // A channel the guide does not know: no line, and the tooltip is the cell's text alone.
    const int beta = RowOf(list, "Beta Music");
    Select(list, beta);
    QVERIFY(!line->isVisible());
    QCOMPARE(list->model()->index(beta, 0).data(Qt::ToolTipRole).toString(), QString("Beta Music"));
  }

  void theGuideWindowListsTheComingDay() {
    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    QVERIFY(run.Start());
    MessageBoxAnswerer answerer;
    run.window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(run.window()));
    auto* list = run.Find<QTableView>("channelList");
    Select(list, RowOf(list, "alpha TV"));
    QTest::keyClick(list, Qt::Key_G, Qt::ControlModifier);
    auto* window = run.window()->findChild<QDialog*>("programmeGuideWindow");
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QString("Programme Guide - alpha TV"));
    auto* programmes = window->findChild<QListWidget*>("programmeList");
    auto* description = window->findChild<QPlainTextEdit*>("programmeDescription");
    QTRY_COMPARE(programmes->count(), 2);  // the programme that ended is not listed
    QCOMPARE(programmes->item(0)->text(), Clock(now_ - 600) + "  Morning Show  (now)");
    QVERIFY(programmes->item(0)->font().bold());
    QCOMPARE(programmes->item(1)->text(), Clock(now_ + 1200) + "  Noon News");
    QCOMPARE(programmes->currentRow(), 0);
    QVERIFY(description->toPlainText().endsWith("Talk and <b>music</b>"));  // plain text
    programmes->setCurrentRow(1);
    QVERIFY(description->toPlainText().endsWith("The news at noon"));
    QVERIFY(window->findChild<QLabel*>("guideStatus")->isHidden());

    // An empty guide, and a channel the service has none for (404), from the channel menu.
    for (const char* name : {"Beta Music", "Zeta News"}) {
      Select(list, RowOf(list, name));
      auto* menu = run.window()->findChild<ChannelMenu*>("channelMenu");
      menu->Prepare(RowOf(list, name));
      QVERIFY(menu->programme_guide_action()->isEnabled());
      menu->programme_guide_action()->trigger();
      QCOMPARE(window->windowTitle(), QString("Programme Guide - ") + name);
      auto* status = window->findChild<QLabel*>("guideStatus");
      QTRY_VERIFY(!status->isHidden());
      QCOMPARE(status->text(), QString("No programme guide for this channel"));
      QCOMPARE(programmes->count(), 0);
    }
    QVERIFY(answerer.texts.isEmpty());  // no guide is no error
  }

  void aPlaylistWithAGuideShowsItForItsChannels() {
    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    const std::filesystem::path file = run.data().parent_path() / "lists" / "guided.m3u";
    WriteTestFile(file, "#EXTM3U url-tvg=\"" + service_.base_url() +
                            "/epg.xml.gz\"\n"
                            "#EXTINF:-1 tvg-id=\"pl.one\",Guided One\nhttp://127.0.0.1:9/one\n"
                            "#EXTINF:-1,Named Two\nhttp://127.0.0.1:9/two\n"
                            "#EXTINF:-1,Unguided\nhttp://127.0.0.1:9/three\n");
    QVERIFY(run.Start());
    MessageBoxAnswerer answerer;
    run.window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(run.window()));
    run.window()->OpenPlaylistSource(QString::fromStdString(file.string()));
    auto* list = run.Find<QTableView>("channelList");
    auto* line = run.Find<QLabel>("programmeNow");
    const int one = RowOf(list, "Guided One");
    QVERIFY(one >= 0);
    Select(list, one);
    const QString expected = "Now: " + Clock(now_ - 600) +
                             " Playlist Morning \u00b7 Next: " + Clock(now_ + 1200) +
                             " Playlist Noon";
    QTRY_VERIFY(line->isVisible());
    QCOMPARE(line->toolTip(), expected);
    QCOMPARE(list->model()->index(one, 0).data(Qt::ToolTipRole).toString(),
             "Guided One\n" + expected);
    Select(list, RowOf(list, "Named Two"));
    QCOMPARE(line->toolTip(), "Now: " + Clock(now_ - 600) + " Second Show");

    // The guide window, from Ctrl+G: the day's programmes of the playlist's guide.
    Select(list, one);
    QTest::keyClick(list, Qt::Key_G, Qt::ControlModifier);
    auto* window = run.window()->findChild<QDialog*>("programmeGuideWindow");
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QString("Programme Guide - Guided One"));
    auto* programmes = window->findChild<QListWidget*>("programmeList");
    QTRY_COMPARE(programmes->count(), 2);
    QCOMPARE(programmes->item(0)->text(), Clock(now_ - 600) + "  Playlist Morning  (now)");
    QCOMPARE(programmes->item(1)->text(), Clock(now_ + 1200) + "  Playlist Noon");

    // The menu item: enabled for a playlist channel with a guide, not for one without.
    auto* menu = run.window()->findChild<ChannelMenu*>("channelMenu");
    menu->Prepare(one);
    QVERIFY(menu->programme_guide_action()->isEnabled());
    const int unguided = RowOf(list, "Unguided");
    Select(list, unguided);
    QVERIFY(!line->isVisible());
    menu->Prepare(unguided);
    QVERIFY(!menu->programme_guide_action()->isEnabled());
    QTest::keyClick(list, Qt::Key_G, Qt::ControlModifier);
    QCOMPARE(window->windowTitle(), QString("Programme Guide - Unguided"));
    QCOMPARE(window->findChild<QLabel*>("guideStatus")->text(),
             QString("No programme guide for this channel"));

    // Nothing of the playlist went to the catalogue service.
    for (const RecordedRequest& request : service_.requests()) {
      QVERIFY2(
          request.path != "/service/guide.php" || request.query.find("id=-") == std::string::npos,
          request.target.c_str());
    }
    QVERIFY(answerer.texts.isEmpty());
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::ProgrammeGuideTest)
#include "programme_guide_test.moc"
