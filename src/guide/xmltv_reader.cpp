#include "guide/xmltv_reader.h"

#include <expat.h>
#include <pthread.h>
#include <zlib.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>

#include "common/files.h"
#include "guide/xmltv_time.h"

namespace vistrel {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 character.
void CutUtf8(std::string& text, std::size_t limit) {
  if (text.size() <= limit) return;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
}

const char* Attribute(const XML_Char** attributes, const char* name) {
  for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
    if (std::strcmp(attributes[i], name) == 0) return attributes[i + 1];
  }
  return nullptr;
}

// A text given in several languages: the first, or the first in the preferred language.
struct LanguageText {
  std::string text;
  bool set = false;
  bool preferred = false;

  void Offer(std::string&& value, bool is_preferred) {
    if (set && (preferred || !is_preferred)) return;
    text = std::move(value);
    set = true;
    preferred = is_preferred;
  }
};

enum class Field { kNone, kDisplayName, kTitle, kSubTitle, kDesc, kCategory, kEpisodeNum };

Field FieldOf(const char* name) {
  static const std::pair<const char*, Field> kFields[] = {
      {"title", Field::kTitle},       {"sub-title", Field::kSubTitle},     {"desc", Field::kDesc},
      {"category", Field::kCategory}, {"episode-num", Field::kEpisodeNum},
  };
  for (const auto& [text, field] : kFields) {
    if (std::strcmp(name, text) == 0) return field;
  }
  return Field::kNone;
}

// A channel's last programme, kept for ordering checks; one without stop waits here for the
// start of the next.
struct ChannelTrack {
  int64_t last_start = std::numeric_limits<int64_t>::min();
  int64_t last_stop = std::numeric_limits<int64_t>::min();
  std::optional<Programme> waiting;
};

// Inflates gzip data on a thread of its own, so that inflating and parsing each take one of
// the machine's cores. Compressed bytes go in, inflated pieces come out in order; both queues
// are short, so memory stays bounded. The caller's thread alone puts and takes.
class Inflater {
 public:
  // What comes out: inflated bytes, the end of the data, or why it cannot be inflated.
  struct Piece {
    enum class Kind { kBytes, kEnd, kFailed } kind = Kind::kBytes;
    std::string bytes;  // the inflated bytes, or the failure
  };

  // Throws vistrel::Error when zlib cannot start.
  Inflater() {
    if (inflateInit2(&zip_, 16 + MAX_WBITS) != Z_OK) throw Error("out of memory");
    thread_ = std::thread([this] { Run(); });
  }
  ~Inflater() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    changed_.notify_all();
    thread_.join();
    inflateEnd(&zip_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // True when Put would not wait.
  bool HasRoom() {
    std::lock_guard lock(mutex_);
    return input_.size() < kMostWaiting;
  }
  // Queues compressed bytes; `last` when no more follow. Call only when HasRoom().
  void Put(std::string_view bytes, bool last) {
    {
      std::lock_guard lock(mutex_);
      input_.emplace_back(std::string(bytes), last);
    }
    changed_.notify_all();
  }
  // Takes back a piece's bytes once parsed: its memory serves again, already mapped.
  void Recycle(std::string&& bytes) {
    std::lock_guard lock(mutex_);
    if (spare_.size() < kMostWaiting) spare_.push_back(std::move(bytes));
  }
  // The next inflated piece; with `wait` it waits for one (or for room to put more, when
  // `until_room`), else it returns nothing when none is ready.
  std::optional<Piece> Take(bool wait, bool until_room = false) {
    std::unique_lock lock(mutex_);
    if (wait) {
      changed_.wait(
          lock, [&] { return !output_.empty() || (until_room && input_.size() < kMostWaiting); });
    }
    if (output_.empty()) return std::nullopt;
    Piece piece = std::move(output_.front());
    output_.pop_front();
    changed_.notify_all();
    return piece;
  }

 private:
  static constexpr std::size_t kMostWaiting = 4;
  static constexpr std::size_t kPiece = 256 * 1024;

  // Waits for room in the output; false when stopped.
  bool Give(Piece&& piece) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return output_.size() < kMostWaiting || stopped_; });
    if (stopped_) return false;
    output_.push_back(std::move(piece));
    changed_.notify_all();
    return true;
  }

  void Run() {
    pthread_setname_np(pthread_self(), "guide-inflate");  // for top and perf
    bool ended = false;                                   // the last member ended
    while (true) {
      std::pair<std::string, bool> in;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !input_.empty() || stopped_; });
        if (stopped_) return;
        in = std::move(input_.front());
        input_.pop_front();
      }
      changed_.notify_all();
      zip_.next_in = reinterpret_cast<Bytef*>(in.first.data());
      zip_.avail_in = static_cast<uInt>(in.first.size());
      while (true) {
        if (ended) {
          if (zip_.avail_in == 0) break;
          // Another gzip member follows: gzip files may be concatenated.
          inflateReset(&zip_);
          ended = false;
        }
        Piece piece;
        {
          std::lock_guard lock(mutex_);
          if (!spare_.empty()) {
            piece.bytes = std::move(spare_.back());
            spare_.pop_back();
          }
        }
        piece.bytes.resize(kPiece);
        zip_.next_out = reinterpret_cast<Bytef*>(piece.bytes.data());
        zip_.avail_out = static_cast<uInt>(piece.bytes.size());
        const int status = inflate(&zip_, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
          Give(Piece{Piece::Kind::kFailed, std::string("the compressed guide is damaged (") +
                                               (zip_.msg != nullptr ? zip_.msg : "zlib error") +
                                               ")"});
          return;
        }
        if (status == Z_STREAM_END) ended = true;
        piece.bytes.resize(piece.bytes.size() - zip_.avail_out);
        const bool drained = status == Z_BUF_ERROR || (zip_.avail_in == 0 && zip_.avail_out != 0);
        if (!piece.bytes.empty() && !Give(std::move(piece))) return;
        // Stop when the input is used up and inflate has no more output waiting.
        if (drained) break;
      }
      if (in.second) {
        Give(ended ? Piece{Piece::Kind::kEnd, {}}
                   : Piece{Piece::Kind::kFailed, "the compressed guide ends early"});
        return;
      }
    }
  }

  z_stream zip_{};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::pair<std::string, bool>> input_;  // bytes, last
  std::deque<Piece> output_;
  std::vector<std::string> spare_;  // the bytes of parsed pieces
  bool stopped_ = false;
  std::thread thread_;  // last: starts once the rest is ready
};

}  // namespace

