#include "channel_actions/channel_menu_state.h"

#include "catalogue/stream_headers.h"
#include "channel_actions/channel_editor.h"

namespace vistrel {

ChannelMenuState PrepareChannelMenu(const ChannelMenuState& before, const ChannelMenuClick& click) {
  ChannelMenuState s = before;
  s.watch = s.add_to_favorites = s.homepage = s.rate = s.flag = s.update = s.remove = false;
  s.remove_playlist = false;
  if (!click.on_row || click.selected == nullptr) return s;
  const Channel& channel = *click.selected;
  s.watch = true;
  s.add_to_favorites_shown = !click.favorites_view;
  s.remove_from_favorites_shown = click.favorites_view;
  s.add_to_favorites = !click.favorites_view && !channel.favorited;
  s.homepage = !channel.homepage.empty();
  s.rate = !channel.rated_mark;
  s.flag = !channel.flagged_mark;
  s.update = true;
  if (channel.user_defined) {
    s.rate = s.flag = false;
    s.remove = true;
  }
  if (IsPlaylistChannel(channel)) {
    // Nothing of a playlist channel goes to the service, and its playlist is its source.
    s.rate = s.flag = s.update = false;
    s.remove_playlist = true;
  }
  return s;
}

std::string AddToFavoritesQuestion(std::string_view name) {
  return "Would you like to add " + std::string(name) + " to your favorites?";
}

std::string RemoveFromFavoritesQuestion(std::string_view name) {
  return "Would you like to remove " + std::string(name) + " from your favorites?";
}

bool MarkFavorite(Catalogue& catalogue, int32_t position, bool favorite) {
  if (position < 0 || static_cast<std::size_t>(position) >= catalogue.channels.size()) return false;
  catalogue.channels[static_cast<std::size_t>(position)].favorited = favorite;
  return true;
}

std::optional<std::string> HomepageToOpen(std::string_view homepage) {
  const std::string address = TrimText(ShownStreamAddress(homepage));
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (std::string_view scheme : {"http://", "https://"}) {
    if (address.size() <= scheme.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < scheme.size() && same; ++i) same = lower(address[i]) == scheme[i];
    if (same) return address;
  }
  return std::nullopt;
}

}  // namespace vistrel
