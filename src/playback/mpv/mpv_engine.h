#pragma once
// Creating a libmpv instance set up the way this program plays streams: nothing from the
// user's own configuration, no web-page address resolving, a stream without usable sound still
// plays its picture, network waits bounded, and nothing starts by itself.

#include "common/error.h"

struct mpv_handle;

namespace vistrel {

struct MpvEngineOptions {
  // No picture and no sound device (vo=null, ao=null); else the picture goes to the render
  // interface.
  bool null_output = false;
  // No sound device (ao=null), the picture still drawn.
  bool null_audio = false;
  int network_timeout_seconds = 15;
};

// An initialised instance, which the caller destroys (mpv_terminate_destroy); a failure names
// what failed in the result's error. Needs the GUI application to exist already: it resets the
// numeric locale to "C", which libmpv requires and which the application's start-up changed.
Result<mpv_handle*> CreateMpvEngine(const MpvEngineOptions& options);

}  // namespace vistrel
