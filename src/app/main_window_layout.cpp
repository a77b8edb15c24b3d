#include "app/main_window_layout.h"

#include <algorithm>

namespace vistrel {

MainWindowLayout DesignLayout() {
  MainWindowLayout d;
  d.player_frame = {15, 17, 572, 385};
  d.player_inside = {10, 10, 550, 350};
  d.status_label = {10, 365, 311, 21};
  d.channel_label = {493, 363, 65, 17};
  d.favorites = {596, 17, 90, 20};
  d.update = {692, 17, 90, 20};
  d.add = {788, 17, 90, 20};
  d.filter = {884, 17, 90, 20};
  d.country = {596, 43, 413, 19};
  d.clear_label = {1017, 47, 32, 13};
  d.list = {596, 71, 460, 359};
  d.stop = {14, 410, 85, 20};
  d.play = {14, 410, 85, 20};
  d.fullscreen = {103, 410, 85, 20};
  d.site_link = {244, 414, 146, 13};
  d.volume = {456, 407, 41, 22};
  d.mute = {503, 408, 85, 20};
  return d;
}

MainWindowLayout LayOutMainWindow(int32_t W, int32_t H) {
  MainWindowLayout l = DesignLayout();
  // Each rule may read what an earlier one set, so they run in this order on the raw values;
  // sizes are clamped only at the end.
  l.stop.top = l.play.top = l.fullscreen.top = l.mute.top = H - 32;
  l.site_link.top = H - 28;
  l.volume.top = H - 33;
  l.list.height = H - l.list.top - 7;
  l.list.left = l.country.left = l.favorites.left = W - 475;
  l.clear_label.left = l.country.left + l.country.width + 10;
  l.update.left = W - 379;
  l.add.left = W - 283;
  l.filter.left = W - 187;
  l.player_frame.width = W - l.list.width - 40;
  l.player_inside.width = l.player_frame.width - 20;
  l.player_frame.height = H - l.player_frame.top - 40;
  l.player_inside.height = l.player_frame.height - 35;
  l.channel_label.left = l.player_inside.left + l.player_inside.width - l.channel_label.width;
  l.status_label.top = l.channel_label.top = l.player_frame.height + l.player_frame.top - 38;
  l.mute.left = l.player_frame.left + l.player_frame.width - l.mute.width;
  l.volume.left = l.mute.left - l.volume.width - 5;
  // Both divisions truncate toward zero, as C++ integer division does.
  l.site_link.left =
      (l.fullscreen.left + l.fullscreen.width + l.volume.left) / 2 - l.site_link.width / 2;

  for (ControlRect* r :
       {&l.player_frame, &l.player_inside, &l.status_label, &l.channel_label, &l.favorites,
        &l.update, &l.add, &l.filter, &l.country, &l.clear_label, &l.list, &l.stop, &l.play,
        &l.fullscreen, &l.site_link, &l.volume, &l.mute}) {
    r->width = std::max(r->width, 0);
    r->height = std::max(r->height, 0);
  }
  return l;
}

}  // namespace vistrel
