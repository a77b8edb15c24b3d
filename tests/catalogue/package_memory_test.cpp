// Packages made to take memory: whatever a package of less than 64 KiB holds, it loads or is
// refused with an error, and the load's peak resident memory stays below 64 MiB. Each load
// runs in a child process, whose peak the kernel measures.

#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "catalogue/format/cipher.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "common/error.h"
#include "support/zip_fixtures.h"

#include "support/sanitizers.h"

namespace vistrel {
namespace {

constexpr std::size_t kPackageLimit = 64 * 1024;
constexpr double kMemoryLimitMiB = 64;

// A field of /proc/self/status in KiB ("VmHWM", "VmRSS").
std::optional<long> StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(field) + ":";
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(prefix, 0) == 0) return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
  }
  return std::nullopt;
}

enum class Outcome { kLoaded = 0, kRefused = 1, kOutOfMemory = 2, kNoProbe = 3 };

struct Measured {
  Outcome outcome;
  double peak_rise_mib;
  std::string message;
};

// Loads `package` in a child process: what became of it and how far the peak resident memory
// rose over the size before the load. With `address_space_mib`, the child's address space may
// grow only that much over its size before the load.
Measured LoadInChild(const std::string& package, std::optional<long> address_space_mib = {}) {
  int channel[2];
  if (::pipe(channel) != 0) throw std::runtime_error("pipe");
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    ::close(channel[0]);
    malloc_trim(0);
    // Writing 5 resets the peak to the current resident size.
    std::ofstream("/proc/self/clear_refs") << "5";
    const std::optional<long> before = StatusKiB("VmRSS");
    if (const std::optional<long> size = StatusKiB("VmSize"); size && address_space_mib) {
      const rlim_t bytes = static_cast<rlim_t>(*size + *address_space_mib * 1024) * 1024;
      const rlimit limit{bytes, bytes};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    Outcome outcome = Outcome::kLoaded;
    std::string message;
    try {
      Catalogue info;
      ClearCatalogue(info);
      LoadChannelPackageBytes(info, {}, package);
    } catch (const Error& e) {
      message = e.what();
      outcome = message.find("not enough memory") != std::string::npos ? Outcome::kOutOfMemory
                                                                       : Outcome::kRefused;
    }
    const std::optional<long> peak = StatusKiB("VmHWM");
    if (!before || !peak) outcome = Outcome::kNoProbe;
    const std::string report = std::to_string(static_cast<int>(outcome)) + " " +
                               std::to_string(peak.value_or(0) - before.value_or(0)) + " " +
                               message;
    (void)!::write(channel[1], report.data(), report.size());
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || report.empty()) {
    throw std::runtime_error("the loading child ended abnormally, status " +
                             std::to_string(status));
  }
  Measured m{};
  std::size_t used = 0;
  m.outcome = static_cast<Outcome>(std::stoi(report, &used));
  std::size_t more = 0;
  m.peak_rise_mib = std::stod(report.substr(used), &more) / 1024.0;
  m.message = report.substr(std::min(report.size(), used + more + 1));
  return m;
}

std::string Letters(std::size_t bytes) {
  std::string out(bytes, 'a');
  std::uint32_t seed = 7;
  for (char& c : out) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>('a' + (seed >> 24) % 26);
  }
  return out;
}

// The shortest channel line there is; each costs a whole record.
const std::string kShortestLine = "0|||0|0||0|0||0|0|0|0|0|0|0\n";

std::string Lines(std::size_t count, const std::string& head = "") {
  std::string out = head;
  out.reserve(out.size() + count * kShortestLine.size());
  for (std::size_t i = 0; i < count; ++i) out += kShortestLine;
  return out;
}

struct Case {
  const char* what;
  std::string package;
  bool must_load;
};

std::vector<Case> HostilePackages() {
  std::vector<Case> cases;
  // About 1000:1, as far as deflate goes.
  cases.push_back(
      {"line breaks only", BuildPackage({{"tv.dat", std::string(60 << 20, '\n')}}), false});
  cases.push_back(
      {"separators only", BuildPackage({{"tv.dat", std::string(60 << 20, '|')}}), false});
  cases.push_back({"shortest lines at 400:1", BuildPackage({{"tv.dat", Lines(900'000)}}), false});
  cases.push_back({"countries of line breaks",
                   BuildPackage({{"countries.dat", std::string(60 << 20, '\n')}}), false});
  // Just inside the ratio a table may have: a comment of letters, then shortest lines.
  const std::string head = "0|||0|0||0|0|" + Letters(80'000) + "|0|0|0|0|0|0|0\n";
  cases.push_back(
      {"shortest lines at the ratio", BuildPackage({{"tv.dat", Lines(95'000, head)}}), true});
  const std::string short_head = "0|||0|0||0|0|" + Letters(25'000) + "|0|0|0|0|0|0|0\n";
  cases.push_back({"three tables at the ratio",
                   BuildPackage({{"tv.dat", Lines(28'000, short_head)},
                                 {"radio.dat", Lines(28'000, short_head)},
                                 {"video.dat", Lines(28'000, short_head)}}),
                   true});
  // A small archive whose entry declares 256 MiB.
  std::string zip = BuildZipArchive({{"tv.dat", kShortestLine}});
  PutLe32(zip, CentralHeaderOffset(zip, "tv.dat") + 24, 256u << 20);
  EncryptInPlace(zip, CipherKey(build::kKeyText, build::kIvText));
  cases.push_back({"declared 256 MiB", zip, false});
  return cases;
}

TEST(PackageMemory, SmallPackagesLoadOrAreRefusedWithinTheirMemory) {
#ifdef VISTREL_ASAN
  GTEST_SKIP() << "AddressSanitizer keeps freed memory resident; the peak means nothing here";
#endif
  for (const Case& c : HostilePackages()) {
    SCOPED_TRACE(c.what);
    ASSERT_LT(c.package.size(), kPackageLimit);
    const Measured m = LoadInChild(c.package);
    if (m.outcome == Outcome::kNoProbe) {
      GTEST_SKIP() << "no peak memory figures here";
    }
    EXPECT_TRUE(m.outcome == Outcome::kLoaded || m.outcome == Outcome::kRefused) << m.message;
    if (c.must_load) {
      EXPECT_EQ(m.outcome, Outcome::kLoaded) << m.message;
    }
    EXPECT_LT(m.peak_rise_mib, kMemoryLimitMiB);
    std::printf("%-30s %6zu bytes: %s, peak +%.1f MiB%s%s\n", c.what, c.package.size(),
                m.outcome == Outcome::kLoaded ? "loaded" : "refused", m.peak_rise_mib,
                m.message.empty() ? "" : ": ", m.message.c_str());
  }
}

// Running out of memory in the middle of a load is an error with a clear text, not an escape
// that would end the program.
TEST(PackageMemory, RunningOutOfMemoryIsAnError) {
#ifdef VISTREL_ASAN
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit allows";
#endif
  const std::string head = "0|||0|0||0|0|" + Letters(80'000) + "|0|0|0|0|0|0|0\n";
  const Measured m = LoadInChild(BuildPackage({{"tv.dat", Lines(95'000, head)}}), 8);
  EXPECT_EQ(m.outcome, Outcome::kOutOfMemory) << m.message;
  EXPECT_EQ(m.message, "There is not enough memory to load the channel package");
}

}  // namespace
}  // namespace vistrel
