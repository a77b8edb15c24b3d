#include "download_command.h"

#include <csignal>
#include <cstdio>
#include <string>

#include "service/list_download.h"
#include "service/service_config.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

int Usage(const char* problem) {
  std::fprintf(stderr,
               "vistrel-tool download: %s\n"
               "usage: vistrel-tool download [--base-url URL] [--date STAMP] --data-dir DIR\n"
               "  --base-url URL   service base URL (default: VISTREL_SERVICE_URL or the build's)\n"
               "  --date STAMP     version stamp of the package at hand (sends \"&date=\")\n"
               "  --data-dir DIR   folder that receives channelz.dat\n",
               problem);
  return 2;
}

}  // namespace

int RunDownloadCommand(const std::vector<std::string>& args) {
  vistrel::ServiceConfig service = vistrel::DefaultServiceConfig();
  vistrel::ListDownloadRequest request;
  bool have_dir = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& opt = args[i];
    if (opt != "--base-url" && opt != "--date" && opt != "--data-dir") {
      return Usage(("unknown argument " + opt).c_str());
    }
    if (i + 1 >= args.size()) return Usage((opt + " needs a value").c_str());
    const std::string& value = args[++i];
    if (opt == "--base-url") {
      service.base_url = value;
      while (!service.base_url.empty() && service.base_url.back() == '/') {
        service.base_url.pop_back();
      }
    } else if (opt == "--date") {
      request.st_version = value;
    } else {
      request.data_dir = value;
      have_dir = true;
    }
  }
  if (!have_dir || request.data_dir.empty()) return Usage("--data-dir is required");

  // Ctrl-C is the Cancel button.
  interrupted = 0;
  struct sigaction action {};
  struct sigaction previous {};
  action.sa_handler = &OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous);

  int last_percent = -1;
  std::string last_status;
  bool told_interrupted = false;
  vistrel::ListDownloadHooks hooks;
  hooks.progress = [&](int percent, const std::string& status) {
    if (percent == last_percent && status == last_status) return;
    last_percent = percent;
    last_status = status;
    std::printf("%3d%%%s\n", percent, status.c_str());
    std::fflush(stdout);
  };
  hooks.cancel_requested = [&] {
    if (interrupted && !told_interrupted) {
      told_interrupted = true;
      std::printf("%s\n", vistrel::kStatusInterrupted);
    }
    return interrupted != 0;
  };
  const vistrel::ListDownloadResult result = vistrel::DownloadChannelList(service, request, hooks);
  sigaction(SIGINT, &previous, nullptr);

  std::printf("%s\n", result.status.c_str());
  return result.complete ? 0 : 1;
}
