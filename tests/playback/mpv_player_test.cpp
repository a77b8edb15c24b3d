// The libmpv player against a loopback HTTP server, with no picture or sound device.

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browser/selected_channel.h"
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

// The header of an endless 8 kHz mono 8-bit WAV stream: its sizes say "unknown".
std::string EndlessWavHeader() {
  std::string h = "RIFF\xff\xff\xff\xffWAVEfmt ";
  const unsigned char format[] = {16, 0, 0,    0,    1, 0, 1, 0, 0x40, 0x1f,
                                  0,  0, 0x40, 0x1f, 0, 0, 1, 0, 8,    0};
  h.append(reinterpret_cast<const char*>(format), sizeof format);
  return h + "data\xff\xff\xff\xff";
}

// The headers a guarded server wants on every request, a comma in a further one included.
const StreamHeaders kGuardHeaders{
    "Agent/1.0 (X11, Linux)", "http://127.0.0.1/page?a=1", {{"X-Token", "a,b"}}};

bool CarriesGuardHeaders(const httplib::Request& request) {
  return request.get_header_value("User-Agent") == kGuardHeaders.user_agent &&
         request.get_header_value("Referer") == kGuardHeaders.referrer &&
         request.get_header_value("X-Token") == "a,b";
}

// An HLS stream under /guarded/: a master playlist, its variant and three MPEG-TS segments,
// each answered with 403 unless the request carries the guard's headers.
void ServeGuardedHls(httplib::Server& server, std::atomic<int>& refused,
                     std::vector<std::string>& served, std::mutex& mutex) {
  const auto ts =
      std::make_shared<std::string>(ReadFile(VISTREL_SOURCE_DIR "/demo/media/tv-pattern.ts"));
  server.Get(R"(/guarded/(.*))", [&, ts](const httplib::Request& request, httplib::Response& res) {
    if (!CarriesGuardHeaders(request)) {
      ++refused;
      res.status = 403;
      return;
    }
    const std::string name = request.matches[1];
    {
      std::lock_guard<std::mutex> lock(mutex);
      served.push_back(name);
    }
    // Three segments of whole 188-byte packets.
    const std::size_t third = ts->size() / 188 / 3 * 188;
    if (name == "master.m3u8") {
      res.set_content("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=800000\nvariant.m3u8\n",
                      "application/vnd.apple.mpegurl");
    } else if (name == "variant.m3u8") {
      res.set_content(
          "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:4\n"
          "#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:3.0,\nseg0.ts\n#EXTINF:3.0,\nseg1.ts\n"
          "#EXTINF:3.0,\nseg2.ts\n#EXT-X-ENDLIST\n",
          "application/vnd.apple.mpegurl");
    } else if (name.size() == 7 && name.starts_with("seg") && name.ends_with(".ts")) {
      const std::size_t index = static_cast<std::size_t>(name[3] - '0');
      const std::size_t length = index == 2 ? std::string::npos : third;
      res.set_content(ts->substr(index * third, length), "video/mp2t");
    } else {
      res.status = 404;
    }
  });
}

// A live radio that cuts its first listener off after about three seconds; when it `comes_back`
// later listeners get the endless stream, else a 404. Paced a little faster than it plays, so
// the player has little buffered when the cut comes.
void ServeDroppingRadio(httplib::Server& server, const std::string& path, bool comes_back) {
  auto listeners = std::make_shared<std::atomic<int>>(0);
  server.Get(path, [listeners, comes_back](const httplib::Request&, httplib::Response& res) {
    const bool first = (*listeners)++ == 0;
    if (!first && !comes_back) {
      res.status = 404;
      res.set_content("gone", "text/plain");
      return;
    }
    res.set_chunked_content_provider(
        "audio/x-wav", [first, sent = 0](size_t offset, httplib::DataSink& sink) mutable {
          if (first && ++sent > 150) return false;  // the connection breaks
          const std::string bytes = offset == 0 ? EndlessWavHeader() : std::string(200, '\x80');
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          return sink.write(bytes.data(), bytes.size());
        });
  });
}

