#pragma once
// The 16 x 16 pictures of the channel menu's items, drawn by the program so that every item
// has a picture of its own on any desktop.

#include <QIcon>

#include "catalogue/records.h"

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

// A flag in the colour of the status the item reports; grey for kNew.
QIcon FlagIcon(ChannelStatus status);

}  // namespace vistrel
