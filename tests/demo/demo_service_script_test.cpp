// scripts/demo_service.sh, the local service behind scripts/run.sh, run for real on 127.0.0.1
// with a state folder of its own: it imports the demo tables, serves the catalogue and the
// media, is shared by the runs that are up together, stops with the last of them (also one
// that dies without saying so), and moves to another port, with channel URLs to match, when
// its port is taken.

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "demo/demo_files.h"
#include "support/process.h"
#include "support/temp_dir.h"

extern char** environ;

namespace vistrel {
namespace {

namespace fs = std::filesystem;

const fs::path kSource(VISTREL_SOURCE_DIR);
const fs::path kBinary(VISTREL_BINARY_DIR);

// A process that stands for a run of the program: alive until Kill.
class StandInRun {
 public:
  StandInRun() {
    const char* argv[] = {"/bin/sleep", "300", nullptr};
    EXPECT_EQ(posix_spawn(&pid_, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  }
  ~StandInRun() { Kill(); }
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// One state folder (XDG_DATA_HOME) and the script's commands on it. The destructor stops a
// service left behind by a failed test.
class DemoService {
 public:
  explicit DemoService(const fs::path& tables) : tables_(tables) {}
  ~DemoService() {
    if (const pid_t pid = ServicePid(); pid > 0) ::kill(pid, SIGKILL);
  }

  ProcessResult Run(const std::string& command, pid_t owner = 0) const {
    std::string line =
        "XDG_DATA_HOME=" + ShellQuote(data_.path().string()) +
        " VISTREL_SERVICE_BIN=" + ShellQuote((kBinary / "vistrel-service").string()) +
        " VISTREL_DEMO_TABLES=" + ShellQuote(tables_.string()) + " bash " +
        ShellQuote((kSource / "scripts" / "demo_service.sh").string()) + " " + command;
    if (owner > 0) line += " " + std::to_string(owner);
    return RunShell(line);
  }
  // The base URL that "start" printed; fails the test when it did not succeed.
  std::string Start(pid_t owner) const {
    const ProcessResult r = Run("start", owner);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    std::string url = r.out;
    while (!url.empty() && url.back() == '\n') url.pop_back();
    return url;
  }
  fs::path State() const { return data_.path() / "Orvane" / "Vistrel-demo-service"; }
  pid_t ServicePid() const {
    const std::string text = ReadTestFile(State() / "service.pid");
    return text.empty() ? -1 : std::stoi(text);
  }

 private:
  TempDir data_;
  fs::path tables_;
};

bool Alive(pid_t pid) {
  return pid > 0 && ::kill(pid, 0) == 0;
}

// Waits up to 15 s for the process to end (the script's watcher looks every 2 s).
bool EndsSoon(pid_t pid) {
  for (int i = 0; i < 150 && Alive(pid); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return !Alive(pid);
}

// The demo tables as the service's table reader takes them: themselves when it knows their
// byte-order marks, else a copy in `folder` without the marks.
fs::path ImportableTables(const fs::path& folder) {
  if (TableParsersKnowByteOrderMarks()) return kDemoFolder / "tables";
  for (const auto& entry : fs::directory_iterator(kDemoFolder / "tables")) {
    std::string bytes = ReadTestFile(entry.path());
    if (bytes.starts_with(kDemoTableMark)) bytes.erase(0, kDemoTableMark.size());
    WriteTestFile(folder / entry.path().filename(), bytes);
  }
  return folder;
}

std::string Get(const std::string& base_url, const std::string& path, int* status) {
  httplib::Client client(base_url);
  const auto result = client.Get(path);
  *status = result ? result->status : -1;
  return result ? result->body : std::string();
}

TEST(DemoServiceScriptTest, SharedByTheRunsThatAreUpAndStoppedWithTheLast) {
  TempDir tables;
  DemoService service(ImportableTables(tables.path()));
  StandInRun first, second;

  const std::string url = service.Start(first.pid());
  ASSERT_TRUE(url.starts_with("http://127.0.0.1:")) << url;
  const pid_t pid = service.ServicePid();
  ASSERT_TRUE(Alive(pid));

  int status = 0;
  const std::string media = Get(url, "/media/radio-arpeggio.mp3", &status);
  EXPECT_EQ(status, 200);
  EXPECT_EQ(media, ReadTestFile(kSource / "demo" / "media" / "radio-arpeggio.mp3"));

  // The guide made at the start gives every TV channel the programme on now and the next.
  const std::string now_next = Get(url, "/service/guide.php?now=1", &status);
  EXPECT_EQ(status, 200);
  const auto guide = nlohmann::json::parse(now_next, nullptr, false);
  ASSERT_TRUE(guide.is_array()) << now_next;
  EXPECT_EQ(guide.size(), 17u) << now_next.substr(0, 300);
  for (const auto& channel : guide) EXPECT_EQ(channel["programmes"].size(), 2u) << channel;

  // The package the program downloads names this service in its channel URLs.
  TempDir data;
  const ProcessResult download =
      RunProcess({(kBinary / "vistrel-tool").string(), "download", "--base-url", url, "--data-dir",
                  data.path().string()});
  ASSERT_EQ(download.exit_code, 0) << download.out << download.err;
  const ProcessResult dump = RunProcess(
      {(kBinary / "vistrel-tool").string(), "dump", (data.path() / "channelz.dat").string()});
  EXPECT_NE(dump.out.find(url + "/live/tv-pattern.ts"), std::string::npos) << dump.out;

  EXPECT_EQ(service.Start(second.pid()), url) << "a second run reuses the service";
  EXPECT_EQ(service.ServicePid(), pid);

  EXPECT_EQ(service.Run("stop", first.pid()).exit_code, 0);
  EXPECT_TRUE(Alive(pid)) << "the second run still uses it";
  EXPECT_EQ(service.Run("status").out, url + "\n");

  second.Kill();  // ends without "stop", like a run killed outright
  EXPECT_TRUE(EndsSoon(pid));
  EXPECT_NE(service.Run("status").exit_code, 0);
}

TEST(DemoServiceScriptTest, TakesAnotherPortWithMatchingUrlsWhenItsPortIsTaken) {
  TempDir tables;
  const fs::path plain = ImportableTables(tables.path());
  DemoService first(plain), second(plain);
  StandInRun run;

  const std::string first_url = first.Start(run.pid());
  const std::string second_url = second.Start(run.pid());
  ASSERT_FALSE(first_url.empty());
  ASSERT_FALSE(second_url.empty());
  EXPECT_NE(second_url, first_url);
  const std::string tv = ReadTestFile(second.State() / "tables" / "tv.dat");
  EXPECT_NE(tv.find(second_url + "/live/tv-pattern.ts"), std::string::npos);
  EXPECT_EQ(tv.find(first_url + "/"), std::string::npos);

  int status = 0;
  Get(second_url, "/media/tv-bars.ts", &status);
  EXPECT_EQ(status, 200);

  const pid_t first_pid = first.ServicePid(), second_pid = second.ServicePid();
  EXPECT_EQ(first.Run("stop", run.pid()).exit_code, 0);
  EXPECT_EQ(second.Run("stop", run.pid()).exit_code, 0);
  EXPECT_TRUE(EndsSoon(first_pid));
  EXPECT_TRUE(EndsSoon(second_pid));
}

}  // namespace
}  // namespace vistrel
