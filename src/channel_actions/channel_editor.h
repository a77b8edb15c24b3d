#pragma once
// The channel editor: the user's own channels added, changed and removed. The dialog hands
// over what its fields hold; everything it decides (what it shows on opening, validation,
// the duplicate check, the new id, the fields stored) is here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "browser/sort_channels.h"
#include "catalogue/records.h"
#include "common/error.h"

namespace vistrel {

// Item 0 of the Country and Genre boxes while the dialog is shown: nothing chosen.
inline constexpr const char* kEditorNothingChosen = "-----";
// Items of the Category and Type boxes; position 0 is the placeholder.
inline constexpr const char* kEditorCategories[] = {" -----", "TV"};
inline constexpr const char* kEditorTypes[] = {" -----", "Media Player", "Real Player"};

// The editor's fields as the dialog holds them: texts (UTF-8) as typed, boxes as positions.
// Country and genre positions are positions in catalogue.countries and catalogue.genres.
struct ChannelEditorFields {
  int32_t category = 0;
  std::string name;
  std::string url;
  std::string bitrate;
  int32_t type = 0;
  std::string homepage;
  int32_t country = 0;
  int32_t genre = 0;
  std::string comment;
  // The HTTP headers the channel's server wants; empty for none.
  std::string user_agent;
  std::string referrer;
};

// Whether the Bitrate field takes a typed character: the digits 0 to 9 and backspace (8) only;
// every other character, control characters included, is dropped.
bool BitrateFieldAccepts(char32_t typed);

// Removes leading and trailing spaces and control characters (bytes up to 32).
std::string TrimText(std::string_view text);

// The fields when the dialog opens to add: every box at 0, every text empty; the Category
// box keeps `category`, its choice of the last showing.
ChannelEditorFields EmptyEditorFields(int32_t category);

// The fields when the dialog opens to change `channel`: Type at type_id (0 when the box has
// no such item); Country at the first item after item 0 whose text is exactly the trimmed name
// of the first country with the channel's country id, and 0 ("-----") when there is none;
// Genre likewise; the texts and the bitrate in decimal; User-Agent and Referer from
// catalogue.stream_headers. The Category box keeps `category`.
ChannelEditorFields EditorFieldsFromChannel(const Catalogue& catalogue, const Channel& channel,
                                            int32_t category);

// Fails with the first problem of the fields, as the message to show (error icon, OK). In
// order: "Please Select a Category.", "Please Enter Name.", "Please Enter URL.",
// NetworkStreamUrlMessage() (the trimmed URL is not IsNetworkStreamAddress),
// "Please Select a Type.", "Please Select a Country.", "Please Select a Genre." (a position
// at 0 or outside its box counts as nothing chosen), then the bitrate ("Please Enter Bitrate."
// when empty, kBitrateMessage unless it is decimal digits within 0 to 2147483647), then "|" or
// a line break in any text field, User-Agent and Referer included (FieldCharacterMessage).
Outcome CheckEditorFields(const Catalogue& catalogue, const ChannelEditorFields& fields);

inline constexpr const char* kBitrateMessage =
    "Please Enter Bitrate as a whole number from 0 to 2147483647.";

// "Please Enter the URL of a network stream (http, https, ...)." with every scheme the player
// takes.
std::string NetworkStreamUrlMessage();

// `label` + " must not contain \"|\" or line breaks.", e.g. for "Name".
std::string FieldCharacterMessage(std::string_view label);

// The channel whose stream URL is `url` (both trimmed, letters a to z folded), package
// channels included: its position, or -1 when there is none.
int32_t DuplicateChannelPosition(const Catalogue& catalogue, std::string_view url);

// "A duplicate value was detected. " + the name of the channel already holding the URL.
std::string DuplicateMessage(std::string_view name);

// The id for a new user channel: one above catalogue.highest_user_id and above every user channel's
// id, so that no id is handed out twice in a run. When that highest id is already the largest
// an id can be (a userdef.dat may hold it), the lowest id above kUserIdBase that no channel in
// memory carries; nothing when every such id is taken.
std::optional<int32_t> NextUserChannelId(const Catalogue& catalogue);

// The refusal of an addition when NextUserChannelId finds no id.
inline constexpr const char* kNoChannelIdMessage =
    "No channel number is left for a new channel. Please, remove a channel you added first.";

// Adds a user channel: the fields are checked (CheckEditorFields, then the duplicate check),
// and on any refusal the result is its message and the catalogue is unchanged; with no id left
// the refusal is kNoChannelIdMessage. Otherwise the channel is appended with NextUserChannelId
// (highest_user_id raised to it unless it is higher already), favorited and
// sent false, user_defined true, type 1, its User-Agent and Referer (trimmed) in
// catalogue.stream_headers, and the catalogue is sorted again by the column and in the
// direction of the last sort. The caller rebuilds the view.
Outcome AddUserChannel(Catalogue& catalogue, SortState& sort, const ChannelEditorFields& fields);

// Changes the user channel at catalogue `position` (the record behind the selected row):
// checked as for adding, without the duplicate check and without a sort; id, favourite
// mark, sent flag, the service's counters and headers other than User-Agent and Referer stay.
// Refused with a message when the position holds no user channel. The caller rebuilds the view.
Outcome ChangeUserChannel(Catalogue& catalogue, int32_t position,
                          const ChannelEditorFields& fields);

// Removes the user channel at catalogue `position` and its headers; false (nothing removed) when
// the position is out of range or holds a package channel. The caller rebuilds the view.
bool RemoveUserChannel(Catalogue& catalogue, int32_t position);

// The answer to "Update Channel" on a package channel (information icon, OK).
std::string PackageChannelUpdateMessage();

// The question before a removal (information icon, Yes and No).
inline constexpr const char* kRemoveChannelQuestion =
    "Are you sure that you want to permanently delete the selected channel?";

}  // namespace vistrel
