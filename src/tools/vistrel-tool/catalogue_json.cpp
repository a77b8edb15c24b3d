#include "catalogue_json.h"

#include "catalogue/format/codepage.h"

namespace vistrel::tool {

namespace {

using Json = nlohmann::ordered_json;

template <typename Row>
Json IdNameRows(const std::vector<Row>& rows) {
  Json out = Json::array();
  for (const Row& row : rows) {
    out.push_back(Json{{"id", row.id}, {"name", Cp1252ToUtf8(row.name)}});
  }
  return out;
}

Json ChannelToJson(const TItem& c) {
  return Json{{"id", c.id},
              {"favorited", c.favorited},
              {"group_id", c.group_id},
              {"sent", c.sent},
              {"name", Cp1252ToUtf8(c.name)},
              {"url", Cp1252ToUtf8(c.url)},
              {"bitrate", c.bitrate},
              {"type_id", c.type_id},
              {"homepage", Cp1252ToUtf8(c.homepage)},
              {"country_id", c.country_id},
              {"genre_id", c.genre_id},
              {"genre", Cp1252ToUtf8(c.genre)},
              {"comment", Cp1252ToUtf8(c.comment)},
              {"rating", c.rating},
              {"rated", c.rated},
              {"rt", c.rt},
              {"workfine", c.workfine},
              {"notworking", c.notworking},
              {"wrong", c.wrong},
              {"duplicate", c.duplicate},
              {"spam", c.spam},
              {"status", c.status},
              {"usdef", c.usdef}};
}

}  // namespace

Json CatalogueToJson(const TInfo& info) {
  Json channels = Json::array();
  for (const TItem& channel : info.channels) channels.push_back(ChannelToJson(channel));
  Json out;
  out["stVersion"] = Cp1252ToUtf8(info.stVersion);
  out["dtVersion"] = info.dtVersion;
  out["countries"] = IdNameRows(info.countries);
  out["genres"] = IdNameRows(info.genres);
  out["channels"] = std::move(channels);
  return out;
}

}  // namespace vistrel::tool
