#include "playlist/user_playlists.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <system_error>
#include <unordered_map>

#include "catalogue/format/codepage.h"
#include "catalogue/format/fields.h"
#include "catalogue/format/table_scan.h"
#include "common/files.h"
#include "playlist/m3u_file.h"

namespace vistrel {

namespace fs = std::filesystem;

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Lower(text[i]) != prefix[i]) return false;
  }
  return true;
}

std::string ListField(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\t' || c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return out;
}

bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

// A set of channel ids with open addressing: hundreds of thousands of them are checked while a
// playlist is read, without an allocation each. 0 marks a free slot (no channel has id 0 here).
class IdSet {
 public:
  bool Contains(int32_t id) const {
    if (slots_.empty()) return false;
    for (std::size_t i = Slot(id);; i = (i + 1) & mask_) {
      if (slots_[i] == id) return true;
      if (slots_[i] == 0) return false;
    }
  }
  // Room for `count` ids in all without growing step by step (each step moves every id).
  void Reserve(std::size_t count) {
    std::size_t size = 64;
    while (size < count * 2) size *= 2;
    if (size > slots_.size()) Rehash(size);
  }
  // Starts fetching the slot where `id` is looked for: the table is larger than the caches,
  // and the lookup can wait while the record is filled.
  void Prefetch(int32_t id) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[Slot(id)]);
  }
  void Insert(int32_t id) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    for (std::size_t i = Slot(id);; i = (i + 1) & mask_) {
      if (slots_[i] == id) return;
      if (slots_[i] == 0) {
        slots_[i] = id;
        ++count_;
        return;
      }
    }
  }

 private:
  std::size_t Slot(int32_t id) const { return (static_cast<uint32_t>(id) * 2654435761u) & mask_; }
  void Grow() { Rehash(std::max<std::size_t>(64, slots_.size() * 2)); }
  void Rehash(std::size_t size) {
    std::vector<int32_t> old = std::move(slots_);
    slots_.assign(size, 0);
    mask_ = slots_.size() - 1;
    count_ = 0;
    for (int32_t id : old) {
      if (id != 0) Insert(id);
    }
  }
  std::vector<int32_t> slots_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

// Looks names up without making a string of each: most entries of a playlist name a genre and
// a country that came before.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    return std::hash<std::string_view>{}(text);
  }
};
using NameIds = std::unordered_map<std::string, int32_t, NameHash, std::equal_to<>>;

// The block the texts of many channels are packed into, one allocation for thousands of texts.
constexpr std::size_t kTextBlockBytes = 1 << 20;

}  // namespace

bool IsPlaylistAddress(std::string_view source) {
  return StartsWithNoCase(source, "http://") || StartsWithNoCase(source, "https://");
}

