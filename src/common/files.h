#pragma once
// Whole-file reading and the one atomic write used for every file the program stores.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/error.h"

namespace vistrel {

// Reads a file whole. On failure returns nothing and sets *error_code to the errno.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path,
                                         int* error_code = nullptr);

// "Cannot read <file>: <reason>", the reason being the text of the errno `error_code`: the one
// wording for a file that cannot be read.
std::string CannotReadMessage(const std::filesystem::path& path, int error_code);

// ReadWholeFile with the failure as CannotReadMessage.
Result<std::string> ReadFile(const std::filesystem::path& path);

// Replaces `path` with `bytes` atomically: the parent folders are created, the bytes go to a
// temporary file in the same folder, are flushed to disk, and the file is renamed over the old
// one. A symbolic link is written through: the file it leads to is replaced, in that file's
// folder, and the link stays. The file keeps its permission bits (a new one gets 0666 less the
// umask). Temporary files of the same file left by an interrupted write are removed first.
// On any failure the old file is untouched and the message names the file and the cause.
Outcome WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// WriteFileAtomically with the bytes in chunks, so that a large file is stored in bounded
// memory: `next_chunk` is called until it gives an empty chunk (each chunk stays valid until the
// next call). A failure of `next_chunk` abandons the write like any other, its text following
// "Cannot write <file>: ".
Outcome WriteFileAtomically(const std::filesystem::path& path,
                            const std::function<Result<std::string_view>()>& next_chunk);

}  // namespace vistrel
