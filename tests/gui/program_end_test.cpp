// The built program ended by a termination signal, as a logout, Ctrl+C or `kill` ends it: it
// leaves through its event loop with status 0 and writes the user files on the way out.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/user_files.h"
#include "support/http_test_server.h"
#include "support/sanitizers.h"
#include "support/temp_dir.h"

extern char** environ;

namespace vistrel {
namespace {

namespace fs = std::filesystem;

const fs::path kProgram = VISTREL_PROGRAM;

// Stored with LF alone: any save of the program rewrites them with CR LF.
const std::string kUserLine = "100005|1|0|My Stream|http://127.0.0.1/u|256|1||7|5|mine\n";
const std::string kFavorites = "3\n100005\n";

// Starts the program with the environment plus `extra` ("NAME=value" each, which win); its
// output goes to `log`.
pid_t StartProgram(const std::vector<std::string>& extra, const fs::path& log) {
  std::vector<std::string> env = extra;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    bool replaced = false;
    for (const std::string& mine : extra) {
      replaced |= entry.compare(0, mine.find('=') + 1, mine, 0, mine.find('=') + 1) == 0;
    }
    if (!replaced) env.push_back(entry);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string path = kProgram.string();
  char* argv[] = {path.data(), nullptr};
  const std::string log_path = log.string();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int fd = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
      ::dup2(fd, 1);
      ::dup2(fd, 2);
    }
    ::execve(argv[0], argv, envp.data());
    ::_exit(127);
  }
  return pid;
}

// Whether the process has a handler for `signal_number` (its SigCgt mask in /proc).
bool Catches(pid_t pid, int signal_number) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) == 0) {
      const unsigned long long mask = std::strtoull(line.c_str() + 7, nullptr, 16);
      return (mask >> (signal_number - 1)) & 1u;
    }
  }
  return false;
}

// Waits for the process to end (killing it after a generous while, which the test then
// reports); returns its wait status.
int WaitForEnd(pid_t pid) {
  int status = 0;
  for (int i = 0; i < 6000; ++i) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return status;
}

TEST(ProgramEnd, ATerminationSignalEndsNormallyWithTheUserFilesWritten) {
#ifdef VISTREL_ASAN
  // Qt and its platform plugins are not built with the sanitizers: what they keep until the
  // end would be reported as the program's leaks and turn its exit status.
  GTEST_SKIP() << "the whole Qt program is not run under the sanitizers";
#endif
  for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal_number));
    TempDir dir;
    const fs::path data = dir.path() / "share" / "Orvane" / "Vistrel";
    WriteTestFile(data / kFavoritesFileName, kFavorites);
    WriteTestFile(data / kUserChannelsFileName, kUserLine);
    RefusingPort service;  // no list to download: the program asks, and nobody answers
    const fs::path log = dir.path() / "program.log";
    const pid_t pid = StartProgram(
        {"QT_QPA_PLATFORM=offscreen", "XDG_DATA_HOME=" + (dir.path() / "share").string(),
         "XDG_CONFIG_HOME=" + (dir.path() / "config").string(),
         "VISTREL_SERVICE_URL=" + service.base_url()},
        log);
    ASSERT_GT(pid, 0);
    // From the moment the program catches the signal it is sure to reach its event loop.
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 3000 && !ended && !Catches(pid, signal_number); ++i) {
      ended = ::waitpid(pid, &status, WNOHANG) == pid;  // ended by itself: a failure
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (!ended) {
      ::kill(pid, signal_number);
      status = WaitForEnd(pid);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "wait status " << status << "; output:\n"
        << ReadTestFile(log);
    EXPECT_EQ(ReadTestFile(data / kFavoritesFileName), "100005\r\n3\r\n");
    EXPECT_EQ(ReadTestFile(data / kUserChannelsFileName),
              kUserLine.substr(0, kUserLine.size() - 1) + "\r\n");
  }
}

}  // namespace
}  // namespace vistrel
