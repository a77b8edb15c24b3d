#include "playback/mpv/mpv_check.h"

#include <mpv/client.h>

#include "playback/mpv/mpv_engine.h"

namespace vistrel {

Outcome CheckMpvInstallation() {
  const Result<mpv_handle*> mpv = CreateMpvEngine(MpvEngineOptions{.null_output = true});
  if (!mpv.ok()) return Outcome::Fail(mpv.error);
  mpv_terminate_destroy(*mpv.value);
  return Outcome::Ok();
}

}  // namespace vistrel
