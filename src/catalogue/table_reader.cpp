#include "catalogue/table_reader.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "catalogue/format/codepage.h"
#include "catalogue/format/fields.h"
#include "catalogue/format/table_scan.h"
#include "catalogue/lookups.h"
#include "common/date_time.h"
#include "common/error.h"

namespace vistrel {

namespace {

constexpr char kSeparator = '|';

Error LineError(std::string_view entry_name, std::size_t index, std::string_view problem) {
  return Error(std::string(entry_name) + ", line " + std::to_string(index + 1) + ": " +
               std::string(problem));
}

Error TooFewFields(std::size_t have, std::size_t need) {
  return Error(std::to_string(have) + (have == 1 ? " field" : " fields") + " where " +
               std::to_string(need) + " are needed");
}

// An entry's text as the parsers read it. Without a byte-order mark the bytes are
// Windows-1252 and each text field is converted on its own (most are ASCII and are taken as
// they are); after a UTF-8 mark they are UTF-8, made valid once for the whole entry; after a
// UTF-16 mark the whole entry is converted first.
class TableText {
 public:
  explicit TableText(std::string_view bytes) : text_(bytes) {
    if (bytes.starts_with(kUtf8Bom)) {
      utf8_ = true;
      text_.remove_prefix(kUtf8Bom.size());
      if (!IsValidUtf8(text_)) {
        owned_ = ValidUtf8(text_);
        text_ = owned_;
      }
    } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
      utf8_ = true;
      owned_ = DecodeTextFile(bytes);
      text_ = owned_;
    }
  }
  TableText(const TableText&) = delete;
  TableText& operator=(const TableText&) = delete;

  // The text whose lines and fields are parsed.
  std::string_view text() const { return text_; }
  // Whether text() is UTF-8 already (else Windows-1252).
  bool utf8() const { return utf8_; }
  // Whether text() was converted from the bytes rather than taken from them.
  bool converted() const { return !owned_.empty(); }

  // A field of text() as UTF-8, at most `max_characters` characters. The string is built at
  // its exact size rather than assigned, which would round the capacity up.
  std::string Field(std::string_view field,
                    std::size_t max_characters = std::string_view::npos) const {
    if (utf8_) return std::string(field.substr(0, CharacterPrefix(field, max_characters)));
    field = field.substr(0, std::min(field.size(), max_characters));  // a byte is a character
    return IsAscii(field) ? std::string(field) : Cp1252ToUtf8(field);
  }

 private:
  std::string_view text_;
  bool utf8_ = false;
  std::string owned_;
};

// Converted texts (Windows-1252 fields with accented letters) copied into a few large blocks
// rather than one allocation each.
class TextPool {
 public:
  ChannelText Copy(std::string_view text) {
    if (text.empty()) return ChannelText();
    if (!maker_ || room_ < text.size()) {
      maker_.reset();
      maker_ =
          std::make_unique<TextMaker>(TextBlockHold::Allocate(std::max(kBlockSize, text.size())));
      room_ = maker_->block().size();
    }
    char* at = maker_->block().data() + (maker_->block().size() - room_);
    std::memcpy(at, text.data(), text.size());
    room_ -= text.size();
    return maker_->Share(std::string_view(at, text.size()));
  }

 private:
  static constexpr std::size_t kBlockSize = std::size_t{64} << 10;
  std::unique_ptr<TextMaker> maker_;
  std::size_t room_ = 0;
};

// The records' texts of one channel table: views into the block that holds the table's text
// where the field is taken as it is, copies into the pool where it is converted.
class ChannelTexts {
 public:
  // `text` is table.text(), which lies in `block`.
  ChannelTexts(const TableText& table, TextBlockHold block)
      : table_(table), maker_(std::move(block)) {}

  ChannelText Field(std::string_view field, std::size_t max_characters = std::string_view::npos) {
    if (table_.utf8()) return Taken(field.substr(0, CharacterPrefix(field, max_characters)));
    field = field.substr(0, std::min(field.size(), max_characters));  // a byte is a character
    return IsAscii(field) ? Taken(field) : pool_.Copy(Cp1252ToUtf8(field));
  }

 private:
  // Without a block the fields lie anywhere, and each is copied.
  ChannelText Taken(std::string_view part) {
    return maker_.block() ? maker_.Share(part) : ChannelText(part);
  }