std::string PlaylistNameOf(std::string_view source) {
  std::string_view rest = source;
  std::string_view host;
  if (IsPlaylistAddress(rest)) {
    rest.remove_prefix(rest.find("//") + 2);
    rest = rest.substr(0, rest.find_first_of("?#"));
    const std::size_t slash = rest.find('/');
    host = rest.substr(0, slash);
    // user:password@host:port
    if (const std::size_t at = host.rfind('@'); at != std::string_view::npos) {
      host.remove_prefix(at + 1);
    }
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  while (rest.ends_with('/')) rest.remove_suffix(1);
  std::string_view last = rest.substr(rest.rfind('/') + 1);
  if (last.empty()) last = host;
  std::string name = ListField(last);
  if (name.empty()) return "Playlist";
  return name;
}

std::string UniquePlaylistName(const std::vector<UserPlaylist>& playlists, std::string_view name) {
  auto taken = [&](const std::string& candidate) {
    return std::any_of(playlists.begin(), playlists.end(),
                       [&](const UserPlaylist& p) { return p.name == candidate; });
  };
  std::string candidate(name);
  for (int n = 2; taken(candidate); ++n) {
    candidate = std::string(name) + " (" + std::to_string(n) + ")";
  }
  return candidate;
}

std::string NewCopyFileName(const std::vector<UserPlaylist>& playlists) {
  for (int n = 1;; ++n) {
    std::string candidate = std::to_string(n) + ".m3u";
    if (std::none_of(playlists.begin(), playlists.end(),
                     [&](const UserPlaylist& p) { return p.copy_file == candidate; })) {
      return candidate;
    }
  }
}

std::string PlaylistListText(const std::vector<UserPlaylist>& playlists) {
  std::string out;
  for (const UserPlaylist& p : playlists) {
    out += ListField(p.copy_file) + '\t' + ListField(p.name) + '\t' + ListField(p.source) + "\r\n";
  }
  return out;
}

std::vector<UserPlaylist> ParsePlaylistListText(std::string_view text) {
  std::vector<UserPlaylist> playlists;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  ForEachLine(text, [&](std::string_view line) {
    const std::vector<std::string_view> f = SplitFields("\t", line);
    if (f.size() < 3 || !IsPlainFileName(f[0]) || f[1].empty() || f[2].empty()) return;
    playlists.push_back(UserPlaylist{std::string(f[1]), std::string(f[2]), std::string(f[0])});
  });
  return playlists;
}

Result<std::vector<UserPlaylist>> LoadPlaylistList(const fs::path& data_folder) {
  const fs::path path = data_folder / kPlaylistsFileName;
  std::error_code ec;
  if (fs::status(path, ec).type() == fs::file_type::not_found) {
    return Result<std::vector<UserPlaylist>>::Ok({});
  }
  Result<std::string> bytes = ReadFile(path);
  if (!bytes.ok()) return Result<std::vector<UserPlaylist>>::Fail(bytes.error);
  return Result<std::vector<UserPlaylist>>::Ok(ParsePlaylistListText(*bytes.value));
}

Outcome SavePlaylistList(const fs::path& data_folder, const std::vector<UserPlaylist>& playlists) {
  return WriteFileAtomically(data_folder / kPlaylistsFileName, PlaylistListText(playlists));
}

fs::path PlaylistCopyPath(const fs::path& data_folder, const UserPlaylist& playlist) {
  return data_folder / kPlaylistCopiesFolder / playlist.copy_file;
}

int32_t PlaylistChannelIdOf(std::string_view url, std::string_view title) {
  // Eight bytes a step (a large playlist has hundreds of thousands of addresses to hash), mixed
  // as in a multiply-xorshift hash; fixed here, so that ids never change with a library.
  uint64_t hash = 0x9E3779B97F4A7C15ULL;
  auto mix = [&](std::string_view text) {
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
      uint64_t word = 0;
      std::memcpy(&word, text.data() + i, 8);
      hash = (hash ^ word) * 0xFF51AFD7ED558CCDULL;
      hash ^= hash >> 32;
    }
    uint64_t tail = text.size() - i;
    for (; i < text.size(); ++i) tail = (tail << 8) | static_cast<unsigned char>(text[i]);
    hash = (hash ^ tail) * 0xC4CEB9FE1A85EC53ULL;
    hash ^= hash >> 29;
  };
  mix(url);
  mix(title);
  return -static_cast<int32_t>(1 + hash % 2147483647ULL);
}

std::string_view PlaylistChannelName(const M3uEntry& entry, std::string& fallback) {
  std::string_view name = entry.title;
  if (name.empty()) {
    const auto it = entry.attributes.find("tvg-name");
    if (it != entry.attributes.end()) name = it->second;
  }
  if (name.empty()) {
    fallback = PlaylistNameOf(entry.url);
    name = fallback;
  }
  return name.substr(0, CharacterPrefix(name, kShortTextCapacity));
}

