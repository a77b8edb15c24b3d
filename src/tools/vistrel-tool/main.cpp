// vistrel-tool: the maintainers' command line for catalogue packages. Each command lives in
// its own file (commands.h); this file only dispatches and turns failures into exit statuses.

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "args.h"
#include "commands.h"
#include "common/build_config.h"
#include "common/error.h"
#include "download_command.h"

namespace {

using vistrel::tool::Args;

struct Command {
  std::string_view name;
  int (*run)(const Args&);
};

// clang-format off
constexpr Command kCommands[] = {
    {"build", vistrel::tool::RunBuild},
    {"encrypt", vistrel::tool::RunEncrypt},
    {"decrypt", vistrel::tool::RunDecrypt},
    {"dump", vistrel::tool::RunDump},
    {"list", vistrel::tool::RunList},
    {"download", RunDownloadCommand},
};
// clang-format on

void PrintUsage(FILE* out) {
  std::fprintf(out,
               "%s %s maintainers' tool\n"
               "usage: vistrel-tool COMMAND [options]\n"
               "  build --tables DIR -o FILE   zip the catalogue tables of DIR into a package\n"
               "  encrypt IN OUT               encipher a file\n"
               "  decrypt IN OUT               decipher a file\n"
               "  dump FILE                    print the catalogue of a package as JSON\n"
               "  list FILE [--user-dir DIR] [--set NAME=VALUE]... [--sort COLUMN]...\n"
               "       [--find TEXT [--match-case] [--down]]...\n"
               "                               print the channel list as the program shows it\n"
               "                               after start-up: caption suffix, then one line\n"
               "                               per row, then one line per Find Next\n"
               "  download [--base-url URL] [--date STAMP] --data-dir DIR\n"
               "                               fetch the package from the service into DIR\n"
               "options of build, encrypt, decrypt, dump and list: --key-text T, --iv-text T\n",
               vistrel::build::kProductName, vistrel::build::kVersion);
}

int UsageFailure(const char* message) {
  std::fprintf(stderr, "vistrel-tool: %s\n", message);
  PrintUsage(stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return UsageFailure("missing command");
  const std::string_view name = argv[1];
  if (name == "--help" || name == "-h") {
    PrintUsage(stdout);
    return 0;
  }
  const Args args(argv + 2, argv + argc);
  for (const Command& command : kCommands) {
    if (command.name != name) continue;
    try {
      return command.run(args);
    } catch (const vistrel::tool::HelpRequested&) {
      PrintUsage(stdout);
      return 0;
    } catch (const vistrel::tool::UsageError& e) {
      return UsageFailure(e.what());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      return 1;
    }
  }
  const std::string message = "unknown command " + std::string(name);
  return UsageFailure(message.c_str());
}
