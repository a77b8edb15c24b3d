#include "tools/terminal_text.h"

#include <gtest/gtest.h>

namespace vistrel {
namespace {

TEST(TerminalText, ControlsAndStrayBytesAreShownAsCodes) {
  struct Case {
    std::string text;
    std::string shown;
  };
  for (const Case& c : {
           Case{"Your list of channels is up to date.", "Your list of channels is up to date."},
           Case{"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xBA",
                "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xBA"},
           Case{"red \x1B[31mtext\x1B[0m", "red \\x1B[31mtext\\x1B[0m"},
           Case{"title \x1B]0;owned\x07", "title \\x1B]0;owned\\x07"},
           Case{"line\r\nbreak\ttab", "line\\x0D\\x0Abreak\\x09tab"},
           Case{std::string("nul\0end", 7), "nul\\x00end"},
           Case{"del \x7F", "del \\x7F"},
           Case{"c1 \xC2\x9B"
                "2J",
                "c1 \\x9B2J"},
           Case{"nbsp \xC2\xA0", "nbsp \xC2\xA0"},
           Case{"8-bit \xE9t\xE9", "8-bit \\xE9t\\xE9"},
           Case{"cut \xE2\x82", "cut \\xE2\\x82"},
           Case{"overlong \xC0\xAF \xE0\x80\xAF", "overlong \\xC0\\xAF \\xE0\\x80\\xAF"},
           Case{"surrogate \xED\xA0\x80", "surrogate \\xED\\xA0\\x80"},
           Case{"beyond \xF4\x90\x80\x80", "beyond \\xF4\\x90\\x80\\x80"},
           Case{"back\\slash", "back\\slash"},
       }) {
    EXPECT_EQ(TerminalText(c.text), c.shown) << c.shown;
  }
}

}  // namespace
}  // namespace vistrel
