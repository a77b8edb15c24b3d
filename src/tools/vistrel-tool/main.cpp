#include <cstdio>
#include <cstring>

#include "build_config.h"

namespace {
void PrintUsage(FILE* out) {
  std::fprintf(out,
               "%s %s maintainers' tool\n"
               "usage: vistrel-tool COMMAND [options]\n"
               "  build --tables DIR -o FILE   zip the catalogue tables of DIR into a package\n"
               "  encrypt IN OUT               encipher a file\n"
               "  decrypt IN OUT               decipher a file\n"
               "  dump FILE                    print the catalogue of a package as JSON\n"
               "options of every command: --key-text T, --iv-text T\n",
               vistrel::build::kProductName, vistrel::build::kVersion);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    PrintUsage(stdout);
    return 0;
  }
  PrintUsage(stderr);
  return 2;
}
