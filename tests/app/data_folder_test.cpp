#include "app/data_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/scoped_env.h"

namespace vistrel {
namespace {

TEST(DataFolder, FollowsTheBaseDirectoryRules) {
  using Text = std::optional<std::string>;
  struct Case {
    Text xdg;
    Text home;
    Text folder;
  };
  for (const Case& c : {
           Case{"/x/data", "/home/u", "/x/data/Orvane/Vistrel"},
           Case{std::nullopt, "/home/u", "/home/u/.local/share/Orvane/Vistrel"},
           Case{"", "/home/u", "/home/u/.local/share/Orvane/Vistrel"},
           Case{"relative/data", "/home/u", "/home/u/.local/share/Orvane/Vistrel"},
           Case{"/x/data", std::nullopt, "/x/data/Orvane/Vistrel"},
           Case{std::nullopt, std::nullopt, std::nullopt},
           Case{"relative", "also-relative", std::nullopt},
       }) {
    ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
    ScopedEnv home("HOME", c.home);
    std::optional<std::filesystem::path> folder = DataFolder();
    EXPECT_EQ(folder ? std::optional<std::string>(folder->string()) : std::nullopt, c.folder)
        << c.xdg.value_or("(unset)") << " " << c.home.value_or("(unset)");
  }
}

TEST(DataFolder, MessageNamesWhatToSet) {
  const std::string message = NoDataFolderMessage();
  EXPECT_NE(message.find("XDG_DATA_HOME"), std::string::npos);
  EXPECT_NE(message.find("HOME"), std::string::npos);
}

}  // namespace
}  // namespace vistrel
