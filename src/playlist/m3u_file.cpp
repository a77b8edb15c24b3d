#include "playlist/m3u_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "common/files.h"

namespace vistrel {

namespace {

void AddWarning(M3uReadReport& report, M3uWarning&& warning) {
  ++report.warning_count;
  if (report.warnings.size() < kM3uWarningsKept) report.warnings.push_back(std::move(warning));
}

// UTF-8 of one code point (a lone surrogate becomes U+FFFD).
void AppendUtf8(std::string& out, char32_t c) {
  if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string M3uWarningsText(const M3uReadReport& report) {
  std::string text;
  for (const M3uWarning& w : report.warnings) {
    if (!text.empty()) text += '\n';
    text += "line " + std::to_string(w.line_number) + ": " + w.text;
  }
  if (report.warning_count > report.warnings.size()) {
    text +=
        "\n\u2026 and " + std::to_string(report.warning_count - report.warnings.size()) + " more";
  }
  return text;
}

M3uChunkReader::M3uChunkReader(std::function<void(M3uEntry&&)> on_entry, M3uReadReport& report)
    : report_(report),
      reader_(
          [this, on_entry = std::move(on_entry)](M3uEntry&& entry) {
            // Text that is no address (a web page instead of a playlist, a local path) would
            // only make channels that cannot play.
            if (entry.url.find("://") == std::string::npos) {
              AddWarning(report_, M3uWarning{current_line_, "not an address; the line is skipped"});
              return;
            }
            ++report_.entries;
            on_entry(std::move(entry));
          },
          [this](M3uWarning&& warning) { AddWarning(report_, std::move(warning)); }) {}

void M3uChunkReader::Feed(std::string_view chunk) {
  if (encoding_ == Encoding::kUnknown) {
    // The byte-order mark decides; two bytes are enough to tell UTF-16 apart.
    start_.append(chunk);
    if (start_.size() < 2) return;
    if (start_.starts_with("\xFF\xFE")) {
      encoding_ = Encoding::kUtf16Le;
    } else if (start_.starts_with("\xFE\xFF")) {
      encoding_ = Encoding::kUtf16Be;
    } else {
      encoding_ = Encoding::kUtf8;
    }
    std::string first = std::move(start_);
    start_.clear();
    if (encoding_ == Encoding::kUtf8) {
      FeedUtf8(first);
    } else {
      FeedUtf16(std::string_view(first).substr(2));
    }
    return;
  }
  if (encoding_ == Encoding::kUtf8) {
    FeedUtf8(chunk);
  } else {
    FeedUtf16(chunk);
  }
}

void M3uChunkReader::FeedUtf16(std::string_view bytes) {
  utf8_.clear();
  std::string_view rest = bytes;
  std::string joined;
  if (!utf16_carry_.empty()) {
    joined = utf16_carry_ + std::string(bytes);
    utf16_carry_.clear();
    rest = joined;
  }
  const bool little = encoding_ == Encoding::kUtf16Le;
  auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(rest[i]);
    const auto b = static_cast<unsigned char>(rest[i + 1]);
    return static_cast<char32_t>(little ? (a | (b << 8)) : ((a << 8) | b));
  };
  std::size_t i = 0;
  while (i + 1 < rest.size()) {
    const char32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 3 >= rest.size()) break;  // its partner comes with the next chunk
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(utf8_, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        i += 4;
        continue;
      }
    }
    AppendUtf8(utf8_, c);
    i += 2;
  }
  utf16_carry_.assign(rest.substr(i));
  FeedUtf8(utf8_);
}

