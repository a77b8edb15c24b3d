#include "app/main_window_layout.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(MainWindowLayout, DesignSizeGivesTheWorkedExample) {
  const MainWindowLayout l = LayOutMainWindow(kMainWindowWidth, kMainWindowHeight);
  EXPECT_EQ(l.stop, (ControlRect{14, 404, 85, 20}));
  EXPECT_EQ(l.play, (ControlRect{14, 404, 85, 20}));
  EXPECT_EQ(l.fullscreen, (ControlRect{103, 404, 85, 20}));
  EXPECT_EQ(l.mute, (ControlRect{492, 404, 85, 20}));
  EXPECT_EQ(l.site_link, (ControlRect{244, 408, 146, 13}));
  EXPECT_EQ(l.volume, (ControlRect{446, 403, 41, 22}));
  EXPECT_EQ(l.list, (ControlRect{587, 71, 460, 358}));
  EXPECT_EQ(l.country, (ControlRect{587, 43, 413, 19}));
  EXPECT_EQ(l.favorites, (ControlRect{587, 17, 90, 20}));
  EXPECT_EQ(l.clear_label.left, 1010);
  EXPECT_EQ(l.clear_label.top, 47);
  EXPECT_EQ(l.update, (ControlRect{683, 17, 90, 20}));
  EXPECT_EQ(l.add, (ControlRect{779, 17, 90, 20}));
  EXPECT_EQ(l.filter, (ControlRect{875, 17, 90, 20}));
  EXPECT_EQ(DesignLayout().filter, (ControlRect{884, 17, 90, 20}));
  EXPECT_EQ(l.player_frame, (ControlRect{15, 17, 562, 379}));
  EXPECT_EQ(l.player_inside, (ControlRect{10, 10, 542, 344}));
  EXPECT_EQ(l.channel_label, (ControlRect{487, 358, 65, 17}));
  EXPECT_EQ(l.status_label, (ControlRect{10, 358, 311, 21}));
}

TEST(MainWindowLayout, LargerWindowGrowsThePlayerAndTheListInHeightOnly) {
  const MainWindowLayout base = LayOutMainWindow(kMainWindowWidth, kMainWindowHeight);
  const MainWindowLayout big = LayOutMainWindow(kMainWindowWidth + 300, kMainWindowHeight + 200);
  EXPECT_EQ(big.player_frame.width, base.player_frame.width + 300);
  EXPECT_EQ(big.player_frame.height, base.player_frame.height + 200);
  EXPECT_EQ(big.player_inside.width, base.player_inside.width + 300);
  EXPECT_EQ(big.player_inside.height, base.player_inside.height + 200);
  EXPECT_EQ(big.list.width, 460);
  EXPECT_EQ(big.list.height, base.list.height + 200);
  EXPECT_EQ(kMainWindowWidth + 300 - (big.list.left + big.list.width), 15);
  EXPECT_EQ(big.stop.top, base.stop.top + 200);
  EXPECT_EQ(big.site_link.top, base.site_link.top + 200);
  EXPECT_EQ(big.volume.top, base.volume.top + 200);
  EXPECT_EQ(big.mute.left, base.mute.left + 300);
  // The button row keeps its distances from the right edge.
  EXPECT_EQ(big.update.left, base.update.left + 300);
  EXPECT_EQ(big.add.left, base.add.left + 300);
  EXPECT_EQ(big.filter.left, base.filter.left + 300);
  EXPECT_EQ(big.filter.top, 17);
}

TEST(MainWindowLayout, ControlsGrownByTheirTextsPushTheirNeighbours) {
  const MainWindowLayout base = LayOutMainWindow(kMainWindowWidth, kMainWindowHeight);
  MainWindowNeeds needs;
  needs.favorites = needs.update = needs.add = needs.filter = {130, 28};
  needs.country = {0, 27};
  needs.fullscreen = {128, 30};
  needs.channel_label = {0, 23};
  const MainWindowLayout l = LayOutMainWindow(kMainWindowWidth, kMainWindowHeight, needs);
  // The button row widens the list's column; the player gives up the width.
  EXPECT_EQ(l.favorites, (ControlRect{kMainWindowWidth - 15 - 538, 17, 130, 28}));
  EXPECT_EQ(l.update.left, l.favorites.left + 136);
  EXPECT_EQ(l.filter.left + l.filter.width, kMainWindowWidth - 15);
  EXPECT_EQ(l.list.width, 538);
  EXPECT_EQ(l.player_frame.width, base.player_frame.width - 78);
  EXPECT_EQ(l.country.width + l.clear_label.width + 15, 538);
  // Taller rows push what is below them; the list and the video give up the height.
  EXPECT_EQ(l.country.top, 17 + 28 + 6);
  EXPECT_EQ(l.list.top, l.country.top + 27 + 9);
  EXPECT_EQ(l.list.top + l.list.height, base.list.top + base.list.height);
  EXPECT_EQ(l.stop.height, 30);
  EXPECT_EQ(l.stop.top, base.stop.top - 10);
  EXPECT_EQ(l.mute.top, l.stop.top);
  EXPECT_EQ(l.fullscreen.left, 103);
  EXPECT_GE(l.site_link.left, l.fullscreen.left + 128);
  EXPECT_EQ(l.player_frame.height, base.player_frame.height - 10);
  EXPECT_EQ(l.channel_label.height, 23);
  EXPECT_EQ(l.status_label.top, l.player_frame.height - 27);
  EXPECT_EQ(l.player_inside.top + l.player_inside.height, l.status_label.top - 4);
}

TEST(MainWindowLayout, TinyWindowClampsSizesAtZero) {
  const MainWindowLayout l = LayOutMainWindow(100, 30);
  EXPECT_EQ(l.player_frame.width, 0);   // 100 - 460 - 40 < 0
  EXPECT_EQ(l.player_frame.height, 0);  // 30 - 17 - 40 < 0
  EXPECT_EQ(l.player_inside.width, 0);
  EXPECT_EQ(l.list.height, 0);
  EXPECT_EQ(l.list.left, 100 - 475);  // positions keep the rules' values
  EXPECT_EQ(l.stop.top, -2);
  // Rules that read a negative size read it as the rules give it: frame width -400.
  EXPECT_EQ(l.mute.left, 15 - 400 - 85);
  EXPECT_EQ(l.channel_label.left, 10 + (-420) - 65);
  EXPECT_EQ(l.list.width, 460);
}

}  // namespace
}  // namespace vistrel
