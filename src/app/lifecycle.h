#pragma once
// The program's life without its windows: start-up (LoadAtStartUp), the reload after a list
// update, and what happens at close. The windows show what these return.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "browser/view_builder.h"
#include "common/date_time.h"
#include "common/error.h"

namespace vistrel {

inline constexpr const char* kOldPackageFileName = "channels.dat";

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
// as outdated), loads the settings, sorts by name and builds the view. Without a package
// nothing is sorted, so the first package a download brings still lists names A to Z. Throws
// vistrel::Error when the package or its content is unreadable; the program then shows the
// text and ends. An unreadable user file is reported and sets `end_requested`.
LoadReport LoadAtStartUp(ProgramState& state, const Clock& now = LocalNowDateTime);

// Reload after a completed list download. The user files are written first (SaveUserFiles),
// so that channels and favourite marks changed since start-up survive; when that fails
// nothing is reloaded. A failing step is reported and the rest still runs, so the program
// goes on with what was loaded and the view always matches the catalogue.
LoadReport ReloadCatalogue(ProgramState& state);

// Close of the main window: writes the user files that this run has read, unless the program
// is ending because one was unreadable. On failure the window stays open and shows the text.
Outcome CloseProgram(const ProgramState& state);

// --- Pieces of the sequences, for the tools and for the window's own commands. ---

// Reads favorites.dat (when `with_favorites`) and userdef.dat into the catalogue, marks the
// files read, and returns the messages of unreadable files, for which it sets `end_requested`.
// Runs right after ClearCatalogue.
std::vector<std::string> ReadUserFiles(ProgramState& state, bool with_favorites);

// RebuildView over the catalogue; the visible rows are kept in `state`.
ViewResult RefreshView(ProgramState& state);

// The end of every load: settings, sort by name, view.
ViewResult FinishLoad(ProgramState& state);

}  // namespace vistrel