  const TableText& table_;
  TextMaker maker_;
  TextPool pool_;
};

// Countries and genres share the shape id|name.
template <typename Row>
void ReadIdNameRows(std::string_view entry_name, std::string_view bytes, std::vector<Row>& rows) {
  const TableText table(bytes);
  const std::string_view text = table.text();
  rows.clear();
  // One row per line, and no more than the bytes can hold ("0|x" and a line break), so that a
  // text of line breaks alone reserves nothing much.
  rows.reserve(std::min(CountTableLines(text), (text.size() + 1) / 4));
  std::size_t index = 0;
  ForEachLine(text, [&](std::string_view line) {
    try {
      std::array<std::string_view, 2> fields;
      if (std::size_t n = SplitFieldsInto(line, kSeparator, fields); n < fields.size()) {
        throw TooFewFields(n, fields.size());
      }
      Row row;
      row.id = ParseInt32(fields[0]);
      row.name = table.Field(fields[1], kShortTextCapacity);
      rows.push_back(std::move(row));
    } catch (const Error& e) {
      throw LineError(entry_name, index, table.Field(e.what()));
    }
    ++index;
  });
}

// The common case of a field of one to nine plain digits, which cannot overflow; false for
// anything else (signs, longer numbers, errors), which the full conversions then handle.
bool ShortDigits(std::string_view field, int32_t& value) {
  // Most counters are a single digit.
  if (field.size() == 1) {
    const unsigned digit = static_cast<unsigned char>(field[0]) - unsigned{'0'};
    if (digit > 9) return false;
    value = static_cast<int32_t>(digit);
    return true;
  }
  if (field.empty() || field.size() > 9) return false;
  int32_t v = 0;
  for (char c : field) {
    const unsigned digit = static_cast<unsigned char>(c) - unsigned{'0'};
    if (digit > 9) return false;
    v = v * 10 + static_cast<int32_t>(digit);
  }
  value = v;
  return true;
}

int32_t ParseCount(std::string_view field) {
  int32_t value;
  return ShortDigits(field, value) ? value : ParseInt32(field);
}

// A whole number of up to nine digits is exactly representable, so converting it directly
// gives the same double as ParseDecimal.
double ParseRating(std::string_view field) {
  int32_t value;
  return ShortDigits(field, value) ? static_cast<double>(value) : ParseDecimal(field);
}

// Position of the first of the sorted `values` not less than `key`, as std::lower_bound gives
// it, but with the halving steps as conditional moves: channel ids and genre ids come in no
// order, so a branch per step would be mispredicted half the time.
std::size_t LowerBound(const std::vector<int32_t>& values, int32_t key) {
  if (values.empty()) return 0;
  const int32_t* base = values.data();
  for (std::size_t n = values.size(); n > 1;) {
    const std::size_t half = n / 2;
    base = base[half] < key ? base + half : base;
    n -= half;
  }
  return static_cast<std::size_t>(base - values.data()) + (*base < key ? 1 : 0);
}

// IsFavorite and GenreName for a whole table, without a scan of both lists per channel: the
// favourites sorted and searched, the first genre of each id kept and found by its id. The
// names are copied into one block, which the records' genre names then share.
class ChannelLookups {
 public:
  ChannelLookups(const std::vector<int32_t>& favorites_list, const std::vector<Genre>& genres)
      : favorites_(favorites_list) {
    std::sort(favorites_.begin(), favorites_.end());
    std::vector<std::pair<int32_t, const std::string*>> by_id;
    by_id.reserve(genres.size());
    for (const Genre& genre : genres) by_id.emplace_back(genre.id, &genre.name);
    // Stable, so that among genres of the same id the first in the table comes first and
    // survives the removal of the others.
    std::stable_sort(by_id.begin(), by_id.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::size_t name_bytes = 0;
    for (const auto& [id, name] : by_id) {
      if (genre_ids_.empty() || genre_ids_.back() != id) {
        genre_ids_.push_back(id);
        name_bytes += name->size();
      }
    }
    genre_block_ = TextBlockHold::Allocate(name_bytes);
    genre_names_.reserve(genre_ids_.size());
    char* at = genre_block_.data();
    for (std::size_t i = 0, n = 0; i < by_id.size(); ++i) {
      if (n < genre_ids_.size() && genre_ids_[n] == by_id[i].first) {
        const std::string& name = *by_id[i].second;
        if (!name.empty()) std::memcpy(at, name.data(), name.size());
        genre_names_.emplace_back(at, name.size());
        at += name.size();
        ++n;
      }
    }
    // Genre ids are small numbers in practice, and then a table indexed by id answers with a
    // single load; ids spread wider are searched.
    if (!genre_ids_.empty() && int64_t{genre_ids_.back()} - genre_ids_.front() < kDenseGenreRange) {
      genre_base_ = genre_ids_.front();
      genre_table_.assign(static_cast<std::size_t>(genre_ids_.back() - genre_base_ + 1), nullptr);
      for (std::size_t i = 0; i < genre_ids_.size(); ++i) {
        genre_table_[static_cast<std::size_t>(genre_ids_[i] - genre_base_)] = &genre_names_[i];
      }
    }
  }
  ChannelLookups(const ChannelLookups&) = delete;
  ChannelLookups& operator=(const ChannelLookups&) = delete;

  bool IsFavorite(int32_t id) const {
    const std::size_t at = LowerBound(favorites_, id);
    return at < favorites_.size() && favorites_[at] == id;
  }

  // The name of the first genre with `id`, in genre_block(); null when there is none.
  const std::string_view* GenreName(int32_t id) const {
    if (!genre_table_.empty()) {
      const auto slot = static_cast<uint64_t>(int64_t{id} - genre_base_);
      return slot < genre_table_.size() ? genre_table_[slot] : nullptr;
    }
    const std::size_t at = LowerBound(genre_ids_, id);
    return at < genre_ids_.size() && genre_ids_[at] == id ? &genre_names_[at] : nullptr;
  }

  const TextBlockHold& genre_block() const { return genre_block_; }

 private:
  std::vector<int32_t> favorites_;
  std::vector<int32_t> genre_ids_;  // sorted, each once
  TextBlockHold genre_block_;
  std::vector<std::string_view> genre_names_;  // in genre_block_, in the order of genre_ids_
  int64_t genre_base_ = 0;                     // the id of genre_table_[0]
  std::vector<const std::string_view*> genre_table_;
  static constexpr int64_t kDenseGenreRange = 4096;
};

// Fills a fresh record from a channel line's fields.
void FillChannel(Channel& item, std::span<const std::string_view> fields, int32_t group_id,
                 const ChannelLookups& lookups, ChannelTexts& texts, TextMaker& genre_texts) {
  if (fields.size() < kChannelFields) throw TooFewFields(fields.size(), kChannelFields);
  item.id = ParseCount(fields[0]);
  item.name = texts.Field(fields[1], kShortTextCapacity);
  item.url = texts.Field(fields[2]);
  item.bitrate = ParseCount(fields[3]);
  item.type_id = ParseCount(fields[4]);
  item.homepage = texts.Field(fields[5]);
  item.country_id = ParseCount(fields[6]);
  item.genre_id = ParseCount(fields[7]);
  item.comment = texts.Field(fields[8]);
  item.rating = ParseRating(fields[9]);
  item.rated = ParseCount(fields[10]);
  item.work_fine_reports = ParseCount(fields[11]);
  item.not_working_reports = ParseCount(fields[12]);
  item.wrong_info_reports = ParseCount(fields[13]);
  item.duplicate_reports = ParseCount(fields[14]);
  item.spam_reports = ParseCount(fields[15]);

  item.group_id = group_id;
  item.sent = false;
  item.user_defined = false;
  item.favorited = lookups.IsFavorite(item.id);
  if (const std::string_view* genre = lookups.GenreName(item.genre_id)) {
    item.genre_name = genre_texts.Share(*genre);
  }
  item.average_rating = item.rated >= 1 ? item.rating / item.rated : 0;
  item.status = StatusOfReports(item.work_fine_reports, item.not_working_reports,
                                item.wrong_info_reports, item.duplicate_reports, item.spam_reports);
}

int TwoDigits(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

}  // namespace

PackageVersion ParsePackageVersion(std::string_view bytes) {
  const std::string decoded = DecodeTextFile(bytes);
  std::string_view text = decoded;
  if (std::size_t zero = text.find('\0'); zero != std::string_view::npos) {
    text = text.substr(0, zero);
  }
  const std::string_view head = text.substr(0, std::min<std::size_t>(text.size(), 12));
  auto invalid = [&] {
    return Error("The package version \"" + std::string(head) +
                 "\" is not a date and time (YYYYMMDDhhmm)");
  };
  if (head.size() < 12 || head.find_first_not_of("0123456789") != std::string_view::npos) {
    throw invalid();
  }
  const int year = TwoDigits(head, 0) * 100 + TwoDigits(head, 2);
  const int month = TwoDigits(head, 4);
  const int day = TwoDigits(head, 6);
  const int hour = TwoDigits(head, 8);
  const int minute = TwoDigits(head, 10);
  const std::chrono::year_month_day date{std::chrono::year{year},
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  if (year < 1 || !date.ok() || hour > 23 || minute > 59) throw invalid();
  return PackageVersion{std::string(head), DateTimeFromCivil(year, month, day, hour, minute)};
}

std::size_t CountTableLines(std::string_view text) {
  std::size_t count = 0;
  ForEachLine(text, [&](std::string_view) { ++count; });
  return count;
}

void ReadCountries(std::string_view entry_name, std::string_view text, std::vector<Country>& rows) {
  ReadIdNameRows(entry_name, text, rows);
}

void ReadGenres(std::string_view entry_name, std::string_view text, std::vector<Genre>& rows) {
  ReadIdNameRows(entry_name, text, rows);
}

Channel ChannelFromFields(std::span<const std::string_view> fields, int32_t group_id,
                          const std::vector<int32_t>& favorites_list,
                          const std::vector<Genre>& genres) {
  // The fields lie anywhere, so their texts are copies of them.
  Channel item;
  const ChannelLookups lookups(favorites_list, genres);
  const TableText table("");
  ChannelTexts texts(table, TextBlockHold());
  TextMaker genre_texts(lookups.genre_block());
  FillChannel(item, fields, group_id, lookups, texts, genre_texts);
  return item;
}

void AppendChannels(std::string_view entry_name, std::string_view bytes, int32_t group_id,
                    const std::vector<int32_t>& favorites_list, const std::vector<Genre>& genres,
                    std::vector<Channel>& channels) {
  AppendChannels(entry_name, TextBlockHold::CopyOf(bytes), group_id, favorites_list, genres,
                 channels);
}

void AppendChannels(std::string_view entry_name, TextBlockHold bytes, int32_t group_id,
                    const std::vector<int32_t>& favorites_list, const std::vector<Genre>& genres,
                    std::vector<Channel>& channels) {
  const TableText table(bytes.view());
  // A converted text gets a block of its own for the records' texts to point into.
  TextBlockHold block = table.converted() ? TextBlockHold::CopyOf(table.text()) : std::move(bytes);
  const std::string_view text = table.converted() ? block.view() : table.text();
  ChannelTexts texts(table, std::move(block));
  const ChannelLookups lookups(favorites_list, genres);
  TextMaker genre_texts(lookups.genre_block());
  std::size_t index = 0;
  std::array<std::string_view, kChannelFields> fields;
  ForEachLine(text, [&](std::string_view line) {
    const std::size_t count = SplitFieldsInto(line, kSeparator, fields);
    // Filled in place; a record whose line turns out malformed is taken away again.
    Channel& item = channels.emplace_back();
    try {
      FillChannel(item, std::span(fields).first(count), group_id, lookups, texts, genre_texts);
    } catch (const Error& e) {
      channels.pop_back();
      throw LineError(entry_name, index, table.Field(e.what()));
    }
    ++index;
  });
}

struct ChannelTableParser::State {
  State(std::string_view name, TextBlockHold bytes, int32_t group,
        const std::vector<int32_t>& favorites_list, const std::vector<Genre>& genres)
      : entry_name(name), table(bytes.view()), lookups(favorites_list, genres), group_id(group) {
    // A converted text gets a block of its own for the records' texts to point into.
    block = table.converted() ? TextBlockHold::CopyOf(table.text()) : std::move(bytes);
    text = table.converted() ? block.view() : table.text();
    text = text.substr(0, std::min(text.size(), text.find('\0')));
  }
  std::string_view entry_name;
  TableText table;
  TextBlockHold block;
  ChannelLookups lookups;
  int32_t group_id;
  std::string_view text;
};

ChannelTableParser::ChannelTableParser(std::string_view entry_name, TextBlockHold bytes,
                                       int32_t group_id, const std::vector<int32_t>& favorites_list,
                                       const std::vector<Genre>& genres)
    : state_(std::make_unique<State>(entry_name, std::move(bytes), group_id, favorites_list,
                                     genres)) {}

ChannelTableParser::~ChannelTableParser() = default;

std::string_view ChannelTableParser::text() const {
  return state_->text;
}

std::size_t ChannelTableParser::Parse(std::string_view piece, std::size_t first_line,
                                      std::span<Channel> records, std::size_t& filled) const {
  const State& s = *state_;
  // Each call makes its own texts, so that calls on several threads share no counter.
  ChannelTexts texts(s.table, s.block);
  TextMaker genre_texts(s.lookups.genre_block());
  std::size_t& index = filled;
  index = 0;
  std::array<std::string_view, kChannelFields> fields;
  ForEachLine(piece, [&](std::string_view line) {
    if (index < records.size()) {
      const std::size_t count = SplitFieldsInto(line, kSeparator, fields);
      try {
        FillChannel(records[index], std::span(fields).first(count), s.group_id, s.lookups, texts,
                    genre_texts);
      } catch (const Error& e) {
        throw LineError(s.entry_name, first_line + index, s.table.Field(e.what()));
      }
    }
    ++index;
  });
  const std::size_t lines = index;
  index = std::min(lines, records.size());
  return lines;
}

}  // namespace vistrel