void M3uChunkReader::FeedUtf8(std::string_view bytes) {
  std::size_t start = 0;
  if (after_cr_ && !bytes.empty() && bytes.front() == '\n') start = 1;
  after_cr_ = false;
  while (start < bytes.size()) {
    const char* found =
        static_cast<const char*>(std::memchr(bytes.data() + start, '\n', bytes.size() - start));
    std::size_t end = found ? static_cast<std::size_t>(found - bytes.data()) : bytes.size();
    // A lone CR ends a line too (old Mac files); a CR before an LF is left for ReadLine.
    const void* cr = std::memchr(bytes.data() + start, '\r', end - start);
    bool ends_at_cr = false;
    if (cr != nullptr) {
      const auto at = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data());
      if (at + 1 < bytes.size() && bytes[at + 1] != '\n') {
        end = at;
        ends_at_cr = true;
      } else if (at + 1 == bytes.size()) {
        end = at;
        ends_at_cr = true;
        after_cr_ = true;
      }
    }
    const std::string_view piece = bytes.substr(start, end - start);
    const bool line_ends = found != nullptr || ends_at_cr;
    if (!line_ends) {
      if (!skipping_) {
        if (line_.size() + piece.size() > kM3uMaxLineBytes) {
          skipping_ = true;
          line_.clear();
          line_.shrink_to_fit();
        } else {
          line_.append(piece);
        }
      }
      return;
    }
    if (skipping_ || line_.size() + piece.size() > kM3uMaxLineBytes) {
      AddWarning(report_, M3uWarning{line_number_, "the line is longer than " +
                                                       std::to_string(kM3uMaxLineBytes) +
                                                       " bytes; it is skipped"});
      skipping_ = false;
      line_.clear();
      ++line_number_;
    } else if (line_.empty()) {
      EndLine(piece);
    } else {
      line_.append(piece);
      EndLine(line_);
      line_.clear();
    }
    start = end + 1;
  }
}

void M3uChunkReader::EndLine(std::string_view line) {
  current_line_ = line_number_++;
  reader_.ReadLine(line, current_line_);
}

void M3uChunkReader::Finish() {
  if (encoding_ == Encoding::kUnknown && !start_.empty()) {
    encoding_ = Encoding::kUtf8;
    std::string first = std::move(start_);
    start_.clear();
    FeedUtf8(first);
  }
  if (!utf16_carry_.empty()) {
    // An odd byte or a high surrogate without its partner at the end.
    utf16_carry_.clear();
    FeedUtf8("\xEF\xBF\xBD");
  }
  if (skipping_) {
    AddWarning(report_, M3uWarning{line_number_, "the line is longer than " +
                                                     std::to_string(kM3uMaxLineBytes) +
                                                     " bytes; it is skipped"});
    skipping_ = false;
  } else if (!line_.empty()) {
    EndLine(line_);
  }
  line_.clear();
  reader_.Finish();
}

M3uReadReport ReadM3uText(std::string_view text, const std::function<void(M3uEntry&&)>& on_entry) {
  M3uReadReport report;
  M3uChunkReader reader(on_entry, report);
  reader.Feed(text);
  reader.Finish();
  return report;
}

Result<M3uReadReport> ReadM3uStream(std::istream& stream,
                                    const std::function<void(M3uEntry&&)>& on_entry) {
  M3uReadReport report;
  M3uChunkReader reader(on_entry, report);
  const auto buffer = std::make_unique<char[]>(kM3uChunkBytes);
  while (stream) {
    stream.read(buffer.get(), static_cast<std::streamsize>(kM3uChunkBytes));
    const std::streamsize got = stream.gcount();
    if (got > 0) reader.Feed(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
  }
  if (stream.bad()) return Result<M3uReadReport>::Fail("Cannot read the playlist");
  reader.Finish();
  return Result<M3uReadReport>::Ok(std::move(report));
}

Result<M3uReadReport> ReadM3uFile(const std::filesystem::path& path,
                                  const std::function<void(M3uEntry&&)>& on_entry) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Result<M3uReadReport>::Fail(CannotReadMessage(path, errno));
  M3uReadReport report;
  M3uChunkReader reader(on_entry, report);
  const auto buffer = std::make_unique<char[]>(kM3uChunkBytes);
  for (;;) {
    const ssize_t got = ::read(fd, buffer.get(), kM3uChunkBytes);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error_code = errno;
      ::close(fd);
      return Result<M3uReadReport>::Fail(CannotReadMessage(path, error_code));
    }
    if (got == 0) break;
    reader.Feed(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
  }
  ::close(fd);
  reader.Finish();
  return Result<M3uReadReport>::Ok(std::move(report));
}

}  // namespace vistrel
