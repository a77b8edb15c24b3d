#pragma once
// A streaming XMLTV reader: bytes go in as they arrive (plain XML, or gzip recognised by its
// first two bytes 1f 8b), channels and programmes come out through callbacks as each one ends,
// so memory stays bounded whatever the size of the document. Gzip data is inflated on a thread
// of the reader's own; the callbacks run on the thread that feeds the bytes.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"

namespace vistrel {

// A <channel>: its id and every display-name, in document order.
struct GuideChannel {
  std::string id;
  std::vector<std::string> display_names;
};

// A <programme>, times as UTC seconds, texts UTF-8. Of texts given in several languages the
// first is kept, or the first in the preferred language when there is one.
struct Programme {
  std::string channel;  // the guide's channel id
  int64_t start = 0;
  int64_t stop = 0;  // later than start
  std::string title;
  std::string sub_title;
  std::string description;
  std::string category;     // the categories in one language, joined with ", "
  std::string episode_num;  // the "onscreen" form when there is one, else the first
};

// What was read and what was skipped (skipped programmes are never delivered).
struct GuideCounts {
  int64_t channels = 0;
  int64_t programmes = 0;        // delivered
  int64_t bad_times = 0;         // start or stop missing, not a valid time, or stop <= start
  int64_t unknown_channels = 0;  // a channel no <channel> declared before
  int64_t overlaps = 0;          // starts before the channel's previous one ends (or earlier)
  int64_t duplicates = 0;        // starts when the channel's previous one starts
  int64_t without_end = 0;       // no stop and no next programme on its channel
  int64_t not_wanted = 0;        // of a channel the caller does not want (not checked)
};

struct XmltvHandlers {
  std::function<void(GuideChannel&&)> channel;
  std::function<void(Programme&&)> programme;
  // Asked at each programme's start with its channel id: false skips the programme unread
  // (counted as not wanted). Empty: every programme is wanted.
  std::function<bool(const std::string&)> wanted;
};

class XmltvReader {
 public:
  // Texts longer than this are cut (at a character boundary): a hostile guide cannot make one
  // programme take unbounded memory.
  static constexpr std::size_t kMaxText = 64 * 1024;

  // `preferred_language` ("en", "de", ...; empty: none) picks among a text's languages.
  explicit XmltvReader(XmltvHandlers handlers, std::string preferred_language = {});
  ~XmltvReader();
  XmltvReader(const XmltvReader&) = delete;
  XmltvReader& operator=(const XmltvReader&) = delete;

  // Reads the next bytes of the document, calling the handlers for what they complete. Fails
  // with "line N: ..." for XML that is not well-formed, or for gzip data that is damaged; after
  // a failure the reader takes nothing more. What a handler throws is passed on.
  Outcome Feed(std::string_view bytes);
  // The document has ended: delivers the programmes still waiting for their end time. Fails as
  // Feed does, also when the document or the gzip data stops early.
  Outcome Finish();

  const GuideCounts& counts() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Feeds the file to `reader` in chunks of 64 KiB and finishes it. Fails as Feed and Finish
// do, or with the file's name and the reason when it cannot be read.
Outcome ReadXmltvFile(const std::filesystem::path& file, XmltvReader& reader);

}  // namespace vistrel
