#include "vistrel-service/command_line.h"

namespace vistrel {

CommandOptions ParseCommandOptions(const std::vector<std::string>& args,
                                   const std::set<std::string>& with_value,
                                   const std::set<std::string>& flags) {
  CommandOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      options.error = "unexpected argument: " + arg;
      return options;
    }
    const std::string name = arg.substr(2);
    if (options.values.count(name) || options.flags.count(name)) {
      options.error = "option given twice: " + arg;
    } else if (flags.count(name)) {
      options.flags.insert(name);
    } else if (!with_value.count(name)) {
      options.error = "unknown option: " + arg;
    } else if (i + 1 >= args.size()) {
      options.error = "missing value after " + arg;
    } else {
      options.values[name] = args[++i];
    }
    if (!options.error.empty()) return options;
  }
  return options;
}

}  // namespace vistrel
