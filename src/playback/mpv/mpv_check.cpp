#include "playback/mpv/mpv_check.h"

#include <mpv/client.h>

#include "playback/mpv/mpv_engine.h"

namespace vistrel {

Outcome CheckMpvInstallation() {
  std::string error;
  mpv_handle* mpv = CreateMpvEngine(MpvEngineOptions{.null_output = true}, error);
  if (mpv == nullptr) return Outcome::Fail(error);
  mpv_terminate_destroy(mpv);
  return Outcome::Ok();
}

}  // namespace vistrel
