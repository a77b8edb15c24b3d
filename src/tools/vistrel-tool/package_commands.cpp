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
  CLI::App app("zip the catalogue tables of a folder into a package", "build");
  std::filesystem::path tables;
  std::string output;
  KeyOptions keys;
  app.add_option("--tables", tables, "folder of the table files")->required();
  app.add_option("-o,--output", output, "package file to write")->required();
  AddKeyOptions(app, keys);
  ParseCommand(app, args);
  if (output.empty()) throw UsageError("option -o needs a file name");
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
  const std::string package = BuildPackage(entries, keys.key_text, keys.iv_text);
  if (Outcome written = WriteFileAtomically(output, package); !written.ok()) {
    throw Error(written.error);
  }
  return 0;
}

}  // namespace vistrel::tool
