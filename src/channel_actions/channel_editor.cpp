#include "channel_actions/channel_editor.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

#include "catalogue/lookups.h"
#include "catalogue/stream_address.h"
#include "common/build_config.h"

namespace vistrel {

namespace {

template <typename Array>
constexpr int32_t ItemCount(const Array& items) {
  return static_cast<int32_t>(std::size(items));
}

std::string FoldAsciiLetters(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// Item `index` of a Country or Genre box with `count` table entries (item 0 is "-----").
bool IsChosen(int32_t index, std::size_t count) {
  return index > 0 && static_cast<std::size_t>(index) < count;
}

// The box position of a table entry's name: the first item after item 0 with exactly that
// text, else 0.
template <typename Table>
int32_t ItemOfName(const Table& table, const std::string& name) {
  for (std::size_t i = 1; i < table.size(); ++i) {
    if (table[i].name == name) return static_cast<int32_t>(i);
  }
  return 0;
}

template <typename Table>
int32_t ItemOfId(const Table& table, int32_t index_of_id) {
  if (index_of_id < 0) return 0;
  return ItemOfName(table, TrimText(table[static_cast<std::size_t>(index_of_id)].name));
}

std::optional<int32_t> BitrateValue(const std::string& trimmed) {
  if (trimmed.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : trimmed) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

bool HasForbiddenCharacter(std::string_view text) {
  return text.find_first_of("|\r\n") != std::string_view::npos;
}

// The record fields the editor sets, from fields that passed CheckEditorFields.
void StoreFields(const Catalogue& catalogue, const ChannelEditorFields& fields, Channel& channel) {
  channel.group_id = fields.category;
  channel.name = CutText(TrimText(fields.name));
  channel.url = TrimText(fields.url);
  channel.bitrate = *BitrateValue(TrimText(fields.bitrate));
  channel.type_id = 1;
  channel.homepage = TrimText(fields.homepage);
  const auto& country = catalogue.countries[static_cast<std::size_t>(fields.country)];
  channel.country_id =
      catalogue.countries[CountryIndexByName(catalogue.countries, country.name)].id;
  const auto& genre = catalogue.genres[static_cast<std::size_t>(fields.genre)];
  channel.genre_id = catalogue.genres[GenreIndexByName(catalogue.genres, genre.name)].id;
  channel.genre_name = GenreName(channel.genre_id, catalogue.genres);
  channel.comment = TrimText(fields.comment);
}

// The User-Agent and Referer of the fields as the headers of channel `id`; its other headers
// stay, and a channel left without any has no entry.
void StoreHeaders(Catalogue& catalogue, int32_t id, const ChannelEditorFields& fields) {
  StreamHeaders& headers = catalogue.stream_headers[id];
  headers.user_agent = TrimText(fields.user_agent);
  headers.referrer = TrimText(fields.referrer);
  if (headers.empty()) catalogue.stream_headers.erase(id);
}

bool IsUserChannelAt(const Catalogue& catalogue, int32_t position) {
  return position >= 0 && static_cast<std::size_t>(position) < catalogue.channels.size() &&
         catalogue.channels[static_cast<std::size_t>(position)].user_defined;
}

}  // namespace

bool BitrateFieldAccepts(char32_t typed) {
  return (typed >= U'0' && typed <= U'9') || typed == 8;
}

std::string TrimText(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

ChannelEditorFields EmptyEditorFields(int32_t category) {
  ChannelEditorFields fields;
  fields.category = category;
  return fields;
}

ChannelEditorFields EditorFieldsFromChannel(const Catalogue& catalogue, const Channel& channel,
                                            int32_t category) {
  ChannelEditorFields fields;
  fields.category = category;
  fields.type =
      channel.type_id >= 0 && channel.type_id < ItemCount(kEditorTypes) ? channel.type_id : 0;
  fields.country =
      ItemOfId(catalogue.countries, CountryIndexById(catalogue.countries, channel.country_id));
  fields.genre = ItemOfId(catalogue.genres, GenreIndexById(catalogue.genres, channel.genre_id));
  fields.name = channel.name;
  fields.url = channel.url;
  fields.bitrate = std::to_string(channel.bitrate);
  fields.homepage = channel.homepage;
  fields.comment = channel.comment;
  if (const auto headers = catalogue.stream_headers.find(channel.id);
      headers != catalogue.stream_headers.end()) {
    fields.user_agent = headers->second.user_agent;
    fields.referrer = headers->second.referrer;
  }
  return fields;
}

std::string FieldCharacterMessage(std::string_view label) {
  return std::string(label) + " must not contain \"|\" or line breaks.";
}

std::string NetworkStreamUrlMessage() {
  return "Please Enter the URL of a network stream (" + NetworkStreamSchemesText() + ").";
}

Outcome CheckEditorFields(const Catalogue& catalogue, const ChannelEditorFields& f) {
  if (f.category <= 0 || f.category >= ItemCount(kEditorCategories)) {
    return Outcome::Fail("Please Select a Category.");
  }
  if (TrimText(f.name).empty()) return Outcome::Fail("Please Enter Name.");
  if (TrimText(f.url).empty()) return Outcome::Fail("Please Enter URL.");
  if (!IsNetworkStreamAddress(TrimText(f.url))) return Outcome::Fail(NetworkStreamUrlMessage());
  if (f.type <= 0 || f.type >= ItemCount(kEditorTypes))
    return Outcome::Fail("Please Select a Type.");
  if (!IsChosen(f.country, catalogue.countries.size()))
    return Outcome::Fail("Please Select a Country.");
  if (!IsChosen(f.genre, catalogue.genres.size())) return Outcome::Fail("Please Select a Genre.");
  const std::string bitrate = TrimText(f.bitrate);
  if (bitrate.empty()) return Outcome::Fail("Please Enter Bitrate.");
  if (!BitrateValue(bitrate)) return Outcome::Fail(kBitrateMessage);
  const std::pair<const char*, const std::string*> texts[] = {{"Name", &f.name},
                                                              {"URL", &f.url},
                                                              {"Homepage", &f.homepage},
                                                              {"Comment", &f.comment},
                                                              {"User-Agent", &f.user_agent},
                                                              {"Referer", &f.referrer}};
  for (const auto& [label, text] : texts) {
    if (HasForbiddenCharacter(TrimText(*text))) return Outcome::Fail(FieldCharacterMessage(label));
  }
  return Outcome::Ok();
}

int32_t DuplicateChannelPosition(const Catalogue& catalogue, std::string_view url) {
  const std::string wanted = FoldAsciiLetters(TrimText(url));
  for (std::size_t i = 0; i < catalogue.channels.size(); ++i) {
    if (FoldAsciiLetters(TrimText(catalogue.channels[i].url)) == wanted)
      return static_cast<int32_t>(i);
  }
  return -1;
}

std::string DuplicateMessage(std::string_view name) {
  return "A duplicate value was detected. " + std::string(name);
}

std::optional<int32_t> NextUserChannelId(const Catalogue& catalogue) {
  constexpr int32_t kLargestId = std::numeric_limits<int32_t>::max();
  int32_t highest = catalogue.highest_user_id;
  for (const Channel& c : catalogue.channels) {
    if (c.user_defined) highest = std::max(highest, c.id);
  }
  if (highest < kLargestId) return highest + 1;
  // Nothing above the highest: the first gap in the ids above the package range.
  std::vector<int32_t> taken;
  for (const Channel& c : catalogue.channels) {
    if (c.id > kUserIdBase) taken.push_back(c.id);
  }
  std::sort(taken.begin(), taken.end());
  int32_t candidate = kUserIdBase + 1;
  for (const int32_t id : taken) {
    if (id > candidate) return candidate;
    if (id == candidate) {
      if (candidate == kLargestId) return std::nullopt;
      ++candidate;
    }
  }
  return candidate;
}

Outcome AddUserChannel(Catalogue& catalogue, SortState& sort, const ChannelEditorFields& fields) {
  if (Outcome check = CheckEditorFields(catalogue, fields); !check.ok()) return check;
  if (const int32_t same = DuplicateChannelPosition(catalogue, fields.url); same >= 0) {
    return Outcome::Fail(DuplicateMessage(catalogue.channels[static_cast<std::size_t>(same)].name));
  }
  const std::optional<int32_t> id = NextUserChannelId(catalogue);
  if (!id) return Outcome::Fail(kNoChannelIdMessage);
  Channel channel;
  channel.id = *id;
  channel.user_defined = true;
  StoreFields(catalogue, fields, channel);
  StoreHeaders(catalogue, channel.id, fields);
  catalogue.highest_user_id = std::max(catalogue.highest_user_id, channel.id);
  catalogue.channels.push_back(std::move(channel));
  // SortChannels flips the toggle after sorting: flipped once before, it ends as it was, and
  // the list keeps the order the user chose last.
  sort.toggle = !sort.toggle;
  SortChannels(catalogue, sort.column, sort);
  return Outcome::Ok();
}

Outcome ChangeUserChannel(Catalogue& catalogue, int32_t position,
                          const ChannelEditorFields& fields) {
  if (!IsUserChannelAt(catalogue, position)) {
    return Outcome::Fail("Only the channels you added can be changed.");
  }
  if (Outcome check = CheckEditorFields(catalogue, fields); !check.ok()) return check;
  Channel& channel = catalogue.channels[static_cast<std::size_t>(position)];
  StoreFields(catalogue, fields, channel);
  StoreHeaders(catalogue, channel.id, fields);
  return Outcome::Ok();
}

bool RemoveUserChannel(Catalogue& catalogue, int32_t position) {
  if (!IsUserChannelAt(catalogue, position)) return false;
  catalogue.stream_headers.erase(catalogue.channels[static_cast<std::size_t>(position)].id);
  catalogue.channels.erase(catalogue.channels.begin() + position);
  return true;
}

std::string PackageChannelUpdateMessage() {
  return std::string(
             "You can only delete or modify the user-defined channels, but you can send us "
             "updates, corrections by email ") +
         build::kSupportEmail +
         ".  Update will automatically update your channels over the next several days with "
         "the requisted updates.";
}

}  // namespace vistrel
