// build: the catalogue tables of a folder, zipped and enciphered into a package file.

#include <cstring>
#include <filesystem>
#include <optional>

#include "args.h"
#include "catalogue/package.h"
#include "commands.h"
#include "common/error.h"
#include "common/files.h"

namespace vistrel::tool {

int RunBuild(const Args& args) {
  const Arguments parsed = ParseArguments(args, {"--tables", "-o", "--output"}, 0);
  const std::filesystem::path tables = parsed.Required("--tables");
  if (parsed.options.count("-o") && parsed.options.count("--output")) {
    throw UsageError("give the output file once");
  }
  const std::string output = parsed.Option("-o", parsed.Option("--output"));
  if (output.empty()) throw UsageError("missing option -o");
  if (!std::filesystem::is_directory(tables)) {
    throw Error("Not a folder: " + tables.string());
  }
  std::vector<PackageEntry> entries;
  for (const char* name : kPackageEntries) {
    const std::filesystem::path file = tables / name;
    if (!std::filesystem::exists(file)) continue;
    int error_code = 0;
    std::optional<std::string> bytes = ReadWholeFile(file, &error_code);
    if (!bytes) throw Error("Cannot read " + file.string() + ": " + std::strerror(error_code));
    entries.emplace_back(name, std::move(*bytes));
  }
  const std::string package = BuildPackage(entries, parsed.KeyText(), parsed.IvText());
  if (Outcome written = WriteFileAtomically(output, package); !written.ok()) {
    throw Error(written.error);
  }
  return 0;
}

}  // namespace vistrel::tool
