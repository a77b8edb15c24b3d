#pragma once
// Running a program to completion, as a test of a command-line tool.

#include <string>
#include <vector>

namespace vistrel {

struct ProcessResult {
  int exit_code = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs argv[0] (a path, not searched) with the arguments and waits for it; standard output
// and error are collected whole.
ProcessResult RunProcess(const std::vector<std::string>& argv);

// Runs a /bin/sh command line.
ProcessResult RunShell(const std::string& command);

// `text` quoted for a /bin/sh command line.
std::string ShellQuote(const std::string& text);

}  // namespace vistrel
