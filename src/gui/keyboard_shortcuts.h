#pragma once
// The main window's keys (playback, find, playlists, views), as actions of the window: they work
// while the window has the focus and never inside the find window, a dialog or a text field that
// takes the key as text. F1 lists them in the "Keyboard shortcuts" box.

#include <QList>
#include <functional>

#include "catalogue/records.h"

class QAction;
class QWidget;

namespace vistrel {

struct ShortcutHooks {
  std::function<void()> play_or_stop;      // Space
  std::function<void()> next_channel;      // Page Down, Ctrl+Down
  std::function<void()> previous_channel;  // Page Up, Ctrl+Up
  std::function<void()> full_screen;       // F
  std::function<void()> toggle_mute;       // M
  std::function<void()> volume_up;         // Ctrl+Plus
  std::function<void()> volume_down;       // Ctrl+Minus
  std::function<void()> programme_guide;   // Ctrl+G
  std::function<void()> find;              // Ctrl+F (Ctrl+Shift+F too)
  std::function<void()> open_playlist;     // Ctrl+O: a playlist file
  std::function<void()> open_address;      // Ctrl+Shift+O: a playlist's http(s) address
  std::function<void(View)> show_view;     // Ctrl+1 to Ctrl+4: TV, radio, video, playlist
};

// The actions of the window's keys, each group in the order the F1 box lists them.
struct KeyboardShortcuts {
  QList<QAction*> playback;  // the playback keys, then F1
  QAction* find = nullptr;
  QList<QAction*> playlists;  // Open Playlist…, Open Playlist Address…
  QList<QAction*> views;      // Ctrl+1, Ctrl+2, Ctrl+3, Ctrl+4
};

// Adds the actions to `window` and returns them. Never fails.
KeyboardShortcuts AddKeyboardShortcuts(QWidget* window, const ShortcutHooks& hooks);

// The "Keyboard shortcuts" box's text: a table of two columns, each playback action's keys and
// what it does, then the find action's first key, the playlist actions' first keys and the view
// actions' keys, as rich text (the texts are the program's own, escaped all the same).
QString KeyboardShortcutsText(const KeyboardShortcuts& shortcuts);

}  // namespace vistrel
