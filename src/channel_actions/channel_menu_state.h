#pragma once
// The channel list's pop-up menu: which items a right click enables and shows, and the values
// and texts of its commands.

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/records.h"
#include "protocol/service_protocol.h"

namespace vistrel {

// Enabled and shown states of the menu's items. Items not listed ("Rate Channel"'s and "Flag
// Channel"'s sub-items, the separators) are always enabled and shown. The state at start is
// the default below.
struct ChannelMenuState {
  bool watch = false;
  bool add_to_favorites = false;
  bool add_to_favorites_shown = true;
  bool remove_from_favorites_shown = false;  // never disabled, only shown or hidden
  bool homepage = false;
  bool rate = false;
  bool flag = false;
  bool update = false;
  bool remove = true;
  bool remove_playlist = false;  // the selected channel comes from one of the user's playlists
  bool operator==(const ChannelMenuState&) const = default;
};

// What a right click saw: whether it hit a row, the channel of the list's selected row (null
// when no row is selected) and whether the favourites view is shown.
struct ChannelMenuClick {
  bool on_row = false;
  const Channel* selected = nullptr;
  bool favorites_view = false;
};

// The menu for a right click, from the state it had before. Every channel item is disabled
// first; with no row hit or no row selected it stays so, and the two favourites items keep
// their visibility. Otherwise: "Watch/Listen" and "Update Channel" enabled; in the favourites
// view "Remove from Fav" shown in place of "Add to Favorites", else "Add to Favorites" shown and
// enabled unless the channel is a favourite; "Visit Homepage" enabled with a homepage; "Rate
// Channel" and "Flag Channel" enabled unless rated or flagged since the last reload and never
// for a user channel, which enables "Remove Channel" instead. A playlist channel's "Rate
// Channel", "Flag Channel" and "Update Channel" stay disabled: nothing of it is sent; "Remove
// Playlist" is enabled for it alone.
ChannelMenuState PrepareChannelMenu(const ChannelMenuState& before, const ChannelMenuClick& click);

// The menu's rating and flag items: caption and the value sent to the service.
struct ChannelMenuValue {
  const char* caption;
  const char* value;
};
inline constexpr ChannelMenuValue kRatingItems[] = {{"5 stars", RatingWord(5)},
                                                    {"4 stars", RatingWord(4)},
                                                    {"3 stars", RatingWord(3)},
                                                    {"2 stars", RatingWord(2)},
                                                    {"1 star", RatingWord(1)}};
// The flag items: caption and the status they report (sent as its FlagWord).
struct ChannelMenuFlag {
  const char* caption;
  ChannelStatus status;
};
inline constexpr ChannelMenuFlag kFlagItems[] = {{"Work fine", ChannelStatus::kWorkFine},
                                                 {"Not working", ChannelStatus::kNotWorking},
                                                 {"Wrong info", ChannelStatus::kWrongInfo},
                                                 {"Duplicate", ChannelStatus::kDuplicate},
                                                 {"Spam", ChannelStatus::kSpam}};

// "Would you like to add " + name + " to your favorites?"
std::string AddToFavoritesQuestion(std::string_view name);
// "Would you like to remove " + name + " from your favorites?"
std::string RemoveFromFavoritesQuestion(std::string_view name);

// Sets or clears the favourite mark of the channel at catalogue `position`; false (nothing
// changed) when the position is out of range. Removing a mark asks the caller to rebuild the
// view, so that the channel leaves the favourites view at once; adding one does not.
bool MarkFavorite(Catalogue& catalogue, int32_t position, bool favorite);

// The homepage address "Visit Homepage" opens: the channel's homepage, without a header part
// after "|" (ShownStreamAddress), trimmed, when it is an
// http or https address (scheme in any case, something after "//"); nothing otherwise, so that
// a catalogue text never opens a local file or another program.
std::optional<std::string> HomepageToOpen(std::string_view homepage);

}  // namespace vistrel
