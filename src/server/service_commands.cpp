#include "server/service_commands.h"

#include <pthread.h>
#include <signal.h>

#include <cstring>
#include <iostream>
#include <mutex>

#include "common/error.h"
#include "common/files.h"
#include "server/m3u_playlist.h"
#include "server/playlist_import.h"
#include "server/table_files.h"
#include "tools/command_line.h"

namespace vistrel {

namespace {

constexpr const char* kUsage =
    "usage: vistrel-service COMMAND [options]\n"
    "  import --db FILE [--tables DIR] [--m3u FILE]\n"
    "      load the six table files of DIR (replacing the catalogue) and/or add the streams of\n"
    "      an extended M3U playlist as TV channels\n"
    "  serve --db FILE [--host 127.0.0.1] [--port 8780] [--access-key K] [--media DIR]\n"
    "      answer the program's requests under /service/ and serve DIR under /media/\n"
    "  review --db FILE (--list | --accept ID | --reject ID)\n"
    "      list the submitted channels, or move one into the catalogue, or drop it\n";

// The options of the three commands; each but --db is absent unless given.
struct ServiceOptions {
  std::string db;
  std::optional<std::string> tables, m3u;                    // import
  std::optional<std::string> host, port, access_key, media;  // serve
  std::optional<std::string> accept, reject;                 // review
  bool list = false;                                         // review
};

int Usage(std::ostream& err, const std::string& problem) {
  if (!problem.empty()) err << "vistrel-service: " << problem << "\n";
  err << kUsage;
  return 2;
}

std::optional<int64_t> ParseId(const std::string& text) {
  if (text.empty() || text.size() > 18 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoll(text);
}

int ImportCommand(const ServiceOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.tables && !options.m3u) return Usage(err, "import needs --tables DIR or --m3u FILE");
  out << ImportCatalogue(options.db, options.tables.value_or(""), options.m3u.value_or(""),
                         CurrentMinute())
      << "\n";
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

int ServeCommand(const ServiceOptions& options, const PackageBuilder& build_package,
                 std::ostream& err) {
  CatalogueServiceConfig config;
  config.db_file = options.db;
  if (options.host) config.host = *options.host;
  if (options.port) {
    const auto port = ParseId(*options.port);
    if (!port || *port > 65535) return Usage(err, "bad port: " + *options.port);
    config.port = static_cast<int>(*port);
  }
  if (options.access_key) config.access_key = *options.access_key;
  if (options.media) config.media_dir = *options.media;
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

int ReviewCommand(const ServiceOptions& options, std::ostream& out, std::ostream& err) {
  const int chosen =
      int{options.list} + int{options.accept.has_value()} + int{options.reject.has_value()};
  if (chosen != 1) return Usage(err, "review needs one of --list, --accept ID, --reject ID");
  CatalogueDb db(options.db);
  if (options.list) {
    out << "id\treceived\tgroup\tname\turl\tbitrate\ttype\thomepage\tcountry\tgenre\tcomment\n";
    for (const StoredSubmission& s : db.Submissions()) {
      const Submission& c = s.channel;
      out << s.id << '\t' << s.received << '\t' << c.group_id << '\t' << c.name << '\t' << c.url
          << '\t' << c.bitrate << '\t' << c.type_id << '\t' << c.homepage << '\t' << c.country_id
          << '\t' << c.genre_id << '\t' << c.comment << '\n';
    }
    return 0;
  }
  const bool accept = options.accept.has_value();
  const std::string& text = accept ? *options.accept : *options.reject;
  const auto id = ParseId(text);
  if (!id) return Usage(err, "bad submission id: " + text);
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

std::string ImportCatalogue(const std::filesystem::path& db_file,
                            const std::filesystem::path& tables_dir,
                            const std::filesystem::path& m3u_file, StampTime now) {
  // Read every input before the database is touched, so a bad file changes nothing.
  std::optional<CatalogueTables> from_files;
  if (!tables_dir.empty()) from_files = ReadTableFiles(tables_dir);
  std::vector<M3uEntry> playlist;
  if (!m3u_file.empty()) {
    int error_code = 0;
    const auto text = ReadWholeFile(m3u_file, &error_code);
    if (!text) throw Error("cannot read " + m3u_file.string() + ": " + std::strerror(error_code));
    playlist = ParseM3u(*text);
  }
  CatalogueDb db(db_file, now);
  CatalogueTables tables = from_files ? std::move(*from_files) : db.LoadTables();
  const std::size_t added = AddPlaylist(tables, playlist);
  db.ReplaceTables(tables, now);
  return "imported " + std::to_string(tables.countries.size()) + " countries, " +
         std::to_string(tables.genres.size()) + " genres, " +
         std::to_string(tables.channels.size()) + " channels (" + std::to_string(added) +
         " from the playlist); version " + db.State().version;
}

int RunServiceCommand(const std::vector<std::string>& args, const PackageBuilder& build_package,
                      std::ostream& out, std::ostream& err) {
  if (args.empty()) return Usage(err, "");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    out << kUsage;
    return 0;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  CLI::App app("", command);
  ServiceOptions options;
  app.add_option("--db", options.db)->required();
  if (command == "import") {
    AddOptionalOption(app, "--tables", options.tables);
    AddOptionalOption(app, "--m3u", options.m3u);
  } else if (command == "serve") {
    AddOptionalOption(app, "--host", options.host);
    AddOptionalOption(app, "--port", options.port);
    AddOptionalOption(app, "--access-key", options.access_key);
    AddOptionalOption(app, "--media", options.media);
  } else if (command == "review") {
    app.add_flag("--list", options.list)
        ->disable_flag_override()
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    AddOptionalOption(app, "--accept", options.accept);
    AddOptionalOption(app, "--reject", options.reject);
  } else {
    return Usage(err, "unknown command: " + command);
  }
  const CommandLineResult parsed = ParseCommandLine(app, rest);
  if (parsed.kind == CommandLineResult::Kind::kHelp) {
    out << kUsage;
    return 0;
  }
  if (parsed.kind == CommandLineResult::Kind::kUsageError) return Usage(err, parsed.problem);
  try {
    if (command == "import") return ImportCommand(options, out, err);
    if (command == "serve") return ServeCommand(options, build_package, err);
    return ReviewCommand(options, out, err);
  } catch (const std::exception& e) {
    err << "vistrel-service: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vistrel
