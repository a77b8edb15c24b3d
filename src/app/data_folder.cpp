#include "app/data_folder.h"

#include "common/xdg_folders.h"

namespace vistrel {

std::optional<std::filesystem::path> DataFolder() {
  std::optional<std::filesystem::path> base = XdgDataHome();
  if (!base) return std::nullopt;
  return *base / ProgramSubfolder();
}

std::string NoDataFolderMessage() {
  return "Cannot find a folder for the channel list and your own channels: neither "
         "XDG_DATA_HOME nor HOME is set to an absolute path. Set one of them and start the "
         "program again.";
}

}  // namespace vistrel
