#include "synthetic_guide.h"
#include "guide/xmltv_time.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <stdexcept>
#include <string>

namespace vistrel::bench {

namespace {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed | 1) {}
  uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  int Between(int low, int high) { return low + static_cast<int>(Next() % (high - low + 1)); }

 private:
  uint64_t state_;
};

constexpr std::array<const char*, 32> kWords = {
    "the",         "news",    "of",        "evening",  "world",
    "journey",     "garden",  "kitchen",   "football", "m\xC3\xBCnchen",
    "caf\xC3\xA9", "science", "history",   "family",   "island",
    "winter",      "summer",  "detective", "concert",  "documentary",
    "weather",     "market",  "city",      "mountain", "river",
    "animals",     "with",    "and",       "a",        "new",
    "live",        "report"};

void Words(Random& random, std::string& out, int bytes) {
  const std::size_t end = out.size() + bytes;
  bool first = true;
  while (out.size() < end) {
    if (!first) out += ' ';
    first = false;
    out += kWords[random.Next() % kWords.size()];
  }
}

class Output {
 public:
  Output(const std::filesystem::path& file, bool gzip) {
    if (gzip) {
      gz_ = gzopen(file.c_str(), "wb6");
      if (gz_ == nullptr) throw std::runtime_error("cannot write " + file.string());
    } else {
      plain_ = std::fopen(file.c_str(), "wb");
      if (plain_ == nullptr) throw std::runtime_error("cannot write " + file.string());
    }
  }
  ~Output() {
    if (gz_ != nullptr) gzclose(gz_);
    if (plain_ != nullptr) std::fclose(plain_);
  }
  void Write(std::string& bytes) {
    const bool ok = gz_ != nullptr
                        ? gzwrite(gz_, bytes.data(), static_cast<unsigned>(bytes.size())) > 0
                        : std::fwrite(bytes.data(), 1, bytes.size(), plain_) == bytes.size();
    if (!ok && !bytes.empty()) throw std::runtime_error("cannot write the guide");
    bytes.clear();
  }

 private:
  gzFile gz_ = nullptr;
  std::FILE* plain_ = nullptr;
};

}  // namespace

int64_t WriteSyntheticGuide(const std::filesystem::path& file, int channels, int days,
                            int64_t begin, bool gzip) {
  Output output(file, gzip);
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
      "<tv generator-info-name=\"vistrel bench\">\n";
  for (int c = 0; c < channels; ++c) {
    out += "  <channel id=\"gc." + std::to_string(c) +
           "\">\n    <display-name lang=\"en\">Guide "
           "Channel " +
           std::to_string(c) +
           "</display-name>\n    <icon src=\"http://127.0.0.1/"
           "logos/" +
           std::to_string(c) + ".png\"/>\n  </channel>\n";
  }
  output.Write(out);
  int64_t programmes = 0;
  const int64_t end = begin + int64_t{days} * 86400;
  for (int c = 0; c < channels; ++c) {
    Random random(0x6E1DE0000ULL + c);
    const std::string channel = "\" channel=\"gc." + std::to_string(c) + "\">\n";
    for (int64_t start = begin; start < end; ++programmes) {
      const int64_t stop = start + random.Between(6, 24) * 300;
      out += "  <programme start=\"" + FormatXmltvTime(start) + "\" stop=\"" +
             FormatXmltvTime(stop) + channel;
      out += "    <title lang=\"en\">";
      Words(random, out, random.Between(10, 50));
      out += "</title>\n    <sub-title lang=\"en\">";
      Words(random, out, random.Between(8, 30));
      out += "</sub-title>\n    <desc lang=\"en\">";
      Words(random, out, random.Between(250, 1050));
      out += " &amp; more.</desc>\n    <category lang=\"en\">";
      Words(random, out, 6);
      out += "</category>\n    <episode-num system=\"xmltv_ns\">" +
             std::to_string(random.Between(0, 9)) + "." + std::to_string(random.Between(0, 30)) +
             ".</episode-num>\n  </programme>\n";
      start = stop;
      if (out.size() > (1 << 20)) output.Write(out);
    }
  }
  out += "</tv>\n";
  output.Write(out);
  return programmes;
}

void WriteGuideCatalogueTables(const std::filesystem::path& dir, int guide_channels, int extra) {
  std::filesystem::create_directories(dir);
  const auto write = [&](const char* name, const std::string& bytes) {
    std::ofstream file(dir / name, std::ios::binary);
    file << bytes;
    if (!file) throw std::runtime_error("cannot write " + (dir / name).string());
  };
  write("countries.dat", "0|All Countries\r\n");
  write("genres.dat", "0|All Genres\r\n");
  write("radio.dat", "");
  write("video.dat", "");
  std::string tv;
  int id = 1;
  const auto add = [&](const std::string& name) {
    tv += std::to_string(id) + "|" + name + "|http://127.0.0.1/" + std::to_string(id) +
          ".m3u8|0|1||0|0||0|0|0|0|0|0|0\r\n";
    ++id;
  };
  for (int c = 0; c < guide_channels; c += 2) add("Guide Channel " + std::to_string(c));
  for (int e = 0; e < extra; ++e) add("Other Channel " + std::to_string(e));
  write("tv.dat", tv);
}

}  // namespace vistrel::bench
