#include "app/lifecycle.h"

#include <cmath>
#include <system_error>

#include "catalogue/lookups.h"
#include "catalogue/package.h"

namespace vistrel {

namespace fs = std::filesystem;

bool IsOutdated(double dtVersion, double now) {
  return std::trunc(std::fabs(now - dtVersion)) > 14;
}

namespace {

void ReadUserFiles(ProgramState& state, bool with_favorites, LoadReport& report) {
  if (with_favorites) {
    UserFileLoad fav = LoadFavorites(state.data_folder, state.catalogue.favorites_list);
    if (fav.ok()) {
      state.files_read.favorites = true;
    } else {
      report.messages.push_back(fav.message);
      state.end_requested = true;
    }
  }
  UserFileLoad user = LoadUserChannels(state.data_folder, state.catalogue.info,
                                       state.catalogue.favorites_list);
  if (user.ok()) {
    state.files_read.user_channels = true;
  } else {
    report.messages.push_back(user.message);
    state.end_requested = true;
  }
}

void ApplyView(ProgramState& state, ViewResult view, LoadReport& report) {
  state.visible = view.visible;
  state.row_count = view.row_count;
  report.view = std::move(view);
}

}  // namespace

ViewResult FinishLoad(ProgramState& state) {
  TInfo& info = state.catalogue.info;
  LoadSettings(state.store, info.filter);
  SortChannels(info, static_cast<int32_t>(info.channels.size()) - 1, 0, state.sort);
  return RebuildView(info, std::move(state.visible));
}

LoadReport GetData(ProgramState& state, const Clock& now) {
  LoadReport report;
  state.list_outdated = false;
  std::error_code ignored;
  fs::remove(state.data_folder / kOldPackageFileName, ignored);

  // Cleared even without a package, so the view is TV and new user channels are numbered
  // above 100000; the user files are read either way, so they are listed and safely rewritten.
  TInfo& info = state.catalogue.info;
  ClearCatalogue(info);
  ReadUserFiles(state, /*with_favorites=*/true, report);

  const fs::path package = state.data_folder / kPackageFileName;
  if (!fs::exists(package, ignored)) {
    state.list_outdated = true;
    // No sort here: the first load of a downloaded package then still lists names A to Z.
    LoadSettings(state.store, info.filter);
    ApplyView(state, RebuildView(info, std::move(state.visible)), report);
    return report;
  }
  LoadChannelPackage(info, state.catalogue.favorites_list, package);
  if (IsOutdated(info.dtVersion, now())) state.list_outdated = true;
  ApplyView(state, FinishLoad(state), report);
  return report;
}

LoadReport ReloadCatalogue(ProgramState& state) {
  LoadReport report;
  TInfo& info = state.catalogue.info;
  if (!state.end_requested) {
    Outcome saved = SaveUserFiles(state.data_folder, info, state.files_read);
    if (!saved.ok()) {
      report.messages.push_back("The channel list was not reloaded, so that your own channels "
                                "and favourites are not lost: " + saved.error);
      ApplyView(state, RebuildView(info, std::move(state.visible)), report);
      return report;
    }
    // Favourite marks set since start-up are in the file now; the reload marks from them.
    if (state.files_read.favorites) {
      state.catalogue.favorites_list.clear();
      for (const TItem& c : info.channels) {
        if (c.favorited == 1) state.catalogue.favorites_list.push_back(c.id);
      }
    }
  }

  ClearCatalogue(info);
  ReadUserFiles(state, /*with_favorites=*/false, report);
  try {
    LoadChannelPackage(info, state.catalogue.favorites_list, state.data_folder / kPackageFileName);
  } catch (const Error& e) {
    report.messages.push_back(e.what());
  }
  ApplyView(state, FinishLoad(state), report);
  return report;
}

Outcome CloseProgram(const ProgramState& state) {
  if (state.end_requested) return Outcome::Ok();
  return SaveUserFiles(state.data_folder, state.catalogue.info, state.files_read);
}

}  // namespace vistrel
