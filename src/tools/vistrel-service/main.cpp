// vistrel-service: the catalogue service for development, tests and the demo.

#include <iostream>
#include <string>
#include <vector>

#include "catalogue/package.h"
#include "common/build_config.h"
#include "tools/vistrel-service/service_commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const vistrel::PackageBuilder build_package = [](const std::vector<vistrel::PackageEntry>& e) {
    return vistrel::BuildPackage(e, vistrel::build::kKeyText, vistrel::build::kIvText);
  };
  return vistrel::RunServiceCommand(args, build_package, std::cout, std::cerr);
}