struct XmltvReader::State {
  XmltvHandlers handlers;
  std::string preferred_language;
  XML_Parser parser = nullptr;
  GuideCounts counts;
  std::string failure;  // set once parsing failed: nothing more is taken
  std::exception_ptr thrown;

  // Compression: decided by the first two bytes.
  std::string head;  // bytes held until there are two
  enum class Form { kUnknown, kPlain, kGzip } form = Form::kUnknown;
  std::optional<Inflater> inflater;

  // Where the parser is.
  int depth = 0;
  int item_depth = 0;  // depth of the open <channel> or <programme>, 0 when none
  bool in_channel = false;
  Field field = Field::kNone;
  int field_depth = 0;
  bool field_preferred = false;
  std::string field_system;
  std::string text;

  GuideChannel channel;
  // The programme being read; its times as written.
  Programme programme;
  std::string start_text, stop_text;
  bool has_stop = false;
  LanguageText title, sub_title, description, episode_num;
  bool onscreen_episode = false;
  std::vector<std::pair<std::string, std::string>> categories;  // language, text

  std::unordered_map<std::string, ChannelTrack> tracks;  // one per declared channel

  ~State() {
    inflater.reset();
    if (parser != nullptr) XML_ParserFree(parser);
  }

  void Deliver(Programme&& p) {
    ++counts.programmes;
    if (handlers.programme) handlers.programme(std::move(p));
  }

  void StartElement(const char* name, const char** attributes) {
    ++depth;
    if (item_depth == 0) {
      if (depth != 2) return;
      if (std::strcmp(name, "channel") == 0) {
        item_depth = depth;
        in_channel = true;
        channel = GuideChannel{};
        const char* id = Attribute(attributes, "id");
        channel.id = id != nullptr ? id : "";
      } else if (std::strcmp(name, "programme") == 0) {
        item_depth = depth;
        in_channel = false;
        const char* start = Attribute(attributes, "start");
        const char* stop = Attribute(attributes, "stop");
        const char* id = Attribute(attributes, "channel");
        programme = Programme{};
        programme.channel = id != nullptr ? id : "";
        if (handlers.wanted && !handlers.wanted(programme.channel)) {
          ++counts.not_wanted;
          item_depth = 0;  // its contents pass unread
          return;
        }
        start_text = start != nullptr ? start : "";
        has_stop = stop != nullptr;
        stop_text = has_stop ? stop : "";
        title = sub_title = description = episode_num = LanguageText{};
        onscreen_episode = false;
        categories.clear();
      }
      return;
    }
    if (depth != item_depth + 1) return;
    field = in_channel
                ? (std::strcmp(name, "display-name") == 0 ? Field::kDisplayName : Field::kNone)
                : FieldOf(name);
    if (field == Field::kNone) return;
    field_depth = depth;
    text.clear();
    const char* lang = Attribute(attributes, "lang");
    field_system = lang != nullptr ? lang : "";
    field_preferred = !preferred_language.empty() && field_system == preferred_language;
    if (field == Field::kEpisodeNum) {
      const char* system = Attribute(attributes, "system");
      field_system = system != nullptr ? system : "";
    }
  }

