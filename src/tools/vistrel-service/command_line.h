#pragma once
// Options of the form "--name value" and "--flag" after a command word.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vistrel {

struct CommandOptions {
  std::map<std::string, std::string> values;  // "--db FILE" -> values["db"] = "FILE"
  std::set<std::string> flags;                // "--list" -> "list"
  std::string error;                          // set when the arguments do not parse
};

// Parses `args` against the known option names (without "--"). An unknown option, a missing
// value, a repeated option or a bare word is an error.
CommandOptions ParseCommandOptions(const std::vector<std::string>& args,
                                   const std::set<std::string>& with_value,
                                   const std::set<std::string>& flags);

}  // namespace vistrel
