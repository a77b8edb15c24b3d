// vistrel-tool: the maintainers' command line for catalogue packages. Each command lives in
// its own file (commands.h); this file only names them for the shared dispatch.

#include <iostream>
#include <string>
#include <vector>

#include "commands.h"
#include "common/build_config.h"
#include "tools/command_line.h"

namespace {

using namespace vistrel::tool;

const vistrel::ToolCommand kCommands[] = {
    {"build", RunBuild}, {"encrypt", RunEncrypt}, {"decrypt", RunDecrypt},
    {"dump", RunDump},   {"list", RunList},       {"download", RunDownload},
};

std::string Usage() {
  return std::string(vistrel::build::kProductName) + " " + vistrel::build::kVersion +
         " maintainers' tool\n"
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
         "options of build, encrypt, decrypt, dump and list: --key-text T, --iv-text T\n";
}

}  // namespace

int main(int argc, char** argv) {
  const vistrel::ToolTexts texts{.name = "vistrel-tool",
                                 .usage = Usage(),
                                 .missing_command = "missing command",
                                 .unknown_command = "unknown command ",
                                 .failure_prefix = "",
                                 .help_command = false};
  return vistrel::RunToolCommand(texts, kCommands, std::vector<std::string>(argv + 1, argv + argc),
                                 std::cout, std::cerr);
}
