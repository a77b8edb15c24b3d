// Channel texts share the bytes of the table they were read from: copies share, setting one
// replaces it, and the bytes stay valid until the last text that uses them goes.

#include "catalogue/channel_text.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vistrel {
namespace {

// Texts made from one block, as the table reader makes them.
std::vector<ChannelText> TextsOf(std::string_view table, std::size_t count) {
  TextMaker maker(TextBlockHold::CopyOf(table));
  const std::string_view bytes = maker.block().view();
  std::vector<ChannelText> texts;
  for (std::size_t i = 0; i < count; ++i) texts.push_back(maker.Share(bytes.substr(i % 3, 4)));
  return texts;
}

TEST(ChannelText, SharedTextsOutliveTheirMakerAndBlock) {
  std::vector<ChannelText> texts = TextsOf("abcdefgh", 10000);  // more than one batch of users
  EXPECT_EQ(texts[0], "abcd");
  EXPECT_EQ(texts[1], "bcde");
  ChannelText copy = texts[2];
  texts.clear();  // the copy alone keeps the block
  EXPECT_EQ(copy, "cdef");
  EXPECT_EQ(copy.str() + "!", "cdef!");
}

TEST(ChannelText, SettingReplacesAndMovingLeavesEmpty) {
  std::vector<ChannelText> texts = TextsOf("name|url", 2);
  ChannelText edited = texts[0];
  edited = std::string("Edited name");
  EXPECT_EQ(edited, "Edited name");
  EXPECT_EQ(texts[0], "name");  // the shared one is not touched
  ChannelText moved = std::move(edited);
  EXPECT_EQ(moved, "Edited name");
  EXPECT_TRUE(edited.empty());  // NOLINT(bugprone-use-after-move): a moved-from text is empty
  moved.clear();
  EXPECT_EQ(moved, "");
  EXPECT_EQ(ChannelText(""), ChannelText());
  EXPECT_LT(ChannelText("Alpha"), ChannelText("Beta"));
}

TEST(ChannelText, CopiesOnSeveralThreadsCountTheirUsers) {
  const std::vector<ChannelText> texts = TextsOf("shared bytes", 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&texts] {
      for (int i = 0; i < 10000; ++i) {
        ChannelText copy = texts[0];
        ASSERT_EQ(copy.size(), 4u);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(texts[0], "shar");
}

}  // namespace
}  // namespace vistrel
