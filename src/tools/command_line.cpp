#include "tools/command_line.h"

#include <exception>

namespace vistrel {

namespace {

int UsageFailure(std::ostream& err, const std::string& who, const std::string& problem,
                 const std::string& usage) {
  if (!problem.empty()) err << who << ": " << problem << "\n";
  err << usage;
  return 2;
}

}  // namespace

void ParseCommand(CLI::App& app, const std::vector<std::string>& words) {
  const CommandLineResult result = ParseCommandLine(app, words);
  switch (result.kind) {
    case CommandLineResult::Kind::kParsed:
      return;
    case CommandLineResult::Kind::kHelp:
      throw HelpRequested{};
    case CommandLineResult::Kind::kUsageError:
      throw UsageError(result.problem);
  }
}

int RunToolCommand(const ToolTexts& texts, std::span<const ToolCommand> commands,
                   const std::vector<std::string>& words, std::ostream& out, std::ostream& err) {
  if (words.empty()) return UsageFailure(err, texts.name, texts.missing_command, texts.usage);
  const std::string& name = words[0];
  if (name == "--help" || name == "-h" || (texts.help_command && name == "help")) {
    out << texts.usage;
    return 0;
  }
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  for (const ToolCommand& command : commands) {
    if (command.name != name) continue;
    try {
      return command.run(rest);
    } catch (const HelpRequested& help) {
      out << (help.usage.empty() ? texts.usage : help.usage);
      return 0;
    } catch (const UsageError& e) {
      return UsageFailure(err, e.who().empty() ? texts.name : e.who(), e.what(),
                          e.usage().empty() ? texts.usage : e.usage());
    } catch (const std::exception& e) {
      err << texts.failure_prefix << e.what() << "\n";
      return 1;
    }
  }
  return UsageFailure(err, texts.name, texts.unknown_command + name, texts.usage);
}

}  // namespace vistrel
