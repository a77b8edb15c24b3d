#pragma once
// The small argument parser the commands share: options that take a value ("--name VALUE" or
// "--name=VALUE"), positional arguments, and the key options every command accepts.

#include <functional>
#include <initializer_list>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::tool {

// A wrong command line: main prints the text and the usage, and exits with status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "--help" or "-h" among a command's arguments: main prints the usage and exits with 0.
struct HelpRequested {};

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string, std::less<>> options;

  // The option's value, or `fallback` when it was not given.
  std::string Option(std::string_view name, std::string_view fallback = {}) const;
  // The option's value; UsageError when it was not given.
  std::string Required(std::string_view name) const;
  // The key text and IV text: --key-text and --iv-text, else the build constants.
  std::string KeyText() const;
  std::string IvText() const;
};

// Accepts the options in `value_options` (each with a value; "-x" names are short forms given
// as they are) and --key-text / --iv-text, and exactly `positional_count` other arguments.
// "--" ends the options.
Arguments ParseArguments(const std::vector<std::string>& args,
                         std::initializer_list<std::string_view> value_options,
                         std::size_t positional_count);

}  // namespace vistrel::tool
