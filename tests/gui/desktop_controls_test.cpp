// The window's playback keys (in the list, and left alone in the find window and the editor)
// and the program on a private session bus as a media player, driven with gdbus as the
// desktop's media keys drive it.

#include <QApplication>
#include <QDBusConnection>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "gui/mpris_service.h"
#include "gui_fixture.h"

namespace vistrel {

// Every PropertiesChanged of the player interface, as another program on the bus sees it.
class PropertiesChangedLog : public QObject {
  Q_OBJECT

 public:
  QList<QVariantMap> changes;

 public slots:
  void Changed(const QString& interface, const QVariantMap& changed, const QStringList&) {
    if (interface == "org.mpris.MediaPlayer2.Player") changes << changed;
  }
};

class DesktopControlsTest : public QObject {
  Q_OBJECT

 private:
  static int SelectedRow(QTableView* list) {
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
  }

  // Runs gdbus against the program's object while the event loop answers it; its output.
  static QString Gdbus(const QString& service, const QStringList& arguments) {
    QProcess gdbus;
    gdbus.start("gdbus", QStringList{"call", "--session", "--dest", service, "--object-path",
                                     "/org/mpris/MediaPlayer2"} +
                             arguments);
    if (!gdbus.waitForStarted(5000)) return "not started";
    if (!QTest::qWaitFor([&] { return gdbus.state() == QProcess::NotRunning; }, 10000)) {
      return "timed out";
    }
    return QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed();
  }
  static QString GetProperty(const QString& service, const char* name) {
    return Gdbus(service, {"--method", "org.freedesktop.DBus.Properties.Get",
                           "org.mpris.MediaPlayer2.Player", name});
  }

