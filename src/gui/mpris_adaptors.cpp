#include "gui/mpris_adaptors.h"

#include <QDBusObjectPath>
#include <algorithm>

#include "gui/mpris_service.h"
#include "gui/qt_text.h"

namespace vistrel {

namespace {

void Run(const std::function<void()>& hook) {
  if (hook) hook();
}

}  // namespace

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

void MprisRootAdaptor::Raise() {
  Run(service_->hooks().raise);
}

void MprisRootAdaptor::Quit() {
  Run(service_->hooks().quit);
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), service_(service) {}

QString MprisPlayerAdaptor::PlaybackStatus() const {
  return QString::fromLatin1(MediaControlsStatusText(service_->state().status));
}

QVariantMap MprisPlayerAdaptor::Metadata() const {
  const MediaControlsState& state = service_->state();
  QVariantMap metadata;
  if (state.track_id.empty()) {
    metadata.insert(
        "mpris:trackid",
        QVariant::fromValue(QDBusObjectPath("/org/mpris/MediaPlayer2/TrackList/NoTrack")));
    return metadata;
  }
  metadata.insert("mpris:trackid", QVariant::fromValue(QDBusObjectPath(ToQString(state.track_id))));
  metadata.insert("xesam:title", ToQString(state.title));
  metadata.insert("xesam:artist", QStringList{ToQString(state.artist)});
  if (!state.album.empty()) metadata.insert("xesam:album", ToQString(state.album));
  if (!state.art_url.empty()) metadata.insert("mpris:artUrl", ToQString(state.art_url));
  return metadata;
}

double MprisPlayerAdaptor::Volume() const {
  return service_->state().volume;
}

void MprisPlayerAdaptor::SetVolume(double volume) {
  if (!(volume >= 0.0)) volume = 0.0;  // NaN too
  volume = std::min(volume, 1.0);
  if (service_->hooks().set_volume) service_->hooks().set_volume(volume);
}

bool MprisPlayerAdaptor::CanGoNext() const {
  return service_->state().can_go_next;
}

bool MprisPlayerAdaptor::CanGoPrevious() const {
  return service_->state().can_go_previous;
}

bool MprisPlayerAdaptor::CanPlay() const {
  return service_->state().can_play;
}

void MprisPlayerAdaptor::Next() {
  Run(service_->hooks().next);
}

void MprisPlayerAdaptor::Previous() {
  Run(service_->hooks().previous);
}

void MprisPlayerAdaptor::Pause() {
  Run(service_->hooks().pause);
}

void MprisPlayerAdaptor::PlayPause() {
  Run(service_->hooks().play_pause);
}

void MprisPlayerAdaptor::Stop() {
  Run(service_->hooks().stop);
}

void MprisPlayerAdaptor::Play() {
  Run(service_->hooks().play);
}

}  // namespace vistrel
