#include "catalogue/user_files.h"

#include <unistd.h>

#include <system_error>
#include <unordered_set>

#include "catalogue/format/codepage.h"
#include "catalogue/format/fields.h"
#include "catalogue/lookups.h"
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
  std::unordered_set<int32_t> in_memory;
  for (const Channel& c : channels) {
    in_memory.insert(c.id);
    if (c.favorited == 1) out.push_back(c.id);
  }
  for (int32_t id : favorites_list) {
    if (id <= kUserIdBase && !in_memory.contains(id)) out.push_back(id);
  }
  return out;
}

std::string UserChannelsFileText(const std::vector<Channel>& channels) {
  std::string out;
  for (const Channel& c : channels) {
    if (c.user_defined != 1) continue;
    std::string line;
    for (const std::string& part :
         {std::to_string(c.id), std::to_string(c.group_id), std::to_string(c.sent),
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

Channel ParseUserChannelLine(std::string_view line, const std::vector<int32_t>& favorites_list,
                             const std::vector<Genre>& genres) {
  const std::vector<std::string_view> f = SplitFields("|", line);
  if (f.size() < kRequiredUserFields) {
    throw Error(std::to_string(f.size()) + " fields, at least " +
                std::to_string(kRequiredUserFields) + " expected");
  }
  auto number = [&](std::size_t i) {
    try {
      return ParseInt32(f[i]);
    } catch (const Error& e) {
      throw Error(std::string(kUserFieldNames[i]) + ": " + e.what());
    }
  };
  Channel item;
  item.id = number(0);
  item.group_id = number(1);
  item.sent = number(2);
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
  item.user_defined = 1;
  return item;
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
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return fail();
  const std::string text = DecodeTextFile(*bytes);
  for (std::string_view line : SplitLines(text)) {
    try {
      favorites_list.push_back(ParseInt32(line));
    } catch (const Error&) {
      return fail();
    }
  }
  return {};
}

Outcome LoadUserChannels(const fs::path& data_folder, Catalogue& catalogue,
                         const std::vector<int32_t>& favorites_list) {
  const fs::path path = data_folder / kUserChannelsFileName;
  if (IsMissing(path)) return Outcome::Ok();
  int error_code = 0;
  std::optional<std::string> bytes = ReadWholeFile(path, &error_code);
  if (!bytes) return Outcome::Fail(kUserChannelsFailure + std::to_string(error_code));
  const std::string text = DecodeTextFile(*bytes);
  const std::vector<std::string_view> lines = SplitLines(text);
  catalogue.channels.clear();
  catalogue.channels.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    try {
      Channel item = ParseUserChannelLine(lines[i], favorites_list, catalogue.genres);
      if (item.id > catalogue.highest_user_id) catalogue.highest_user_id = item.id;
      catalogue.channels.push_back(std::move(item));
    } catch (const Error& e) {
      // A malformed line is no system error: the code is 0 and the second line says what.
      return Outcome::Fail(std::string(kUserChannelsFailure) + "0\nline " + std::to_string(i + 1) +
                           ": " + e.what());
    }
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
    return WriteFileAtomically(data_folder / kUserChannelsFileName,
                               EncodeTextFile(UserChannelsFileText(catalogue.channels)));
  }
  return Outcome::Ok();
}

}  // namespace vistrel
