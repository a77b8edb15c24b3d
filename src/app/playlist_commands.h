#pragma once
// The user's own playlists in the program's life: reading the remembered ones at start-up and
// after a reload, opening one from a file or from what an address answered, and forgetting one.
// Every change is stored at once: a copy of the playlist in the data folder's playlists folder
// and the list in playlists.dat, each written atomically. The caller rebuilds the view after.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_state.h"
#include "common/error.h"

namespace vistrel {

// What opening a playlist did.
struct PlaylistOpened {
  std::string name;          // the playlist's name, as its channels' comment shows it
  std::size_t channels = 0;  // its channels now
  std::string warnings;      // the lines skipped or read with a problem (M3uWarningsText)
};

// Reads playlists.dat and appends the channels of each playlist's copy to the catalogue, in the
// playlist's own order: they are listed so (only the playlist view shows them) until the user
// sorts by a column. Returns messages for the user: a list that cannot be read, a copy that
// cannot be read (the playlist stays listed, without channels). Problems of single lines were
// told when the playlist was opened and are not told again.
std::vector<std::string> ReadUserPlaylists(ProgramState& state);

// Opens the playlist file at `file` (a playlist opened from the same file before is replaced):
// a copy goes into the data folder, its entries become channels of the playlist view, appended
// in the playlist's order, the list is saved. Fails, leaving everything as it was, when the file
// cannot be read, holds no entry (the text then says so, with the line problems), or the copy or
// list cannot be written.
Result<PlaylistOpened> OpenPlaylistFile(ProgramState& state, const std::filesystem::path& file);

// OpenPlaylistFile for the text an http(s) address answered: the address is remembered with
// the copy, so that the next start fetches it again. A playlist of the same address is
// replaced; on any failure its last copy and channels stay.
Result<PlaylistOpened> OpenPlaylistText(ProgramState& state, const std::string& address,
                                        std::string_view text);

// Forgets the playlist named `name`: its channels, its copy and its line in playlists.dat.
// Fails when no playlist has that name or the list cannot be written (the playlist then stays).
Outcome RemovePlaylist(ProgramState& state, std::string_view name);

// The index in state.playlists of the playlist the channel at catalogue `position` comes from;
// -1 when it is no playlist channel. Never fails.
int32_t PlaylistOfChannel(const ProgramState& state, int32_t position);

}  // namespace vistrel
