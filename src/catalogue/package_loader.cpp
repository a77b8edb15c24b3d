#include <cerrno>
#include <cstring>
#include <optional>

#include "catalogue/format/cipher.h"
#include "catalogue/format/table_scan.h"
#include "catalogue/format/zip_reader.h"
#include "catalogue/package.h"
#include "catalogue/table_reader.h"
#include "common/error.h"
#include "common/files.h"

namespace vistrel {

namespace {

void LoadEntries(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                 unzFile archive) {
  if (LocateZipEntry(archive, kVersionEntry)) {
    PackageVersion version = ParsePackageVersion(ReadZipEntry(archive));
    catalogue.version_text = std::move(version.text);
    catalogue.version_date = version.date;
  }
  if (LocateZipEntry(archive, kCountriesEntry)) {
    ReadCountries(kCountriesEntry, ReadZipEntry(archive), catalogue.countries);
  }
  if (LocateZipEntry(archive, kGenresEntry)) {
    ReadGenres(kGenresEntry, ReadZipEntry(archive), catalogue.genres);
  }
  // The channel entries are read before any is parsed, so the array grows once to its final
  // size instead of moving every record again for each entry.
  std::vector<std::pair<const ChannelEntry*, ZipEntryBytes>> texts;
  std::size_t total = catalogue.channels.size();
  for (const ChannelEntry& entry : kChannelEntries) {
    if (LocateZipEntry(archive, entry.name)) {
      texts.emplace_back(&entry, ReadZipEntryBytes(archive));
      total += CountLinesAtLeast(texts.back().second.view());
    }
  }
  catalogue.channels.reserve(total);
  for (auto& [entry, text] : texts) {
    AppendChannels(entry->name, text.view(), entry->group_id, favorites_list, catalogue.genres,
                   catalogue.channels);
    text = ZipEntryBytes();  // done with it
  }
}

}  // namespace

void LoadChannelPackageBytes(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                             std::string ciphertext, std::string_view key_text,
                             std::string_view iv_text) {
  {
    const CipherKey key(key_text, iv_text);  // wiped when this scope ends
    DecryptInPlace(ciphertext, key);
  }
  // Not a readable archive (wrong key, damaged or truncated file): nothing is found and the
  // catalogue stays as it is, which start-up then treats as outdated.
  const UnzipArchive archive = OpenZipInMemory(ciphertext);
  if (!archive) return;
  LoadEntries(catalogue, favorites_list, archive.get());
}

void LoadChannelPackage(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                        const std::filesystem::path& package_file, std::string_view key_text,
                        std::string_view iv_text) {
  int error_code = 0;
  std::optional<std::string> bytes = ReadWholeFile(package_file, &error_code);
  if (!bytes) {
    throw Error("Cannot open the channel package \"" + package_file.string() +
                "\": " + std::strerror(error_code));
  }
  LoadChannelPackageBytes(catalogue, favorites_list, std::move(*bytes), key_text, iv_text);
}

}  // namespace vistrel