Result<PlaylistChannelDetails> ReadPlaylistChannelDetails(const fs::path& copy,
                                                          const Channel& channel) {
  PlaylistChannelDetails details;
  bool found = false;
  std::string fallback;
  const Result<M3uReadReport> read = ReadM3uFile(copy, [&](M3uEntry&& entry) {
    if (found || entry.url != channel.url.view() ||
        PlaylistChannelName(entry, fallback) != channel.name.view()) {
      return;
    }
    found = true;
    for (auto [key, field] :
         {std::pair{"tvg-id", &details.guide_id}, std::pair{"tvg-logo", &details.logo}}) {
      const auto it = entry.attributes.find(key);
      if (it != entry.attributes.end()) *field = std::move(it->second);
    }
  });
  if (!read.ok()) return Result<PlaylistChannelDetails>::Fail(read.error);
  return Result<PlaylistChannelDetails>::Ok(std::move(details));
}

struct PlaylistChannelMaker::State {
  Catalogue& catalogue;
  ChannelText comment;
  IdSet taken;
  std::size_t taken_count = 0;  // ids of other playlists in `taken`
  IdSet favorites;
  NameIds genre_ids;
  NameIds country_ids;
  std::unordered_map<int32_t, ChannelText> genre_names;
  int32_t next_genre_id = 1;
  int32_t next_country_id = 1;
  std::unique_ptr<TextMaker> texts;
  std::size_t block_left = 0;

  explicit State(Catalogue& c) : catalogue(c) {}

  // Copies of the texts, packed into the current block (a new one when they do not fit).
  std::array<ChannelText, 2> Pack(const std::array<std::string_view, 2>& parts) {
    std::size_t size = 0;
    for (std::string_view p : parts) size += p.size();
    if (!texts || size > block_left) {
      const std::size_t block = std::max(kTextBlockBytes, size);
      texts = std::make_unique<TextMaker>(TextBlockHold::Allocate(block));
      block_left = block;
    }
    char* at = texts->block().data() + (texts->block().size() - block_left);
    std::array<ChannelText, 2> out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      std::copy(parts[i].begin(), parts[i].end(), at);
      out[i] = texts->Share(std::string_view(at, parts[i].size()));
      at += parts[i].size();
    }
    block_left -= size;
    return out;
  }
};

PlaylistChannelMaker::PlaylistChannelMaker(Catalogue& catalogue, const UserPlaylist& playlist,
                                           const std::vector<int32_t>& favorites_list)
    : state_(new State(catalogue)) {
  State& s = *state_;
  s.comment = ChannelText(playlist.name);
  for (const Channel& c : catalogue.channels) {
    if (c.id < 0) {
      s.taken.Insert(c.id);
      ++s.taken_count;
    }
  }
  for (int32_t id : favorites_list) {
    if (id < 0) s.favorites.Insert(id);
  }
  // Entry 0 of each table stands for all of them in the lists; without a package the tables
  // are empty and get it here, so that the first playlist country is not taken for it.
  if (catalogue.countries.empty()) catalogue.countries.push_back(Country{0, "All Countries"});
  if (catalogue.genres.empty()) catalogue.genres.push_back(Genre{0, "All Genres"});
  for (const Genre& g : catalogue.genres) {
    s.genre_ids.emplace(g.name, g.id);
    s.next_genre_id = std::max(s.next_genre_id, g.id + 1);
  }
  for (const Country& c : catalogue.countries) {
    s.country_ids.emplace(c.name, c.id);
    s.next_country_id = std::max(s.next_country_id, c.id + 1);
  }
}

PlaylistChannelMaker::~PlaylistChannelMaker() {
  delete state_;
}

void PlaylistChannelMaker::Reserve(std::size_t count) {
  state_->catalogue.channels.reserve(state_->catalogue.channels.size() + count);
  // The id table is touched whole, so it is made for fewer: entries are mostly twice the size
  // the channels' room assumes.
  state_->taken.Reserve(state_->taken_count + count / 2);
}

