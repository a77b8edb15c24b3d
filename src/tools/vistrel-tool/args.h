#pragma once
// What the commands of vistrel-tool share around the common command-line reader
// (tools/command_line.h): the key options.

#include <string>
#include <vector>

#include "common/build_config.h"
#include "tools/command_line.h"

namespace vistrel::tool {

// The key text and IV text: --key-text and --iv-text, else the build constants.
struct KeyOptions {
  std::string key_text = build::kKeyText;
  std::string iv_text = build::kIvText;
};

// Declares --key-text and --iv-text, which every command but download takes.
void AddKeyOptions(CLI::App& app, KeyOptions& keys);

}  // namespace vistrel::tool
