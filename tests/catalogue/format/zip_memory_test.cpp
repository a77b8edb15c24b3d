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
  if (!LocateZipEntry(archive, name)) throw std::runtime_error("no entry");
  if (uncleared) return std::string(ReadZipEntryBytes(archive).view());
  return ReadZipEntry(archive);
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
  EXPECT_FALSE(LocateZipEntry(archive, "video.dat"));
  EXPECT_FALSE(LocateZipEntry(archive, "dat"));
}

TEST(ZipMemory, BytesThatAreNoArchiveOpenNothing) {
  EXPECT_FALSE(OpenZipInMemory(""));
  EXPECT_FALSE(OpenZipInMemory(Repeated("not a zip archive ", 100)));
  EXPECT_FALSE(LocateZipEntry(UnzipArchive(), "tv.dat"));
  EXPECT_THROW(ReadZipEntry(UnzipArchive()), Error);
  EXPECT_THROW(ReadZipEntryBytes(UnzipArchive()), Error);
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

TEST(ZipMemory, AnArchiveWithoutEntriesIsToldFromOtherBytes) {
  const std::string empty = BuildZipArchive({});
  std::string with_comment = empty;
  with_comment[20] = 3;
  with_comment += "abc";
  std::string counting_one = empty;
  counting_one[10] = 1;
  struct Case {
    const char* what;
    std::string bytes;
    bool empty;
  } cases[] = {
      {"built without entries", empty, true},
      {"with a comment", with_comment, true},
      {"with entries", BuildZipArchive({{"a.dat", "a"}}), false},
      {"declaring an entry", counting_one, false},
      {"followed by more", empty + "x", false},
      {"cut short", empty.substr(0, 21), false},
      {"nothing", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsEmptyZipArchive(c.bytes), c.empty) << c.what;
  }
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

// A few bytes of archive must not obtain the memory they declare: sizes that the data cannot
// hold are refused before anything is allocated, which the message tells apart from a read
// that failed.
TEST(ZipMemory, DeclaredSizesBeyondWhatTheDataHoldsAreRefusedBeforeReading) {
  struct Case {
    const char* what;
    bool deflated;
    std::size_t field;  // offset in the central header: 20 compressed size, 24 size
    std::uint32_t value;
  };
  const std::string content = "1|A|http://127.0.0.1/a|0|1||1|5||0|0|0|0|0|0|0\r\n";
  for (const Case& c : {Case{"deflated entry claiming 256 MiB", true, 24, 256u << 20},
                        Case{"deflated entry claiming 1032 times its data", true, 24, 64 * 1032},
                        Case{"stored entry claiming more than its data", false, 24, 4096},
                        Case{"compressed size beyond the archive", true, 20, 1u << 20}}) {
    SCOPED_TRACE(c.what);
    std::string zip = ZipWithInfoZip({{"tv.dat", content}}, {.deflated = c.deflated});
    ASSERT_LT(zip.size(), 400u);
    PutLe32(zip, CentralHeaderOffset(zip, "tv.dat") + c.field, c.value);
    const UnzipArchive archive = OpenZipInMemory(zip);
    ASSERT_TRUE(archive);
    ASSERT_TRUE(LocateZipEntry(archive, "tv.dat"));
    for (bool uncleared : {false, true}) {
      try {
        (void)(uncleared ? ReadZipEntryBytes(archive).size : ReadZipEntry(archive).size());
        ADD_FAILURE() << "read, uncleared " << uncleared;
      } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("\"tv.dat\" is damaged: it declares"),
                  std::string::npos)
            << e.what();
      }
    }
    EXPECT_THROW(CurrentZipEntry(archive), Error);
  }
}

TEST(ZipMemory, CurrentEntryTellsItsDeclaredSizes) {
  const std::string content = Repeated("12|Some channel|http://127.0.0.1/stream|0|1\r\n", 1000);
  for (bool deflated : {true, false}) {
    for (bool zip64 : {false, true}) {
      SCOPED_TRACE(testing::Message() << "deflated " << deflated << " zip64 " << zip64);
      const std::string zip =
          ZipWithInfoZip({{"tv.dat", content}}, {.deflated = deflated, .zip64 = zip64});
      const UnzipArchive archive = OpenZipInMemory(zip);
      ASSERT_TRUE(LocateZipEntry(archive, "tv.dat"));
      const ZipEntryInfo info = CurrentZipEntry(archive);
      EXPECT_EQ(info.name, "tv.dat");
      EXPECT_EQ(info.size, content.size());
      EXPECT_EQ(info.deflated, deflated);
      EXPECT_EQ(info.compressed_size, deflated ? info.compressed_size : content.size());
      EXPECT_LT(info.compressed_size, deflated ? content.size() / 10 : zip.size());
      EXPECT_EQ(ReadZipEntry(archive), content);
    }
  }
}

// The whole-entry inflater takes only data that comes out exactly as declared; anything else
// is left to the streaming reader, whose message then names the entry and what is wrong. The
// archives with changed directory fields are written with data descriptors, which the local
// headers then do not contradict.
TEST(ZipMemory, PreparedEntryInflatesOnlyWhenIntact) {
  const std::string content = Repeated("1|AMC|http://127.0.0.1/a.m3u8|0|1||1|18|720p|0|0\r\n", 300);
  auto add_to_field = [](std::size_t field, int change) {
    return [field, change](std::string& zip) {
      const std::size_t at = CentralHeaderOffset(zip, "tv.dat") + field;
      PutLe32(zip, at, static_cast<std::uint32_t>(static_cast<int>(GetLe32(zip, at)) + change));
    };
  };
  struct Case {
    const char* what;
    ZipToolOptions made_as;
    std::function<void(std::string&)> damage;  // none: intact
    const char* message;                       // what the streaming reader says
  };
  const std::vector<Case> cases = {
      {"deflated", {}, nullptr, nullptr},
      {"stored", {.deflated = false}, nullptr, nullptr},
      {"zip64 deflated", {.zip64 = true}, nullptr, nullptr},
      {"deflate data scrambled", {}, ScrambleData, "\"tv.dat\" is damaged"},
      {"stored data changed", {.deflated = false}, FlipDataBit, "checksum mismatch"},
      {"checksum changed", {.stream = true}, add_to_field(16, 1), "checksum mismatch"},
      {"declared 10 bytes short", {.stream = true}, add_to_field(24, -10), "checksum mismatch"},
      {"declared 10 bytes long", {.stream = true}, add_to_field(24, 10), "before its declared"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string zip = ZipWithInfoZip({{"tv.dat", content}}, c.made_as);
    if (c.damage) c.damage(zip);
    const UnzipArchive archive = OpenZipInMemory(zip);
    ASSERT_TRUE(LocateZipEntry(archive, "tv.dat"));
    const PreparedZipEntry prepared = PrepareZipEntry(archive);
    std::string out(prepared.info.size, '\0');
    EXPECT_EQ(InflatePreparedEntry(prepared, out.data()), c.message == nullptr);
    if (c.message == nullptr) {
      EXPECT_EQ(out, content);
    } else {
      EXPECT_THAT([&] { ReadZipEntryStreamed(archive, out.data()); },
                  ThrowsErrorContaining(c.message));
      EXPECT_THAT([&] { (void)ReadZipEntry(archive); }, ThrowsErrorContaining(c.message));
    }
  }
}

}  // namespace
}  // namespace vistrel
