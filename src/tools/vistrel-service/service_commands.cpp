#include "tools/vistrel-service/service_commands.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <mutex>

#include "catalogue/format/codepage.h"
#include "common/error.h"
#include "common/files.h"
#include "guide/guide_match.h"
#include "playlist/m3u_playlist.h"
#include "server/catalogue_import.h"
#include "server/guide_import.h"
#include "server/guide_store.h"
#include "server/playlist_import.h"
#include "server/table_files.h"
#include "tools/command_line.h"

namespace vistrel {

namespace {

constexpr const char* kUsage =
    "usage: vistrel-service COMMAND [options]\n"
    "  import --db FILE [--tables DIR] [--m3u FILE] [--guide-ids FILE] [--guide SOURCE...]\n"
    "         [--guide-language LANG]\n"
    "      load the six table files of DIR (replacing the catalogue) and/or add the streams of\n"
    "      an extended M3U playlist as TV channels; set channels' guide ids from lines\n"
    "      \"guide-id|channel-id\"; replace the programme guide with the XMLTV files or\n"
    "      http(s) addresses given (and those of the playlist's url-tvg header)\n"
    "  serve --db FILE [--host 127.0.0.1] [--port 8780] [--access-key K] [--media DIR]\n"
    "        [--connections 1024] [--connections-per-address 64] [--timeout 10]\n"
    "      answer the program's requests under /service/ and serve DIR under /media/ (as it\n"
    "      is), /live/ (endless, one copy per 20 s) and /stall/ (never answered); at most\n"
    "      that many connections (in all, from one address), each idle or sending its request\n"
    "      header for at most that many seconds\n"
    "  review --db FILE (--list | --accept ID | --reject ID)\n"
    "      list the submitted channels, or move one into the catalogue, or drop it\n";

std::optional<int64_t> ParseId(const std::string& text) {
  if (text.empty() || text.size() > 18 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoll(text);
}

using Words = std::vector<std::string>;

// A new command line reader for `command`; every command needs --db.
struct CommandOptions {
  explicit CommandOptions(const std::string& command) : app("", command) {
    app.add_option("--db", db)->required();
  }
  CLI::App app;
  std::string db;
};

// A whole number from 1 to `most` given for `option`, or nothing (and a usage message).
std::optional<unsigned> ParseCount(const std::string& option, const std::string& text, int64_t most,
                                   std::string& problem) {
  const auto value = ParseId(text);
  if (!value || *value < 1 || *value > most) {
    problem = "bad " + option + ": " + text + " (1 to " + std::to_string(most) + ")";
    return std::nullopt;
  }
  return static_cast<unsigned>(*value);
}

// Every connection needs a file descriptor: the limit on open files is raised to match as far
// as the system allows, and the connections lowered to fit when it does not.
void FitOpenFileLimit(HttpServerLimits& limits, std::ostream& err) {
  constexpr rlim_t kSpare = 64;  // the database, the media files being sent, the log
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) != 0) return;
  const rlim_t wanted = limits.connections + kSpare;
  if (files.rlim_cur >= wanted) return;
  files.rlim_cur = files.rlim_max == RLIM_INFINITY ? wanted : std::min(wanted, files.rlim_max);
  setrlimit(RLIMIT_NOFILE, &files);
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < wanted) {
    limits.connections =
        static_cast<unsigned>(files.rlim_cur > 2 * kSpare ? files.rlim_cur - kSpare : kSpare);
    err << "vistrel-service: only " << files.rlim_cur << " open files allowed; at most "
        << limits.connections << " connections" << std::endl;
  }
}

int ImportCommand(const Words& words, std::ostream& out) {
  CommandOptions options("import");
  std::optional<std::string> tables, m3u, guide_ids, guide_language;
  std::vector<std::string> guides;
  AddOptionalOption(options.app, "--tables", tables);
  AddOptionalOption(options.app, "--m3u", m3u);
  AddOptionalOption(options.app, "--guide-ids", guide_ids);
  AddOptionalOption(options.app, "--guide-language", guide_language);
  options.app.add_option("--guide", guides);
  ParseCommand(options.app, words);
  if (!tables && !m3u && !guide_ids && guides.empty()) {
    throw UsageError("import needs --tables DIR, --m3u FILE, --guide-ids FILE or --guide SOURCE");
  }
  if (tables || m3u) {
    out << ImportCatalogue(options.db, tables.value_or(""), m3u.value_or(""), CurrentMinute())
        << "\n";
  } else {
    CatalogueDb existing(options.db, CurrentMinute(), OpenMode::kExisting);
  }
  if (guide_ids) {
    const Result<std::string> text = ReadFile(*guide_ids);
    if (!text.ok()) throw Error(text.error);
    const auto links = ParseGuideIdLinks(*text.value);
    if (!links.ok()) throw Error(*guide_ids + ": " + links.error);
    std::vector<std::pair<int32_t, std::string>> ids;
    for (const GuideIdLink& link : *links.value) ids.emplace_back(link.channel_id, link.guide_id);
    GuideStore(options.db).SetGuideIds(ids);
    out << "guide ids set for " << ids.size() << " channels\n";
  }
  if (m3u) {
    const Result<std::string> text = ReadFile(*m3u);
    if (text.ok()) {
      for (std::string& address : M3uGuideAddresses(*text.value)) {
        if (std::find(guides.begin(), guides.end(), address) == guides.end()) {
          guides.push_back(std::move(address));
        }
      }
    }
  }
  if (!guides.empty()) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    out << ImportGuide(options.db, guides,
                       std::chrono::duration_cast<std::chrono::seconds>(now).count(),
                       guide_language.value_or(""))
        << "\n";
  }
  return 0;
}

