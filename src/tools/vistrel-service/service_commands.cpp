#include "vistrel-service/service_commands.h"

#include <pthread.h>
#include <signal.h>

#include <cstring>
#include <iostream>
#include <mutex>

#include "catalogue/codepage.h"
#include "common/error.h"
#include "common/files.h"
#include "vistrel-service/command_line.h"
#include "vistrel-service/m3u_playlist.h"
#include "vistrel-service/playlist_import.h"
#include "vistrel-service/table_files.h"

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

int ImportCommand(const CommandOptions& options, std::ostream& out) {
  const auto tables = options.values.find("tables");
  const auto m3u = options.values.find("m3u");
  if (tables == options.values.end() && m3u == options.values.end()) {
    throw Error("import needs --tables DIR or --m3u FILE");
  }
  out << ImportCatalogue(options.values.at("db"),
                         tables == options.values.end() ? "" : tables->second,
                         m3u == options.values.end() ? "" : m3u->second, CurrentMinute())
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

int ServeCommand(const CommandOptions& options, const PackageBuilder& build_package,
                 std::ostream& err) {
  CatalogueServiceConfig config;
  config.db_file = options.values.at("db");
  if (auto it = options.values.find("host"); it != options.values.end()) config.host = it->second;
  if (auto it = options.values.find("port"); it != options.values.end()) {
    const auto port = ParseId(it->second);
    if (!port || *port > 65535) return Usage(err, "bad port: " + it->second);
    config.port = static_cast<int>(*port);
  }
  if (auto it = options.values.find("access-key"); it != options.values.end()) {
    config.access_key = it->second;
  }
  if (auto it = options.values.find("media"); it != options.values.end()) {
    config.media_dir = it->second;
  }
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

int ReviewCommand(const CommandOptions& options, std::ostream& out, std::ostream& err) {
  const int chosen = static_cast<int>(options.flags.count("list") + options.values.count("accept") +
                                      options.values.count("reject"));
  if (chosen != 1) return Usage(err, "review needs one of --list, --accept ID, --reject ID");
  CatalogueDb db(options.values.at("db"));
  if (options.flags.count("list")) {
    out << "id\treceived\tgroup\tname\turl\tbitrate\ttype\thomepage\tcountry\tgenre\tcomment\n";
    for (const StoredSubmission& s : db.Submissions()) {
      const Submission& c = s.channel;
      out << s.id << '\t' << s.received << '\t' << c.group_id << '\t' << Cp1252ToUtf8(c.name)
          << '\t' << Cp1252ToUtf8(c.url) << '\t' << c.bitrate << '\t' << c.type_id << '\t'
          << Cp1252ToUtf8(c.homepage) << '\t' << c.country_id << '\t' << c.genre_id << '\t'
          << Cp1252ToUtf8(c.comment) << '\n';
    }
    return 0;
  }
  const bool accept = options.values.count("accept") > 0;
  const std::string& text = options.values.at(accept ? "accept" : "reject");
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
  CommandOptions options;
  if (command == "import") {
    options = ParseCommandOptions(rest, {"db", "tables", "m3u"}, {});
  } else if (command == "serve") {
    options = ParseCommandOptions(rest, {"db", "host", "port", "access-key", "media"}, {});
  } else if (command == "review") {
    options = ParseCommandOptions(rest, {"db", "accept", "reject"}, {"list"});
  } else {
    return Usage(err, "unknown command: " + command);
  }
  if (!options.error.empty()) return Usage(err, options.error);
  if (!options.values.count("db")) return Usage(err, command + " needs --db FILE");
  try {
    if (command == "import") return ImportCommand(options, out);
    if (command == "serve") return ServeCommand(options, build_package, err);
    return ReviewCommand(options, out, err);
  } catch (const std::exception& e) {
    err << "vistrel-service: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace vistrel
