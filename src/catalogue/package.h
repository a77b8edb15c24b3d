#pragma once
// The channel package "channelz.dat": an enciphered zip archive of six "|"-separated tables.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/records.h"
#include "common/build_config.h"

namespace vistrel {

inline constexpr const char* kPackageFileName = "channelz.dat";

// Names of the six tables: entries of the package and files of a table folder. The only place
// they are spelled.
inline constexpr const char* kVersionEntry = "version.dat";
inline constexpr const char* kCountriesEntry = "countries.dat";
inline constexpr const char* kGenresEntry = "genres.dat";

// The channel tables and the category (Channel::group_id) each holds, in package order.
struct ChannelEntry {
  const char* name;
  int32_t group_id;
};
inline constexpr ChannelEntry kChannelEntries[] = {
    {"tv.dat", 1}, {"radio.dat", 2}, {"video.dat", 3}};

// Entry names of the package, in the order they are processed.
inline constexpr const char* kPackageEntries[] = {
    kVersionEntry,           kCountriesEntry,         kGenresEntry,
    kChannelEntries[0].name, kChannelEntries[1].name, kChannelEntries[2].name};

// Limits of what a package may inflate to, checked against each entry's declared sizes before
// anything is allocated for it: the total over all entries, and for entries above a small size
// how many times their compressed bytes they may grow (catalogue text deflates to about a
// fifth; a package of 64 KiB thus stays within a few tens of MiB however it is made).
inline constexpr std::uint64_t kMaxPackageInflatedSize = std::uint64_t{1} << 30;
inline constexpr std::uint64_t kMaxPackageEntryRatio = 50;
inline constexpr std::uint64_t kPackageEntryFreeSize = 64 * 1024;

inline constexpr const char* kNotAPackageMessage =
    "The channel package is not a readable archive: it is damaged, cut short or made with "
    "another key";

// Loads the package file into `catalogue`: version, countries and genres replace what is there;
// TV, radio and video channels are appended behind the channels already present (the user's).
// The headers entry (kHeadersEntry), when there is one, adds the channels' headers to
// catalogue.stream_headers (ids already there, the user's channels', keep theirs); an
// unreadable one adds none. Entries of other names are never read. Precondition: ClearCatalogue
// has run. Throws vistrel::Error when the file cannot be read, an
// entry cannot be read or exceeds the limits above, a line is malformed (records filled before
// the bad line stay, no half-filled record remains), or memory runs out. Data that is not a
// readable archive (once deciphered) loads nothing and throws kNotAPackageMessage; an archive
// without entries loads as an empty package. Decrypted bytes stay in memory.
void LoadChannelPackage(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                        const std::filesystem::path& package_file,
                        std::string_view key_text = build::kKeyText,
                        std::string_view iv_text = build::kIvText);

// The same from the file's bytes (ciphertext) already in memory; the buffer is decrypted in
// place.
void LoadChannelPackageBytes(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                             std::string ciphertext, std::string_view key_text = build::kKeyText,
                             std::string_view iv_text = build::kIvText);

// One named archive entry and its bytes.
using PackageEntry = std::pair<std::string, std::string>;

// A zip archive (deflated entries, in the given order) of the entries, in memory.
std::string BuildZipArchive(const std::vector<PackageEntry>& entries);

// BuildZipArchive enciphered: the bytes of a package file.
std::string BuildPackage(const std::vector<PackageEntry>& entries,
                         std::string_view key_text = build::kKeyText,
                         std::string_view iv_text = build::kIvText);

}  // namespace vistrel
