// The libmpv player's picture on a real (virtual) X display: the test pattern served over
// loopback must show in the video area, also in full screen and after it. Runs under xvfb-run
// with Mesa's software OpenGL.

#include <QApplication>
#include <QImage>
#include <QOpenGLWidget>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "playback/mpv/mpv_player.h"
#include "support/http_test_server.h"

namespace vistrel {

namespace {

constexpr int kTimeoutMs = 20000;

std::string ReadTestMedia() {
  std::ifstream in(VISTREL_SOURCE_DIR "/tests/data/test_pattern.mp4", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// True when at least a tenth of the picture is clearly brighter than black.
bool ShowsAPicture(QOpenGLWidget* widget) {
  const QImage image = widget->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) return false;
  qint64 bright = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]) > 90) ++bright;
    }
  }
  return bright * 10 > qint64(image.width()) * image.height();
}

}  // namespace

class MpvVideoTest : public QObject {
  Q_OBJECT

 private slots:
  void theTestPatternShowsInTheVideoArea() {
    HttpTestServer server;
    server.Answer("/test_pattern.mp4", 200, ReadTestMedia());
    server.Start();

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    window.resize(400, 300);
    MpvPlayer player(&window, MpvPlayerOptions{.null_audio = true});
    layout->addWidget(player.video_widget());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* picture = player.video_widget()->findChild<QOpenGLWidget*>();
    QVERIFY(picture != nullptr);
    QVERIFY(!ShowsAPicture(picture));

    std::string error;
    player.on_error = [&](const std::string&, const std::string& description) {
      error = description;
    };
    player.SetUrl(server.base_url() + "/test_pattern.mp4");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsAPicture(picture), kTimeoutMs);

    player.SetFullScreen(true);
    QTRY_COMPARE(picture->geometry(), window.rect());
    QTRY_VERIFY_WITH_TIMEOUT(ShowsAPicture(picture), kTimeoutMs);
    QTest::keyClick(picture, Qt::Key_Escape);
    QVERIFY(!player.IsFullScreen());
    QTRY_VERIFY_WITH_TIMEOUT(ShowsAPicture(picture), kTimeoutMs);
    QVERIFY2(error.empty(), error.c_str());
  }

  void theLastPictureStaysWhileADroppedStreamReconnects() {
    // The test pattern as a live stream (no length, not seekable) that ends after one run;
    // the next listener waits two seconds for its first bytes.
    HttpTestServer server;
    const std::string media = ReadTestMedia();
    std::atomic<int> listeners{0};
    server.server().Get("/live.mp4", [&](const httplib::Request&, httplib::Response& res) {
      const bool first = listeners++ == 0;
      res.set_chunked_content_provider(
          "video/mp4", [&media, first](size_t offset, httplib::DataSink& sink) {
            if (offset >= media.size()) {
              sink.done();
              return true;
            }
            if (offset == 0 && !first) std::this_thread::sleep_for(std::chrono::seconds(2));
            const size_t size = std::min<size_t>(8192, media.size() - offset);
            return sink.write(media.data() + offset, size);
          });
    });
    server.Start();

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    window.resize(400, 300);
    MpvPlayer player(
        &window, MpvPlayerOptions{.null_audio = true,
                                  .reconnect = {.first_pause = std::chrono::milliseconds(200)}});
    layout->addWidget(player.video_widget());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* picture = player.video_widget()->findChild<QOpenGLWidget*>();
    QVERIFY(picture != nullptr);
    std::string error;
    player.on_error = [&](const std::string&, const std::string& description) {
      error = description;
    };
    player.SetUrl(server.base_url() + "/live.mp4");
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsAPicture(picture), kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Reconnecting\xE2\x80\xA6", kTimeoutMs);
    QTRY_COMPARE(listeners.load(), 2);  // the try waits for its first bytes
    QVERIFY(ShowsAPicture(picture));    // drawn again: still the last picture
    QTRY_VERIFY_WITH_TIMEOUT(player.StatusText() == "Playing", kTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(ShowsAPicture(picture), kTimeoutMs);
    QVERIFY2(error.empty(), error.c_str());
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::MpvVideoTest)
#include "mpv_video_test.moc"
