#include "app/playlist_commands.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include "common/files.h"
#include "playlist/m3u_file.h"
#include "playlist/user_playlists.h"

namespace vistrel {

namespace fs = std::filesystem;

namespace {

Result<M3uReadReport> AddPlaylistFromCopy(ProgramState& state, const UserPlaylist& playlist) {
  return ReadPlaylistChannels(state.catalogue, playlist,
                              PlaylistCopyPath(state.data_folder, playlist), state.favorites_list);
}

// Every playlist's channels again from the copies, after one was replaced or removed.
void RereadPlaylists(ProgramState& state) {
  RemovePlaylistChannels(state.catalogue, state.package_countries, state.package_genres);
  for (const UserPlaylist& playlist : state.playlists) {
    // A copy that cannot be read now was told about when it was read before.
    (void)AddPlaylistFromCopy(state, playlist);
  }
}

void RemoveCopy(const fs::path& data_folder, const UserPlaylist& playlist) {
  std::error_code ec;
  fs::remove(PlaylistCopyPath(data_folder, playlist), ec);  // a leftover copy harms nothing
}

// The playlist opened from `source` before, or nothing.
UserPlaylist* FindBySource(ProgramState& state, std::string_view source) {
  for (UserPlaylist& p : state.playlists) {
    if (p.source == source) return &p;
  }
  return nullptr;
}

std::string NoEntriesMessage(const std::string& name, const M3uReadReport& report) {
  std::string text = "The playlist " + name + " holds no channels.";
  const std::string warnings = M3uWarningsText(report);
  if (!warnings.empty()) text += "\n\n" + warnings;
  return text;
}

// Takes the new copy `copy` (already written) of the playlist from `source` into the list: a
// playlist of the same source is replaced and its old copy removed. On failure the new copy is
// removed and the playlists stay as they were.
Result<PlaylistOpened> TakeCopy(ProgramState& state, const std::string& source,
                                const std::string& name, UserPlaylist copy) {
  const UserPlaylist* existing = FindBySource(state, source);
  const bool replacing = existing != nullptr;
  copy.name = replacing ? existing->name : UniquePlaylistName(state.playlists, name);
  // A new playlist's channels are added as it is read; a replaced one's after the list is saved.
  const Result<M3uReadReport> report =
      replacing ? ReadM3uFile(PlaylistCopyPath(state.data_folder, copy), [](M3uEntry&&) {})
                : AddPlaylistFromCopy(state, copy);
  auto fail = [&](std::string message) {
    RemoveCopy(state.data_folder, copy);
    if (!replacing) RereadPlaylists(state);
    return Result<PlaylistOpened>::Fail(std::move(message));
  };
  if (!report.ok()) return fail(report.error);
  if (report.value->entries == 0) return fail(NoEntriesMessage(name, *report.value));

  std::vector<UserPlaylist> playlists = state.playlists;
  UserPlaylist old;
  if (replacing) {
    for (UserPlaylist& p : playlists) {
      if (p.source != source) continue;
      old = p;
      p = copy;
    }
  } else {
    playlists.push_back(copy);
  }
  const Outcome saved = SavePlaylistList(state.data_folder, playlists);
  if (!saved.ok()) return fail(saved.error);
  state.playlists = std::move(playlists);
  if (replacing) {
    RemoveCopy(state.data_folder, old);
    RereadPlaylists(state);
  }
  PlaylistOpened opened;
  opened.name = copy.name;
  opened.channels = report.value->entries;
  opened.warnings = M3uWarningsText(*report.value);
  return Result<PlaylistOpened>::Ok(std::move(opened));
}

}  // namespace

std::vector<std::string> ReadUserPlaylists(ProgramState& state) {
  std::vector<std::string> messages;
  state.package_countries = state.catalogue.countries.size();
  state.package_genres = state.catalogue.genres.size();
  Result<std::vector<UserPlaylist>> list = LoadPlaylistList(state.data_folder);
  if (!list.ok()) {
    messages.push_back("Your playlists could not be opened: " + list.error);
    return messages;
  }
  state.playlists = std::move(*list.value);
  for (const UserPlaylist& playlist : state.playlists) {
    const Result<M3uReadReport> read = AddPlaylistFromCopy(state, playlist);
    if (!read.ok()) {
      messages.push_back("The playlist " + playlist.name + " could not be opened: " + read.error);
    }
  }
  return messages;
}

Result<PlaylistOpened> OpenPlaylistFile(ProgramState& state, const fs::path& file) {
  std::error_code ec;
  fs::path source = fs::absolute(file, ec);
  if (ec) source = file;
  source = source.lexically_normal();
  UserPlaylist copy;
  copy.copy_file = NewCopyFileName(state.playlists);
  copy.source = source.string();
  const std::string name = PlaylistNameOf(source.filename().string());

  // The copy is written as the file is read, in chunks: the file is read once, in bounded
  // memory, and may be a pipe.
  const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Result<PlaylistOpened>::Fail(CannotReadMessage(source, errno));
  const auto buffer = std::make_unique<char[]>(kM3uChunkBytes);
  bool read_failed = false;
  const Outcome written = WriteFileAtomically(
      PlaylistCopyPath(state.data_folder, copy), [&]() -> Result<std::string_view> {
        for (;;) {
          const ssize_t got = ::read(fd, buffer.get(), kM3uChunkBytes);
          if (got >= 0) {
            return Result<std::string_view>::Ok(
                std::string_view(buffer.get(), static_cast<size_t>(got)));
          }
          if (errno == EINTR) continue;
          read_failed = true;
          return Result<std::string_view>::Fail(CannotReadMessage(source, errno));
        }
      });
  ::close(fd);
  if (!written.ok()) {
    return Result<PlaylistOpened>::Fail(read_failed ? CannotReadMessage(source, EIO)
                                                    : written.error);
  }
  return TakeCopy(state, copy.source, name, copy);
}

Result<PlaylistOpened> OpenPlaylistText(ProgramState& state, const std::string& address,
                                        std::string_view text) {
  const std::string name = PlaylistNameOf(address);
  const M3uReadReport report = ReadM3uText(text, [](M3uEntry&&) {});
  if (report.entries == 0) {
    return Result<PlaylistOpened>::Fail(NoEntriesMessage(name, report));
  }
  UserPlaylist copy;
  copy.copy_file = NewCopyFileName(state.playlists);
  copy.source = address;
  const Outcome written = WriteFileAtomically(PlaylistCopyPath(state.data_folder, copy), text);
  if (!written.ok()) return Result<PlaylistOpened>::Fail(written.error);
  return TakeCopy(state, address, name, copy);
}

Outcome RemovePlaylist(ProgramState& state, std::string_view name) {
  std::vector<UserPlaylist> playlists = state.playlists;
  const auto it = std::find_if(playlists.begin(), playlists.end(),
                               [&](const UserPlaylist& p) { return p.name == name; });
  if (it == playlists.end()) return Outcome::Fail("There is no playlist " + std::string(name));
  const UserPlaylist removed = *it;
  playlists.erase(it);
  const Outcome saved = SavePlaylistList(state.data_folder, playlists);
  if (!saved.ok()) return saved;
  state.playlists = std::move(playlists);
  RemoveCopy(state.data_folder, removed);
  RereadPlaylists(state);
  return Outcome::Ok();
}

int32_t PlaylistOfChannel(const ProgramState& state, int32_t position) {
  if (position < 0 || static_cast<std::size_t>(position) >= state.catalogue.channels.size()) {
    return -1;
  }
  const Channel& channel = state.catalogue.channels[static_cast<std::size_t>(position)];
  if (!IsPlaylistChannel(channel)) return -1;
  for (std::size_t i = 0; i < state.playlists.size(); ++i) {
    if (channel.comment == state.playlists[i].name) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace vistrel
