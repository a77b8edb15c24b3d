// The player's events as the window handles them: the one-time submission of a user channel
// seen playing, and the error box followed by the broken-stream report, against a local service.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "catalogue/stream_address.h"
#include "gui_fixture.h"
#include "support/http_test_server.h"

namespace vistrel {

namespace {

// A service on 127.0.0.1 that takes one connection, reads the request and never answers.
class SilentService {
 public:
  SilentService() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 4) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      qFatal("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] {
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) return;
      client_ = client;
      char buffer[4096];
      if (::recv(client, buffer, sizeof buffer, 0) > 0) arrived_ = true;
    });
  }
  ~SilentService() {
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    if (client_ >= 0) ::close(client_);
    ::close(listener_);
  }
  std::string base_url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  bool request_arrived() const { return arrived_; }
  // The client keeps the connection open: a peek sees no end of stream.
  bool client_still_waiting() const {
    char byte = 0;
    const ssize_t n = ::recv(client_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }

 private:
  int listener_ = -1;
  std::atomic<int> client_{-1};
  std::atomic<bool> arrived_{false};
  int port_ = 0;
  std::thread thread_;
};

}  // namespace

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
    // Slow enough that the nested status event below comes while the request is on its way.
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
      player->RaiseStatus(PlayerState::kPlaying);
      nested_ran = true;
    });
    player->RaiseStatus(PlayerState::kPlaying);
    QTRY_VERIFY(nested_ran);
    player->RaiseStatus(PlayerState::kPlaying);
    QTRY_COMPARE(Count(service.requests(), "/service/new2.php"), 1);
    const int32_t position = run.window()->state().visible_rows.positions[2];
    QCOMPARE(run.window()->state().catalogue.channels[position].sent, true);

    // A catalogue channel is never submitted.
    ClickRow(list, 0);
    player->RaiseStatus(PlayerState::kPlaying);
    QTest::qWait(200);  // time for a request that should not come
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
    QTRY_COMPARE(Count(service.requests(), "/service/bad.php"), 1);
    std::vector<RecordedRequest> requests = service.requests();
    QCOMPARE(requests.back().target, std::string("/service/bad.php?channel_id=2"));

    // The user selected another row before alpha TV's failure was told: alpha TV is reported.
    ClickRow(list, 1);
    {
      MessageBoxAnswerer answer;
      player->RaiseError("http://127.0.0.1/2", "Cannot play http://127.0.0.1/2: refused.");
      QCOMPARE(answer.texts, QStringList({"Cannot play http://127.0.0.1/2: refused."}));
    }
    QTRY_COMPARE(Count(service.requests(), "/service/bad.php"), 2);
    requests = service.requests();
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

  // A report to a service that does not answer: the window keeps handling input while the
  // request is still waiting (the client has not given up on it).
  void theWindowAnswersWhileARequestWaitsOnTheService() {
    SilentService silent;
    ::setenv("VISTREL_SERVICE_URL", silent.base_url().c_str(), 1);
    {
      ProgramRun run;
      run.Put("channelz.dat", TestPackage());
      QVERIFY(run.Start());
      auto* list = run.Find<QTableView>("channelList");
      ClickRow(list, 0);
      {
        MessageBoxAnswerer answer;
        run.player()->RaiseError("Connection refused");
      }
      QTRY_VERIFY(silent.request_arrived());

      // The largest gap between ticks of a 10 ms timer while the request hangs, for the log.
      QElapsedTimer clock;
      clock.start();
      qint64 last = 0;
      qint64 largest = 0;
      QTimer ticks;
      connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        largest = std::max(largest, now - last);
        last = now;
      });
      ticks.start(10);
      list->setFocus();
      QTest::keyClick(list, Qt::Key_Down);
      QTest::qWait(300);
      std::printf("[ largest gap between 10 ms ticks while a request waits: %lld ms ]\n",
                  static_cast<long long>(largest));
      QCOMPARE(list->selectionModel()->selectedRows().value(0).row(), 1);
      QVERIFY2(silent.client_still_waiting(), "the request ended before the input was handled");
    }
    ::unsetenv("VISTREL_SERVICE_URL");
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::PlaybackHooksTest)
#include "playback_hooks_test.moc"
