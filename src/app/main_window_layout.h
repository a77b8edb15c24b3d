#pragma once
// Where the main window's controls go for a given client size: the player frame grows with the
// window, the list keeps its width beside the right edge, the bottom controls keep their
// distance from the bottom edge. Pure; the window applies it on every change of size.

#include <cstdint>

namespace vistrel {

struct ControlRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const ControlRect&) const = default;
};

// Rectangles relative to the main panel (the client area), except the four that lie inside the
// player frame, which are relative to the frame.
struct MainWindowLayout {
  ControlRect player_frame;
  ControlRect player_inside;  // within the frame: the black video area
  ControlRect status_label;   // within the frame
  ControlRect channel_label;  // within the frame
  ControlRect favorites;
  ControlRect update;
  ControlRect add;
  ControlRect filter;  // the filter dialog's button, in the row of Favorites, Update and Add
  ControlRect country;
  ControlRect clear_label;
  ControlRect list;
  ControlRect stop;  // Stop and Play share one place
  ControlRect play;
  ControlRect fullscreen;
  ControlRect site_link;
  ControlRect volume;
  ControlRect mute;
};

// The least size a control needs for its text at the font in use (0: any); a control never
// gets less than its design size.
struct ControlNeeds {
  int32_t width = 0;
  int32_t height = 0;
};

struct MainWindowNeeds {
  ControlNeeds favorites;
  ControlNeeds update;
  ControlNeeds add;
  ControlNeeds filter;
  ControlNeeds country;
  ControlNeeds clear_label;
  ControlNeeds stop;
  ControlNeeds play;
  ControlNeeds fullscreen;
  ControlNeeds site_link;
  ControlNeeds volume;
  ControlNeeds mute;
  ControlNeeds status_label;
  ControlNeeds channel_label;
};

// The client size the window opens with.
inline constexpr int32_t kMainWindowWidth = 1062;
inline constexpr int32_t kMainWindowHeight = 436;

// The controls at their design places, before any layout pass.
MainWindowLayout DesignLayout();

// The layout for a client area of `width` x `height`. Positions follow the rules even where
// they become negative; a width or height that the rules make negative (a very small window)
// is 0. Controls that `needs` makes larger than designed (a larger font) push their neighbours:
// the button row widens the list's column, taller rows at the top, bottom and below the video
// take their height from the list and the video. Never fails.
MainWindowLayout LayOutMainWindow(int32_t width, int32_t height, const MainWindowNeeds& needs = {});

}  // namespace vistrel
