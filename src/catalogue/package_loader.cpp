#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include "catalogue/format/cipher.h"
#include "catalogue/format/codepage.h"
#include "catalogue/format/table_scan.h"
#include "catalogue/format/zip_reader.h"
#include "catalogue/package.h"
#include "catalogue/stream_headers.h"
#include "catalogue/table_reader.h"
#include "common/error.h"
#include "common/files.h"
#include "common/large_pages.h"
#include "common/two_threads.h"

namespace vistrel {

namespace {

// Checks the declared sizes of every entry the load reads before any is read, so that nothing
// is inflated for a package that is refused. Throws vistrel::Error naming the entry that
// inflates more than a table can, or the package when the entries together exceed the total.
void CheckInflatedSizes(const UnzipArchive& archive) {
  std::uint64_t total = 0;
  std::vector<const char*> names(std::begin(kPackageEntries), std::end(kPackageEntries));
  names.push_back(kHeadersEntry);
  for (const char* name : names) {
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

// Which of two threads takes each of `sizes`: the largest first, each to the thread with less
// work so far.
std::vector<int> ShareOut(const std::vector<std::size_t>& sizes) {
  std::vector<std::size_t> order(sizes.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
  std::vector<int> thread(sizes.size(), 0);
  std::size_t load[2] = {0, 0};
  for (std::size_t i : order) {
    const int t = load[1] < load[0] ? 1 : 0;
    thread[i] = t;
    load[t] += sizes[i];
  }
  return thread;
}

// A channel table of the package on its way into the catalogue.
struct ChannelTable {
  const ChannelEntry* entry = nullptr;
  PreparedZipEntry prepared;
  TextBlockHold bytes;  // the inflated table, which the records' texts then point into
  bool intact = false;
  std::unique_ptr<ChannelTableParser> parser;
};

// A line range of a table, parsed into its own range of the records.
struct TablePiece {
  const ChannelTable* table = nullptr;
  std::string_view text;
  std::size_t first_line = 0;  // of the table
  std::size_t room = 0;        // records set aside: exact unless some line ends with a CR alone
  std::size_t offset = 0;      // of its first record in the catalogue
  std::size_t lines = 0;
  std::size_t filled = 0;
  std::exception_ptr error;
};

// The channel entries, found and checked in package order: the first that cannot be read
// ends the list, and its error, kept in `stopped`, comes after those of the entries before it,
// as when each is read in turn.
std::vector<ChannelTable> LocateChannelTables(const UnzipArchive& archive,
                                              std::exception_ptr& stopped) {
  std::vector<ChannelTable> tables;
  for (const ChannelEntry& entry : kChannelEntries) {
    try {
      if (!LocateZipEntry(archive, entry.name)) continue;
      ChannelTable table;
      table.entry = &entry;
      table.prepared = PrepareZipEntry(archive);
      table.bytes = TextBlockHold::Allocate(static_cast<std::size_t>(table.prepared.info.size));
      tables.push_back(std::move(table));
    } catch (...) {
      stopped = std::current_exception();
      break;
    }
  }
  return tables;
}

// The tables cut into pieces of whole lines for the two threads: the largest in two halves.
std::vector<TablePiece> CutIntoPieces(const std::vector<ChannelTable>& tables) {
  std::vector<TablePiece> pieces;
  std::size_t largest = 0;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (tables[i].parser->text().size() > tables[largest].parser->text().size()) largest = i;
  }
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const std::string_view text = tables[i].parser->text();
    const std::size_t cut =
        i == largest ? text.find('\n', text.size() / 2) : std::string_view::npos;
    auto add = [&](std::string_view part) {
      TablePiece& piece = pieces.emplace_back();
      piece.table = &tables[i];
      piece.text = part;
    };
    if (cut == std::string_view::npos || cut + 1 == text.size()) {
      add(text);
    } else {
      add(text.substr(0, cut + 1));
      add(text.substr(cut + 1));
    }
  }
  return pieces;
}

// The records of every table, appended behind the catalogue's as AppendChannels would, table
// after table, but parsed on two threads into ranges set aside for each piece. Where a piece
// holds more lines than its range (lines that end with a CR alone, or lines too short to be
// channels), the tables are parsed again in turn, which gives exactly that outcome.
void ParseChannelTables(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                        std::vector<ChannelTable>& tables) {
  std::vector<Channel>& channels = catalogue.channels;
  const std::size_t start = channels.size();
  std::vector<TablePiece> pieces = CutIntoPieces(tables);
  std::vector<std::size_t> sizes;
  for (const TablePiece& piece : pieces) sizes.push_back(piece.text.size());
  const std::vector<int> thread = ShareOut(sizes);
  OnTwoThreads([&](int t) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      if (thread[i] == t) pieces[i].room = MostChannels(pieces[i].text);
    }
  });
  std::size_t total = start;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    TablePiece& piece = pieces[i];
    piece.offset = total;
    total += piece.room;
    if (i > 0 && piece.table == pieces[i - 1].table) {
      piece.first_line = pieces[i - 1].first_line + pieces[i - 1].room;
    }
  }
  channels.reserve(total);
  AdviseLargePages(channels.data() + start, (total - start) * sizeof(Channel));
  channels.resize(total);
  try {
    OnTwoThreads([&](int t) {
      for (std::size_t i = 0; i < pieces.size(); ++i) {
        TablePiece& piece = pieces[i];
        if (thread[i] != t) continue;
        try {
          piece.lines = piece.table->parser->Parse(
              piece.text, piece.first_line, std::span(channels).subspan(piece.offset, piece.room),
              piece.filled);
        } catch (const Error&) {
          piece.error = std::current_exception();
        }
      }
    });
  } catch (...) {
    channels.resize(start);  // out of memory: no record half made
    throw;
  }
  for (const TablePiece& piece : pieces) {
    if (piece.lines > piece.room) {
      channels.resize(start);
      for (ChannelTable& table : tables) {
        AppendChannels(table.entry->name, std::move(table.bytes), table.entry->group_id,
                       favorites_list, catalogue.genres, channels);
      }
      return;
    }
    if (piece.error) {
      channels.resize(piece.offset + piece.filled);
      std::rethrow_exception(piece.error);
    }
  }
}

