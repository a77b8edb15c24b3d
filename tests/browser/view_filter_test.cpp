#include "browser/view_filter.h"

#include <gtest/gtest.h>

#include <functional>

namespace vistrel {
namespace {

Channel TvChannel() {
  Channel c;
  c.group_id = 1;
  c.type_id = 1;
  c.name = "ABC News";
  c.country_id = 5;
  c.genre_id = 7;
  c.bitrate = 128;
  c.status = ChannelStatus::kWorkFine;
  return c;
}

ViewFilter TvView() {
  ViewFilter f;
  f.view = View::kTv;
  return f;
}

TEST(ChannelPassesFilter, PlayerTypeViewAndEachSectionDecide) {
  struct Case {
    const char* what;
    std::function<void(ViewFilter&, Channel&)> set;
    bool passes;
  };
  const Case cases[] = {
      {"plain TV channel in TV view", [](ViewFilter&, Channel&) {}, true},
      {"no player type", [](ViewFilter&, Channel& c) { c.type_id = 0; }, true},
      {"real player stream never listed", [](ViewFilter&, Channel& c) { c.type_id = 2; }, false},
      {"other group", [](ViewFilter&, Channel& c) { c.group_id = 2; }, false},
      {"group that no channel has", [](ViewFilter& f, Channel&) { f.view = static_cast<View>(7); },
       false},
      {"favourite radio channel in favourites view",
       [](ViewFilter& f, Channel& c) {
         f.view = View::kFavorites;
         f.favorited = 1;
         c.group_id = 2;
         c.favorited = 1;
       },
       true},
      {"favourite radio channel in radio view",
       [](ViewFilter& f, Channel& c) {
         f.view = View::kRadio;
         c.group_id = 2;
         c.favorited = 1;
       },
       true},
      {"non-favourite in favourites view",
       [](ViewFilter& f, Channel&) {
         f.view = View::kFavorites;
         f.favorited = 1;
       },
       false},
      // The stored mark is a number: a channel carries 1 as a favourite, else 0.
      {"non-favourite in favourites view with the mark 0",
       [](ViewFilter& f, Channel&) { f.view = View::kFavorites; }, true},
      {"favourite in favourites view with the mark 2",
       [](ViewFilter& f, Channel& c) {
         f.view = View::kFavorites;
         f.favorited = 2;
         c.favorited = true;
       },
       false},
      {"favourite type 2 in favourites view",
       [](ViewFilter& f, Channel& c) {
         f.view = View::kFavorites;
         f.favorited = 1;
         c.favorited = 1;
         c.type_id = 2;
       },
       false},
      {"name is case-sensitive",
       [](ViewFilter& f, Channel&) {
         f.name_section_on = true;
         f.name = "abc";
       },
       false},
      {"name substring",
       [](ViewFilter& f, Channel&) {
         f.name_section_on = true;
         f.name = "C Ne";
       },
       true},
      {"empty name passes nothing", [](ViewFilter& f, Channel&) { f.name_section_on = true; },
       false},
      {"name value ignored while section off", [](ViewFilter& f, Channel&) { f.name = "zzz"; },
       true},
      {"country matches",
       [](ViewFilter& f, Channel&) {
         f.country_section_on = true;
         f.country_id = 5;
       },
       true},
      {"country differs",
       [](ViewFilter& f, Channel&) {
         f.country_section_on = true;
         f.country_id = 6;
       },
       false},
      {"country id widened without sign",
       [](ViewFilter& f, Channel& c) {
         f.country_section_on = true;
         f.country_id = 0xFFFF;
         c.country_id = 65535;
       },
       true},
      {"country id -1 is not 65535",
       [](ViewFilter& f, Channel& c) {
         f.country_section_on = true;
         f.country_id = 0xFFFF;
         c.country_id = -1;
       },
       false},
      {"genre matches",
       [](ViewFilter& f, Channel&) {
         f.genre_section_on = true;
         f.genre_id = 7;
       },
       true},
      {"genre 70000 cut to 4464 does not match 70000",
       [](ViewFilter& f, Channel& c) {
         f.genre_section_on = true;
         f.genre_id = static_cast<uint16_t>(70000);
         c.genre_id = 70000;
       },
       false},
      {"bitrate equal is hidden",
       [](ViewFilter& f, Channel&) {
         f.bitrate_section_on = true;
         f.bitrate = 128;
       },
       false},
      {"bitrate above shown",
       [](ViewFilter& f, Channel& c) {
         f.bitrate_section_on = true;
         f.bitrate = 128;
         c.bitrate = 129;
       },
       true},
      {"status section on, all switches off",
       [](ViewFilter& f, Channel&) { f.status_section_on = true; }, true},
      {"new hides status 2",
       [](ViewFilter& f, Channel& c) {
         f.status_section_on = true;
         f.hide_new = true;
         c.status = ChannelStatus::kNew;
       },
       false},
      {"new keeps status 0",
       [](ViewFilter& f, Channel&) {
         f.status_section_on = true;
         f.hide_new = true;
       },
       true},
      {"workfine hides user channels (status 0)",
       [](ViewFilter& f, Channel& c) {
         f.status_section_on = true;
         f.hide_work_fine = true;
         c.user_defined = 1;
       },
       false},
      {"spam switch ignored while section off",
       [](ViewFilter& f, Channel& c) {
         f.hide_spam = true;
         c.status = ChannelStatus::kSpam;
       },
       true},
      {"each switch hides its own status",
       [](ViewFilter& f, Channel& c) {
         f.status_section_on = f.hide_not_working = f.hide_wrong_info = f.hide_duplicate = true;
         c.status = ChannelStatus::kDuplicate;
       },
       false},
  };
  for (const auto& k : cases) {
    ViewFilter f = TvView();
    Channel c = TvChannel();
    k.set(f, c);
    EXPECT_EQ(ChannelPassesFilter(f, c), k.passes) << k.what;
  }
}

// One switch at a time against every status: a switch hides its own status and no other.
TEST(ChannelPassesFilter, EachStatusSwitchHidesItsOwnStatusOnly) {
  struct Switch {
    bool ViewFilter::*field;
    ChannelStatus status;
  };
  const Switch switches[] = {{&ViewFilter::hide_work_fine, ChannelStatus::kWorkFine},
                             {&ViewFilter::hide_not_working, ChannelStatus::kNotWorking},
                             {&ViewFilter::hide_new, ChannelStatus::kNew},
                             {&ViewFilter::hide_wrong_info, ChannelStatus::kWrongInfo},
                             {&ViewFilter::hide_duplicate, ChannelStatus::kDuplicate},
                             {&ViewFilter::hide_spam, ChannelStatus::kSpam}};
  for (const Switch& on : switches) {
    for (int32_t number = 0; number <= static_cast<int32_t>(ChannelStatus::kSpam); ++number) {
      const auto status = static_cast<ChannelStatus>(number);
      ViewFilter f = TvView();
      f.status_section_on = true;
      f.*on.field = true;
      Channel c = TvChannel();
      c.status = status;
      EXPECT_EQ(ChannelPassesFilter(f, c), status != on.status)
          << "switch of status " << static_cast<int32_t>(on.status) << ", channel of status "
          << number;
    }
  }
}

TEST(AnySectionOn, ViewDoesNotCount) {
  ViewFilter f;
  f.view = View::kFavorites;
  f.favorited = 1;
  f.name = "x";
  EXPECT_FALSE(AnySectionOn(f));
  for (bool ViewFilter::*flag : {&ViewFilter::name_section_on, &ViewFilter::country_section_on,
                                 &ViewFilter::genre_section_on, &ViewFilter::bitrate_section_on,
                                 &ViewFilter::status_section_on}) {
    ViewFilter g;
    g.*flag = true;
    EXPECT_TRUE(AnySectionOn(g));
  }
}

}  // namespace
}  // namespace vistrel
