// The desktop menu entry and the icon in data/: the entry names the program's executable,
// icon and window class, and every PNG size is drawn at the size of its folder.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace vistrel {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(VISTREL_SOURCE_DIR) / "data";

// The "key=value" lines of the [Desktop Entry] group.
std::map<std::string, std::string> DesktopEntry(const std::string& text) {
  std::map<std::string, std::string> keys;
  std::istringstream in(text);
  bool in_group = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("[")) in_group = line == "[Desktop Entry]";
    const size_t equals = line.find('=');
    if (in_group && equals != std::string::npos) {
      keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
  }
  return keys;
}

uint32_t BigEndian32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST(DesktopEntryTest, NamesTheProgramItsIconAndItsWindowClass) {
  auto keys = DesktopEntry(ReadTestFile(kData / "vistrel.desktop"));
  EXPECT_EQ(keys["Type"], "Application");
  EXPECT_EQ(keys["Name"], "Vistrel");
  // Files and addresses handed over ("Open with" a playlist) come as arguments.
  EXPECT_EQ(keys["Exec"], "vistrel %U");
  EXPECT_EQ(keys["MimeType"], "audio/x-mpegurl;application/vnd.apple.mpegurl;audio/mpegurl;");
  EXPECT_EQ(keys["Icon"], "vistrel");
  EXPECT_EQ(keys["StartupWMClass"], "vistrel");
  EXPECT_NE(keys["Categories"].find("AudioVideo;"), std::string::npos);
}

TEST(DesktopEntryTest, IconComesAsSvgAndAsPngOfEverySize) {
  EXPECT_NE(ReadTestFile(kData / "icons" / "vistrel.svg").find("<svg"), std::string::npos);
  for (uint32_t size : {16, 32, 48, 64, 128, 256}) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    const std::string png =
        ReadTestFile(kData / "icons" / "hicolor" / folder / "apps" / "vistrel.png");
    SCOPED_TRACE(folder);
    // The signature, then the IHDR chunk with width and height.
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian32(png, 16), size);
    EXPECT_EQ(BigEndian32(png, 20), size);
  }
}

}  // namespace
}  // namespace vistrel
