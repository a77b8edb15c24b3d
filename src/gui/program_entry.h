#pragma once
// The program from start to end: the main window, the start-up load under the splash window,
// the message loop.

#include <memory>

#include "common/date_time.h"
#include "gui/main_window.h"

namespace vistrel {

// Start-up without the message loop: sets the numeric locale to "C" (numbers with a fraction
// always use "."), finds the data folder, creates the main window (and its
// player through `make_player`), loads the catalogue under the splash window, applies the view
// and shows what went wrong. Returns the window, not yet shown; or null when the program must
// end: no data folder, a failed load (each shown in an error box first; a damaged package is
// set aside by the load), an unreadable user file, or no player. A window that is returned
// null writes no user file. Needs a QApplication.
std::unique_ptr<MainWindow> StartProgram(const PlayerFactory& make_player,
                                         const std::function<double()>& now = LocalNowDateTime);

// The libmpv player, after the check that libmpv can start at all; its picture fills the video
// area. Gives null (and prints the cause on standard error) when libmpv cannot be started.
PlayerFactory DefaultPlayerFactory();

// main(): start-up, then the message loop until the main window closes. Returns the exit
// status: 0 after a normal close, 1 when start-up ended the program.
int RunProgram(int argc, char** argv);

}  // namespace vistrel