void LoadEntries(Catalogue& catalogue, const std::vector<int32_t>& favorites_list,
                 const UnzipArchive& archive, std::string& package) {
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
  // Any other entry is no concern of this program and is never looked at. The headers, an
  // extra, are skipped where unreadable; the user's own channels keep theirs.
  if (LocateZipEntry(archive, kHeadersEntry)) {
    try {
      ReadStreamHeadersTable(DecodeTextFile(ReadZipEntry(archive)), catalogue.stream_headers);
    } catch (const Error&) {
    }
  }
  // The channel entries are all read before any is parsed, as the parse of each piece needs
  // its place in the records; the two threads inflate them, then decode and parse them.
  std::exception_ptr stopped;
  std::vector<ChannelTable> tables = LocateChannelTables(archive, stopped);
  std::vector<std::size_t> sizes;
  for (const ChannelTable& table : tables) sizes.push_back(table.bytes.size());
  const std::vector<int> thread = ShareOut(sizes);
  OnTwoThreads([&](int t) {
    for (std::size_t i = 0; i < tables.size(); ++i) {
      if (thread[i] == t) {
        tables[i].intact = InflatePreparedEntry(tables[i].prepared, tables[i].bytes.data());
      }
    }
  });
  // An entry the one-call inflate refused is read again in turn, which names its problem.
  for (ChannelTable& table : tables) {
    if (table.intact) continue;
    if (!LocateZipEntry(archive, table.entry->name)) throw Error("The archive changed");
    ReadZipEntryStreamed(archive, table.bytes.data());
  }
  if (stopped) std::rethrow_exception(stopped);
  if (tables.empty()) return;
  std::string().swap(package);  // inflated: the package's bytes are no longer needed
  ReturnFreedMemory();          // before the records are made, which take as much again
  OnTwoThreads([&](int t) {
    for (std::size_t i = 0; i < tables.size(); ++i) {
      if (thread[i] != t) continue;
      tables[i].parser = std::make_unique<ChannelTableParser>(
          tables[i].entry->name, tables[i].bytes, tables[i].entry->group_id, favorites_list,
          catalogue.genres);
    }
  });
  ParseChannelTables(catalogue, favorites_list, tables);
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
    // Not a readable archive (wrong key, damaged or truncated file, or no package at all): an
    // error, never an empty catalogue that passes for a package without channels. An archive
    // without entries is a valid, empty package.
    const UnzipArchive archive = OpenZipInMemory(ciphertext);
    if (!archive) {
      if (IsEmptyZipArchive(ciphertext)) return;
      throw Error(kNotAPackageMessage);
    }
    LoadEntries(catalogue, favorites_list, archive, ciphertext);
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
