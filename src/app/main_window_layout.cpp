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

namespace {

void Grow(ControlRect& r, const ControlNeeds& needs) {
  r.width = std::max(r.width, needs.width);
  r.height = std::max(r.height, needs.height);
}

}  // namespace

MainWindowLayout LayOutMainWindow(int32_t W, int32_t H, const MainWindowNeeds& needs) {
  const MainWindowLayout d = DesignLayout();
  MainWindowLayout l = d;
  Grow(l.favorites, needs.favorites);
  Grow(l.update, needs.update);
  Grow(l.add, needs.add);
  Grow(l.filter, needs.filter);
  Grow(l.country, needs.country);
  Grow(l.clear_label, needs.clear_label);
  Grow(l.stop, needs.stop);
  Grow(l.play, needs.play);
  Grow(l.fullscreen, needs.fullscreen);
  Grow(l.site_link, needs.site_link);
  Grow(l.volume, needs.volume);
  Grow(l.mute, needs.mute);
  Grow(l.status_label, needs.status_label);
  Grow(l.channel_label, needs.channel_label);
  // Stop and Play share one place; each row of buttons has one height.
  l.stop.width = l.play.width = std::max(l.stop.width, l.play.width);
  const int32_t top_row =
      std::max({l.favorites.height, l.update.height, l.add.height, l.filter.height});
  l.favorites.height = l.update.height = l.add.height = l.filter.height = top_row;
  const int32_t bottom_row =
      std::max({l.stop.height, l.play.height, l.fullscreen.height, l.mute.height});
  l.stop.height = l.play.height = l.fullscreen.height = l.mute.height = bottom_row;
  l.volume.height = std::max(l.volume.height, bottom_row + 2);
  // The band under the video holds the status and the channel label.
  const int32_t label_band = std::max(l.status_label.height, l.channel_label.height + 4);
  const int32_t bottom_growth = bottom_row - d.stop.height;
  const int32_t band_growth = label_band - d.status_label.height;
  const int32_t right_column = std::max(
      d.list.width, l.favorites.width + l.update.width + l.add.width + l.filter.width + 18);

  // Each rule may read what an earlier one set, so they run in this order on the raw values;
  // sizes are clamped only at the end.
  l.stop.top = l.play.top = l.fullscreen.top = l.mute.top = H - 32 - bottom_growth;
  // Both centred on the buttons; the division truncates toward zero, as C++ integer division
  // does.
  l.site_link.top = l.stop.top + (bottom_row - l.site_link.height + 1) / 2;
  l.volume.top = l.stop.top + (bottom_row - l.volume.height) / 2;
  l.country.top = l.favorites.top + top_row + 6;
  l.clear_label.top = l.country.top + (l.country.height - l.clear_label.height + 2) / 2;
  l.list.top = l.country.top + l.country.height + 9;
  l.list.height = H - l.list.top - 7;
  l.list.width = right_column;
  l.list.left = l.country.left = l.favorites.left = W - 15 - right_column;
  l.update.left = l.favorites.left + l.favorites.width + 6;
  l.add.left = l.update.left + l.update.width + 6;
  l.filter.left = l.add.left + l.add.width + 6;
  // The Clear link has 5 pixels of air at the right end; only a link wider than that room
  // narrows the country box.
  const int32_t clear_room = d.list.width - d.country.width - 10;
  l.country.width = right_column - 10 - std::max(clear_room, l.clear_label.width);
  l.clear_label.left = l.country.left + l.country.width + 10;
  l.player_frame.width = W - l.list.width - 40;
  l.player_inside.width = l.player_frame.width - 20;
  l.player_frame.height = H - l.player_frame.top - 40 - bottom_growth;
  l.player_inside.height = l.player_frame.height - 35 - band_growth;
  l.channel_label.left = l.player_inside.left + l.player_inside.width - l.channel_label.width;
  l.status_label.top = l.channel_label.top = l.player_frame.height - label_band;
  l.fullscreen.left = l.stop.left + l.stop.width + 4;
  l.mute.left = l.player_frame.left + l.player_frame.width - l.mute.width;
  l.volume.left = l.mute.left - l.volume.width - 5;
  // Centred between Fullscreen (at its design width) and the volume box, both divisions
  // truncating toward zero; a Fullscreen grown that far pushes it.
  l.site_link.left =
      std::max((l.fullscreen.left + d.fullscreen.width + l.volume.left) / 2 - l.site_link.width / 2,
               l.fullscreen.left + l.fullscreen.width + 8);

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
