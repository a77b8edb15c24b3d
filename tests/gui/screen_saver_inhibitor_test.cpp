// The screen saver stays off while the window is shown, through a stand-in for the desktop's
// screen-saver service on a private session bus (the test runs under dbus-run-session when it
// is installed); without the service nothing happens.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>
#include <QWidget>

#include "gui/screen_saver_inhibitor.h"

namespace vistrel {

class FakeScreenSaver : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  QStringList inhibited;
  QList<uint> released;

 public slots:
  uint Inhibit(const QString& application, const QString& reason) {
    inhibited << application + ": " + reason;
    return 42;
  }
  void UnInhibit(uint cookie) { released << cookie; }
};

class ScreenSaverInhibitorTest : public QObject {
  Q_OBJECT

 private slots:
  void withoutTheServiceNothingHappens() {
    QWidget window;
    ScreenSaverInhibitor inhibitor(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(100);
    QVERIFY(!inhibitor.active());
    window.hide();
  }

  void inhibitedWhileShownReleasedWhenHidden() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) QSKIP("no session bus (dbus-run-session is not installed)");
    FakeScreenSaver service;
    QVERIFY(bus.registerObject("/org/freedesktop/ScreenSaver", &service,
                               QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService("org.freedesktop.ScreenSaver"));

    QWidget window;
    ScreenSaverInhibitor inhibitor(&window);
    QVERIFY(!inhibitor.active());
    window.show();
    QTRY_VERIFY(inhibitor.active());
    QCOMPARE(service.inhibited.size(), 1);
    window.hide();
    QTRY_COMPARE(service.released, QList<uint>({42}));
    QVERIFY(!inhibitor.active());
    // Shown again: a new inhibition.
    window.show();
    QTRY_VERIFY(inhibitor.active());
    QCOMPARE(service.inhibited.size(), 2);

    bus.unregisterService("org.freedesktop.ScreenSaver");
    bus.unregisterObject("/org/freedesktop/ScreenSaver");
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::ScreenSaverInhibitorTest)
#include "screen_saver_inhibitor_test.moc"
