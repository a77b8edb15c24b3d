#pragma once
// When the service hands out a new package, and the stamp it carries. A client asks whether
// its package is current by sending its stamp, so two different packages must never share a
// stamp, and a stamp ahead of the clock would make the client's own outdated check wrong. The
// stamp has minutes only: a new package goes out at most once a minute, and changes made in
// the minute of the last package wait for the next minute.

#include <cstdint>
#include <string>

#include "server/catalogue_db.h"
#include "server/version_stamp.h"

namespace vistrel {

// A package built before, as the service keeps it.
struct PackageOnHand {
  std::string stamp;
  int64_t changes = -1;  // the change count it shows; -1 when it may show a later one
};

// Whether the package on hand still answers at `now`: nothing changed since it was built, or it
// went out in this minute (or a later one, if the clock went back).
bool PackageStillServes(const PackageOnHand& on_hand, const CatalogueState& state, StampTime now);

// How a package built from a snapshot taken in `state` at `now` is stamped.
struct PackagePlan {
  std::string stamp;
  bool record = false;   // a new package: record its stamp and change count in the catalogue
  bool current = false;  // the stamp stands for exactly this content (PackageOnHand::changes)
};

// Unchanged since the last package: that package's stamp. Changed, and the last package went
// out in this minute (a service restarted within it; the old content is gone): that stamp
// again, not recorded, so a proper new package follows in the next minute. Otherwise a new
// package: the stamp of the last change, but later than the last package's (NextVersionStamp),
// which the clock has passed.
PackagePlan PlanPackage(const CatalogueState& state, StampTime now);

}  // namespace vistrel
