#include "server/package_publication.h"

namespace vistrel {

bool PackageStillServes(const PackageOnHand& on_hand, const CatalogueState& state, StampTime now) {
  if (on_hand.changes >= 0 && on_hand.changes == state.changes) return true;
  const auto stamp = ParseVersionStamp(on_hand.stamp);
  return stamp && *stamp >= now;
}

PackagePlan PlanPackage(const CatalogueState& state, StampTime now) {
  const auto published = ParseVersionStamp(state.published);
  if (published && state.published_changes == state.changes) {
    return {state.published, false, true};
  }
  if (published && *published >= now) return {state.published, false, false};
  const StampTime changed = ParseVersionStamp(state.version).value_or(now);
  return {FormatVersionStamp(NextVersionStamp(changed, std::nullopt, published)), true, true};
}

}  // namespace vistrel
