#pragma once
// The user's own M3U playlists: the list of those opened ("playlists.dat" in the data folder,
// beside a copy of each in its "playlists" folder) and their entries as channels of the
// playlist view.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/records.h"
#include "common/error.h"
#include "playlist/m3u_file.h"
#include "playlist/m3u_playlist.h"

namespace vistrel {

inline constexpr const char* kPlaylistsFileName = "playlists.dat";
inline constexpr const char* kPlaylistCopiesFolder = "playlists";

// One opened playlist.
struct UserPlaylist {
  std::string name;       // unique among the playlists; its channels' comment
  std::string source;     // the file or the http(s) address it was opened from
  std::string copy_file;  // the file name of its copy in the playlists folder
  bool operator==(const UserPlaylist&) const = default;
};

// Whether `source` is an http or https address (scheme in any case) rather than a file.
bool IsPlaylistAddress(std::string_view source);

// A name for the playlist at `source` that holds no credentials: a file's name, or an
// address's last path part without its query (else its host), never its user or password.
// "Playlist" when nothing is left. Never fails.
std::string PlaylistNameOf(std::string_view source);

// `name`, or `name` + " (2)", " (3)"… when a playlist of `playlists` has it already.
std::string UniquePlaylistName(const std::vector<UserPlaylist>& playlists, std::string_view name);

// "<n>.m3u" for the lowest n from 1 that no playlist's copy uses.
std::string NewCopyFileName(const std::vector<UserPlaylist>& playlists);

// playlists.dat: one playlist a line, "copy file<TAB>name<TAB>source", UTF-8, CR LF. Tabs and
// line breaks inside a text become spaces.
std::string PlaylistListText(const std::vector<UserPlaylist>& playlists);
// The playlists of a playlists.dat text; a line without three fields or with a copy file name
// that is no plain file name is skipped. Never fails.
std::vector<UserPlaylist> ParsePlaylistListText(std::string_view text);

// Reads playlists.dat; a missing file is an empty list. Fails with CannotReadMessage.
Result<std::vector<UserPlaylist>> LoadPlaylistList(const std::filesystem::path& data_folder);
// Writes playlists.dat atomically. Fails naming the file and the cause.
Outcome SavePlaylistList(const std::filesystem::path& data_folder,
                         const std::vector<UserPlaylist>& playlists);

// The path of a playlist's copy.
std::filesystem::path PlaylistCopyPath(const std::filesystem::path& data_folder,
                                       const UserPlaylist& playlist);

// The name an entry's channel gets: its title, else its "tvg-name", else PlaylistNameOf its
// address (made in `fallback`), cut to kShortTextCapacity characters. Never fails.
std::string_view PlaylistChannelName(const M3uEntry& entry, std::string& fallback);

// What a playlist tells of a channel beyond its record: the guide's channel id ("tvg-id") and
// the logo's address ("tvg-logo"). They stay in the playlist's copy and are read from there when
// asked: nothing needs them for every channel at once, and kept in memory for each channel of a
// large playlist they would take tens of megabytes.
struct PlaylistChannelDetails {
  std::string guide_id;
  std::string logo;
  bool operator==(const PlaylistChannelDetails&) const = default;
};

// The details of the first entry of the playlist file `copy` that makes `channel` (the same
// address and name); empty ones when no entry does. Fails with CannotReadMessage.
Result<PlaylistChannelDetails> ReadPlaylistChannelDetails(const std::filesystem::path& copy,
                                                          const Channel& channel);

// The id of a playlist channel before collisions are resolved: from its address and title, so
// that it stays the same when the playlist is read again or its entries move. Always in
// [-2147483647, -1]. Never fails.
int32_t PlaylistChannelIdOf(std::string_view url, std::string_view title);

// Turns the entries of one playlist into channels of `catalogue`: group and view "playlist",
// from_playlist set, the comment the playlist's name, "group-title" the genre and
// "tvg-country" the country (found by name in the catalogue's tables, or added there with ids
// above the highest, while 16-bit ids are left), the entry's headers as stream headers, a
// favourite when the id is in `favorites_list`. An id taken already goes to the next free one
// below it. Throws std::bad_alloc only.
class PlaylistChannelMaker {
 public:
  PlaylistChannelMaker(Catalogue& catalogue, const UserPlaylist& playlist,
                       const std::vector<int32_t>& favorites_list);
  ~PlaylistChannelMaker();
  PlaylistChannelMaker(const PlaylistChannelMaker&) = delete;
  PlaylistChannelMaker& operator=(const PlaylistChannelMaker&) = delete;

  void Add(M3uEntry&& entry);
  // Room for `count` more channels, so that the catalogue does not grow step by step.
  void Reserve(std::size_t count);

 private:
  struct State;
  State* state_;
};

// Reads the playlist file `file` into `catalogue` through a PlaylistChannelMaker, with room made
// for the channels first. Fails as ReadM3uFile; the channels read before a failure stay.
Result<M3uReadReport> ReadPlaylistChannels(Catalogue& catalogue, const UserPlaylist& playlist,
                                           const std::filesystem::path& file,
                                           const std::vector<int32_t>& favorites_list);

// Removes every playlist channel (and its headers) from `catalogue`; the countries
// and genres are cut back to the first `countries` and `genres` entries. Never fails.
void RemovePlaylistChannels(Catalogue& catalogue, std::size_t countries, std::size_t genres);

}  // namespace vistrel
