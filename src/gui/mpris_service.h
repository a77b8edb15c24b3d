#pragma once
// The program on the session bus as a media player, so that the desktop's media controls and
// the keyboard's and headset's media keys drive it: the name org.mpris.MediaPlayer2.vistrel
// (".instance<pid>" added when another program holds it) at /org/mpris/MediaPlayer2. The
// window tells it every change of playback with Update; each change goes out once as
// PropertiesChanged.

#include <QObject>
#include <QString>
#include <functional>

#include "playback/media_controls.h"

namespace vistrel {

// What the bus's commands do in the window. Each may be empty.
struct MprisHooks {
  std::function<void()> raise;
  std::function<void()> quit;
  std::function<void()> play;
  std::function<void()> pause;
  std::function<void()> play_pause;
  std::function<void()> stop;
  std::function<void()> next;
  std::function<void()> previous;
  std::function<void(double volume)> set_volume;  // 0.0 to 1.0
};

class MprisService : public QObject {
  Q_OBJECT

 public:
  explicit MprisService(MprisHooks hooks, QObject* parent = nullptr);
  ~MprisService() override;

  // Takes the name and puts the object on the session bus. False, and nothing on the bus,
  // without a session bus or when no name could be had: the program then runs as before.
  bool Register();
  // The name held on the bus; empty while not registered.
  const QString& service_name() const { return service_name_; }

  // Keeps `state` and, while registered, sends PropertiesChanged once for the properties that
  // differ from the last state. Never fails.
  void Update(const MediaControlsState& state);
  const MediaControlsState& state() const { return state_; }
  const MprisHooks& hooks() const { return hooks_; }

 private:
  MprisHooks hooks_;
  MediaControlsState state_;
  QString service_name_;
};

}  // namespace vistrel
