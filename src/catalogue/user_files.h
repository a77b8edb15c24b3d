#pragma once
// The user's own files in the data folder: "favorites.dat" (one favourite channel id per line)
// and "userdef.dat" (one user channel per line, 11 "|"-separated fields). Both are written with
// CR LF after every line, as Windows-1252 without a byte-order mark when every text fits it (so
// such files stay byte for byte what they always were) and as UTF-8 behind the UTF-8 mark
// otherwise; reading accepts any line end and honours a UTF-8 or UTF-16 byte-order mark, and
// takes a file without one as Windows-1252.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/records.h"
#include "common/error.h"

namespace vistrel {

inline constexpr const char* kFavoritesFileName = "favorites.dat";
inline constexpr const char* kUserChannelsFileName = "userdef.dat";
// The HTTP headers of the user's channels, beside userdef.dat so that its lines stay as older
// versions read them: one FormatStreamHeadersLine per user channel with headers, written like
// userdef.dat and at the same moments.
inline constexpr const char* kUserHeadersFileName = "userdef_headers.dat";

// Which user files this run has read, and so which ones it may write back. A file never read
// in a run (start-up stopped before the user files, or only reloads that read userdef.dat) must
// not be replaced by what memory holds: that would lose its stored content. The start-up and
// reload sequences set a flag when the matching loader succeeds (a missing file counts as read).
struct UserFilesRead {
  bool favorites = false;
  bool user_channels = false;
};

// Empties `favorites_list` and fills it from favorites.dat, one id per line (blanks around it
// allowed). A missing file is no error. When the file cannot be read or a line is empty or not
// a decimal integer, the file is deleted and the result asks to end with "Please, restart
// application"; the ids converted before the bad line stay in the list. When memory runs out
// the result is the same, but the file stays.
Outcome LoadFavorites(const std::filesystem::path& data_folder,
                      std::vector<int32_t>& favorites_list);

// Replaces catalogue.channels with the channels of userdef.dat (records start zeroed; favorited
// from `favorites_list`, genre from catalogue.genres, user_defined true) and raises
// catalogue.highest_user_id to the highest id read; the headers of userdef_headers.dat for
// those channels go into catalogue.stream_headers (a missing or unreadable file, and a line
// that is not right, add none: headers never stop the channels from loading). A missing
// userdef.dat leaves everything as it is. On
// failure the file is left unchanged, the channels of the lines before the bad one stay, and the
// result asks to end with "Error reading userdef.dat <code>": the errno of a failed read (ENOMEM
// when memory runs out), or 0 for a malformed line, which then adds a second line naming the line
// number and the problem. Blanks around a number are allowed.
Outcome LoadUserChannels(const std::filesystem::path& data_folder, Catalogue& catalogue,
                         const std::vector<int32_t>& favorites_list);

// Writes favorites.dat (CurrentFavorites) and then userdef.dat (channels with user_defined set), in
// the array's current order, and userdef_headers.dat (UserHeadersFileText; only when it has a
// line or the file is there), each atomically; the data folder is created when missing. Only
// the files flagged in `read` are written, userdef_headers.dat with userdef.dat. userdef.dat is
// not written when favorites.dat failed, nor userdef_headers.dat when userdef.dat failed.
// A failure names the file and its cause.
Outcome SaveUserFiles(const std::filesystem::path& data_folder, const Catalogue& catalogue,
                      const std::vector<int32_t>& favorites_list = {},
                      UserFilesRead read = {.favorites = true, .user_channels = true});

// The favourites as they stand now: the ids of the favourite channels in memory, in the
// array's order, then the ids of `favorites_list` that no channel in memory carries. The
// latter belong to channels that are not loaded (no package yet, or missing from this one),
// so a favourite is not lost just because its channel is absent for a while; ids above
// kUserIdBase among them are user channels removed in this run and are dropped.
std::vector<int32_t> CurrentFavorites(const std::vector<int32_t>& favorites_list,
                                      const std::vector<Channel>& channels);

// --- The rules behind the operations, for direct use and tests. ---

// A text as stored in a user file: "|", CR, LF and zero bytes, which would shift fields, split
// the line or end the file early, become spaces.
std::string StoredField(std::string_view text);

// The whole favorites.dat text for the ids / userdef.dat text for the user channels, CR LF
// after every line, in UTF-8; EncodeTextFile gives the bytes that are stored.
std::string FavoritesFileText(const std::vector<int32_t>& ids);
std::string UserChannelsFileText(const std::vector<Channel>& channels);
// The userdef_headers.dat text: a line for each user channel (in the array's order) that has
// headers in catalogue.stream_headers.
std::string UserHeadersFileText(const Catalogue& catalogue);

// The ids of a favorites.dat text (already decoded) appended to `ids`, one per line, blanks
// around each allowed. Throws vistrel::Error "line <n>: <problem>" at the first line that is
// empty or no decimal integer; the ids before it stay appended.
void ParseFavoritesText(std::string_view text, std::vector<int32_t>& ids);

// The channels of a userdef.dat text (already decoded) in place of catalogue.channels,
// highest_user_id raised to the highest id, as LoadUserChannels reads them. Throws vistrel::Error
// "line <n>: <problem>" at the first malformed line; the channels before it stay.
void ParseUserChannelsText(std::string_view text, Catalogue& catalogue,
                           const std::vector<int32_t>& favorites_list);

// One userdef.dat line as a channel record (highest_user_id untouched). Throws vistrel::Error
// naming the problem when the line has fewer than 10 fields or a number does not convert; blanks
// around a number are allowed.
Channel ParseUserChannelLine(std::string_view line, const std::vector<int32_t>& favorites_list,
                             const std::vector<Genre>& genres);

}  // namespace vistrel
