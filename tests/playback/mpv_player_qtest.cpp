// The libmpv player against a loopback HTTP server, with no picture or sound device.

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "playback/mpv/mpv_check.h"
#include "playback/mpv/mpv_player.h"
#include "playback/playback_controller.h"
#include "support/http_test_server.h"

namespace vistrel {

namespace {

constexpr int kTimeoutMs = 20000;

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ReadTestMedia() {
  return ReadFile(VISTREL_SOURCE_DIR "/tests/data/test_pattern.mp4");
}

// A radio stream as internet radios send it: the audio with an ICY metadata block after every
// `kIcyInterval` bytes. The title is "First" for about two seconds of audio, then "Second".
constexpr size_t kIcyInterval = 4000;

std::string IcyBlock(const std::string& title) {
  if (title.empty()) return std::string(1, '\0');
  std::string text = "StreamTitle='" + title + "';";
  const size_t units = (text.size() + 15) / 16;
  text.resize(units * 16, '\0');
  return static_cast<char>(units) + text;
}

void ServeIcyRadio(httplib::Server& server) {
  server.Get("/icy.mp3", [](const httplib::Request&, httplib::Response& response) {
    const auto audio = std::make_shared<std::string>(
        ReadFile(VISTREL_SOURCE_DIR "/demo/media/radio-arpeggio.mp3"));
    response.set_header("icy-metaint", std::to_string(kIcyInterval));
    response.set_header("icy-name", "Test Radio");
    response.set_chunked_content_provider(
        "audio/mpeg",
        [audio, offset = size_t{0}, block = 0](size_t, httplib::DataSink& sink) mutable {
          if (block > 120) {  // about half a minute of audio
            sink.done();
            return true;
          }
          std::string chunk;
          for (size_t i = 0; i < kIcyInterval; ++i) chunk += (*audio)[(offset + i) % audio->size()];
          offset = (offset + kIcyInterval) % audio->size();
          chunk += IcyBlock(block == 0 ? "First" : (block == 8 ? "Second" : ""));
          ++block;
          return sink.write(chunk.data(), chunk.size());
        });
  });
}

// Records every status the player announces, and checks it never announces one inside a call.
struct StatusLog {
  explicit StatusLog(MpvPlayer& player) : player(player) {
    player.on_status_change = [this] {
      if (in_call) raised_inside_call = true;
      seen.push_back(this->player.StatusText());
    };
    player.on_error = [this](const std::string& description) { errors.push_back(description); };
  }
  template <typename F>
  void Call(F f) {
    in_call = true;
    f();
    in_call = false;
  }
  bool Seen(const std::string& part) const {
    for (const std::string& s : seen) {
      if (s.find(part) != std::string::npos) return true;
    }
    return false;
  }