const std::string kReconnecting = "Reconnecting\xE2\x80\xA6";

// Records every status the player announces, and checks it never announces one inside a call.
struct StatusLog {
  explicit StatusLog(MpvPlayer& player) : player(player) {
    player.on_status_change = [this] {
      if (in_call) raised_inside_call = true;
      seen.push_back(this->player.StatusText());
    };
    player.on_error = [this](const std::string& url, const std::string& description) {
      failed_urls.push_back(url);
      errors.push_back(description);
    };
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
  std::vector<std::string> failed_urls;  // the address set when it failed, per error
  std::vector<std::string> errors;
};

}  // namespace

class MpvPlayerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    server_.Answer("/test_pattern.mp4", 200, ReadTestMedia());
    server_.Answer("/other.mp4", 200, ReadTestMedia());
    server_.Answer("/next.mp4", 200, ReadTestMedia());
    ServeIcyRadio(server_.server());
    ServeGuardedHls(server_.server(), guarded_refused_, guarded_served_, guarded_mutex_);
    // A radio stream that never ends, paced at ten times its playing speed; it counts the
    // listeners that went away.
    server_.server().Get("/endless.wav", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider(
          "audio/x-wav", [this](size_t offset, httplib::DataSink& sink) {
            const std::string bytes = offset == 0 ? EndlessWavHeader() : std::string(1600, '\x80');
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (sink.write(bytes.data(), bytes.size())) return true;
            ++endless_dropped_;
            return false;
          });
    });
    ServeDroppingRadio(server_.server(), "/comes-back.wav", true);
    ServeDroppingRadio(server_.server(), "/never-back.wav", false);
    ServeDroppingRadio(server_.server(), "/stopped-back.wav", true);
    ServeDroppingRadio(server_.server(), "/closed-back.wav", true);
    server_.server().Get("/list.m3u", [this](const httplib::Request&, httplib::Response& res) {
      const std::string base = server_.base_url();
      res.set_content("#EXTM3U\n#EXTINF:-1,Gone\n" + base + "/missing.mp4\n#EXTINF:-1,Tone\n" +
                          base + "/endless.wav\n",
                      "audio/x-mpegurl");
    });
    server_.server().Get("/list.pls", [this](const httplib::Request&, httplib::Response& res) {
      const std::string base = server_.base_url();
      res.set_content("[playlist]\nNumberOfEntries=2\nFile1=" + base +
                          "/missing.mp4\nFile2=" + base + "/endless.wav\nVersion=2\n",
                      "audio/x-scpls");
    });
    server_.server().Get("/gone.m3u", [this](const httplib::Request&, httplib::Response& res) {
      const std::string base = server_.base_url();
      res.set_content(base + "/gone-1.mp4\n" + base + "/gone-2.mp4\n", "audio/x-mpegurl");
    });
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

  void aFailureIsToldAlsoWhenAnotherAddressIsCuedAndPlayed() {
    QWidget window;
    MpvPlayer player(&window, MpvPlayerOptions{.failure_delay_ms = 2000});
    StatusLog log(player);
    const std::string missing = server_.base_url() + "/missing.mp4";
    player.SetUrl(missing);
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(log.Seen("Stopped"), kTimeoutMs);
    // The user goes on to another channel while the failure still waits for its cause.
    player.SetUrl(server_.base_url() + "/test_pattern.mp4");
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(log.errors.size(), size_t{1}, kTimeoutMs);
    QCOMPARE(log.failed_urls.front(), missing);
    const std::string& description = log.errors.front();
    QVERIFY2(description.find(missing) != std::string::npos, description.c_str());
    QVERIFY2(description.find("404") != std::string::npos, description.c_str());
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    QCOMPARE(log.errors.size(), size_t{1});
  }

  void aPlaylistGoesOnPastAFailingEntryUntilItIsStopped_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("end");
    QTest::newRow("M3U, Stop") << "/list.m3u"
                               << "stop";
    QTest::newRow("PLS, another address cued") << "/list.pls"
                                               << "cue";
    QTest::newRow("M3U, the player closed") << "/list.m3u"
                                            << "close";
  }
  void aPlaylistGoesOnPastAFailingEntryUntilItIsStopped() {
    QFETCH(QString, list);
    QFETCH(QString, end);
    QWidget window;
    auto player = std::make_unique<MpvPlayer>(&window);
    StatusLog log(*player);
    const int dropped = endless_dropped_;
    player->SetUrl(server_.base_url() + list.toStdString());
    player->Play();
    QTRY_VERIFY_WITH_TIMEOUT(player->StatusText() == "Playing", kTimeoutMs);
    QVERIFY(Requested("/missing.mp4"));  // the first entry was tried, and failed
    QTest::qWait(400);                   // longer than a failure waits for its cause
    QVERIFY2(log.errors.empty(), log.errors.empty() ? "" : log.errors.front().c_str());
    QCOMPARE(player->StatusText(), std::string("Playing"));

    if (end == "stop") {
      player->Stop();
      QTRY_COMPARE(player->StatusText(), std::string("Stopped"));
    } else if (end == "cue") {
      player->SetUrl(server_.base_url() + "/test_pattern.mp4");
      QTRY_COMPARE(player->StatusText(), std::string("Ready"));
    } else {
      player.reset();
    }
    // libmpv let go of the stream: its connection was closed.
    QTRY_VERIFY_WITH_TIMEOUT(endless_dropped_ > dropped, kTimeoutMs);
    QVERIFY(log.errors.empty());
  }

  void aPlaylistWithNoEntryThatPlaysNamesTheEntryThatFailed() {
    QWidget window;
    MpvPlayer player(&window);
    StatusLog log(player);
    const std::string list = server_.base_url() + "/gone.m3u";
    player.SetUrl(list);
    player.Play();
    QTRY_COMPARE_WITH_TIMEOUT(log.errors.size(), size_t{1}, kTimeoutMs);
    QCOMPARE(log.failed_urls.front(), list);
    const std::string& description = log.errors.front();
    qInfo("%s", description.c_str());
    QVERIFY2(description.rfind("Cannot play " + server_.base_url() + "/gone-1.mp4: ", 0) == 0,
             description.c_str());
    QVERIFY2(description.find("404") != std::string::npos, description.c_str());
    QVERIFY(Requested("/gone-2.mp4"));
    QCOMPARE(player.StatusText(), std::string("Stopped"));
    QTest::qWait(400);
    QCOMPARE(log.errors.size(), size_t{1});
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

  // A channel's headers reach every request of its HLS stream (master and variant playlists,
  // every segment) and none of the next channel's, which goes with the player's own agent.
  void aChannelsHeadersReachEveryRequestOfItsStreamAndNoOther() {
    QWidget window;
    MpvPlayer player(&window);
    StatusLog log(player);
    player.SetUrl(server_.base_url() + "/test_pattern.mp4");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    const RecordedRequest first = LastRequest("/test_pattern.mp4");
    QVERIFY(first.user_agent != kGuardHeaders.user_agent);

    player.SetUrl(server_.base_url() + "/guarded/master.m3u8", kGuardHeaders);
    player.Play();
    const std::vector<std::string> all = {"master.m3u8", "variant.m3u8", "seg0.ts", "seg1.ts",
                                          "seg2.ts"};
    QTRY_VERIFY_WITH_TIMEOUT(GuardedServed() == all, kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    QCOMPARE(guarded_refused_.load(), 0);
    QVERIFY(log.errors.empty());

    player.SetUrl(server_.base_url() + "/next.mp4");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(Requested("/next.mp4"), kTimeoutMs);
    const RecordedRequest next = LastRequest("/next.mp4");
    QCOMPARE(next.user_agent, first.user_agent);
    QVERIFY(!next.headers.contains("Referer"));
    QVERIFY(!next.headers.contains("X-Token"));
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    QVERIFY(log.errors.empty());
  }

  // Without the headers, the guarded stream fails: the server's check is real.
  void theGuardedStreamFailsWithoutItsHeaders() {
    QWidget window;
    MpvPlayer player(&window);
    StatusLog log(player);
    const int refused = guarded_refused_.load();
    player.SetUrl(server_.base_url() + "/guarded/master.m3u8");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(!log.errors.empty(), kTimeoutMs);
    QVERIFY(guarded_refused_.load() > refused);
  }

  // A user channel's stored headers reach its server when the controller plays it.
  void aUserChannelPlaysWithItsHeaders() {
    ProgramState state("", SettingsStore(""));
    Channel channel;
    channel.id = 100001;
    channel.name = "Guarded";
    channel.url = server_.base_url() + "/guarded/master.m3u8";
    channel.user_defined = 1;
    channel.sent = 1;
    state.catalogue.channels.push_back(channel);
    state.catalogue.stream_headers[channel.id] = kGuardHeaders;
    state.visible_rows.positions = {0};
    state.visible_rows.count = 1;
    state.catalogue.filter.view = View::kTv;
    QWidget window;
    MpvPlayer player(&window);
    PlaybackController controller(state, &player, PlaybackHooks{});
    const int refused = guarded_refused_.load();
    controller.PlaySelected(state.visible_rows.ChannelAt(state.catalogue, 0));
    QTRY_VERIFY_WITH_TIMEOUT(controller.view().status_label == "Playing", kTimeoutMs);
    QCOMPARE(guarded_refused_.load(), refused);
    controller.ClearChannel();
    QTRY_COMPARE(controller.view().status_label, std::string("Stopped"));
  }

  void aLiveStreamThatDropsIsOpenedAgain_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("it comes back") << "/comes-back.wav"
                                   << "plays";
    QTest::newRow("it never comes back") << "/never-back.wav"
                                         << "fails";
    QTest::newRow("stopped while it reconnects") << "/stopped-back.wav"
                                                 << "stop";
    QTest::newRow("closed while it reconnects") << "/closed-back.wav"
                                                << "close";
  }
  void aLiveStreamThatDropsIsOpenedAgain() {
    QFETCH(QString, path);
    QFETCH(QString, outcome);
    const std::string address = server_.base_url() + path.toStdString();
    ProgramState state("", SettingsStore(""));
    Channel channel;
    channel.id = 7;
    channel.name = "Live Radio";
    channel.url = address;
    state.catalogue.channels.push_back(channel);
    state.visible_rows.positions = {0};
    state.visible_rows.count = 1;
    state.catalogue.filter.view = View::kRadio;

    QWidget window;
    // Short pauses for the test; a longer one where the test stops before the first try.
    const ReconnectPolicy quick{.tries = 3,
                                .first_pause = std::chrono::milliseconds(
                                    outcome == "stop" || outcome == "close" ? 1500 : 200),
                                .window = std::chrono::seconds(10)};
    auto player = std::make_unique<MpvPlayer>(&window, MpvPlayerOptions{.reconnect = quick});
    std::vector<std::string> boxes;
    std::vector<int32_t> reports;
    std::vector<std::string> labels;  // the status line's texts in turn
    const PlaybackController* shown = nullptr;
    PlaybackHooks hooks;
    hooks.show_error = [&](const std::string& text) { boxes.push_back(text); };
    hooks.report_broken_channel = [&](int32_t id) { reports.push_back(id); };
    hooks.view_changed = [&] {
      if (shown == nullptr) return;
      const std::string& label = shown->view().status_label;
      if (labels.empty() || labels.back() != label) labels.push_back(label);
    };
    auto owned_controller =
        std::make_unique<PlaybackController>(state, player.get(), std::move(hooks));
    PlaybackController& controller = *owned_controller;
    shown = &controller;
    // "Playing", then "Reconnecting…" once the connection broke, then (maybe) "Playing" again.
    const auto reached = [&](const std::vector<std::string>& steps) {
      size_t next = 0;
      for (const std::string& label : labels) {
        if (next < steps.size() && label == steps[next]) ++next;
      }
      return next == steps.size();
    };

    controller.PlaySelected(state.visible_rows.ChannelAt(state.catalogue, 0));
    QTRY_VERIFY_WITH_TIMEOUT(reached({"Playing", kReconnecting}), kTimeoutMs);
    QVERIFY(controller.view().stop_visible);
    if (outcome == "plays") {
      QTRY_VERIFY_WITH_TIMEOUT(reached({"Playing", kReconnecting, "Playing"}), kTimeoutMs);
      QVERIFY(RequestCount(path.toStdString()) >= 2);
      QTest::qWait(400);  // longer than a failure waits for its cause
      QCOMPARE(controller.view().status_label, std::string("Playing"));
    } else if (outcome == "fails") {
      QTRY_COMPARE_WITH_TIMEOUT(boxes.size(), size_t{1}, kTimeoutMs);
      qInfo("%s", boxes.front().c_str());
      QVERIFY2(boxes.front().find(address) != std::string::npos, boxes.front().c_str());
      QVERIFY2(boxes.front().find("404") != std::string::npos, boxes.front().c_str());
      QCOMPARE(reports, std::vector<int32_t>{7});
      QCOMPARE(controller.view().status_label, std::string("Stopped"));
      QTest::qWait(1000);  // no further try, box or report
      QCOMPARE(RequestCount(path.toStdString()), 1 + quick.tries);
      QCOMPARE(boxes.size(), size_t{1});
      QCOMPARE(reports.size(), size_t{1});
      return;
    } else if (outcome == "stop") {
      controller.Stop();
      QTRY_COMPARE(controller.view().status_label, std::string("Stopped"));
      QTest::qWait(2000);  // past the pause before the first try
      QCOMPARE(RequestCount(path.toStdString()), 1);
      QCOMPARE(controller.view().status_label, std::string("Stopped"));
    } else {
      // The window closes: the controller goes, then the player.
      shown = nullptr;
      owned_controller.reset();
      player.reset();
      QTest::qWait(2000);  // past the pause before the first try
      QCOMPARE(RequestCount(path.toStdString()), 1);
    }
    QVERIFY2(boxes.empty(), boxes.empty() ? "" : boxes.front().c_str());
    QVERIFY(reports.empty());
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
    hooks.submit_user_channel = [&](const Channel& channel) {
      submitted.push_back(ChannelPositionOfRecord(state.catalogue, channel));  // row 0 shows 0
      QTest::qWait(300);  // the request lets the window process events meanwhile
    };
    PlaybackController controller(state, &player, std::move(hooks));
    controller.PlaySelected(state.visible_rows.ChannelAt(state.catalogue, 0));
    QTRY_VERIFY_WITH_TIMEOUT(controller.view().status_label == "Playing", kTimeoutMs);
    QVERIFY(controller.view().stop_visible);
    QCOMPARE(submitted, std::vector<int32_t>{0});
    QCOMPARE(state.catalogue.channels[0].sent, true);

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
  // The latest request for `path`; an empty one when there was none.
  RecordedRequest LastRequest(const std::string& path) const {
    RecordedRequest last;
    for (const RecordedRequest& r : server_.requests()) {
      if (r.path == path) last = r;
    }
    return last;
  }
  // The guarded stream's files served so far, each once, in the order first served.
  std::vector<std::string> GuardedServed() {
    std::lock_guard<std::mutex> lock(guarded_mutex_);
    std::vector<std::string> once;
    for (const std::string& name : guarded_served_) {
      if (std::find(once.begin(), once.end(), name) == once.end()) once.push_back(name);
    }
    return once;
  }

  int RequestCount(const std::string& path) const {
    int count = 0;
    for (const RecordedRequest& r : server_.requests()) {
      if (r.path == path) ++count;
    }
    return count;
  }
  bool Requested(const std::string& path) const {
    for (const RecordedRequest& r : server_.requests()) {
      if (r.path == path) return true;
    }
    return false;
  }

  HttpTestServer server_;
  std::atomic<int> endless_dropped_{0};  // endless streams whose listener went away
  std::atomic<int> guarded_refused_{0};  // requests of the guarded stream without its headers
  std::mutex guarded_mutex_;
  std::vector<std::string> guarded_served_;
};

}  // namespace vistrel

QTEST_MAIN(vistrel::MpvPlayerTest)
#include "mpv_player_test.moc"
