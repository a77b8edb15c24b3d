#include "common/xdg_folders.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/scoped_env.h"

namespace vistrel {
namespace {

using Text = std::optional<std::string>;

Text AsText(const std::optional<std::filesystem::path>& folder) {
  return folder ? Text(folder->string()) : std::nullopt;
}

// Both resolvers follow one rule: their variable when absolute, else HOME (when absolute)
// with the default below it.
TEST(XdgFolders, VariableElseHomeBothAbsoluteOnly) {
  struct Case {
    Text variable;
    Text home;
    Text data;
    Text config;
  };
  for (const Case& c : {
           Case{"/x", "/home/u", "/x", "/x"},
           Case{std::nullopt, "/home/u", "/home/u/.local/share", "/home/u/.config"},
           Case{"", "/home/u", "/home/u/.local/share", "/home/u/.config"},
           Case{"relative", "/home/u", "/home/u/.local/share", "/home/u/.config"},
           Case{"/x", std::nullopt, "/x", "/x"},
           Case{std::nullopt, "relative/home", std::nullopt, std::nullopt},
           Case{std::nullopt, std::nullopt, std::nullopt, std::nullopt},
       }) {
    SCOPED_TRACE(c.variable.value_or("(unset)") + " " + c.home.value_or("(unset)"));
    ScopedEnv data("XDG_DATA_HOME", c.variable);
    ScopedEnv config("XDG_CONFIG_HOME", c.variable);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(AsText(XdgDataHome()), c.data);
    EXPECT_EQ(AsText(XdgConfigHome()), c.config);
  }
  EXPECT_EQ(ProgramSubfolder(), std::filesystem::path("Orvane/Vistrel"));
}

}  // namespace
}  // namespace vistrel
