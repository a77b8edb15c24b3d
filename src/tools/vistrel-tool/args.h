#pragma once
// What the commands of vistrel-tool share around the common command-line reader
// (tools/command_line.h): the key options and the failures main turns into exit statuses.

#include <stdexcept>
#include <string>
#include <vector>

#include "common/build_config.h"
#include "tools/command_line.h"

namespace vistrel::tool {

// A wrong command line: main prints the text and the usage, and exits with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "--help" or "-h" among a command's arguments: main prints the usage and exits with 0.
struct HelpRequested {};

// The key text and IV text: --key-text and --iv-text, else the build constants.
struct KeyOptions {
  std::string key_text = build::kKeyText;
  std::string iv_text = build::kIvText;
};

// Declares --key-text and --iv-text, which every command but download takes.
void AddKeyOptions(CLI::App& app, KeyOptions& keys);

// Reads a command's words into what `app` declares; throws HelpRequested or UsageError.
void ParseCommand(CLI::App& app, const std::vector<std::string>& args);

}  // namespace vistrel::tool
