#pragma once
// The files of the media folder as the service hands them out: only regular files that lie
// inside the folder once every symbolic link is resolved.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "server/owned_fd.h"

namespace vistrel {

struct MediaFile {
  OwnedFd fd;  // open for reading
  uint64_t size = 0;
  std::string content_type;
};

// The folder as every served file's path must begin: absolute, links resolved. Throws
// vistrel::Error when it is missing or no folder.
std::filesystem::path ResolveMediaRoot(const std::filesystem::path& folder);

// Opens the file that `relative` (the percent-decoded request path after "/media/") names under
// `root` (from ResolveMediaRoot). Nothing when `relative` is empty, begins with "/", holds a NUL
// byte or a ".." part, or names nothing, something that is no regular file, or (through a
// symbolic link) a file outside `root`. The content type follows the resolved file's extension.
std::optional<MediaFile> OpenMediaFile(const std::filesystem::path& root,
                                       std::string_view relative);

// The media type of a file name by its extension, ASCII case ignored;
// "application/octet-stream" for one not known.
std::string MediaType(std::string_view file_name);

}  // namespace vistrel
