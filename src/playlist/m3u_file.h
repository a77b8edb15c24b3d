#pragma once
// Whole playlists read through M3uReader from a file, a stream or a text, in large chunks with
// line numbers, so that a playlist of any size is read in bounded memory, and the problems of its
// lines are collected for the user.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "playlist/m3u_playlist.h"

namespace vistrel {

// A line longer than this is skipped with a warning: no address or title is that long, and
// holding it would let one line take any amount of memory.
inline constexpr std::size_t kM3uMaxLineBytes = 1 << 20;
// The bytes read at a time from a file or stream.
inline constexpr std::size_t kM3uChunkBytes = 4 << 20;
// The warnings kept for the user; the others are only counted.
inline constexpr std::size_t kM3uWarningsKept = 20;

// What a read found besides the entries.
struct M3uReadReport {
  std::size_t entries = 0;
  std::vector<M3uWarning> warnings;  // the first kM3uWarningsKept, in line order
  std::size_t warning_count = 0;     // all of them
};

// "line <n>: <text>" for each kept warning, one per line, and "… and <k> more" when some were
// only counted; empty without warnings. Never fails.
std::string M3uWarningsText(const M3uReadReport& report);

// Splits bytes that arrive in chunks of any size into lines for an M3uReader, counting lines
// from 1 (LF, CR LF and a lone CR end a line). A UTF-16 file (told by its byte-order mark) is
// turned into UTF-8 first. Lines longer than kM3uMaxLineBytes, and entries whose address has no
// "scheme://", are skipped with a warning.
class M3uChunkReader {
 public:
  M3uChunkReader(std::function<void(M3uEntry&&)> on_entry, M3uReadReport& report);

  // The next bytes of the playlist. Never fails.
  void Feed(std::string_view chunk);
  // After the last chunk: the last line and the reader's end. Never fails.
  void Finish();

 private:
  void FeedUtf8(std::string_view bytes);
  void EndLine(std::string_view line);
  void FeedUtf16(std::string_view bytes);

  M3uReadReport& report_;
  M3uReader reader_;
  std::string line_;              // the start of a line cut by a chunk's end
  bool skipping_ = false;         // the current line is too long and is being skipped
  bool after_cr_ = false;         // the last byte was a CR: an LF right after it ends nothing
  std::size_t line_number_ = 1;   // of the line being read
  std::size_t current_line_ = 0;  // of the line the reader has now
  enum class Encoding { kUnknown, kUtf8, kUtf16Le, kUtf16Be };
  Encoding encoding_ = Encoding::kUnknown;
  std::string start_;        // the first bytes, until the encoding is known
  std::string utf16_carry_;  // an odd byte or a lone high surrogate between chunks
  std::string utf8_;         // a converted chunk
};

// Reads the playlist in `text`. Never fails.
M3uReadReport ReadM3uText(std::string_view text, const std::function<void(M3uEntry&&)>& on_entry);

// Reads the playlist from `stream` to its end. Fails with "Cannot read the playlist" when the
// stream breaks down before its end; the entries read before stay delivered.
Result<M3uReadReport> ReadM3uStream(std::istream& stream,
                                    const std::function<void(M3uEntry&&)>& on_entry);

// Reads the playlist file at `path`. Fails with CannotReadMessage when the file cannot be
// opened or read; the entries read before a failure stay delivered.
Result<M3uReadReport> ReadM3uFile(const std::filesystem::path& path,
                                  const std::function<void(M3uEntry&&)>& on_entry);

}  // namespace vistrel