  MpvPlayer& player;
  bool in_call = false;
  bool raised_inside_call = false;
  std::vector<std::string> seen;
  std::vector<std::string> errors;
};

}  // namespace

class MpvPlayerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server_.Answer("/test_pattern.mp4", 200, ReadTestMedia());
    server_.Answer("/other.mp4", 200, ReadTestMedia());
    ServeIcyRadio(server_.server());
    server_.Start();
  }

  void libmpvPassesTheInstallationCheck() {
    const Outcome outcome = CheckMpvInstallation();
    QVERIFY2(outcome.ok(), outcome.error.c_str());
  }

  void passesOnTheTitlesARadioAnnounces() {
    QWidget window;
    MpvPlayer player(&window);
    StatusLog log(player);
    std::vector<std::string> titles;
    player.on_stream_title = [&](const std::string& title) { titles.push_back(title); };
    player.SetUrl(server_.base_url() + "/icy.mp3");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(!titles.empty() && titles.back() == "Second", kTimeoutMs);
    QCOMPARE(titles.front(), std::string("First"));
    QVERIFY(log.errors.empty());

    // Another channel: nothing of the radio's titles reaches it.
    titles.clear();
    player.SetUrl(server_.base_url() + "/test_pattern.mp4");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    QTest::qWait(200);
    for (const std::string& title : titles) QCOMPARE(title, std::string());
  }

  void playsAServedFileFromReadyToStopped() {
    QWidget window;
    MpvPlayer player(&window);
    StatusLog log(player);
    QVERIFY(player.video_widget() != nullptr);
    QCOMPARE(player.StatusText(), std::string("Stopped"));

    const std::string url = server_.base_url() + "/test_pattern.mp4";
    log.Call([&] { player.SetUrl(url); });
    QCOMPARE(player.Url(), url);
    QTRY_COMPARE(player.StatusText(), std::string("Ready"));
    QTest::qWait(200);
    QCOMPARE(player.StatusText(), std::string("Ready"));  // cueing never starts it
    QVERIFY(!player.HasCurrentMedia());

    log.Call([&] { player.Play(); });
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText().find("Playing") != std::string::npos, kTimeoutMs);
    QVERIFY(player.HasCurrentMedia());

    log.Call([&] { player.Pause(); });
    QTRY_COMPARE(player.StatusText(), std::string("Paused"));
    const size_t announced = log.seen.size();
    log.Call([&] { player.Pause(); });  // changes nothing: no event
    QTest::qWait(100);
    QCOMPARE(log.seen.size(), announced);
    log.Call([&] { player.Play(); });
    QTRY_VERIFY(player.StatusText().find("Playing") != std::string::npos);

    log.Call([&] { player.Stop(); });
    QTRY_COMPARE(player.StatusText(), std::string("Stopped"));
    QTest::qWait(100);
    QCOMPARE(player.StatusText(), std::string("Stopped"));
    QVERIFY(!log.raised_inside_call);
    QVERIFY(log.errors.empty());
  }

  void replacingAPlayingStreamNeverReadsAsItsStop() {
    QWidget window;
    MpvPlayer player(&window);
    StatusLog log(player);
    player.SetUrl(server_.base_url() + "/test_pattern.mp4");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);

    player.SetUrl(server_.base_url() + "/other.mp4");
    player.Play();  // as a double click does, before the first stream's end arrives
    log.seen.clear();
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    QVERIFY(!log.Seen("Stopped"));
    QVERIFY(log.errors.empty());
  }

  void aFailedStreamRaisesTheErrorWithItsCause_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("cause");
    QTest::newRow("not found") << "/missing.mp4"
                               << "404";
    QTest::newRow("refused") << "refused"
                             << "Connection refused";
  }
  void aFailedStreamRaisesTheErrorWithItsCause() {
    QFETCH(QString, path);
    QFETCH(QString, cause);
    RefusingPort refusing;
    const std::string url = path == "refused" ? refusing.base_url() + "/live.ts"
                                              : server_.base_url() + path.toStdString();
    QWidget window;
    MpvPlayer player(&window);
    StatusLog log(player);
    player.SetUrl(url);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(log.errors.size(), size_t{1}, kTimeoutMs);
    const std::string& description = log.errors.front();
    qInfo("%s", description.c_str());
    QVERIFY2(description.find(cause.toStdString()) != std::string::npos, description.c_str());
    QVERIFY2(description.find(url) != std::string::npos, description.c_str());
    QCOMPARE(player.StatusText(), std::string("Stopped"));
    QTest::qWait(400);
    QCOMPARE(log.errors.size(), size_t{1});
  }

  void aFailureIsNotToldOnceAnotherAddressIsCued() {
    QWidget window;
    MpvPlayer player(&window, MpvPlayerOptions{.failure_delay_ms = 2000});
    StatusLog log(player);
    player.SetUrl(server_.base_url() + "/missing.mp4");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(log.Seen("Stopped"), kTimeoutMs);
    player.SetUrl(server_.base_url() + "/test_pattern.mp4");
    QTest::qWait(2300);
    QVERIFY(log.errors.empty());
  }

  void fullScreenCoversTheWindowUntilEscOrDoubleClick() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QWidget(&window);
    layout->addWidget(other);
    window.resize(400, 300);
    MpvPlayer player(&window);
    QWidget* surface = player.video_widget();
    layout->addWidget(surface);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget* picture = surface->findChild<QWidget*>();
    QVERIFY(picture != nullptr);

    for (int way : {0, 1, 2}) {  // Esc on the picture, Esc where the focus went, double click
      player.SetFullScreen(true);
      QVERIFY(player.IsFullScreen());
      QVERIFY(window.windowState() & Qt::WindowFullScreen);
      QCOMPARE(picture->parentWidget(), &window);
      QTRY_COMPARE(picture->geometry(), window.rect());
      if (way == 0) {
        QTest::keyClick(picture, Qt::Key_Escape);
      } else if (way == 1) {
        QTest::keyClick(other, Qt::Key_Escape);
      } else {
        QTest::mouseDClick(picture, Qt::LeftButton);
      }
      QVERIFY(!player.IsFullScreen());
      QVERIFY(!(window.windowState() & Qt::WindowFullScreen));
      QCOMPARE(picture->parentWidget(), surface);
      QVERIFY(picture->isVisible());
    }
  }

  void theControllerDrivesTheRealPlayer() {
    ProgramState state("", SettingsStore(""));
    Channel channel;
    channel.id = 100001;
    channel.name = "My Stream";
    channel.url = server_.base_url() + "/test_pattern.mp4";
    channel.user_defined = 1;
    state.catalogue.channels.push_back(channel);
    state.visible_rows.positions = {0};
    state.visible_rows.count = 1;
    state.catalogue.filter.view = View::kVideo;

    QWidget window;
    MpvPlayer player(&window);
    std::vector<int32_t> submitted;
    PlaybackHooks hooks;
    hooks.submit_user_channel = [&](int32_t row) {
      submitted.push_back(row);
      QTest::qWait(300);  // the request lets the window process events meanwhile
    };
    PlaybackController controller(state, &player, std::move(hooks));
    controller.PlaySelected(0);
    QTRY_VERIFY_WITH_TIMEOUT(controller.view().status_label == "Playing", kTimeoutMs);
    QVERIFY(controller.view().stop_visible);
    QCOMPARE(submitted, std::vector<int32_t>{0});
    QCOMPARE(state.catalogue.channels[0].sent, 1);

    controller.Stop();  // the video view pauses
    QTRY_COMPARE(controller.view().status_label, std::string("Paused"));
    QVERIFY(!controller.view().stop_visible);
    controller.Play();
    QTRY_COMPARE(controller.view().status_label, std::string("Playing"));

    controller.ClearChannel();  // a view rebuild ends playback
    QTRY_COMPARE(controller.view().status_label, std::string("Stopped"));
    QCOMPARE(controller.view().channel_label, std::string("No channel"));
    QVERIFY(controller.view().stop_visible);
    QCOMPARE(submitted.size(), size_t{1});
  }

 private:
  HttpTestServer server_;
};

}  // namespace vistrel

QTEST_MAIN(vistrel::MpvPlayerTest)
#include "mpv_player_qtest.moc"
