#include "gui/screen_saver_inhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEvent>
#include <QWidget>

namespace vistrel {

namespace {

const char* const kService = "org.freedesktop.ScreenSaver";
const char* const kPath = "/org/freedesktop/ScreenSaver";
const char* const kInterface = "org.freedesktop.ScreenSaver";

}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QWidget* window) : QObject(window), window_(window) {
  window->installEventFilter(this);
  if (window->isVisible()) Inhibit();
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
  wanted_ = false;
  Release();
}

bool ScreenSaverInhibitor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    if (event->type() == QEvent::Show) Inhibit();
    if (event->type() == QEvent::Hide) {
      wanted_ = false;
      Release();
    }
  }
  return QObject::eventFilter(watched, event);
}

void ScreenSaverInhibitor::Inhibit() {
  wanted_ = true;
  if (cookie_ != 0 || pending_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Inhibit");
  call << QCoreApplication::applicationName() << QString("Playing a channel");
  // Asynchronous, so a slow or missing service never holds up the window.
  pending_ = true;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    QDBusPendingReply<uint32_t> reply = *w;
    w->deleteLater();
    pending_ = false;
    if (reply.isError() || reply.value() == 0) return;
    cookie_ = reply.value();
    if (!wanted_) Release();  // hidden meanwhile
  });
}

void ScreenSaverInhibitor::Release() {
  if (cookie_ == 0) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "UnInhibit");
    call << cookie_;
    bus.call(call, QDBus::NoBlock);
  }
  cookie_ = 0;
}

}  // namespace vistrel
