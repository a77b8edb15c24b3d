#include "gui/program_entry.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLayout>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <cerrno>
#include <clocale>
#include <csignal>
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

// The write end of the pipe through which a termination signal reaches the event loop.
int signal_pipe_write = -1;

void NoteTerminationSignal(int) {
  const int saved_errno = errno;
  const char byte = 1;
  // A full pipe already holds a wake-up: nothing is lost when this write fails.
  [[maybe_unused]] const ssize_t written = ::write(signal_pipe_write, &byte, 1);
  errno = saved_errno;
}

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) end the program through its
// event loop, so that the user files are written on the way out as at any other end. The
// handler only writes to a pipe; from the moment it is installed a signal waits there until
// the event loop reads it. Returns the pipe's read end, or -1 (the signals then keep their
// default action) when the pipe cannot be made.
int CatchTerminationSignals() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  signal_pipe_write = fds[1];
  struct sigaction action {};
  action.sa_handler = NoteTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    ::sigaction(signal_number, &action, nullptr);
  }
  return fds[0];
}

// Writes the user files when the program ends other than by the window's close (which asks
// the user when the write fails). Nobody is there to ask: the failure goes to standard error.
void SaveAtEnd(const ProgramState& state) {
  const Outcome saved = CloseProgram(state);
  if (!saved.ok()) {
    std::fprintf(stderr, "Your own channels and favourites could not be saved: %s\n",
                 saved.error.c_str());
  }
}

}  // namespace

std::unique_ptr<MainWindow> StartProgram(const PlayerFactory& make_player,
                                         const std::function<double()>& now) {
  // Numbers with a fraction are always read and written with ".", whatever the user's locale
  // (QApplication takes the locale from the environment).
  std::setlocale(LC_NUMERIC, "C");
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
  // Playlists that came from an address are fetched again once the event loop runs.
  QMetaObject::invokeMethod(window.get(), &MainWindow::RefreshPlaylistAddresses,
                            Qt::QueuedConnection);
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
  const int signal_pipe = CatchTerminationSignals();
  QApplication::setApplicationName(QString::fromUtf8(build::kProductName));
  // The desktop entry's name and icon, so menus and task bars match the window with it.
  QGuiApplication::setDesktopFileName(QStringLiteral("vistrel"));
  QApplication::setWindowIcon(
      QIcon::fromTheme(QStringLiteral("vistrel"), QIcon(QStringLiteral(":/icons/vistrel.png"))));
  std::unique_ptr<MainWindow> window = StartProgram(DefaultPlayerFactory());
  if (!window) return 1;
  // Playlists given on the command line ("Open with" of the desktop): files and "file:" or
  // http(s) addresses. Files are read before the window shows, so it opens on their channels.
  QStringList sources = QCoreApplication::arguments();
  sources.removeFirst();
  for (const QString& source : sources) {
    if (!source.startsWith('-')) window->OpenPlaylistSource(source);
  }
  if (std::getenv("VISTREL_EXIT_AFTER_FIRST_PAINT")) {
    if (auto* list = window->findChild<QWidget*>("channelList")) {
      if (auto* viewport = list->findChild<QWidget*>("qt_scrollarea_viewport")) {
        new FirstPaintReporter(viewport);
      }
    }
  }
  if (signal_pipe >= 0) {
    auto* notifier = new QSocketNotifier(signal_pipe, QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [signal_pipe] {
      char bytes[16];
      while (::read(signal_pipe, bytes, sizeof bytes) > 0) {
      }
      // Ends every event loop, modal ones too, without asking the windows: aboutToQuit saves.
      QCoreApplication::exit(0);
    });
  }
  ProgramState& state = window->state();
  QObject::connect(&app, &QCoreApplication::aboutToQuit, window.get(),
                   [&state] { SaveAtEnd(state); });
  // The session ends (logout, shutdown): saved while the session manager still waits for it.
  QObject::connect(&app, &QGuiApplication::commitDataRequest, window.get(),
                   [&state](QSessionManager&) { SaveAtEnd(state); });
  window->ShowCentred();
  return app.exec();
}

}  // namespace vistrel
