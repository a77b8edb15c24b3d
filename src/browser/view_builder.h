#pragma once
// Turns the catalogue and its filter into what the main window shows, returned in one piece
// so the window can apply it in one step.
//
// A rebuild on the window's side: clear the cued channel (playback stops), set the row count
// to 0, then, inside one batch update, take `visible_rows`, set the caption when
// `caption_suffix` holds one, show or hide the Clear label, set the Comments column to
// kCommentsColumnWidth, and refill the country and genre lists with their selections. Filling
// the lists must not run the country list's change command.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browser/visible_rows.h"
#include "catalogue/records.h"

namespace vistrel {

inline constexpr int32_t kCommentsColumnWidth = 130;

struct ViewResult {
  VisibleRows visible_rows;
  // " - Favorites", " - Tv", " - Radio", " - Video" or " - Playlist"; nothing: leave the caption as
  // it is.
  std::optional<std::string> caption_suffix;
  bool clear_label_visible = false;

  // Filled by RebuildView only. Names are 8-bit texts in table order.
  std::vector<std::string> country_names;
  // Selection of the main window's and the filter dialog's country lists.
  int32_t country_index = 0;
  int32_t editor_country_index = 0;
  std::vector<std::string> genre_names;
  int32_t filter_genre_index = 0;
  // The editor selects its genre itself when it opens.
  int32_t editor_genre_index = -1;
};

// Caption suffix of a view; nothing for a value that is no view.
std::optional<std::string> CaptionSuffix(View view);

// Product name, " - ", version: the caption before a view suffix.
std::string BaseCaption();

// The window caption for `suffix` (BaseCaption() + suffix).
std::string ViewCaption(const std::string& suffix);

// Caption, visible rows and Clear label. `previous` holds the rows of the previous build (move
// them in): its positions are resized to the catalogue's length, keeping their entries, and
// returned in the result. Does not fail.
ViewResult ApplyFilter(const Catalogue& catalogue, VisibleRows previous);

// ApplyFilter plus the country and genre lists. Country lists select, when the country section
// is on, the last entry whose id is the filter's country id, else (or with no such entry) the
// first; the editor's country list the first; the filter dialog's genre list the first. A
// list with no entries selects nothing (-1).
ViewResult RebuildView(const Catalogue& catalogue, VisibleRows previous);

}  // namespace vistrel
