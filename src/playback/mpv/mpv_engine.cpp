#include "playback/mpv/mpv_engine.h"

#include <mpv/client.h>

#include <clocale>
#include <string>
#include <utility>

namespace vistrel {

Result<mpv_handle*> CreateMpvEngine(const MpvEngineOptions& options) {
  // libmpv refuses to start when numbers would be written with a decimal comma.
  std::setlocale(LC_NUMERIC, "C");
  mpv_handle* mpv = mpv_create();
  if (mpv == nullptr) return Result<mpv_handle*>::Fail("libmpv could not be created.");
  const std::string timeout = std::to_string(options.network_timeout_seconds);
  // Options a given libmpv build may lack are left at their defaults.
  const std::pair<const char*, const char*> optional_settings[] = {
      {"config", "no"},
      {"load-scripts", "no"},
      {"osc", "no"},
      {"terminal", "no"},
      {"input-default-bindings", "no"},
      {"input-vo-keyboard", "no"},
      {"ytdl", "no"},
      {"audio-fallback-to-null", "yes"},
      {"network-timeout", timeout.c_str()},
      {"idle", "yes"},
      {"keep-open", "no"},
      // The picture is decoded in software, so no interop with hardware decoders is loaded.
      {"hwdec", "no"},
      {"gpu-hwdec-interop", "no"},
      // Frames are rendered without waiting for their time (the GUI thread must not block);
      // with no offset the engine times them itself and keeps picture and sound together.
      {"video-timing-offset", "0"},
  };
  for (const auto& [name, value] : optional_settings) mpv_set_option_string(mpv, name, value);
  int status = mpv_set_option_string(mpv, "vo", options.null_output ? "null" : "libmpv");
  if (status >= 0 && (options.null_output || options.null_audio))
    status = mpv_set_option_string(mpv, "ao", "null");
  if (status >= 0) status = mpv_initialize(mpv);
  if (status < 0) {
    mpv_terminate_destroy(mpv);
    return Result<mpv_handle*>::Fail(std::string("libmpv could not be initialised: ") +
                                     mpv_error_string(status) + ".");
  }
  return Result<mpv_handle*>::Ok(mpv);
}

}  // namespace vistrel
