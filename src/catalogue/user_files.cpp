#include "catalogue/user_files.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "catalogue/format/codepage.h"
#include "catalogue/format/fields.h"
#include "catalogue/format/table_scan.h"
#include "catalogue/lookups.h"
#include "catalogue/stream_headers.h"
#include "common/files.h"

namespace vistrel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFavoritesFailure = "Please, restart application";
constexpr const char* kUserChannelsFailure = "Error reading userdef.dat ";
constexpr std::size_t kRequiredUserFields = 10;
constexpr const char* kUserFieldNames[kRequiredUserFields] = {
    "id",      "group_id", "sent",     "name",       "url",
    "bitrate", "type_id",  "homepage", "country_id", "genre_id"};

// True only when the file is known not to be there; any other answer (even an error) means
// the loader must try to read it and report what goes wrong.
bool IsMissing(const fs::path& path) {
  std::error_code ec;
  return fs::status(path, ec).type() == fs::file_type::not_found;
}

void AppendLine(std::string& out, std::string_view line) {
  out.append(line);
  out.append("\r\n");
}

// The headers of userdef_headers.dat for the user channels in memory; anything else in it, and
// a file that cannot be read, adds none.
void LoadUserHeaders(const fs::path& data_folder, Catalogue& catalogue) {
  const std::optional<std::string> bytes = ReadWholeFile(data_folder / kUserHeadersFileName);
  if (!bytes) return;
  std::unordered_map<int32_t, StreamHeaders> read;
  ReadStreamHeadersTable(DecodeTextFile(*bytes), read);
  for (const Channel& c : catalogue.channels) {
    const auto headers = read.find(c.id);
    if (c.user_defined && headers != read.end()) {
      catalogue.stream_headers[c.id] = headers->second;
    }
  }
}

}  // namespace

std::string StoredField(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '|' || c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return out;
}

std::string FavoritesFileText(const std::vector<int32_t>& ids) {
  std::string out;
  for (int32_t id : ids) AppendLine(out, std::to_string(id));
  return out;
}

std::vector<int32_t> CurrentFavorites(const std::vector<int32_t>& favorites_list,
                                      const std::vector<Channel>& channels) {
  std::vector<int32_t> out;
  // The stored list is short and the channels may be hundreds of thousands: the channels are
  // looked up in the list, not the list in a set of every channel.
  std::unordered_set<int32_t> not_in_memory(favorites_list.begin(), favorites_list.end());
  for (const Channel& c : channels) {
    if (!not_in_memory.empty()) not_in_memory.erase(c.id);
    if (c.favorited) out.push_back(c.id);
  }
  for (int32_t id : favorites_list) {
    if (id <= kUserIdBase && not_in_memory.contains(id)) out.push_back(id);
  }
  return out;
}

std::string UserChannelsFileText(const std::vector<Channel>& channels) {
  std::string out;
  for (const Channel& c : channels) {
    if (!c.user_defined) continue;
    std::string line;
    for (const std::string& part :
         {std::to_string(c.id), std::to_string(c.group_id), std::string(c.sent ? "1" : "0"),
          StoredField(c.name), StoredField(c.url), std::to_string(c.bitrate),
          std::to_string(c.type_id), StoredField(c.homepage), std::to_string(c.country_id),
          std::to_string(c.genre_id)}) {
      line += part;
      line += '|';
    }
    line += StoredField(c.comment);
    AppendLine(out, line);
  }
  return out;
}

std::string UserHeadersFileText(const Catalogue& catalogue) {
  std::string out;
  for (const Channel& c : catalogue.channels) {
    if (c.user_defined != 1) continue;
    const auto headers = catalogue.stream_headers.find(c.id);
    if (headers == catalogue.stream_headers.end() || headers->second.empty()) continue;
    AppendLine(out, FormatStreamHeadersLine(c.id, headers->second));
  }
  return out;
}

Channel ParseUserChannelLine(std::string_view line, const std::vector<int32_t>& favorites_list,
                             const std::vector<Genre>& genres) {
  const std::vector<std::string_view> f = SplitFields("|", line);
  if (f.size() < kRequiredUserFields) {
    throw Error(std::to_string(f.size()) + " fields, at least " +
                std::to_string(kRequiredUserFields) + " expected");
  }
  // Blanks around a number, as a hand edit may leave them, do not make it unreadable.
  auto number = [&](std::size_t i) {
    try {
      return ParseInt32(TrimBlanks(f[i]));
    } catch (const Error& e) {
      throw Error(std::string(kUserFieldNames[i]) + ": " + e.what());
    }
  };
  Channel item;
  item.id = number(0);
  item.group_id = number(1);
  item.sent = number(2) != 0;  // any number but 0 was taken as submitted
  item.name = CutText(f[3]);
  item.url = std::string(f[4]);
  item.bitrate = number(5);
  item.type_id = number(6);
  item.homepage = std::string(f[7]);
  item.country_id = number(8);
  item.genre_id = number(9);
  if (f.size() > kRequiredUserFields) item.comment = std::string(f[10]);
  item.favorited = IsFavorite(favorites_list, item.id);
  item.genre_name = CutText(GenreName(item.genre_id, genres));
  item.user_defined = true;
  return item;
}

