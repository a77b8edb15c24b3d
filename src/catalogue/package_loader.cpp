#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
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

// Checks the declared sizes of every entry the load reads before any is read, so that nothing
// is inflated for a package that is refused. Throws vistrel::Error naming the entry that
// inflates more than a table can, or the package when the entries together exceed the total.
void CheckInflatedSizes(const UnzipArchive& archive) {
  std::uint64_t total = 0;
  for (const char* name : kPackageEntries) {
    if (!LocateZipEntry(archive, name)) continue;
    const ZipEntryInfo entry = CurrentZipEntry(archive);
    if (entry.size > kPackageEntryFreeSize &&
        entry.size / kMaxPackageEntryRatio > entry.compressed_size) {
      throw Error("The archive entry \"" + entry.name + "\" inflates " +
                  std::to_string(entry.compressed_size) + " bytes to " +
                  std::to_string(entry.size) + ", more than a channel table can");
    }
    total += entry.size;  // each at most kMaxZipEntrySize: no overflow
  }
  if (total > kMaxPackageInflatedSize) {
    throw Error("The channel package inflates to " + std::to_string(total) +
                " bytes, more than the " + std::to_string(kMaxPackageInflatedSize) + " allowed");
  }
}

// Room for the channels of a table: one per line, and no more than the bytes can hold, so
// that a text of line breaks alone reserves nothing much. Each channel's line has its fifteen
// separators and twelve numbers of at least one digit, and all but the last a line break.
std::size_t MostChannels(std::string_view text) {
  constexpr std::size_t kShortestLine = kChannelFields - 1 + 12 + 1;
  return std::min(CountLinesAtLeast(text), (text.size() + 1) / kShortestLine);
}

void LoadEntries(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                 const UnzipArchive& archive) {
  CheckInflatedSizes(archive);
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
      total += MostChannels(texts.back().second.view());
    }
  }
  catalogue.channels.reserve(total);
  for (auto& [entry, text] : texts) {
    AppendChannels(entry->name, text.view(), entry->group_id, favorites_list, catalogue.genres,
                   catalogue.channels);
    text = ZipEntryBytes();  // done with it
  }
}

Error OutOfMemory() {
  return Error("There is not enough memory to load the channel package");
}

}  // namespace

void LoadChannelPackageBytes(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                             std::string ciphertext, std::string_view key_text,
                             std::string_view iv_text) {
  try {
    {
      const CipherKey key(key_text, iv_text);  // wiped when this scope ends
      DecryptInPlace(ciphertext, key);
    }
    // Not a readable archive (wrong key, damaged or truncated file): nothing is found and the
    // catalogue stays as it is, which start-up then treats as outdated.
    const UnzipArchive archive = OpenZipInMemory(ciphertext);
    if (!archive) return;
    LoadEntries(catalogue, favorites_list, archive);
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
}

void LoadChannelPackage(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                        const std::filesystem::path& package_file, std::string_view key_text,
                        std::string_view iv_text) {
  int error_code = 0;
  std::optional<std::string> bytes;
  try {
    bytes = ReadWholeFile(package_file, &error_code);
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
  if (!bytes) {
    throw Error("Cannot open the channel package \"" + package_file.string() +
                "\": " + std::strerror(error_code));
  }
  LoadChannelPackageBytes(catalogue, favorites_list, std::move(*bytes), key_text, iv_text);
}

}  // namespace vistrel
