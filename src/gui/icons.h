#pragma once
// The window's 16 x 16 icons: the desktop theme's icon where it has one, else a small drawing
// of our own, so every button shows an icon on any desktop.

#include <QIcon>
#include <cstdint>
#include <functional>

class QPainter;

namespace vistrel {

// A 16 x 16 icon drawn by `draw` on a transparent, antialiased pixmap. Needs a QGuiApplication.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw);

enum class ButtonGlyph { kFavorites, kUpdate, kAdd, kFilter, kStop, kPlay, kFullscreen, kMute };

// The theme icon for `glyph`, or the built-in drawing. Needs a QApplication.
QIcon ButtonIcon(ButtonGlyph glyph);

// The list's state image for a channel status (0 works fine ... 5 spam); an empty icon for any
// other value. Built-in drawings only, so that the six stay distinct on every theme.
QIcon StatusIcon(int32_t status);

}  // namespace vistrel