// Blocks SIGINT and SIGTERM in this thread (and the threads it starts), so that the waiting
// below receives them instead of a random server thread.
sigset_t BlockTerminationSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return signals;
}

int ServeCommand(const Words& words, const PackageBuilder& build_package, std::ostream& err) {
  CommandOptions options("serve");
  std::optional<std::string> host, port, access_key, media, connections, per_address, timeout;
  AddOptionalOption(options.app, "--host", host);
  AddOptionalOption(options.app, "--port", port);
  AddOptionalOption(options.app, "--access-key", access_key);
  AddOptionalOption(options.app, "--media", media);
  AddOptionalOption(options.app, "--connections", connections);
  AddOptionalOption(options.app, "--connections-per-address", per_address);
  AddOptionalOption(options.app, "--timeout", timeout);
  ParseCommand(options.app, words);
  CatalogueServiceConfig config;
  config.db_file = options.db;
  if (host) config.host = *host;
  if (port) {
    const auto number = ParseId(*port);
    if (!number || *number > 65535) throw UsageError("bad port: " + *port);
    config.port = static_cast<int>(*number);
  }
  if (access_key) config.access_key = *access_key;
  if (media) config.media_dir = *media;
  std::string problem;
  if (connections) {
    const auto count = ParseCount("--connections", *connections, 100000, problem);
    if (!count) throw UsageError(problem);
    config.http.connections = *count;
  }
  if (per_address) {
    const auto count = ParseCount("--connections-per-address", *per_address, 100000, problem);
    if (!count) throw UsageError(problem);
    config.http.connections_per_address = *count;
  }
  if (timeout) {
    const auto seconds = ParseCount("--timeout", *timeout, 3600, problem);
    if (!seconds) throw UsageError(problem);
    config.http.timeout = std::chrono::seconds(*seconds);
  }
  FitOpenFileLimit(config.http, err);
  config.db_mode = OpenMode::kExisting;  // a mistyped path must not serve an empty catalogue
  config.write_limits = WriteLimits::Public();
  config.build_package = build_package;
  auto log_mutex = std::make_shared<std::mutex>();
  config.log = [log_mutex](const std::string& line) {
    std::lock_guard lock(*log_mutex);
    std::cerr << line << std::endl;
  };
  const sigset_t signals = BlockTerminationSignals();
  CatalogueService service(std::move(config));
  service.Start();
  err << "vistrel-service: serving " << service.BaseUrl() << "/service/ (Ctrl+C to stop)"
      << std::endl;
  int received = 0;
  sigwait(&signals, &received);
  service.Stop();
  err << "vistrel-service: stopped" << std::endl;
  return 0;
}

// A stored text for the terminal: control characters (C0, DEL and C1) shown as "\xNN", so none
// reaches the terminal as such; malformed UTF-8 shown as U+FFFD.
std::string ListedText(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string text = ValidUtf8(utf8);
  std::string out;
  const auto escape = [&](unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      escape(c);
    } else if (c == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // A C1 control character (U+0080 to U+009F), shown by its code.
      escape(static_cast<unsigned char>(text[++i]));
    } else {
      out += text[i];
    }
  }
  return out;
}

int ReviewCommand(const Words& words, std::ostream& out) {
  CommandOptions options("review");
  bool list = false;
  std::optional<std::string> accept_id, reject_id;
  options.app.add_flag("--list", list)
      ->disable_flag_override()
      ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
  AddOptionalOption(options.app, "--accept", accept_id);
  AddOptionalOption(options.app, "--reject", reject_id);
  ParseCommand(options.app, words);
  const int chosen = int{list} + int{accept_id.has_value()} + int{reject_id.has_value()};
  if (chosen != 1) throw UsageError("review needs one of --list, --accept ID, --reject ID");
  CatalogueDb db(options.db, CurrentMinute(), OpenMode::kExisting);
  if (list) {
    out << "id\treceived\tgroup\tname\turl\tbitrate\ttype\thomepage\tcountry\tgenre\tcomment\n";
    for (const StoredSubmission& s : db.Submissions()) {
      const Submission& c = s.channel;
      out << s.id << '\t' << s.received << '\t' << c.group_id << '\t' << ListedText(c.name) << '\t'
          << ListedText(c.url) << '\t' << c.bitrate << '\t' << c.type_id << '\t'
          << ListedText(c.homepage) << '\t' << c.country_id << '\t' << c.genre_id << '\t'
          << ListedText(c.comment) << '\n';
    }
    return 0;
  }
  const bool accept = accept_id.has_value();
  const std::string& text = accept ? *accept_id : *reject_id;
  const auto id = ParseId(text);
  if (!id) throw UsageError("bad submission id: " + text);
  if (accept) {
    const auto channel = db.Accept(*id, CurrentMinute());
    if (!channel) throw Error("no submission " + text);
    out << "accepted submission " << *id << " as channel " << *channel << "\n";
  } else {
    if (!db.Reject(*id)) throw Error("no submission " + text);
    out << "rejected submission " << *id << "\n";
  }
  return 0;
}

}  // namespace

int RunServiceCommand(const std::vector<std::string>& args, const PackageBuilder& build_package,
                      std::ostream& out, std::ostream& err) {
  const ToolCommand commands[] = {
      {"import", [&](const Words& words) { return ImportCommand(words, out); }},
      {"serve", [&](const Words& words) { return ServeCommand(words, build_package, err); }},
      {"review", [&](const Words& words) { return ReviewCommand(words, out); }},
  };
  const ToolTexts texts{.name = "vistrel-service",
                        .usage = kUsage,
                        .missing_command = "",
                        .unknown_command = "unknown command: ",
                        .failure_prefix = "vistrel-service: ",
                        .help_command = true};
  return RunToolCommand(texts, commands, args, out, err);
}

}  // namespace vistrel
