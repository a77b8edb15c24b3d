#include "package_files.h"

#include <stdlib.h>

#include <map>
#include <string>
#include <system_error>

#include "catalogue/package.h"
#include "common/error.h"
#include "common/files.h"
#include "synthetic_catalogue.h"

namespace vistrel::bench {

namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vistrel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw Error("Cannot create a temporary folder");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

const PackageFile& SyntheticPackageFile(std::size_t channel_count) {
  static TempFolder folder;
  static std::map<std::size_t, PackageFile> files;
  auto found = files.find(channel_count);
  if (found != files.end()) return found->second;

  PackageFile file;
  file.path = folder.path() / std::to_string(channel_count) / kPackageFileName;
  std::string bytes;
  {
    const std::vector<PackageEntry> entries = SyntheticPackageEntries(channel_count);
    for (const PackageEntry& entry : entries) file.table_bytes += entry.second.size();
    bytes = BuildPackage(entries);
  }
  file.file_bytes = bytes.size();
  const Outcome written = WriteFileAtomically(file.path, bytes);
  if (!written.ok()) throw Error(written.error);
  return files.emplace(channel_count, std::move(file)).first->second;
}

}  // namespace vistrel::bench
