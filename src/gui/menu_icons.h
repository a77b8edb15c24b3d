#pragma once
// The 16 x 16 pictures of the channel menu's items, drawn by the program so that every item
// has a picture of its own on any desktop.

#include <QIcon>

namespace vistrel {

enum class MenuGlyph {
  kWatch,
  kAddToFavorites,
  kRemoveFromFavorites,
  kHomepage,
  kRate,
  kFlag,
  kUpdate,
  kRemove,
  kGuide,
};

// Needs a QApplication.
QIcon MenuIcon(MenuGlyph glyph);

// A star with the number of stars (1 to 5) for the rating items.
QIcon RatingIcon(int stars);

// A flag in the colour of the status the item reports (0 works fine, 1 not working, 3 wrong
// info, 4 duplicate, 5 spam); grey for any other value.
QIcon FlagIcon(int status);

}  // namespace vistrel
