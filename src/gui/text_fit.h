#pragma once
// Fonts and places that follow the desktop's font size: the windows' font grows with the
// application's font, and controls placed at their design rectangles grow where their texts
// need more room, pushing the controls beside and below them and the window's size.

#include <QFont>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace vistrel {

// The windows' own font: Tahoma (DejaVu Sans or the desktop's sans serif where it is missing)
// at `design_pixels` while the application's font has its usual size (9 points), larger in
// proportion when the application's font is larger (a desktop's large-text setting), never
// smaller. Never fails.
QFont WindowFont(int design_pixels = 11);

// How many times larger than designed the windows' font is: 1 at the usual font, 1.5 with an
// application font 1.5 times larger. Never fails.
double FontGrowth();

// `design` pixels grown with the windows' font (a column's width). Never fails.
int GrownWithFont(int design);

// The size `widget` needs for its text, at least `design`: labels and buttons as wide as their
// size hint (word-wrapped labels as tall as their text at the design width, and keeping room
// for as many lines as the design height held); any control as tall as its size hint once the
// font's line no longer fits the design height. Never fails.
QSize SizeForText(const QWidget* widget, QSize design);

struct DesignedControl {
  QWidget* widget = nullptr;
  QRect design;  // on the panel that fills the window
  // Keeps its distance from the window's right edge (a button at the bottom right).
  bool keep_right_margin = false;
};

// The direct children of `panel`, each with its present geometry as its design rectangle.
// Never fails.
std::vector<DesignedControl> DesignOf(const QWidget* panel);

// Places `controls` at their design rectangles, each grown to SizeForText: a control that grew
// wider pushes the controls of its rows that stand right of it (a column moves as one), one that
// grew taller pushes every control below it. The window keeps its design margins around the
// grown controls, `design_size` as its minimum, and gets that fixed size. Never fails.
void PlaceGrownToText(QWidget* window, QSize design_size,
                      const std::vector<DesignedControl>& controls);

}  // namespace vistrel
