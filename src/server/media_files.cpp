#include "server/media_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "common/error.h"

namespace vistrel {

namespace {

struct TypeByExtension {
  std::string_view extension;
  std::string_view type;
};

// Playlists, streams and the pictures and texts that go with them.
constexpr TypeByExtension kTypes[] = {
    {"aac", "audio/aac"},
    {"css", "text/css"},
    {"flac", "audio/flac"},
    {"gif", "image/gif"},
    {"htm", "text/html"},
    {"html", "text/html"},
    {"ico", "image/x-icon"},
    {"jpeg", "image/jpeg"},
    {"jpg", "image/jpeg"},
    {"js", "text/javascript"},
    {"json", "application/json"},
    {"m3u", "audio/x-mpegurl"},
    {"m3u8", "application/vnd.apple.mpegurl"},
    {"m4a", "audio/mp4"},
    {"m4v", "video/mp4"},
    {"mkv", "video/x-matroska"},
    {"mp3", "audio/mpeg"},
    {"mp4", "video/mp4"},
    {"mpd", "application/dash+xml"},
    {"oga", "audio/ogg"},
    {"ogg", "audio/ogg"},
    {"ogv", "video/ogg"},
    {"opus", "audio/ogg"},
    {"pdf", "application/pdf"},
    {"pls", "audio/x-scpls"},
    {"png", "image/png"},
    {"svg", "image/svg+xml"},
    {"ts", "video/mp2t"},
    {"txt", "text/plain"},
    {"vtt", "text/vtt"},
    {"wav", "audio/wav"},
    {"webm", "video/webm"},
    {"webp", "image/webp"},
    {"xml", "application/xml"},
    {"zip", "application/zip"},
};

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool HasDotDotPart(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    if (path.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

std::optional<std::string> RealPath(const std::filesystem::path& path) {
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                       std::free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

}  // namespace

std::filesystem::path ResolveMediaRoot(const std::filesystem::path& folder) {
  const auto real = RealPath(folder);
  struct stat info {};
  if (!real || ::stat(real->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    throw Error("media folder not found: " + folder.string());
  }
  return *real;
}

std::optional<MediaFile> OpenMediaFile(const std::filesystem::path& root,
                                       std::string_view relative) {
  if (relative.empty() || relative.front() == '/' ||
      relative.find('\0') != std::string_view::npos || HasDotDotPart(relative)) {
    return std::nullopt;
  }
  const auto real = RealPath(root / std::filesystem::path(std::string(relative)));
  if (!real) return std::nullopt;
  std::string inside = root.string();
  if (inside.back() != '/') inside += '/';
  if (real->compare(0, inside.size(), inside) != 0) return std::nullopt;
  // Checked before opening too: opening a FIFO for reading would wait for a writer.
  struct stat info {};
  if (::stat(real->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  OwnedFd fd(::open(real->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  MediaFile file;
  file.fd = std::move(fd);
  file.size = static_cast<uint64_t>(info.st_size);
  file.content_type = MediaType(std::filesystem::path(*real).filename().string());
  return file;
}

std::string MediaType(std::string_view file_name) {
  const auto dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return "application/octet-stream";
  const std::string extension = LowerAscii(file_name.substr(dot + 1));
  const auto it = std::lower_bound(
      std::begin(kTypes), std::end(kTypes), extension,
      [](const TypeByExtension& entry, const std::string& key) { return entry.extension < key; });
  if (it == std::end(kTypes) || it->extension != extension) return "application/octet-stream";
  return std::string(it->type);
}

}  // namespace vistrel
