#include "program_start.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace vistrel::bench {

namespace fs = std::filesystem;

ProgramStart StartProgramOnce(const char* program, const fs::path& root,
                              const std::string& argument) {
  int out[2];
  if (pipe(out) != 0) return {};
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("VISTREL_EXIT_AFTER_FIRST_PAINT", "1", 1);
    setenv("XDG_DATA_HOME", (root / "share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    if (argument.empty()) {
      execl(program, program, static_cast<char*>(nullptr));
    } else {
      execl(program, program, argument.c_str(), static_cast<char*>(nullptr));
    }
    _exit(127);
  }
  close(out[1]);
  std::string text;
  ProgramStart run;
  char buf[512];
  ssize_t n;
  while ((n = read(out[0], buf, sizeof buf)) > 0) {
    text.append(buf, static_cast<std::size_t>(n));
    const std::size_t at = text.find("first-paint rss_kb=");
    if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
      run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                   .count();
      char* rest = nullptr;
      run.rss_kb = std::strtol(text.c_str() + at + std::strlen("first-paint rss_kb="), &rest, 10);
      if (const char* cpu = std::strstr(rest, "cpu_ms="))
        run.cpu_ms = std::strtod(cpu + 7, nullptr);
      break;
    }
  }
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return run;
}

}  // namespace vistrel::bench