  void Characters(const char* data, int length) {
    if (field == Field::kNone || depth != field_depth) return;
    if (text.size() >= kMaxText) return;
    text.append(data, std::min<std::size_t>(length, kMaxText + 4 - text.size()));
  }

  void EndField() {
    CutUtf8(text, kMaxText);
    switch (field) {
      case Field::kDisplayName:
        channel.display_names.push_back(std::move(text));
        break;
      case Field::kTitle:
        title.Offer(std::move(text), field_preferred);
        break;
      case Field::kSubTitle:
        sub_title.Offer(std::move(text), field_preferred);
        break;
      case Field::kDesc:
        description.Offer(std::move(text), field_preferred);
        break;
      case Field::kCategory:
        if (categories.size() < 16) categories.emplace_back(field_system, std::move(text));
        break;
      case Field::kEpisodeNum:
        if (field_system == "onscreen" && !onscreen_episode) {
          episode_num = LanguageText{};
          onscreen_episode = true;
        }
        episode_num.Offer(std::move(text), false);
        break;
      case Field::kNone:
        break;
    }
    field = Field::kNone;
    text.clear();
  }

  // The categories in the preferred language when there are any, else in the first one's.
  std::string JoinCategories() const {
    std::string language = categories.empty() ? "" : categories.front().first;
    for (const auto& [lang, name] : categories) {
      if (!preferred_language.empty() && lang == preferred_language) language = lang;
    }
    std::string joined;
    for (const auto& [lang, name] : categories) {
      if (lang != language || name.empty()) continue;
      if (!joined.empty()) joined += ", ";
      joined += name;
    }
    return joined;
  }

  void EndProgramme() {
    const std::optional<int64_t> start = ParseXmltvTime(start_text);
    const std::optional<int64_t> stop = has_stop ? ParseXmltvTime(stop_text) : std::nullopt;
    if (!start || (has_stop && (!stop || *stop <= *start))) {
      ++counts.bad_times;
      return;
    }
    const int64_t stop_time = stop.value_or(0);
    const auto it = tracks.find(programme.channel);
    if (it == tracks.end()) {
      ++counts.unknown_channels;
      return;
    }
    ChannelTrack& track = it->second;
    if (*start == track.last_start) {
      ++counts.duplicates;
      return;
    }
    if (*start < track.last_start) {
      ++counts.overlaps;
      return;
    }
    if (track.waiting) {
      Programme waiting = std::move(*track.waiting);
      track.waiting.reset();
      waiting.stop = *start;
      track.last_stop = *start;
      Deliver(std::move(waiting));
    } else if (*start < track.last_stop) {
      ++counts.overlaps;
      return;
    }
    programme.start = *start;
    programme.title = std::move(title.text);
    programme.sub_title = std::move(sub_title.text);
    programme.description = std::move(description.text);
    programme.episode_num = std::move(episode_num.text);
    programme.category = JoinCategories();
    track.last_start = *start;
    if (has_stop) {
      programme.stop = stop_time;
      track.last_stop = stop_time;
      Deliver(std::move(programme));
    } else {
      track.waiting = std::move(programme);
    }
  }

  void EndElement() {
    if (field != Field::kNone && depth == field_depth) EndField();
    if (item_depth != 0 && depth == item_depth) {
      item_depth = 0;
      if (in_channel) {
        ++counts.channels;
        tracks.try_emplace(channel.id);
        if (handlers.channel) handlers.channel(std::move(channel));
      } else {
        EndProgramme();
      }
    }
    --depth;
  }

  // Runs a handler step; what it throws stops the parser and is thrown again after it.
  template <typename Step>
  void Guarded(Step&& step) {
    if (thrown) return;
    try {
      step();
    } catch (...) {
      thrown = std::current_exception();
      XML_StopParser(parser, XML_FALSE);
    }
  }

  Outcome Parse(const char* data, std::size_t size, bool final) {
    while (true) {
      const int piece = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
      const bool last = final && static_cast<std::size_t>(piece) == size;
      if (XML_Parse(parser, data, piece, last ? XML_TRUE : XML_FALSE) == XML_STATUS_ERROR) {
        if (thrown) std::rethrow_exception(thrown);
        failure = "line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " +
                  XML_ErrorString(XML_GetErrorCode(parser));
        return Outcome::Fail(failure);
      }
      data += piece;
      size -= piece;
      if (size == 0) return Outcome::Ok();
    }
  }