void PlaylistChannelMaker::Add(M3uEntry&& entry) {
  State& s = *state_;
  Catalogue& catalogue = s.catalogue;
  auto attribute = [&](const char* key) -> std::string_view {
    const auto it = entry.attributes.find(key);
    return it == entry.attributes.end() ? std::string_view() : std::string_view(it->second);
  };
  // A table entry for a name, added when new while 16-bit ids are left (the filter keeps 16).
  auto table_id = [](std::string_view name, NameIds& ids, int32_t& next_id, auto add) -> int32_t {
    if (name.empty()) return 0;
    if (const auto it = ids.find(name); it != ids.end()) return it->second;
    const std::string key(name.substr(0, CharacterPrefix(name, kShortTextCapacity)));
    if (const auto it = ids.find(key); it != ids.end()) return it->second;
    if (next_id > 0xFFFF) return 0;
    const int32_t id = next_id++;
    ids.emplace(name, id);
    ids.emplace(key, id);
    add(id, key);
    return id;
  };

  Channel channel;
  int32_t id = PlaylistChannelIdOf(entry.url, entry.title);
  s.taken.Prefetch(id);
  channel.group_id = static_cast<int32_t>(View::kPlaylist);
  channel.from_playlist = true;
  channel.status = ChannelStatus::kNew;
  channel.comment = s.comment;

  std::string fallback;
  std::array<ChannelText, 2> texts = s.Pack({PlaylistChannelName(entry, fallback), entry.url});
  channel.name = std::move(texts[0]);
  channel.url = std::move(texts[1]);

  channel.genre_id = table_id(attribute("group-title"), s.genre_ids, s.next_genre_id,
                              [&](int32_t new_id, const std::string& text) {
                                catalogue.genres.push_back(Genre{new_id, text});
                              });
  if (channel.genre_id != 0) {
    auto [it, added] = s.genre_names.try_emplace(channel.genre_id);
    if (added) {
      for (const Genre& g : catalogue.genres) {
        if (g.id == channel.genre_id) {
          it->second = ChannelText(g.name);
          break;
        }
      }
    }
    channel.genre_name = it->second;
  }
  channel.country_id = table_id(attribute("tvg-country"), s.country_ids, s.next_country_id,
                                [&](int32_t new_id, const std::string& text) {
                                  catalogue.countries.push_back(Country{new_id, text});
                                });

  while (s.taken.Contains(id)) id = id == -2147483647 ? -1 : id - 1;
  s.taken.Insert(id);
  channel.id = id;
  channel.favorited = s.favorites.Contains(id) ? 1 : 0;
  if (!entry.headers.empty()) catalogue.stream_headers[id] = std::move(entry.headers);
  catalogue.channels.push_back(std::move(channel));
}

Result<M3uReadReport> ReadPlaylistChannels(Catalogue& catalogue, const UserPlaylist& playlist,
                                           const fs::path& file,
                                           const std::vector<int32_t>& favorites_list) {
  PlaylistChannelMaker maker(catalogue, playlist, favorites_list);
  // Room for as many channels as the file may hold (an entry takes some 100 bytes or more), so
  // that a large playlist is not moved again and again as it grows; pages never used are never
  // given memory. Capped, so that a huge file asks for no absurd amount up front.
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(file, ec);
  if (!ec) maker.Reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(size / 96, 4'000'000)));
  return ReadM3uFile(file, [&maker](M3uEntry&& entry) { maker.Add(std::move(entry)); });
}

void RemovePlaylistChannels(Catalogue& catalogue, std::size_t countries, std::size_t genres) {
  std::erase_if(catalogue.channels, [](const Channel& c) { return IsPlaylistChannel(c); });
  std::erase_if(catalogue.stream_headers, [](const auto& item) { return item.first < 0; });
  if (catalogue.countries.size() > countries) catalogue.countries.resize(countries);
  if (catalogue.genres.size() > genres) catalogue.genres.resize(genres);
}

}  // namespace vistrel