 private slots:
  void keysPlayZapMuteAndChangeTheVolume() {
    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    QVERIFY(run.Start());
    MainWindow* window = run.window();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* list = run.Find<QTableView>("channelList");
    list->setFocus();
    FakeMediaPlayer* player = run.player();
    const int rows = window->state().visible_rows.count;
    QVERIFY(rows >= 3);

    // Zapping: with no row selected the first row plays; then down, up, and round the end.
    QTest::keyClick(list, Qt::Key_PageDown);
    QCOMPARE(SelectedRow(list), 0);
    QCOMPARE(player->calls.back(), std::string("Play"));
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(SelectedRow(list), 1);
    QTest::keyClick(list, Qt::Key_PageUp);
    QCOMPARE(SelectedRow(list), 0);
    QTest::keyClick(list, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(SelectedRow(list), rows - 1);
    QCOMPARE(player->calls.back(), std::string("Play"));

    // Space stops what plays and plays the selected channel again.
    player->RaiseStatus(PlayerState::kPlaying);
    player->calls.clear();
    QTest::keyClick(list, Qt::Key_Space);
    QVERIFY(std::find(player->calls.begin(), player->calls.end(), "Stop") != player->calls.end());
    player->RaiseStatus(PlayerState::kStopped);
    player->calls.clear();
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(player->calls.back(), std::string("Play"));
    QCOMPARE(SelectedRow(list), rows - 1);

    auto* mute = run.Find<QToolButton>("muteButton");
    auto* volume = run.Find<QSpinBox>("volumeBox");
    QTest::keyClick(list, Qt::Key_M);
    QVERIFY(mute->isChecked());
    QCOMPARE(player->calls.back(), std::string("SetMuted(1)"));
    const int before = volume->value();
    QTest::keyClick(list, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(volume->value(), before + volume->singleStep());
    QTest::keyClick(list, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(volume->value(), before);

    player->has_media = true;
    player->RaiseStatus(PlayerState::kPlaying);
    QTest::keyClick(list, Qt::Key_F);
    QCOMPARE(player->calls.back(), std::string("SetFullScreen(1)"));
    player->calls.clear();
    QTest::mouseDClick(run.Find<QWidget>("videoArea"), Qt::LeftButton);
    QCOMPARE(player->calls, std::vector<std::string>{"SetFullScreen(1)"});
    MessageBoxAnswerer answerer;
    QTest::keyClick(list, Qt::Key_F1);
    QCOMPARE(answerer.texts.size(), 1);
    for (const char* line :
         {"<b>Space</b></td><td>Play or stop the selected channel",
          "<b>PgDown, Ctrl+Down</b></td><td>Play the next channel",
          "<b>M</b></td><td>Mute or unmute", "<b>Ctrl+F</b></td><td>Find a channel",
          "<b>Ctrl+O</b></td><td>Open Playlist\u2026",
          "<b>Ctrl+1, Ctrl+2, Ctrl+3, Ctrl+4</b></td><td>TV, radio, video and playlist channels"}) {
      QVERIFY2(answerer.texts[0].contains(line), qPrintable(answerer.texts[0]));
    }
  }

  void keysStayWithTheFindWindowAndTheEditor() {
    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    QVERIFY(run.Start());
    MainWindow* window = run.window();
    FakeMediaPlayer* player = run.player();
    auto* mute = run.Find<QToolButton>("muteButton");
    auto* list = run.Find<QTableView>("channelList");

    window->OpenFindWindow();
    auto* text = window->findChild<QLineEdit*>("findText");
    QVERIFY(QTest::qWaitForWindowActive(text->window()));
    player->calls.clear();
    const int selected = SelectedRow(list);
    QTest::keyClicks(text, "m f");
    QTest::keyClick(text, Qt::Key_PageDown);
    QCOMPARE(text->text(), QString("m f"));
    QVERIFY(!mute->isChecked());
    QVERIFY2(player->calls.empty(), player->calls.front().c_str());
    QCOMPARE(SelectedRow(list), selected);
    text->window()->close();

    // The channel editor is modal: type into its name while it runs.
    QString typed;
    QTimer::singleShot(100, [&] {
      QWidget* editor = QApplication::activeModalWidget();
      if (editor == nullptr) return;
      auto* name = editor->findChild<QLineEdit*>("nameEdit");
      name->setFocus();
      QTest::keyClicks(name, "M F");
      QTest::keyClick(name, Qt::Key_PageDown);
      typed = name->text();
      editor->close();
    });
    QMetaObject::invokeMethod(run.Find<QToolButton>("addButton"), "click");
    QCOMPARE(typed, QString("M F"));
    QVERIFY(!mute->isChecked());
    QCOMPARE(SelectedRow(list), selected);
    QVERIFY(player->calls.empty());
  }

  void mediaKeysReachThePlayerOverTheSessionBus() {
    if (!QDBusConnection::sessionBus().isConnected()) QSKIP("no session bus");
    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    QVERIFY(run.Start());
    MainWindow* window = run.window();
    const QString service = window->media_controls()->service_name();
    QVERIFY(service.startsWith("org.mpris.MediaPlayer2.vistrel"));
    QCOMPARE(Gdbus(service, {"--method", "org.freedesktop.DBus.Properties.Get",
                             "org.mpris.MediaPlayer2", "Identity"}),
             QString("(<'Vistrel'>,)"));
    QCOMPARE(GetProperty(service, "PlaybackStatus"), QString("(<'Stopped'>,)"));
    QCOMPARE(GetProperty(service, "CanPlay"), QString("(<false>,)"));
    QCOMPARE(GetProperty(service, "CanGoNext"), QString("(<true>,)"));

    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    PropertiesChangedLog log;
    QVERIFY(client.connect(service, "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                           "PropertiesChanged", &log,
                           SLOT(Changed(QString, QVariantMap, QStringList))));
    FakeMediaPlayer* player = run.player();
    auto* list = run.Find<QTableView>("channelList");

    // Next: the first row is cued and played. One signal: the track and that it can play.
    Gdbus(service, {"--method", "org.mpris.MediaPlayer2.Player.Next"});
    QCOMPARE(SelectedRow(list), 0);
    QCOMPARE(player->calls.back(), std::string("Play"));
    QTRY_COMPARE(log.changes.size(), 1);
    QCOMPARE(log.changes[0].keys(), (QStringList{"CanPause", "CanPlay", "Metadata"}));
    player->RaiseStatus(PlayerState::kConnecting);
    player->RaiseStatus(PlayerState::kBuffering, 50);
    player->RaiseStatus(PlayerState::kPlaying);  // all three are "Playing": one signal
    QTRY_COMPARE(log.changes.size(), 2);
    QCOMPARE(log.changes[1], (QVariantMap{{"PlaybackStatus", "Playing"}}));
    QCOMPARE(GetProperty(service, "PlaybackStatus"), QString("(<'Playing'>,)"));

    player->calls.clear();
    Gdbus(service, {"--method", "org.mpris.MediaPlayer2.Player.Stop"});
    QVERIFY(std::find(player->calls.begin(), player->calls.end(), "Stop") != player->calls.end());
    player->RaiseStatus(PlayerState::kStopped);
    QTRY_COMPARE(log.changes.size(), 3);
    QCOMPARE(log.changes[2], (QVariantMap{{"PlaybackStatus", "Stopped"}}));

    Gdbus(service, {"--method", "org.mpris.MediaPlayer2.Player.Next"});
    QCOMPARE(SelectedRow(list), 1);
    QTRY_COMPARE(log.changes.size(), 4);
    QCOMPARE(log.changes[3].keys(), QStringList{"Metadata"});

    // Volume both ways.
    auto* volume = run.Find<QSpinBox>("volumeBox");
    Gdbus(service, {"--method", "org.freedesktop.DBus.Properties.Set",
                    "org.mpris.MediaPlayer2.Player", "Volume", "<0.8>"});
    QCOMPARE(volume->value(), 80);
    QCOMPARE(player->calls.back(), std::string("SetVolume(80)"));
    volume->setValue(35);
    QTRY_COMPARE(log.changes.size(), 6);
    QCOMPARE(log.changes[4], (QVariantMap{{"Volume", 0.8}}));
    QCOMPARE(log.changes[5], (QVariantMap{{"Volume", 0.35}}));
    QTest::qWait(200);
    QCOMPARE(log.changes.size(), 6);  // nothing twice, nothing per second
    QDBusConnection::disconnectFromBus("client");
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::DesktopControlsTest)
#include "desktop_controls_test.moc"
