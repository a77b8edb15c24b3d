#include "browser/view_filter.h"

#include <gtest/gtest.h>

#include <functional>

namespace vistrel {
namespace {

TItem TvChannel() {
  TItem c;
  c.group_id = 1;
  c.type_id = 1;
  c.name = "ABC News";
  c.country_id = 5;
  c.genre_id = 7;
  c.bitrate = 128;
  c.status = kStatusWorkFine;
  return c;
}

TFilter TvView() {
  TFilter f;
  f.group_id = 1;
  return f;
}

TEST(ChannelPassesFilter, Cases) {
  struct Case {
    const char* what;
    std::function<void(TFilter&, TItem&)> set;
    bool passes;
  };
  const Case cases[] = {
      {"plain TV channel in TV view", [](TFilter&, TItem&) {}, true},
      {"no player type", [](TFilter&, TItem& c) { c.type_id = 0; }, true},
      {"real player stream never listed", [](TFilter&, TItem& c) { c.type_id = 2; }, false},
      {"other group", [](TFilter&, TItem& c) { c.group_id = 2; }, false},
      {"group that no channel has", [](TFilter& f, TItem&) { f.group_id = 7; }, false},
      {"favourite radio channel in favourites view",
       [](TFilter& f, TItem& c) {
         f.group_id = 0;
         f.favorited = 1;
         c.group_id = 2;
         c.favorited = 1;
       },
       true},
      {"favourite radio channel in radio view",
       [](TFilter& f, TItem& c) {
         f.group_id = 2;
         c.group_id = 2;
         c.favorited = 1;
       },
       true},
      {"non-favourite in favourites view",
       [](TFilter& f, TItem&) {
         f.group_id = 0;
         f.favorited = 1;
       },
       false},
      {"favourite type 2 in favourites view",
       [](TFilter& f, TItem& c) {
         f.group_id = 0;
         f.favorited = 1;
         c.favorited = 1;
         c.type_id = 2;
       },
       false},
      {"name is case-sensitive",
       [](TFilter& f, TItem&) {
         f.name_flag = true;
         f.name = "abc";
       },
       false},
      {"name substring",
       [](TFilter& f, TItem&) {
         f.name_flag = true;
         f.name = "C Ne";
       },
       true},
      {"empty name passes nothing", [](TFilter& f, TItem&) { f.name_flag = true; }, false},
      {"name value ignored while section off", [](TFilter& f, TItem&) { f.name = "zzz"; }, true},
      {"country matches",
       [](TFilter& f, TItem&) {
         f.country_flag = true;
         f.country_id = 5;
       },
       true},
      {"country differs",
       [](TFilter& f, TItem&) {
         f.country_flag = true;
         f.country_id = 6;
       },
       false},
      {"country id widened without sign",
       [](TFilter& f, TItem& c) {
         f.country_flag = true;
         f.country_id = 0xFFFF;
         c.country_id = 65535;
       },
       true},
      {"country id -1 is not 65535",
       [](TFilter& f, TItem& c) {
         f.country_flag = true;
         f.country_id = 0xFFFF;
         c.country_id = -1;
       },
       false},
      {"genre matches",
       [](TFilter& f, TItem&) {
         f.genre_flag = true;
         f.genre_id = 7;
       },
       true},
      {"genre 70000 cut to 4464 does not match 70000",
       [](TFilter& f, TItem& c) {
         f.genre_flag = true;
         f.genre_id = static_cast<uint16_t>(70000);
         c.genre_id = 70000;
       },
       false},
      {"bitrate equal is hidden",
       [](TFilter& f, TItem&) {
         f.bitrate_flag = true;
         f.bitrate = 128;
       },
       false},
      {"bitrate above shown",
       [](TFilter& f, TItem& c) {
         f.bitrate_flag = true;
         f.bitrate = 128;
         c.bitrate = 129;
       },
       true},
      {"status section on, all switches off", [](TFilter& f, TItem&) { f.flag_flag = true; }, true},
      {"new hides status 2",
       [](TFilter& f, TItem& c) {
         f.flag_flag = true;
         f.new_ = true;
         c.status = kStatusNew;
       },
       false},
      {"new keeps status 0",
       [](TFilter& f, TItem&) {
         f.flag_flag = true;
         f.new_ = true;
       },
       true},
      {"workfine hides user channels (status 0)",
       [](TFilter& f, TItem& c) {
         f.flag_flag = true;
         f.workfine = true;
         c.usdef = 1;
       },
       false},
      {"spam switch ignored while section off",
       [](TFilter& f, TItem& c) {
         f.spam = true;
         c.status = kStatusSpam;
       },
       true},
      {"each switch hides its own status",
       [](TFilter& f, TItem& c) {
         f.flag_flag = f.notworking = f.wrong = f.duplicate = true;
         c.status = kStatusDuplicate;
       },
       false},
  };
  for (const auto& k : cases) {
    TFilter f = TvView();
    TItem c = TvChannel();
    k.set(f, c);
    EXPECT_EQ(ChannelPassesFilter(f, c), k.passes) << k.what;
  }
}

// One switch at a time against every status: a switch hides its own status and no other.
TEST(ChannelPassesFilter, EachStatusSwitchHidesItsOwnStatusOnly) {
  struct Switch {
    bool TFilter::*field;
    int32_t status;
  };
  const Switch switches[] = {{&TFilter::workfine, kStatusWorkFine},
                             {&TFilter::notworking, kStatusNotWorking},
                             {&TFilter::new_, kStatusNew},
                             {&TFilter::wrong, kStatusWrongInfo},
                             {&TFilter::duplicate, kStatusDuplicate},
                             {&TFilter::spam, kStatusSpam}};
  for (const Switch& on : switches) {
    for (int32_t status = kStatusWorkFine; status <= kStatusSpam; ++status) {
      TFilter f = TvView();
      f.flag_flag = true;
      f.*on.field = true;
      TItem c = TvChannel();
      c.status = status;
      EXPECT_EQ(ChannelPassesFilter(f, c), status != on.status)
          << "switch of status " << on.status << ", channel of status " << status;
    }
  }
}

TEST(AnySectionOn, ViewDoesNotCount) {
  TFilter f;
  f.group_id = 0;
  f.favorited = 1;
  f.name = "x";
  EXPECT_FALSE(AnySectionOn(f));
  for (bool TFilter::*flag : {&TFilter::name_flag, &TFilter::country_flag, &TFilter::genre_flag,
                              &TFilter::bitrate_flag, &TFilter::flag_flag}) {
    TFilter g;
    g.*flag = true;
    EXPECT_TRUE(AnySectionOn(g));
  }
}

}  // namespace
}  // namespace vistrel
