#include "gui/program_entry.h"

#include <sys/resource.h>

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLayout>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <optional>
#include <string>

#include "app/data_folder.h"
#include "app/lifecycle.h"
#include "browser/settings_store.h"
#include "common/build_config.h"
#include "gui/message_boxes.h"
#include "gui/splash_window.h"
#include "playback/mpv/mpv_check.h"
#include "playback/mpv/mpv_player.h"

namespace vistrel {

namespace {

// For the start-up benchmark: with VISTREL_EXIT_AFTER_FIRST_PAINT set, the program prints one
// line with its resident memory and processor time once the channel list has been painted, and
// ends.
class FirstPaintReporter : public QObject {
 public:
  explicit FirstPaintReporter(QWidget* list_viewport) : QObject(list_viewport) {
    list_viewport->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !reported_) {
      reported_ = true;
      // After this paint has been processed.
      QTimer::singleShot(0, [] {
        std::printf("first-paint rss_kb=%ld cpu_ms=%.1f\n", ResidentKiB(), ProcessorMs());
        std::fflush(stdout);
        QCoreApplication::exit(0);
      });
    }
    return false;
  }

 private:
  // User and system time of the whole process so far, all threads.
  static double ProcessorMs() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  }

  static long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
  }

  bool reported_ = false;
};

}  // namespace

std::unique_ptr<MainWindow> StartProgram(const PlayerFactory& make_player,
                                         const std::function<double()>& now) {
  const std::optional<std::filesystem::path> folder = DataFolder();
  if (!folder) {
    ShowErrorBox(nullptr, NoDataFolderMessage());
    return nullptr;
  }
  auto window = std::make_unique<MainWindow>(
      ProgramState(*folder, SettingsStore(SettingsStore::DefaultPath())), make_player);

  LoadReport report;
  std::optional<std::string> failure;
  {
    const ScopedSplash splash;
    try {
      report = LoadAtStartUp(window->state(), now);
      window->ApplyView(report.view);
    } catch (const std::exception& e) {
      failure = e.what();
    }
  }
  if (failure) {
    ShowErrorBox(nullptr, *failure);
    return nullptr;
  }
  for (const std::string& message : report.messages) ShowErrorBox(nullptr, message);
  if (window->state().end_requested || window->player_failed()) return nullptr;
  return window;
}

PlayerFactory DefaultPlayerFactory() {
  return [](QWidget* video_area) -> std::unique_ptr<MediaPlayer> {
    Outcome check = CheckMpvInstallation();
    std::unique_ptr<MpvPlayer> player;
    if (check.ok()) {
      try {
        player = std::make_unique<MpvPlayer>(video_area);
      } catch (const Error& e) {
        check = Outcome::Fail(e.what());
      }
    }
    if (!player) {
      // The window asks about the download; the cause is for whoever reads the terminal.
      std::fprintf(stderr, "%s\n", check.error.c_str());
      return nullptr;
    }
    if (QWidget* video = player->video_widget()) video_area->layout()->addWidget(video);
    return player;
  };
}

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(build::kProductName));
  // The desktop entry's name and icon, so menus and task bars match the window with it.
  QGuiApplication::setDesktopFileName(QStringLiteral("vistrel"));
  QApplication::setWindowIcon(
      QIcon::fromTheme(QStringLiteral("vistrel"), QIcon(QStringLiteral(":/icons/vistrel.png"))));
  std::unique_ptr<MainWindow> window = StartProgram(DefaultPlayerFactory());
  if (!window) return 1;
  if (std::getenv("VISTREL_EXIT_AFTER_FIRST_PAINT")) {
    if (auto* list = window->findChild<QWidget*>("channelList")) {
      if (auto* viewport = list->findChild<QWidget*>("qt_scrollarea_viewport")) {
        new FirstPaintReporter(viewport);
      }
    }
  }
  window->ShowCentred();
  return app.exec();
}

}  // namespace vistrel
