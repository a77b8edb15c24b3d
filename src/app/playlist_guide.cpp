#include "app/playlist_guide.h"

#include <algorithm>
#include <fstream>
#include <string_view>
#include <utility>

#include "playlist/m3u_file.h"
#include "playlist/m3u_playlist.h"
#include "playlist/user_playlists.h"
#include "service_client/http_get.h"
#include "service_client/service_config.h"

namespace vistrel {

namespace {

// `text` cut to `max_bytes`, not inside a UTF-8 sequence.
void CutText(std::string& text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return;
  std::size_t end = max_bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  text.shrink_to_fit();
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

// The path of a "file:" address ("file:///x", "file:/x", "file://localhost/x"); the text
// itself when it is no such address. Percent escapes are decoded.
std::string LocalPathOf(std::string_view address) {
  if (!StartsWithNoCase(address, "file:")) return std::string(address);
  address.remove_prefix(5);
  if (address.substr(0, 2) == "//") {
    address.remove_prefix(2);
    const std::size_t slash = address.find('/');
    address.remove_prefix(slash == std::string_view::npos ? address.size() : slash);
  }
  std::string path;
  for (std::size_t i = 0; i < address.size(); ++i) {
    const auto hex = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    if (address[i] == '%' && i + 2 < address.size() && hex(address[i + 1]) >= 0 &&
        hex(address[i + 2]) >= 0) {
      path.push_back(static_cast<char>(hex(address[i + 1]) * 16 + hex(address[i + 2])));
      i += 2;
    } else {
      path.push_back(address[i]);
    }
  }
  return path;
}

}  // namespace

const std::vector<GuideProgramme>* PlaylistGuide::Find(int32_t channel_id) const {
  const auto it = channels_.find(channel_id);
  return it == channels_.end() || it->second.empty() ? nullptr : &it->second;
}

std::optional<ChannelNowNext> PlaylistGuide::NowNext(int32_t channel_id, int64_t now) const {
  const std::vector<GuideProgramme>* programmes = Find(channel_id);
  if (programmes == nullptr) return std::nullopt;
  const auto first = std::find_if(programmes->begin(), programmes->end(),
                                  [now](const GuideProgramme& p) { return p.stop > now; });
  if (first == programmes->end()) return std::nullopt;
  ChannelNowNext entry;
  entry.first = {first->start, first->stop, first->title};
  if (const auto second = first + 1; second != programmes->end()) {
    entry.second = {second->start, second->stop, second->title};
    entry.has_second = true;
  }
  return entry;
}

void PlaylistGuide::Add(int32_t channel_id, Programme&& programme, int64_t now) {
  if (programme.stop <= now || programme.start >= now + kPlaylistGuideSeconds) return;
  GuideProgramme kept;
  kept.start = programme.start;
  kept.stop = programme.stop;
  kept.title = std::move(programme.title);
  kept.sub_title = std::move(programme.sub_title);
  kept.description = std::move(programme.description);
  kept.category = std::move(programme.category);
  kept.episode = std::move(programme.episode_num);
  for (std::string* text :
       {&kept.title, &kept.sub_title, &kept.description, &kept.category, &kept.episode}) {
    CutText(*text, kPlaylistGuideMaxText);
  }
  channels_[channel_id].push_back(std::move(kept));
}

void PlaylistGuide::Settle() {
  for (auto& [id, programmes] : channels_) {
    std::stable_sort(
        programmes.begin(), programmes.end(),
        [](const GuideProgramme& a, const GuideProgramme& b) { return a.start < b.start; });
    programmes.erase(std::unique(programmes.begin(), programmes.end(),
                                 [](const GuideProgramme& a, const GuideProgramme& b) {
                                   return a.start == b.start;
                                 }),
                     programmes.end());
    programmes.shrink_to_fit();
  }
}

void PlaylistGuide::Merge(PlaylistGuide&& fresh) {
  for (auto& [id, programmes] : fresh.channels_) channels_[id] = std::move(programmes);
}

void PlaylistGuide::DropChannels(const std::function<bool(int32_t)>& drop) {
  std::erase_if(channels_, [&drop](const auto& entry) { return drop(entry.first); });
}

std::vector<std::string> PlaylistGuideAddressesOf(const std::filesystem::path& copy) {
  std::ifstream in(copy, std::ios::binary);
  if (!in) return {};
  // The header is the first line; a line this long is no header of guides worth reading.
  std::string head(64 * 1024, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  const std::size_t end = head.find('\n');
  if (end != std::string::npos) head.resize(end);
  return M3uGuideAddresses(head);
}

Result<PlaylistGuide> ReadPlaylistGuide(const std::function<Outcome(XmltvReader&)>& feed,
                                        const std::vector<GuideTarget>& targets, int64_t now) {
  PlaylistGuide guide;
  std::vector<GuideChannel> guide_channels;
  std::unordered_map<std::string, std::vector<int32_t>> links;
  bool matched = false;
  XmltvHandlers handlers;
  handlers.channel = [&](GuideChannel&& channel) {
    if (!matched) guide_channels.push_back(std::move(channel));
  };
  // The channels come before the programmes: they are matched at the first programme.
  handlers.wanted = [&](const std::string& channel) {
    if (!matched) {
      links = MatchGuideChannels(guide_channels, targets);
      guide_channels.clear();
      guide_channels.shrink_to_fit();
      matched = true;
    }
    return links.count(channel) != 0;
  };
  handlers.programme = [&](Programme&& programme) {
    const auto it = links.find(programme.channel);
    if (it == links.end()) return;
    for (std::size_t i = 0; i < it->second.size(); ++i) {
      Programme copy = i + 1 < it->second.size() ? programme : std::move(programme);
      guide.Add(it->second[i], std::move(copy), now);
    }
  };
  XmltvReader reader(std::move(handlers));
  const Outcome fed = feed(reader);
  if (!fed.ok()) return Result<PlaylistGuide>::Fail(fed.error);
  guide.Settle();
  return Result<PlaylistGuide>::Ok(std::move(guide));
}

Outcome FeedGuideAddress(const std::string& address, XmltvReader& reader,
                         const std::atomic<bool>* cancelled) {
  if (!IsPlaylistAddress(address)) return ReadXmltvFile(LocalPathOf(address), reader);
  HttpGetHooks hooks;
  hooks.step = [cancelled](int64_t, int64_t) { return cancelled != nullptr && cancelled->load(); };
  HttpGetLimits limits;
  limits.max_body = kPlaylistGuideMaxBytes;
  const Result<std::string> body = HttpGet(address, ServiceUserAgent(), hooks, limits);
  if (!body.ok()) return Outcome::Fail(body.error);
  const Outcome fed = reader.Feed(*body.value);
  if (!fed.ok()) return fed;
  return reader.Finish();
}

Result<std::vector<GuideTarget>> PlaylistGuideTargets(
    const std::filesystem::path& copy, const std::vector<PlaylistGuideChannel>& channels) {
  std::vector<GuideTarget> targets;
  targets.reserve(channels.size());
  // Address and name, as one key, to the channels that have them.
  std::unordered_map<std::string, std::vector<std::size_t>> by_key;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    targets.push_back({channels[i].id, channels[i].name, {}});
    by_key[channels[i].url + '\n' + channels[i].name].push_back(i);
  }
  std::string fallback;
  std::string key;
  const Result<M3uReadReport> read = ReadM3uFile(copy, [&](M3uEntry&& entry) {
    if (by_key.empty()) return;
    key = entry.url;
    key += '\n';
    key += PlaylistChannelName(entry, fallback);
    const auto found = by_key.find(key);
    if (found == by_key.end()) return;
    const auto id = entry.attributes.find("tvg-id");
    if (id != entry.attributes.end()) {
      for (const std::size_t i : found->second) targets[i].guide_id = id->second;
    }
    by_key.erase(found);  // the first entry that makes the channel tells its details
  });
  if (!read.ok()) return Result<std::vector<GuideTarget>>::Fail(read.error);
  return Result<std::vector<GuideTarget>>::Ok(std::move(targets));
}

Result<PlaylistGuide> FetchPlaylistGuide(const PlaylistGuideJob& job, int64_t now,
                                         const std::atomic<bool>* cancelled,
                                         std::vector<std::string>& failures) {
  const Result<std::vector<GuideTarget>> found = PlaylistGuideTargets(job.copy, job.channels);
  if (!found.ok()) return Result<PlaylistGuide>::Fail(found.error);
  const std::vector<GuideTarget>& targets = *found.value;
  PlaylistGuide guide;
  for (std::size_t i = 0; i < job.addresses.size(); ++i) {
    if (cancelled != nullptr && cancelled->load()) break;
    Result<PlaylistGuide> read = ReadPlaylistGuide(
        [&](XmltvReader& reader) { return FeedGuideAddress(job.addresses[i], reader, cancelled); },
        targets, now);
    if (!read.ok()) {
      failures.push_back("guide " + std::to_string(i + 1) + ": " + read.error);
      continue;
    }
    // The first guide that has a channel keeps it: later ones only fill in the others.
    read.value->DropChannels([&guide](int32_t id) { return guide.Find(id) != nullptr; });
    guide.Merge(std::move(*read.value));
  }
  return Result<PlaylistGuide>::Ok(std::move(guide));
}

}  // namespace vistrel
