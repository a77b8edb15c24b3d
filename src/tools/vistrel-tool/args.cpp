#include "args.h"

namespace vistrel::tool {

void AddKeyOptions(CLI::App& app, KeyOptions& keys) {
  app.add_option("--key-text", keys.key_text, "package key text");
  app.add_option("--iv-text", keys.iv_text, "package IV text");
}

void ParseCommand(CLI::App& app, const std::vector<std::string>& args) {
  const CommandLineResult result = ParseCommandLine(app, args);
  switch (result.kind) {
    case CommandLineResult::Kind::kParsed:
      return;
    case CommandLineResult::Kind::kHelp:
      throw HelpRequested{};
    case CommandLineResult::Kind::kUsageError:
      throw UsageError(result.problem);
  }
}

}  // namespace vistrel::tool