void ParseFavoritesText(std::string_view text, std::vector<int32_t>& ids) {
  std::size_t index = 0;
  ForEachLine(text, [&](std::string_view line) {
    try {
      ids.push_back(ParseInt32(TrimBlanks(line)));
    } catch (const Error& e) {
      throw Error("line " + std::to_string(index + 1) + ": " + e.what());
    }
    ++index;
  });
}

void ParseUserChannelsText(std::string_view text, Catalogue& catalogue,
                           const std::vector<int32_t>& favorites_list) {
  catalogue.channels.clear();
  // One channel per line, and no more than the bytes can hold: nine separators and seven
  // numbers of at least one digit, and a line break after all but the last line.
  constexpr std::size_t kShortestLine = kRequiredUserFields - 1 + 7 + 1;
  catalogue.channels.reserve(std::min(CountLinesAtLeast(text), (text.size() + 1) / kShortestLine));
  std::size_t index = 0;
  ForEachLine(text, [&](std::string_view line) {
    try {
      Channel item = ParseUserChannelLine(line, favorites_list, catalogue.genres);
      if (item.id > catalogue.highest_user_id) catalogue.highest_user_id = item.id;
      catalogue.channels.push_back(std::move(item));
    } catch (const Error& e) {
      throw Error("line " + std::to_string(index + 1) + ": " + e.what());
    }
    ++index;
  });
}

Outcome LoadFavorites(const fs::path& data_folder, std::vector<int32_t>& favorites_list) {
  favorites_list.clear();
  const fs::path path = data_folder / kFavoritesFileName;
  if (IsMissing(path)) return {};
  auto fail = [&]() {
    // unlink, unlike fs::remove, never takes a folder that happens to carry the name.
    ::unlink(path.c_str());
    return Outcome::Fail(kFavoritesFailure);
  };
  try {
    std::optional<std::string> bytes = ReadWholeFile(path);
    if (!bytes) return fail();
    ParseFavoritesText(DecodeTextFile(*bytes), favorites_list);
  } catch (const Error&) {
    return fail();
  } catch (const std::bad_alloc&) {
    // Not the file's fault: it stays for the next start.
    return Outcome::Fail(kFavoritesFailure);
  }
  return {};
}

Outcome LoadUserChannels(const fs::path& data_folder, Catalogue& catalogue,
                         const std::vector<int32_t>& favorites_list) {
  const fs::path path = data_folder / kUserChannelsFileName;
  if (IsMissing(path)) return Outcome::Ok();
  try {
    int error_code = 0;
    std::optional<std::string> bytes = ReadWholeFile(path, &error_code);
    if (!bytes) return Outcome::Fail(kUserChannelsFailure + std::to_string(error_code));
    ParseUserChannelsText(DecodeTextFile(*bytes), catalogue, favorites_list);
    LoadUserHeaders(data_folder, catalogue);
  } catch (const Error& e) {
    // A malformed line is no system error: the code is 0 and the second line says what.
    return Outcome::Fail(std::string(kUserChannelsFailure) + "0\n" + e.what());
  } catch (const std::bad_alloc&) {
    return Outcome::Fail(kUserChannelsFailure + std::to_string(ENOMEM));
  }
  return Outcome::Ok();
}

Outcome SaveUserFiles(const fs::path& data_folder, const Catalogue& catalogue,
                      const std::vector<int32_t>& favorites_list, UserFilesRead read) {
  if (read.favorites) {
    Outcome r = WriteFileAtomically(
        data_folder / kFavoritesFileName,
        EncodeTextFile(FavoritesFileText(CurrentFavorites(favorites_list, catalogue.channels))));
    if (!r.ok()) return r;
  }
  if (read.user_channels) {
    Outcome r = WriteFileAtomically(data_folder / kUserChannelsFileName,
                                    EncodeTextFile(UserChannelsFileText(catalogue.channels)));
    if (!r.ok()) return r;
    // Only where headers are or were: a folder without them gets no empty file.
    const std::string headers = UserHeadersFileText(catalogue);
    if (!headers.empty() || !IsMissing(data_folder / kUserHeadersFileName)) {
      return WriteFileAtomically(data_folder / kUserHeadersFileName, EncodeTextFile(headers));
    }
  }
  return Outcome::Ok();
}

}  // namespace vistrel
