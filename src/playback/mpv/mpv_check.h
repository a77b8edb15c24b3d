#pragma once
// The start-up check that the media player can work at all.

#include "common/error.h"

namespace vistrel {

// Where the user gets libmpv when the check fails.
inline constexpr const char* kMpvDownloadPage = "https://mpv.io/installation/";

// Creates and initialises a libmpv instance without any output and destroys it again. Fails
// with a readable message when libmpv cannot be created or initialised; never throws. Needs the
// GUI application to exist.
Outcome CheckMpvInstallation();

}  // namespace vistrel
