#include "support/catalogue_service_fixture.h"

#include "catalogue/package.h"
#include "common/date_time.h"
#include "server/catalogue_db.h"
#include "server/catalogue_import.h"

namespace vistrel {

namespace {

namespace fs = std::filesystem;

std::string TvTable(int extra_channels) {
  std::string tv =
      "10|First TV|http://127.0.0.1/1.m3u8|0|1|http://127.0.0.1/|1|3|720p|0|0|0|0|0|0|0\r\n"
      "11|Second TV|http://127.0.0.1/2.m3u8|500|1||2|4||7.5|3|1|2|0|0|0\r\n";
  uint32_t x = 2463534242u;
  auto random_text = [&x](int length) {
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string text;
    for (int i = 0; i < length; ++i) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      text += kChars[x % (sizeof(kChars) - 1)];
    }
    return text;
  };
  for (int i = 0; i < extra_channels; ++i) {
    tv += std::to_string(1000 + i) + "|" + random_text(24) + "|http://127.0.0.1/" +
          random_text(48) + "|0|1||1|3|" + random_text(24) + "|0|0|0|0|0|0|0\r\n";
  }
  return tv;
}

}  // namespace

CatalogueServiceFixture::CatalogueServiceFixture(const std::string& access_key,
                                                 int extra_channels) {
  const fs::path tables = dir_.path() / "tables";
  WriteTestFile(tables / "version.dat", "202001010000\r\n");
  WriteTestFile(tables / "countries.dat", "0|All Countries\r\n1|Afghanistan\r\n");
  WriteTestFile(tables / "genres.dat", "0|All Genres\r\n3|Music\r\n4|News\r\n");
  WriteTestFile(tables / "tv.dat", TvTable(extra_channels));
  WriteTestFile(tables / "radio.dat", "");
  WriteTestFile(tables / "video.dat", "");
  const fs::path db = dir_.path() / "catalogue.sqlite";
  ImportCatalogue(db, tables, "", CurrentMinute());

  CatalogueServiceConfig config;
  config.db_file = db;
  config.host = "127.0.0.1";
  config.port = 0;
  config.access_key = access_key;
  config.build_package = [](const std::vector<PackageEntry>& entries) {
    return BuildPackage(entries);
  };
  service_ = std::make_unique<CatalogueService>(std::move(config));
  service_->Start();
}

std::string CatalogueServiceFixture::version() const {
  return CatalogueDb(dir_.path() / "catalogue.sqlite").LoadTables().version;
}

}  // namespace vistrel
