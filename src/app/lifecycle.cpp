#include "app/lifecycle.h"

#include <cmath>
#include <exception>
#include <system_error>
#include <unordered_set>

#include "app/playlist_commands.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "common/files.h"

namespace vistrel {

namespace fs = std::filesystem;

bool IsOutdated(double version_date, double now) {
  constexpr double kMsPerDay = 86400000.0;
  const double days = std::fabs(now - version_date);
  // Far beyond any real date (or not a number): outdated, and no overflow below.
  if (!(days < 1e7)) return true;
  const long long ms = std::llround(days * kMsPerDay);
  return ms / static_cast<long long>(kMsPerDay) > 14;
}

std::vector<std::string> ReadUserFiles(ProgramState& state, bool with_favorites) {
  std::vector<std::string> messages;
  auto note = [&](const Outcome& load, bool& read) {
    if (load.ok()) {
      read = true;
    } else {
      messages.push_back(load.error);
      state.end_requested = true;
    }
  };
  if (with_favorites) {
    note(LoadFavorites(state.data_folder, state.favorites_list), state.files_read.favorites);
  }
  note(LoadUserChannels(state.data_folder, state.catalogue, state.favorites_list),
       state.files_read.user_channels);
  return messages;
}

ViewResult RefreshView(ProgramState& state) {
  ViewResult view = RebuildView(state.catalogue, std::move(state.visible_rows));
  state.visible_rows = view.visible_rows;
  return view;
}

ViewResult FinishLoad(ProgramState& state) {
  Catalogue& catalogue = state.catalogue;
  LoadSettings(state.store, catalogue.filter);
  SortChannels(catalogue, ListColumn::kChannel, state.sort);
  return RefreshView(state);
}

namespace {

// FinishLoad with the user's playlists appended after the sort, so that each lists its channels
// in its own order; their messages join `messages`.
ViewResult FinishLoadWithPlaylists(ProgramState& state, std::vector<std::string>& messages) {
  LoadSettings(state.store, state.catalogue.filter);
  SortChannels(state.catalogue, ListColumn::kChannel, state.sort);
  for (std::string& message : ReadUserPlaylists(state)) messages.push_back(std::move(message));
  return RefreshView(state);
}

}  // namespace

bool SetDamagedPackageAside(const fs::path& data_folder) {
  std::error_code ec;
  const fs::path package = data_folder / kPackageFileName;
  if (!fs::is_regular_file(package, ec)) return false;
  fs::rename(package, data_folder / kDamagedPackageFileName, ec);  // replaces an older copy
  return !ec;
}

LoadReport LoadAtStartUp(ProgramState& state, const Clock& now) {
  LoadReport report;
  state.list_outdated = false;
  // The loaders only read: the folder must be there before anything is stored in it.
  std::error_code ec;
  fs::create_directories(state.data_folder, ec);
  if (ec) {
    throw Error("Cannot create the data folder " + state.data_folder.string() + ": " +
                ec.message());
  }
  const fs::path old_package = state.data_folder / kOldPackageFileName;
  if (!fs::is_directory(old_package, ec)) fs::remove(old_package, ec);  // outcome ignored

  // Cleared even without a package, so the view is TV and new user channels are numbered
  // above 100000; the user files are read either way, so they are listed and safely rewritten.
  Catalogue& catalogue = state.catalogue;
  ClearCatalogue(catalogue);
  report.messages = ReadUserFiles(state, /*with_favorites=*/true);

  const fs::path package = state.data_folder / kPackageFileName;
  if (!fs::exists(package, ec)) {
    state.list_outdated = true;
    for (std::string& message : ReadUserPlaylists(state)) report.messages.push_back(message);
    LoadSettings(state.store, catalogue.filter);
    report.view = RefreshView(state);
    return report;
  }
  try {
    LoadChannelPackage(catalogue, state.favorites_list, package);
  } catch (const Error& e) {
    // Left in place, the same file would stop every later start with the same message.
    if (!SetDamagedPackageAside(state.data_folder)) throw;
    throw Error(std::string(e.what()) + "\n\nThe channel list was set aside as " +
                kDamagedPackageFileName + "; the next start offers to download it again.");
  }
  if (IsOutdated(catalogue.version_date, now())) state.list_outdated = true;
  report.view = FinishLoadWithPlaylists(state, report.messages);
  return report;
}

LoadReport ReloadCatalogue(ProgramState& state) {
  LoadReport report;
  Catalogue& catalogue = state.catalogue;
  if (!state.end_requested) {
    Outcome saved =
        SaveUserFiles(state.data_folder, state.catalogue, state.favorites_list, state.files_read);
    if (!saved.ok()) {
      report.messages.push_back(
          "The channel list was not reloaded, so that your own channels and favourites are "
          "not lost: " +
          saved.error);
      report.view = RefreshView(state);
      return report;
    }
    // The reload marks favourites from this list: it must hold the marks set since start-up.
    state.favorites_list = CurrentFavorites(state.favorites_list, catalogue.channels);
  }

  ClearCatalogue(catalogue);
  report.messages = ReadUserFiles(state, /*with_favorites=*/false);
  try {
    LoadChannelPackage(catalogue, state.favorites_list, state.data_folder / kPackageFileName);
  } catch (const std::exception& e) {
    // What was loaded before the failure stays; the view below shows exactly that.
    report.messages.push_back(e.what());
  }
  report.view = FinishLoadWithPlaylists(state, report.messages);
  return report;
}

Outcome CloseProgram(const ProgramState& state) {
  if (state.end_requested) return Outcome::Ok();
  return SaveUserFiles(state.data_folder, state.catalogue, state.favorites_list, state.files_read);
}

Outcome SaveUserChanges(const ProgramState& state) {
  const Outcome saved = CloseProgram(state);
  if (saved.ok()) return saved;
  return Outcome::Fail(
      "Your change could not be saved; it is kept until the program ends, "
      "when saving is tried again.\n\n" +
      saved.error);
}

}  // namespace vistrel
