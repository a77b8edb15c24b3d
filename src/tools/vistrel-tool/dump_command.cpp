// dump: a package loaded exactly as the program loads it, printed as JSON.

#include <iostream>

#include "args.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue_json.h"
#include "commands.h"

namespace vistrel::tool {

int RunDump(const Args& args) {
  CLI::App app("print the catalogue of a package as JSON", "dump");
  std::string package;
  KeyOptions keys;
  app.add_option("FILE", package, "package file")->required();
  AddKeyOptions(app, keys);
  ParseCommand(app, args);
  Catalogue catalogue;
  ClearCatalogue(catalogue);
  // No user files here: no user channels, no favourites.
  LoadChannelPackage(catalogue, {}, package, keys.key_text, keys.iv_text);
  std::cout << CatalogueToJson(catalogue).dump(2) << '\n';
  return std::cout.flush() ? 0 : 1;
}

}  // namespace vistrel::tool
