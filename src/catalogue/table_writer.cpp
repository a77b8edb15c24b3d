#include "catalogue/table_writer.h"

#include <array>
#include <charconv>
#include <unordered_set>

#include "catalogue/format/codepage.h"

namespace vistrel {

namespace {

constexpr const char* kLineEnd = "\r\n";

void AppendInt(std::string& line, int32_t value) {
  line += std::to_string(value);
  line += '|';
}

void AppendText(std::string& line, std::string_view value) {
  line += value;
  line += '|';
}

template <typename Row>
std::string IdNameTable(const std::vector<Row>& rows) {
  std::string text;
  for (const Row& row : rows) {
    text += std::to_string(row.id) + "|" + row.name + kLineEnd;
  }
  return text;
}

}  // namespace

std::string_view ChannelTableName(int32_t group_id) {
  for (const ChannelEntry& entry : kChannelEntries) {
    if (entry.group_id == group_id) return entry.name;
  }
  return {};
}

std::string FormatDecimal(double value) {
  std::array<char, 64> buffer;
  auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  if (ec != std::errc()) return "0";
  return std::string(buffer.data(), end);
}

std::string FormatChannelLine(const Channel& c) {
  std::string line;
  AppendInt(line, c.id);
  AppendText(line, c.name);
  AppendText(line, c.url);
  AppendInt(line, c.bitrate);
  AppendInt(line, c.type_id);
  AppendText(line, c.homepage);
  AppendInt(line, c.country_id);
  AppendInt(line, c.genre_id);
  AppendText(line, c.comment);
  AppendText(line, FormatDecimal(c.rating));
  AppendInt(line, c.rated);
  AppendInt(line, c.work_fine_reports);
  AppendInt(line, c.not_working_reports);
  AppendInt(line, c.wrong_info_reports);
  AppendInt(line, c.duplicate_reports);
  line += std::to_string(c.spam_reports);
  return line;
}

std::vector<PackageEntry> TablesToEntries(const CatalogueTables& tables) {
  std::vector<PackageEntry> entries;
  entries.emplace_back(kVersionEntry, tables.version + kLineEnd);
  entries.emplace_back(kCountriesEntry, EncodeTextFile(IdNameTable(tables.countries)));
  entries.emplace_back(kGenresEntry, EncodeTextFile(IdNameTable(tables.genres)));
  for (const ChannelEntry& entry : kChannelEntries) {
    std::string text;
    for (const Channel& channel : tables.channels) {
      if (channel.group_id == entry.group_id) text += FormatChannelLine(channel) + kLineEnd;
    }
    entries.emplace_back(entry.name, EncodeTextFile(text));
  }
  // Beside the tables, which stay as they were: readers that do not know it never look at it.
  std::unordered_set<int32_t> ids;
  for (const Channel& channel : tables.channels) ids.insert(channel.id);
  std::string headers;
  for (const auto& [id, channel_headers] : tables.stream_headers) {
    if (channel_headers.empty() || !ids.contains(id)) continue;
    headers += FormatStreamHeadersLine(id, channel_headers) + kLineEnd;
  }
  if (!headers.empty()) entries.emplace_back(kHeadersEntry, EncodeTextFile(headers));
  return entries;
}

}  // namespace vistrel
