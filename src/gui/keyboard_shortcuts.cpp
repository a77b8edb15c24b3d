#include "gui/keyboard_shortcuts.h"

#include <QAction>
#include <QKeySequence>
#include <QMessageBox>
#include <QPair>
#include <QStringList>
#include <QWidget>

namespace vistrel {

namespace {

QAction* AddAction(QWidget* window, const char* object_name, const QString& text,
                   const QList<QKeySequence>& keys, const std::function<void()>& hook) {
  auto* action = new QAction(text, window);
  action->setObjectName(object_name);
  action->setShortcuts(keys);
  // The window's own keys: a dialog or the find window is a window of its own and keeps its
  // keys; a text field that takes a key as text overrides the shortcut.
  action->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(action, &QAction::triggered, window, [hook] {
    if (hook) hook();
  });
  window->addAction(action);
  return action;
}

}  // namespace

KeyboardShortcuts AddKeyboardShortcuts(QWidget* window, const ShortcutHooks& hooks) {
  KeyboardShortcuts shortcuts;
  QList<QAction*>& actions = shortcuts.playback;
  actions << AddAction(window, "playOrStopAction", "Play or stop the selected channel",
                       {QKeySequence(Qt::Key_Space)}, hooks.play_or_stop);
  actions << AddAction(window, "nextChannelAction", "Play the next channel",
                       {QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_Down)},
                       hooks.next_channel);
  actions << AddAction(window, "previousChannelAction", "Play the previous channel",
                       {QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::CTRL | Qt::Key_Up)},
                       hooks.previous_channel);
  actions << AddAction(window, "fullScreenAction", "Full screen (Esc leaves)",
                       {QKeySequence(Qt::Key_F)}, hooks.full_screen);
  actions << AddAction(window, "muteAction", "Mute or unmute", {QKeySequence(Qt::Key_M)},
                       hooks.toggle_mute);
  // Ctrl+= as well: on most layouts "+" needs Shift, and people press the key it shares.
  actions << AddAction(
      window, "volumeUpAction", "Volume up",
      {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
      hooks.volume_up);
  actions << AddAction(window, "volumeDownAction", "Volume down",
                       {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, hooks.volume_down);
  actions << AddAction(window, "programmeGuideAction", "Programme guide of the selected channel",
                       {QKeySequence(Qt::CTRL | Qt::Key_G)}, hooks.programme_guide);
  QAction* help = AddAction(window, "shortcutsAction", "Keyboard shortcuts",
                            {QKeySequence(Qt::Key_F1)}, nullptr);
  actions << help;
  shortcuts.find = AddAction(
      window, "findAction", "Find a channel",
      {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F)},
      hooks.find);
  shortcuts.playlists << AddAction(window, "openPlaylistAction", "Open Playlist\u2026",
                                   {QKeySequence(Qt::CTRL | Qt::Key_O)}, hooks.open_playlist);
  shortcuts.playlists << AddAction(
      window, "openPlaylistAddressAction", "Open Playlist Address\u2026",
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}, hooks.open_address);
  // The radio, video and playlist views have no button.
  const View views[] = {View::kTv, View::kRadio, View::kVideo, View::kPlaylist};
  const char* const view_names[] = {"tvViewAction", "radioViewAction", "videoViewAction",
                                    "playlistViewAction"};
  for (int i = 0; i < 4; ++i) {
    const View view = views[i];
    shortcuts.views << AddAction(window, view_names[i], "TV, radio, video and playlist channels",
                                 {QKeySequence(Qt::CTRL | (Qt::Key_1 + i))},
                                 [show = hooks.show_view, view] {
                                   if (show) show(view);
                                 });
  }
  QObject::connect(help, &QAction::triggered, window, [window, shortcuts] {
    QMessageBox box(QMessageBox::Information, "Keyboard shortcuts",
                    KeyboardShortcutsText(shortcuts), QMessageBox::Ok, window);
    box.setObjectName("shortcutsBox");
    box.setTextFormat(Qt::RichText);
    box.exec();
  });
  return shortcuts;
}

QString KeyboardShortcutsText(const KeyboardShortcuts& shortcuts) {
  QList<QPair<QString, QString>> rows;
  for (const QAction* action : shortcuts.playback) {
    QStringList keys;
    for (const QKeySequence& key : action->shortcuts()) {
      keys << key.toString(QKeySequence::NativeText);
    }
    rows.append({keys.join(", "), action->text()});
  }
  if (shortcuts.find != nullptr && !shortcuts.find->shortcuts().isEmpty()) {
    rows.append({shortcuts.find->shortcuts().first().toString(QKeySequence::NativeText),
                 shortcuts.find->text()});
  }
  for (const QAction* action : shortcuts.playlists) {
    if (action->shortcuts().isEmpty()) continue;
    rows.append({action->shortcuts().first().toString(QKeySequence::NativeText), action->text()});
  }
  if (!shortcuts.views.isEmpty()) {
    QStringList keys;
    for (const QAction* action : shortcuts.views) {
      for (const QKeySequence& key : action->shortcuts()) {
        keys << key.toString(QKeySequence::NativeText);
      }
    }
    rows.append({keys.join(", "), shortcuts.views.first()->text()});
  }
  QString html = "<table cellspacing=\"2\">";
  for (const auto& [keys, text] : rows) {
    html += "<tr><td style=\"padding-right:16px\"><b>" + keys.toHtmlEscaped() + "</b></td><td>" +
            text.toHtmlEscaped() + "</td></tr>";
  }
  return html + "</table>";
}

}  // namespace vistrel
