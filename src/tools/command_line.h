#pragma once
// The one way both tools read their command lines: each command declares its options and
// positional arguments on a CLI::App, and this reads the words after the command name.
// An option meant to be given once is a usage error when given twice (the library's default);
// repeatable options take one value per occurrence and keep the order they came in.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <optional>
#include <string>
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

}  // namespace vistrel
