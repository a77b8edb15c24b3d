#include "support/catalogue_printers.h"

#include <gtest/gtest.h>

namespace vistrel {

void PrintTo(const Channel& c, std::ostream* out) {
  auto text = [](const std::string& value) { return ::testing::PrintToString(value); };
  *out << "{id " << c.id << ", favorited " << c.favorited << ", group_id " << c.group_id
       << ", sent " << c.sent << ", name " << text(c.name) << ", url " << text(c.url)
       << ", bitrate " << c.bitrate << ", type_id " << c.type_id << ", homepage "
       << text(c.homepage) << ", country_id " << c.country_id << ", genre_id " << c.genre_id
       << ", genre_name " << text(c.genre_name) << ", comment " << text(c.comment) << ", rating "
       << ::testing::PrintToString(c.rating) << ", rated " << c.rated << ", average_rating "
       << ::testing::PrintToString(c.average_rating) << ", work_fine_reports "
       << c.work_fine_reports << ", not_working_reports " << c.not_working_reports
       << ", wrong_info_reports " << c.wrong_info_reports << ", duplicate_reports "
       << c.duplicate_reports << ", spam_reports " << c.spam_reports << ", status "
       << static_cast<int32_t>(c.status) << ", user_defined " << c.user_defined << ", rated_mark "
       << c.rated_mark << ", flagged_mark " << c.flagged_mark << "}";
}

void PrintTo(const Country& country, std::ostream* out) {
  *out << "{id " << country.id << ", name " << ::testing::PrintToString(country.name) << "}";
}

void PrintTo(const Genre& genre, std::ostream* out) {
  *out << "{id " << genre.id << ", name " << ::testing::PrintToString(genre.name) << "}";
}

}  // namespace vistrel
