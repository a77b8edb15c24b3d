#include "catalogue_json.h"

namespace vistrel::tool {

namespace {

using Json = nlohmann::ordered_json;

template <typename Row>
Json IdNameRows(const std::vector<Row>& rows) {
  Json out = Json::array();
  for (const Row& row : rows) {
    out.push_back(Json{{"id", row.id}, {"name", row.name}});
  }
  return out;
}

Json ChannelToJson(const Channel& c) {
  return Json{{"id", c.id},
              {"favorited", c.favorited ? 1 : 0},
              {"group_id", c.group_id},
              {"sent", c.sent ? 1 : 0},
              {"name", c.name},
              {"url", c.url},
              {"bitrate", c.bitrate},
              {"type_id", c.type_id},
              {"homepage", c.homepage},
              {"country_id", c.country_id},
              {"genre_id", c.genre_id},
              {"genre", c.genre_name},
              {"comment", c.comment},
              {"rating", c.rating},
              {"rated", c.rated},
              {"rt", c.average_rating},
              {"workfine", c.work_fine_reports},
              {"notworking", c.not_working_reports},
              {"wrong", c.wrong_info_reports},
              {"duplicate", c.duplicate_reports},
              {"spam", c.spam_reports},
              {"status", static_cast<int32_t>(c.status)},
              {"usdef", c.user_defined ? 1 : 0}};
}

}  // namespace

Json CatalogueToJson(const Catalogue& catalogue) {
  Json channels = Json::array();
  for (const Channel& channel : catalogue.channels) channels.push_back(ChannelToJson(channel));
  Json out;
  out["stVersion"] = catalogue.version_text;
  out["dtVersion"] = catalogue.version_date;
  out["countries"] = IdNameRows(catalogue.countries);
  out["genres"] = IdNameRows(catalogue.genres);
  out["channels"] = std::move(channels);
  return out;
}

}  // namespace vistrel::tool
