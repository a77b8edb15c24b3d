#include <gtest/gtest.h>

#include <functional>

#include "catalogue/format/zip_memory.h"
#include "catalogue/format/zip_reader.h"
#include "catalogue/package.h"
#include "common/error.h"
#include "support/error_matchers.h"
#include "support/zip_fixtures.h"

namespace vistrel {
namespace {

std::string Repeated(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// An entry's bytes as ReadZipEntry gives them or, with `uncleared`, as ReadZipEntryBytes does.
std::string ReadEntry(const std::string& zip, const char* name, bool uncleared = false) {
  UnzipArchive archive = OpenZipInMemory(zip);
  if (!archive) throw std::runtime_error("not an archive");
  if (!LocateZipEntry(archive.get(), name)) throw std::runtime_error("no entry");
  if (uncleared) return std::string(ReadZipEntryBytes(archive.get()).view());
  return ReadZipEntry(archive.get());
}

TEST(ZipMemory, BuiltArchiveReadsBackEveryEntry) {
  const std::vector<PackageEntry> entries = {
      {"empty.dat", ""},
      {"binary.dat", std::string("\0\x01\xff\r\n|", 6)},
      {"big.dat", Repeated("12|Some channel|http://127.0.0.1/stream|0|1\r\n", 40000)},
  };
  const std::string zip = BuildZipArchive(entries);
  for (const auto& [name, bytes] : entries) {
    EXPECT_EQ(ReadEntry(zip, name.c_str()), bytes);
    EXPECT_EQ(ReadEntry(zip, name.c_str(), true), bytes);
  }
}

TEST(ZipMemory, NamesMatchInAnyCaseButOnlyWhole) {
  const std::string zip = BuildZipArchive(
      {{"sub/tv.dat", "nested"}, {"TV.DAT", "first"}, {"tv.dat", "second"}, {"radio.dat", "r"}});
  EXPECT_EQ(ReadEntry(zip, "tv.dat"), "first");
  EXPECT_EQ(ReadEntry(zip, "Radio.Dat"), "r");
  UnzipArchive archive = OpenZipInMemory(zip);
  EXPECT_FALSE(LocateZipEntry(archive.get(), "video.dat"));
  EXPECT_FALSE(LocateZipEntry(archive.get(), "dat"));
}

TEST(ZipMemory, BytesThatAreNoArchiveOpenNothing) {
  EXPECT_FALSE(OpenZipInMemory(""));
  EXPECT_FALSE(OpenZipInMemory(Repeated("not a zip archive ", 100)));
  EXPECT_FALSE(LocateZipEntry(nullptr, "tv.dat"));
  EXPECT_THROW(ReadZipEntry(nullptr), Error);
  EXPECT_THROW(ReadZipEntryBytes(nullptr), Error);
}

// Damage done to an archive whose entry "tv.dat" holds `content`.
struct Damage {
  const char* what;
  ZipToolOptions made_as;
  std::function<void(std::string&)> apply;
};

void ScrambleData(std::string& zip) {
  const std::size_t at = EntryDataOffset(zip, "tv.dat");
  for (std::size_t i = 4; i < 40; ++i) zip[at + i] = static_cast<char>(0xA5 ^ i);
}

void FlipDataBit(std::string& zip) {
  zip[EntryDataOffset(zip, "tv.dat") + 100] ^= 0x20;
}

TEST(ZipMemory, DamagedEntryRaisesErrorNamingIt) {
  const std::string content = Repeated("1|AMC|http://127.0.0.1/a.m3u8|0|1||1|18|720p|0|0\r\n", 300);
  const std::vector<Damage> damages = {
      {"deflate data scrambled", {}, ScrambleData},
      {"stored data changed (checksum)", {.deflated = false}, FlipDataBit},
      {"zip64 deflate data scrambled", {.zip64 = true}, ScrambleData},
      {"zip64 stored data changed (checksum)", {.deflated = false, .zip64 = true}, FlipDataBit},
      {"absurd declared size",
       {},
       [](std::string& zip) {
         PutLe32(zip, CentralHeaderOffset(zip, "tv.dat") + 24, 0xFFFFFFF0u);
       }},
      {"declared size beyond the data",
       {},
       [&](std::string& zip) {
         PutLe32(zip, CentralHeaderOffset(zip, "tv.dat") + 24,
                 static_cast<std::uint32_t>(content.size() + 1000));
       }},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    // Info-ZIP writes zip64 sizes into the central directory, where they matter.
    std::string zip = ZipWithInfoZip({{"tv.dat", content}}, damage.made_as);
    ASSERT_EQ(ReadEntry(zip, "tv.dat"), content);
    damage.apply(zip);
    for (bool uncleared : {false, true}) {
      EXPECT_THAT([&] { ReadEntry(zip, "tv.dat", uncleared); }, ThrowsErrorContaining("\"tv.dat\""))
          << "uncleared " << uncleared;
    }
  }
}

}  // namespace
}  // namespace vistrel
