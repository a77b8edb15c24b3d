// list: the channel list as the program would show it after start-up, without a window. The
// package is loaded by the program's own start-up pieces, the view settings come from a fresh
// temporary settings store, and header clicks and Find Next presses follow as given.

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/lifecycle.h"
#include "args.h"
#include "browser/find_in_list.h"
#include "browser/list_rows.h"
#include "browser/settings_store.h"
#include "browser/sort_channels.h"
#include "catalogue/format/codepage.h"
#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "catalogue/user_files.h"
#include "commands.h"
#include "common/error.h"
#include "common/files.h"

namespace vistrel::tool {

namespace {

namespace fs = std::filesystem;

struct ListOptions {
  fs::path package;
  std::optional<fs::path> user_dir;
  std::vector<std::pair<std::string, std::string>> settings;  // name, UTF-8 value
  std::vector<ListColumn> sorts;
  std::vector<std::string> finds;  // UTF-8
  bool match_case = false;
  bool down = false;
  KeyOptions keys;
};

std::pair<std::string, std::string> ParseSetting(const std::string& text) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos) throw UsageError("--set needs NAME=VALUE, not " + text);
  std::string name = text.substr(0, eq);
  if (!IsFilterSettingName(name)) throw UsageError("unknown setting " + name);
  return {std::move(name), text.substr(eq + 1)};
}

ListColumn ParseColumn(const std::string& text) {
  if (text.size() != 1 || text[0] < '0' || text[0] >= '0' + kListColumnCount) {
    throw UsageError("--sort takes a column from 0 to 4, not " + text);
  }
  return static_cast<ListColumn>(text[0] - '0');
}

// The order of --sort and --find matters: they are header clicks and Find Next presses.
ListOptions ParseListArguments(const Args& args) {
  CLI::App app("print the channel list as the program shows it after start-up", "list");
  ListOptions out;
  std::string package;
  std::optional<std::string> user_dir;
  std::vector<std::string> settings, sorts;
  app.add_option("FILE", package, "package file")->required();
  AddOptionalOption(app, "--user-dir", user_dir)->description("folder of user files");
  AddRepeatableOption(app, "--set", settings)->description("view setting NAME=VALUE");
  AddRepeatableOption(app, "--sort", sorts)->description("header click on a column 0-4");
  AddRepeatableOption(app, "--find", out.finds)->description("Find Next with this text");
  // Switches: "--down=1" is a usage error, not a value.
  app.add_flag("--match-case", out.match_case)->disable_flag_override();
  app.add_flag("--down", out.down)->disable_flag_override();
  AddKeyOptions(app, out.keys);
  ParseCommand(app, args);

  out.package = package;
  if (user_dir) out.user_dir = *user_dir;
  for (const std::string& setting : settings) out.settings.push_back(ParseSetting(setting));
  for (const std::string& sort : sorts) out.sorts.push_back(ParseColumn(sort));
  return out;
}

// A private folder for the run's data folder and settings store, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string tmpl = (fs::temp_directory_path() / "vistrel-list-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw Error("Cannot create a temporary folder in " + tmpl);
    path_ = tmpl;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The loaders delete an unreadable favourites file: they work on copies, so the user's
// folder is only ever read.
void CopyUserFiles(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::is_directory(from, ec)) throw Error("Not a folder: " + from.string());
  for (const char* name : {kFavoritesFileName, kUserChannelsFileName}) {
    const fs::path source = from / name;
    if (fs::status(source, ec).type() == fs::file_type::not_found) continue;
    if (!fs::copy_file(source, to / name, ec)) {
      throw Error(CannotReadMessage(source, ec.value()));
    }
  }
}

// A text for one tab-separated field of one line.
std::string Field(std::string_view utf8) {
  std::string text(utf8);
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
  return text;
}

}  // namespace

int RunList(const Args& args) {
  const ListOptions options = ParseListArguments(args);
  ScratchFolder scratch;
  const fs::path data = scratch.path() / "data";
  fs::create_directory(data);
  ProgramState state(data, SettingsStore(scratch.path() / "settings.ini"));
  Catalogue& catalogue = state.catalogue;

  ClearCatalogue(catalogue);
  if (options.user_dir) {
    CopyUserFiles(*options.user_dir, data);
    const std::vector<std::string> messages = ReadUserFiles(state, /*with_favorites=*/true);
    if (!messages.empty()) {
      std::string text;
      for (const std::string& m : messages) text += (text.empty() ? "" : "\n") + m;
      throw Error(text);
    }
  }
  LoadChannelPackage(catalogue, state.favorites_list, options.package, options.keys.key_text,
                     options.keys.iv_text);
  SettingsChanges settings;
  for (const auto& [name, value] : options.settings) {
    settings.push_back({name, Utf8OrCp1252(value)});
  }
  if (Outcome stored = state.store.Update(settings); !stored.ok()) throw Error(stored.error);

  // The caption keeps the last suffix a rebuild gave it.
  std::optional<std::string> caption_suffix;
  auto shown = [&](const ViewResult& view) {
    if (view.caption_suffix) caption_suffix = view.caption_suffix;
  };
  shown(FinishLoad(state));
  for (ListColumn column : options.sorts) {
    if (SortByColumn(catalogue, state.visible_rows.count, column, state.sort)) {
      shown(RefreshView(state));
    }
  }

  std::cout << caption_suffix.value_or("") << '\n';
  for (int32_t row = 0; row < state.visible_rows.count; ++row) {
    const Channel& channel = *state.visible_rows.ChannelAt(catalogue, row);
    for (int32_t column = 0; column < kListColumnCount; ++column) {
      std::cout << Field(ChannelColumnText(catalogue, channel, static_cast<ListColumn>(column)))
                << '\t';
    }
    std::cout << ChannelStateImage(channel) << '\t' << (IsUserChannelRow(channel) ? 1 : 0) << '\n';
  }
  // One opening of the find window: the position carries from one Find Next to the next.
  int32_t find_position = 0;
  for (const std::string& text : options.finds) {
    const FindResult found = FindNextMatch(Utf8OrCp1252(text), options.match_case, options.down,
                                           find_position, catalogue, state.visible_rows);
    find_position = found.find_position;
    if (found.row) {
      std::cout << "found " << *found.row << '\n';
    } else {
      std::cout << found.message << '\n';
    }
  }
  return std::cout.flush() ? 0 : 1;
}

}  // namespace vistrel::tool
