#pragma once
// The program's life without its windows: start-up (GetData), the reload after a list
// update, and what happens at close. The windows show what these return.

#include <functional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "browser/view_builder.h"
#include "common/error.h"

namespace vistrel {

inline constexpr const char* kOldPackageFileName = "channels.dat";

// A package whose version lies 15 days or more from `now` (either way) is outdated; one
// without a version (date 0) always is.
bool IsOutdated(double dtVersion, double now);

// What a load produced for the windows: the view to apply, and messages to show (each with
// the error icon); after a message with `state.end_requested` set, the program ends.
struct LoadReport {
  ViewResult view;
  std::vector<std::string> messages;
  bool ok() const { return messages.empty(); }
};

using Clock = std::function<double()>;

// Start-up: deletes the old-format "channels.dat", clears the catalogue, reads favourites and
// user channels, loads the package when there is one (else marks the list outdated), checks
// its age against `now`, loads the settings, sorts by name and builds the view. Throws
// vistrel::Error when the package or its content is unreadable; the program then shows the
// text and ends.
LoadReport GetData(ProgramState& state, const Clock& now);

// Reload after a completed list download. The user files are written first, so that channels
// and favourite marks changed since start-up survive; when that fails nothing is reloaded.
// A failing step is reported and the rest still runs, so the program goes on with what was
// loaded and the view always matches the catalogue.
LoadReport ReloadCatalogue(ProgramState& state);

// Close of the main window: writes the user files that this run has read, unless the program
// is ending because one was unreadable. On failure the window stays open and shows the text.
Outcome CloseProgram(const ProgramState& state);

// The end of every load: settings, sort by name, view.
ViewResult FinishLoad(ProgramState& state);

}  // namespace vistrel
