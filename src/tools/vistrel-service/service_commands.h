#pragma once
// The commands of vistrel-service: import, serve and review.

#include <ostream>
#include <string>
#include <vector>

#include "server/catalogue_import.h"
#include "server/catalogue_service.h"

namespace vistrel {

// Runs the command line after the program name (`args[0]` is the command). `build_package`
// makes the packages that "serve" hands out. Returns the exit status: 0 done, 1 failed (the
// reason on `err`; "serve" and "review" fail on a file that holds no catalogue rather than
// create one), 2 bad usage. "serve" returns when SIGINT or SIGTERM arrives.
int RunServiceCommand(const std::vector<std::string>& args, const PackageBuilder& build_package,
                      std::ostream& out, std::ostream& err);

}  // namespace vistrel
