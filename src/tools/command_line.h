#pragma once
// The one way both tools read their command lines: each command declares its options and
// positional arguments on a CLI::App, and this reads the words after the command name.
// An option meant to be given once is a usage error when given twice (the library's default);
// repeatable options take one value per occurrence and keep the order they came in.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

struct CommandLineResult {
  enum class Kind { kParsed, kHelp, kUsageError };
  Kind kind = Kind::kParsed;
  std::string problem;  // kUsageError: what is wrong, naming the option or argument
};

// "--name VALUE" that may be given again: each occurrence takes exactly one value, so a word
// after it is the next argument, not a second value.
inline CLI::Option* AddRepeatableOption(CLI::App& app, const std::string& name,
                                        std::vector<std::string>& values) {
  return app.add_option(name, values)->allow_extra_args(false);
}

// "--name VALUE" whose absence matters: `value` stays empty unless the option is given.
inline CLI::Option* AddOptionalOption(CLI::App& app, const std::string& name,
                                      std::optional<std::string>& value) {
  return app.add_option_function<std::string>(name,
                                              [&value](const std::string& text) { value = text; });
}

// Reads `words` (those after the command name) into what `app` declares. "--help" and "-h"
// give kHelp; "--" ends the options.
inline CommandLineResult ParseCommandLine(CLI::App& app, const std::vector<std::string>& words) {
  // Leftover words are gathered, so that the message names them in the order given.
  app.allow_extras();
  // The library takes the words from the back.
  std::vector<std::string> reversed(words.rbegin(), words.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return {CommandLineResult::Kind::kHelp, {}};
  } catch (const CLI::ParseError& e) {
    return {CommandLineResult::Kind::kUsageError, e.what()};
  }
  if (app.remaining_size() > 0) {
    // The leftovers also hold the "--" that ended the options: the first "--" is always it.
    std::vector<std::string> extra = app.remaining();
    if (auto mark = std::find(extra.begin(), extra.end(), "--"); mark != extra.end()) {
      extra.erase(mark);
    }
    std::string problem = extra.size() == 1 ? "unexpected argument:" : "unexpected arguments:";
    for (const std::string& word : extra) problem += " " + word;
    return {CommandLineResult::Kind::kUsageError, problem};
  }
  return {};
}

// --- Dispatching a tool's commands: one way for both tools. ---

// A wrong command line: the tool prints "<who>: <problem>", then the usage, and exits with
// status 2. `who` and `usage` default to the tool's own name and usage.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& problem, std::string who = {}, std::string usage = {})
      : std::runtime_error(problem), who_(std::move(who)), usage_(std::move(usage)) {}
  const std::string& who() const { return who_; }
  const std::string& usage() const { return usage_; }

 private:
  std::string who_;
  std::string usage_;
};

// "--help" or "-h" among a command's words: the tool prints `usage` (default: its own) on
// standard output and exits with status 0.
struct HelpRequested {
  std::string usage;
};

// ParseCommandLine for a command: throws HelpRequested or UsageError, else returns.
void ParseCommand(CLI::App& app, const std::vector<std::string>& words);

// One command of a tool: its name and what runs it with the words after the name. `run`
// returns the exit status and throws UsageError, HelpRequested, or any std::exception for a
// failure.
struct ToolCommand {
  std::string_view name;
  std::function<int(const std::vector<std::string>& words)> run;
};

// What a tool says around its commands.
struct ToolTexts {
  std::string name;             // "vistrel-tool"
  std::string usage;            // the whole usage text
  std::string missing_command;  // problem shown without a command; empty: the usage alone
  std::string unknown_command;  // shown before the unknown word
  std::string failure_prefix;   // shown before the text of a failure
  bool help_command = false;    // "help" also shows the usage
};

// Runs the command `words[0]` with the rest: "--help" and "-h" (and "help" when the tool
// takes it) print the usage to `out` with status 0; no command or an unknown one, and a
// UsageError, print the problem and the usage to `err` with status 2; any other exception
// prints its text to `err` with status 1. Otherwise the command's status.
int RunToolCommand(const ToolTexts& texts, std::span<const ToolCommand> commands,
                   const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

}  // namespace vistrel
