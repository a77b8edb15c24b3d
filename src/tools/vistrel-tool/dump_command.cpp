// dump: a package loaded exactly as the program loads it, printed as JSON.

#include <iostream>

#include "args.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue_json.h"
#include "commands.h"

namespace vistrel::tool {

int RunDump(const Args& args) {
  const Arguments parsed = ParseArguments(args, {}, 1);
  TInfo info;
  ClearCatalogue(info);
  // No user files here: no user channels, no favourites.
  LoadChannelPackage(info, {}, parsed.positional[0], parsed.KeyText(), parsed.IvText());
  std::cout << CatalogueToJson(info).dump(2) << '\n';
  return std::cout.flush() ? 0 : 1;
}

}  // namespace vistrel::tool
