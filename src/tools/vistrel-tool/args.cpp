#include "args.h"

#include <algorithm>

#include "build_config.h"

namespace vistrel::tool {

namespace {

constexpr std::string_view kKeyOptions[] = {"--key-text", "--iv-text"};

bool IsOption(std::string_view arg) {
  return arg.size() > 1 && arg.front() == '-';
}

}  // namespace

std::string Arguments::Option(std::string_view name, std::string_view fallback) const {
  auto it = options.find(name);
  return it != options.end() ? it->second : std::string(fallback);
}

std::string Arguments::Required(std::string_view name) const {
  auto it = options.find(name);
  if (it == options.end()) throw UsageError("missing option " + std::string(name));
  return it->second;
}

std::string Arguments::KeyText() const {
  return Option("--key-text", build::kKeyText);
}

std::string Arguments::IvText() const {
  return Option("--iv-text", build::kIvText);
}

Arguments ParseArguments(const std::vector<std::string>& args,
                         std::initializer_list<std::string_view> value_options,
                         std::size_t positional_count) {
  auto known = [&](std::string_view name) {
    return std::find(value_options.begin(), value_options.end(), name) != value_options.end() ||
           std::find(std::begin(kKeyOptions), std::end(kKeyOptions), name) != std::end(kKeyOptions);
  };
  Arguments out;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_done || !IsOption(arg)) {
      out.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") throw HelpRequested{};
    std::string name = arg;
    std::string value;
    if (std::size_t eq = arg.find('='); eq != std::string::npos && arg.starts_with("--")) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    } else {
      if (!known(name)) throw UsageError("unknown option " + name);
      if (i + 1 >= args.size()) throw UsageError("option " + name + " needs a value");
      value = args[++i];
    }
    if (!known(name)) throw UsageError("unknown option " + name);
    if (!out.options.emplace(name, value).second) {
      throw UsageError("option " + name + " given twice");
    }
  }
  if (out.positional.size() != positional_count) {
    throw UsageError(out.positional.size() < positional_count ? "missing argument"
                                                              : "too many arguments");
  }
  return out;
}

}  // namespace vistrel::tool
