#pragma once
// The main window's playback keys, as actions of the window: they work while the window has
// the focus and never inside the find window, a dialog or a text field that takes the key as
// text. F1 lists them in the "Keyboard shortcuts" box.

#include <QList>
#include <functional>

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
};

// Adds the actions to `window` and returns them, the F1 action last. Never fails.
QList<QAction*> AddKeyboardShortcuts(QWidget* window, const ShortcutHooks& hooks);

// The "Keyboard shortcuts" box's text: a table of two columns, each action's keys and what it
// does, as rich text (the texts are the program's own, escaped all the same).
QString KeyboardShortcutsText(const QList<QAction*>& actions);

}  // namespace vistrel
