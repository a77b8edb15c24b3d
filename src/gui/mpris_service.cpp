#include "gui/mpris_service.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>

#include "gui/mpris_adaptors.h"

namespace vistrel {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kBaseName = QStringLiteral("org.mpris.MediaPlayer2.vistrel");

}  // namespace

MprisService::MprisService(MprisHooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)) {
  // Children of this object: the bus sees their interfaces on it.
  new MprisRootAdaptor(this);
  new MprisPlayerAdaptor(this);
}

MprisService::~MprisService() {
  if (service_name_.isEmpty()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(kObjectPath);
  bus.unregisterService(service_name_);
}

bool MprisService::Register() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) return false;
  QString name = kBaseName;
  if (!bus.registerService(name)) {
    // Another player of ours holds the name: each instance gets its own.
    name = kBaseName + QStringLiteral(".instance") +
           QString::number(QCoreApplication::applicationPid());
    if (!bus.registerService(name)) {
      bus.unregisterObject(kObjectPath);
      return false;
    }
  }
  service_name_ = name;
  return true;
}

void MprisService::Update(const MediaControlsState& state) {
  const std::vector<std::string> changed = ChangedMediaControls(state_, state);
  state_ = state;
  if (changed.empty() || service_name_.isEmpty()) return;
  // The adaptor answers the values as the bus's property reads would.
  auto* player = findChild<MprisPlayerAdaptor*>();
  QVariantMap values;
  for (const std::string& name : changed) {
    const QString key = QString::fromStdString(name);
    values.insert(key, player->property(name.c_str()));
    if (name == "CanPlay") values.insert("CanPause", player->property("CanPause"));
  }
  QDBusMessage signal =
      QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                 QStringLiteral("PropertiesChanged"));
  signal << kPlayerInterface << values << QStringList();
  QDBusConnection::sessionBus().send(signal);
}

}  // namespace vistrel
