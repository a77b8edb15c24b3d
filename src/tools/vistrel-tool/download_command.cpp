// download: a new channel package from the service into a folder, as the program fetches it.

#include <csignal>
#include <cstdio>
#include <string>

#include "commands.h"
#include "service_client/list_download.h"
#include "service_client/service_config.h"
#include "tools/command_line.h"
#include "tools/terminal_text.h"

namespace vistrel::tool {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

constexpr const char* kUsage =
    "usage: vistrel-tool download [--base-url URL] [--date STAMP] --data-dir DIR\n"
    "  --base-url URL   service base URL (default: VISTREL_SERVICE_URL or the build's)\n"
    "  --date STAMP     version stamp of the package at hand, UTF-8 (sends \"&date=\")\n"
    "  --data-dir DIR   folder that receives channelz.dat\n";

UsageError DownloadUsageError(const std::string& problem) {
  return UsageError(problem, "vistrel-tool download", kUsage);
}

}  // namespace

// Returns 0 when the download ends in "Complete!", else 1; its own usage for --help and wrong
// words.
int RunDownload(const Args& args) {
  ServiceConfig service = DefaultServiceConfig();
  ListDownloadRequest request;
  CLI::App app("fetch the package from the service", "download");
  std::string data_dir;
  app.add_option("--base-url", service.base_url, "service base URL");
  // UTF-8, as the catalogue holds its texts: it goes on the wire percent-encoded, once.
  app.add_option("--date", request.version_text, "version stamp of the package at hand");
  app.add_option("--data-dir", data_dir, "folder that receives the package")->required();
  const CommandLineResult parsed = ParseCommandLine(app, args);
  if (parsed.kind == CommandLineResult::Kind::kHelp) throw HelpRequested{kUsage};
  if (parsed.kind == CommandLineResult::Kind::kUsageError) throw DownloadUsageError(parsed.problem);
  if (data_dir.empty()) throw DownloadUsageError("--data-dir needs a folder");
  request.data_dir = data_dir;
  while (!service.base_url.empty() && service.base_url.back() == '/') service.base_url.pop_back();

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
  ListDownloadHooks hooks;
  hooks.progress = [&](int percent, const std::string& status) {
    if (percent == last_percent && status == last_status) return;
    last_percent = percent;
    last_status = status;
    std::printf("%3d%%%s\n", percent, vistrel::TerminalText(status).c_str());
    std::fflush(stdout);
  };
  hooks.cancel_requested = [&] {
    if (interrupted && !told_interrupted) {
      told_interrupted = true;
      std::printf("%s\n", kStatusInterrupted);
    }
    return interrupted != 0;
  };
  const ListDownloadResult result = DownloadChannelList(service, request, hooks);
  sigaction(SIGINT, &previous, nullptr);

  // The status may be the service's own message: shown, never obeyed, by the terminal.
  std::printf("%s\n", vistrel::TerminalText(result.status).c_str());
  return result.complete ? 0 : 1;
}

}  // namespace vistrel::tool
