// The player's events as the window handles them: the one-time submission of a user channel
// seen playing, and the error box followed by the broken-stream report, against a local service.

#include <QTableView>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <thread>

#include "catalogue/stream_address.h"
#include "gui_fixture.h"
#include "support/http_test_server.h"

namespace vistrel {

class PlaybackHooksTest : public QObject {
  Q_OBJECT

 private:
  static int Count(const std::vector<RecordedRequest>& requests, const std::string& path) {
    int n = 0;
    for (const RecordedRequest& r : requests) n += r.path == path ? 1 : 0;
    return n;
  }
  static void ClickRow(QTableView* list, int row) {
    const QRect cell = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  }

 private slots:
  void userChannelIsSubmittedOnceAlsoWithANestedStatusEvent() {
    HttpTestServer service;
    // Slow enough that the request's event pump runs the nested status event below.
    service.server().Get("/service/new2.php", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      res.set_content("ok", "text/plain");
    });
    service.Start();
    ::setenv("VISTREL_SERVICE_URL", service.base_url().c_str(), 1);

    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    run.Put("userdef.dat", kTestUserLine);
    QVERIFY(run.Start());
    auto* list = run.Find<QTableView>("channelList");
    ClickRow(list, 2);  // My Stream, the user's channel
    FakeMediaPlayer* player = run.player();
    bool nested_ran = false;
    QTimer::singleShot(100, [&] {
      player->RaiseStatus("Playing");
      nested_ran = true;
    });
    player->RaiseStatus("Playing");
    QVERIFY(nested_ran);
    player->RaiseStatus("Playing (stereo)");
    QCOMPARE(Count(service.requests(), "/service/new2.php"), 1);
    const int32_t position = run.window()->state().visible_rows.positions[2];
    QCOMPARE(run.window()->state().catalogue.channels[position].sent, 1);

    // A catalogue channel is never submitted.
    ClickRow(list, 0);
    player->RaiseStatus("Playing");
    QCOMPARE(Count(service.requests(), "/service/new2.php"), 1);
    ::unsetenv("VISTREL_SERVICE_URL");
  }

  void errorIsShownThenReported() {
    HttpTestServer service;
    service.Answer("/service/bad.php", 200, "ok");
    service.Start();
    ::setenv("VISTREL_SERVICE_URL", service.base_url().c_str(), 1);

    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    QVERIFY(run.Start());
    auto* list = run.Find<QTableView>("channelList");
    FakeMediaPlayer* player = run.player();
    {
      // No row selected: the box only.
      MessageBoxAnswerer answer;
      player->RaiseError("Cannot open <stream> & more");
      QCOMPARE(answer.texts, QStringList({"Cannot open <stream> & more"}));
    }
    QCOMPARE(Count(service.requests(), "/service/bad.php"), 0);
    ClickRow(list, 0);  // alpha TV, id 2
    {
      MessageBoxAnswerer answer;
      player->RaiseError("Connection refused");
      QCOMPARE(answer.texts, QStringList({"Connection refused"}));
    }
    std::vector<RecordedRequest> requests = service.requests();
    QCOMPARE(Count(requests, "/service/bad.php"), 1);
    QCOMPARE(requests.back().target, std::string("/service/bad.php?channel_id=2"));

    // The user selected another row before alpha TV's failure was told: alpha TV is reported.
    ClickRow(list, 1);
    {
      MessageBoxAnswerer answer;
      player->RaiseError("http://127.0.0.1/2", "Cannot play http://127.0.0.1/2: refused.");
      QCOMPARE(answer.texts, QStringList({"Cannot play http://127.0.0.1/2: refused."}));
    }
    requests = service.requests();
    QCOMPARE(Count(requests, "/service/bad.php"), 2);
    QCOMPARE(requests.back().target, std::string("/service/bad.php?channel_id=2"));
    ::unsetenv("VISTREL_SERVICE_URL");
  }

  void aChannelThatIsNoNetworkStreamIsRefusedWithoutAReport() {
    HttpTestServer service;
    service.Answer("/service/bad.php", 200, "ok");
    service.Start();
    ::setenv("VISTREL_SERVICE_URL", service.base_url().c_str(), 1);

    ProgramRun run;
    run.Put("channelz.dat",
            TestPackage(std::string(kTestTv) +
                        "5|Local File|file:///etc/passwd|128|1||7|6||0|0|0|0|0|0|0\r\n"));
    QVERIFY(run.Start());
    auto* list = run.Find<QTableView>("channelList");
    int row = 0;
    while (row < list->model()->rowCount() &&
           list->model()->index(row, 0).data().toString() != "Local File") {
      ++row;
    }
    QVERIFY(row < list->model()->rowCount());
    FakeMediaPlayer* player = run.player();
    {
      MessageBoxAnswerer answer;
      const QRect cell = list->visualRect(list->model()->index(row, 0));
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
      QCOMPARE(
          answer.texts,
          QStringList({QString::fromStdString(RefusedStreamAddressMessage("file:///etc/passwd"))}));
    }
    for (const std::string& call : player->calls)
      QVERIFY2(call.find("file:") == std::string::npos, call.c_str());
    QCOMPARE(player->Url(), std::string());
    QCOMPARE(Count(service.requests(), "/service/bad.php"), 0);
    ::unsetenv("VISTREL_SERVICE_URL");
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::PlaybackHooksTest)
#include "playback_hooks_test.moc"
