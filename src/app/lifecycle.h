#pragma once
// The program's life without its windows: start-up (LoadAtStartUp), the reload after a list
// update, and what happens at close. The windows show what these return.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "browser/view_builder.h"
#include "common/date_time.h"
#include "common/error.h"

namespace vistrel {

inline constexpr const char* kOldPackageFileName = "channels.dat";
// Where start-up puts a package file it could not load, so that the next start offers a fresh
// download instead of failing again.
inline constexpr const char* kDamagedPackageFileName = "channelz.dat.damaged";

// A package whose version lies 15 days or more from `now` (either way) is outdated; one
// without a version (date 0) always is. Both are days since 30 December 1899; the difference
// is counted in whole milliseconds first, so that a version exactly 15 days old is outdated
// whatever the rounding of the two dates.
bool IsOutdated(double version_date, double now);

// What a load produced for the windows: the view to apply, and messages to show (each with
// the error icon); after a message with `state.end_requested` set, the program ends.
struct LoadReport {
  ViewResult view;
  std::vector<std::string> messages;
  bool ok() const { return messages.empty(); }
};

// The current local date and time in days since 30 December 1899; tests set their own.
using Clock = std::function<double()>;

// Start-up. Creates the data folder when missing (Error when it cannot be created), deletes
// the old-format "channels.dat", clears the catalogue, reads favourites and user channels,
// loads the package when there is one, checks its age against `now` (a missing package counts
// as outdated), loads the settings, sorts by name, appends the user's playlists
// (ReadUserPlaylists; their messages are reported without ending the program) and builds the
// view. Without a
// package nothing is sorted, so the first package a download brings still lists names A to Z.
// Throws vistrel::Error when the package or its content is unreadable; the program then shows the
// text and ends. Such a package is first renamed to kDamagedPackageFileName (replacing an older
// one), and the text says so, so that the next start behaves as without a package. An
// unreadable user file is reported and sets `end_requested`.
LoadReport LoadAtStartUp(ProgramState& state, const Clock& now = LocalNowDateTime);

// Reload after a completed list download. The user files are written first (SaveUserFiles),
// so that channels and favourite marks changed since start-up survive; when that fails
// nothing is reloaded. A failing step is reported and the rest still runs, so the program
// goes on with what was loaded and the view always matches the catalogue.
LoadReport ReloadCatalogue(ProgramState& state);

// Close of the main window, and every other end the event loop sees (the session ends, a
// termination signal): writes the user files that this run has read, unless the program is
// ending because one was unreadable. Fails with SaveUserFiles's text; the window then stays
// open and shows it.
Outcome CloseProgram(const ProgramState& state);

// Right after each change of the favourites or of the user's own channels: writes the user
// files as CloseProgram does, so that an end that runs no close (a kill, a power cut) loses
// nothing the program has acknowledged. Fails with a text saying the change was not saved and
// why, for the user to see; the change stays in memory and the next save tries again.
Outcome SaveUserChanges(const ProgramState& state);

// --- Pieces of the sequences, for the tools and for the window's own commands. ---

// Renames the package file in `data_folder` to kDamagedPackageFileName, replacing an older one.
// Returns false when there is no package or it cannot be renamed (it then stays as it is).
bool SetDamagedPackageAside(const std::filesystem::path& data_folder);

// Reads favorites.dat (when `with_favorites`) and userdef.dat into the catalogue, marks the
// files read, and returns the messages of unreadable files, for which it sets `end_requested`.
// Runs right after ClearCatalogue.
std::vector<std::string> ReadUserFiles(ProgramState& state, bool with_favorites);

// RebuildView over the catalogue; the visible rows are kept in `state`.
ViewResult RefreshView(ProgramState& state);

// The end of every load: settings, sort by name, view.
ViewResult FinishLoad(ProgramState& state);

}  // namespace vistrel