  // Parses an inflated piece; true when the data ended or failed (`outcome` says which).
  bool ParsePiece(Inflater::Piece&& piece, Outcome& outcome) {
    switch (piece.kind) {
      case Inflater::Piece::Kind::kBytes:
        outcome = Parse(piece.bytes.data(), piece.bytes.size(), false);
        inflater->Recycle(std::move(piece.bytes));
        return !outcome.ok();
      case Inflater::Piece::Kind::kEnd:
        outcome = Parse("", 0, true);
        return true;
      case Inflater::Piece::Kind::kFailed:
        failure = std::move(piece.bytes);
        outcome = Outcome::Fail(failure);
        return true;
    }
    return true;
  }

  // Hands the bytes to the inflating thread and parses what it has inflated so far; at the end
  // waits for the rest.
  Outcome Inflate(std::string_view bytes, bool final) {
    Outcome outcome;
    while (!inflater->HasRoom()) {
      if (std::optional<Inflater::Piece> piece = inflater->Take(true, true)) {
        if (ParsePiece(std::move(*piece), outcome)) return outcome;
      }
    }
    inflater->Put(bytes, final);
    while (std::optional<Inflater::Piece> piece = inflater->Take(final)) {
      if (ParsePiece(std::move(*piece), outcome)) return outcome;
    }
    return outcome;
  }

  Outcome Take(std::string_view bytes, bool final) {
    if (form == Form::kUnknown) {
      head.append(bytes);
      if (head.size() < 2 && !final) return Outcome::Ok();
      form = head.size() >= 2 && static_cast<unsigned char>(head[0]) == 0x1F &&
                     static_cast<unsigned char>(head[1]) == 0x8B
                 ? Form::kGzip
                 : Form::kPlain;
      if (form == Form::kGzip) inflater.emplace();
      const std::string held = std::move(head);
      head.clear();
      return form == Form::kGzip ? Inflate(held, final) : Parse(held.data(), held.size(), final);
    }
    return form == Form::kGzip ? Inflate(bytes, final) : Parse(bytes.data(), bytes.size(), final);
  }
};

XmltvReader::XmltvReader(XmltvHandlers handlers, std::string preferred_language)
    : state_(std::make_unique<State>()) {
  state_->handlers = std::move(handlers);
  state_->preferred_language = std::move(preferred_language);
  state_->parser = XML_ParserCreate("UTF-8");
  if (state_->parser == nullptr) throw Error("out of memory");
  XML_SetUserData(state_->parser, state_.get());
  XML_SetElementHandler(
      state_->parser,
      [](void* user_data, const XML_Char* name, const XML_Char** attributes) {
        State& state = *static_cast<State*>(user_data);
        state.Guarded([&] { state.StartElement(name, attributes); });
      },
      [](void* user_data, const XML_Char*) {
        State& state = *static_cast<State*>(user_data);
        state.Guarded([&] { state.EndElement(); });
      });
  XML_SetCharacterDataHandler(state_->parser, [](void* user_data, const XML_Char* data, int len) {
    State& state = *static_cast<State*>(user_data);
    state.Guarded([&] { state.Characters(data, len); });
  });
}

XmltvReader::~XmltvReader() = default;

Outcome XmltvReader::Feed(std::string_view bytes) {
  if (!state_->failure.empty()) return Outcome::Fail(state_->failure);
  return state_->Take(bytes, false);
}

Outcome XmltvReader::Finish() {
  if (!state_->failure.empty()) return Outcome::Fail(state_->failure);
  if (Outcome taken = state_->Take({}, true); !taken.ok()) return taken;
  for (auto& [id, track] : state_->tracks) {
    if (track.waiting) ++state_->counts.without_end;
    track.waiting.reset();
  }
  return Outcome::Ok();
}

const GuideCounts& XmltvReader::counts() const {
  return state_->counts;
}

Outcome ReadXmltvFile(const std::filesystem::path& file, XmltvReader& reader) {
  std::FILE* stream = std::fopen(file.c_str(), "rb");
  if (stream == nullptr) return Outcome::Fail(CannotReadMessage(file, errno));
  std::string buffer(kChunk, '\0');
  Outcome outcome;
  while (outcome.ok()) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), stream);
    if (got == 0) {
      if (std::ferror(stream) != 0) outcome = Outcome::Fail(CannotReadMessage(file, EIO));
      break;
    }
    outcome = reader.Feed(std::string_view(buffer.data(), got));
  }
  std::fclose(stream);
  if (!outcome.ok()) return outcome;
  return reader.Finish();
}

}  // namespace vistrel
