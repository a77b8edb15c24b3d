// Zapping: Page Down between two TS channels that the built vistrel-service serves on
// 127.0.0.1 (--media demo/media), with real libmpv, from the key press to the new channel's
// first frame. Served as files ("media", the default: at full speed, as a live playlist's
// segments come) or as endless streams paced at the files' own rate ("live": the first frame
// then waits for its own bytes to arrive at that rate). The player reports
// "Playing" when the engine shows its first frame (playback restart). Offscreen, so without a
// picture or sound device, unless QT_QPA_PLATFORM says otherwise (xcb under xvfb-run draws the
// picture). Usage: vistrel-zapping [ROUNDS] [media|live]

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/package.h"
#include "common/files.h"
#include "gui/main_window.h"
#include "gui/program_entry.h"
#include "server/catalogue_import.h"
#include "support/service_process.h"
#include "support/temp_dir.h"

namespace {

using vistrel::MainWindow;

// The package: two TV channels on the service's live streams, "Bars" listed before "Pattern".
std::string TwoChannelPackage(const std::string& base_url, const std::string& how) {
  const std::string tv = "1|Bars|" + base_url + "/" + how +
                         "/tv-bars.ts|800|1||0|0||0|0|0|0|0|0|0\r\n"
                         "2|Pattern|" +
                         base_url + "/" + how + "/tv-pattern.ts|800|1||0|0||0|0|0|0|0|0|0\r\n";
  return vistrel::BuildPackage({{"version.dat", "201003141530"},
                                {"countries.dat", "0|All Countries\r\n"},
                                {"genres.dat", "0|All Genres\r\n"},
                                {"tv.dat", tv},
                                {"radio.dat", ""}});
}

// Runs the event loop until the player has left "Playing" and come back to it, at most
// `timeout_ms`; the milliseconds it took, or -1.
double WaitForNewFirstFrame(MainWindow& window, const QElapsedTimer& since, int timeout_ms) {
  bool left = false;
  while (since.elapsed() < timeout_ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    const std::string status = window.player()->StatusText();
    if (status != "Playing") left = true;
    if (left && status == "Playing") return static_cast<double>(since.nsecsElapsed()) / 1e6;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
  const std::string how = argc > 2 ? argv[2] : "media";
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  vistrel::TempDir dir;
  const auto db = dir.path() / "catalogue.sqlite";
  vistrel::ImportCatalogue(db, VISTREL_SOURCE_DIR "/demo/tables", {}, vistrel::CurrentMinute());
  vistrel::ServiceProcess service(db, {"--media", VISTREL_SOURCE_DIR "/demo/media"},
                                  dir.path() / "service.log");

  ::setenv("XDG_DATA_HOME", (dir.path() / "share").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
  ::setenv("VISTREL_SERVICE_URL", service.base_url().c_str(), 1);
  const vistrel::Outcome written = vistrel::WriteFileAtomically(
      dir.path() / "share" / "Orvane" / "Vistrel" / vistrel::kPackageFileName,
      TwoChannelPackage(service.base_url(), how));
  if (!written.ok()) {
    std::fprintf(stderr, "%s\n", written.error.c_str());
    return 1;
  }
  std::unique_ptr<MainWindow> window =
      vistrel::StartProgram(vistrel::DefaultPlayerFactory(), [] { return 40252.0; });
  if (!window || !window->player()) {
    std::fprintf(stderr, "the program or libmpv did not start\n");
    return 1;
  }
  window->ShowCentred();
  if (!QTest::qWaitForWindowExposed(window.get())) return 1;
  auto* list = window->findChild<QTableView*>("channelList");
  list->setFocus();

  std::printf("\nZapping with Page Down between two TS channels on 127.0.0.1 (/%s/, %s)\n",
              how.c_str(), qPrintable(QGuiApplication::platformName()));
  // The first channel's start is not a zap: the engine starts cold.
  QElapsedTimer timer;
  timer.start();
  QTest::keyClick(list, Qt::Key_PageDown);
  const double first = WaitForNewFirstFrame(*window, timer, 20000);
  std::printf("  first channel from cold: %8.1f ms\n", first);
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    // Watch a moment, as a person zapping does, so the channel is settled.
    QTest::qWait(500);
    timer.restart();
    QTest::keyClick(list, Qt::Key_PageDown);
    const double ms = WaitForNewFirstFrame(*window, timer, 20000);
    if (ms < 0) {
      std::printf("  zap %d: no first frame within 20 s\n", i + 1);
      continue;
    }
    times.push_back(ms);
  }
  window.reset();
  if (times.empty()) return 1;
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf(
      "  %zu zaps: median %8.1f ms, fastest %8.1f ms, slowest %8.1f ms (goal < 150 ms: %s)\n",
      times.size(), median, times.front(), times.back(), median < 150 ? "met" : "missed");
  return 0;
}
