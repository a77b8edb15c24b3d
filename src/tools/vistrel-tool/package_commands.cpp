// build: the catalogue tables of a folder, zipped and enciphered into a package file.

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
    Result<std::string> bytes = ReadFile(file);
    if (!bytes.ok()) throw Error(bytes.error);
    entries.emplace_back(name, std::move(*bytes.value));
  }
  const std::string package = BuildPackage(entries, keys.key_text, keys.iv_text);
  if (Outcome written = WriteFileAtomically(output, package); !written.ok()) {
    throw Error(written.error);
  }
  return 0;
}

}  // namespace vistrel::tool
