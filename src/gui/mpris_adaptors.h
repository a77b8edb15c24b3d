#pragma once
// The two interfaces of the desktop's media player protocol on the session bus, as Qt D-Bus
// adaptors of a MprisService: the application interface (identity, raise, quit) and the
// player interface (status, metadata, volume, play/pause/stop/next/previous). They only read
// the service's state and pass commands to its hooks.

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

namespace vistrel {

class MprisService;

class MprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  explicit MprisRootAdaptor(MprisService* service);

  bool CanQuit() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const { return QStringLiteral("Vistrel"); }
  QString DesktopEntry() const { return QStringLiteral("vistrel"); }
  // Addresses are not opened from the bus: the lists are empty.
  QStringList SupportedUriSchemes() const { return {}; }
  QStringList SupportedMimeTypes() const { return {}; }

 public slots:
  void Raise();
  void Quit();

 private:
  MprisService* service_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate WRITE SetRate)
  Q_PROPERTY(double MinimumRate READ Rate)
  Q_PROPERTY(double MaximumRate READ Rate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ CanGoNext)
  Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
  Q_PROPERTY(bool CanPlay READ CanPlay)
  Q_PROPERTY(bool CanPause READ CanPlay)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ CanControl)

 public:
  explicit MprisPlayerAdaptor(MprisService* service);

  QString PlaybackStatus() const;
  // Live streams play at their own pace.
  double Rate() const { return 1.0; }
  void SetRate(double) {}
  QVariantMap Metadata() const;
  double Volume() const;
  // Clamped to 0.0 to 1.0; the volume box follows.
  void SetVolume(double volume);
  // Live streams have no position worth telling.
  qlonglong Position() const { return 0; }
  bool CanGoNext() const;
  bool CanGoPrevious() const;
  bool CanPlay() const;
  bool CanSeek() const { return false; }
  bool CanControl() const { return true; }

 public slots:
  void Next();
  void Previous();
  void Pause();
  void PlayPause();
  void Stop();
  void Play();
  void Seek(qlonglong) {}
  void SetPosition(const QDBusObjectPath&, qlonglong) {}
  void OpenUri(const QString&) {}

 signals:
  void Seeked(qlonglong position);

 private:
  MprisService* service_;
};

}  // namespace vistrel
