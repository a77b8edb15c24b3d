#pragma once
// The main window's two ways to a list update: the Update button, and the question offered on
// activation while the channel list is missing or outdated.

#include <QUrl>
#include <functional>

#include "app/program_state.h"

class QWidget;

namespace vistrel {

class UpdateDialog;

inline constexpr const char* kOutdatedQuestion =
    "List of channels is outdated. Would you like to download the new one now?";
inline constexpr const char* kVisitWebsiteQuestion =
    "Channel list successfully updated. Would you like to visit our website to check software "
    "updates?";

struct ListUpdateHooks {
  // Reloads the catalogue from the new package under the splash window, applies the view and
  // shows what went wrong; true when every step went fine.
  std::function<bool()> reload;
  // The default browser; empty: the desktop's.
  std::function<void(const QUrl&)> open_url;
};

class ListUpdate {
 public:
  ListUpdate(ProgramState& state, UpdateDialog& dialog, QWidget* window, ListUpdateHooks hooks);

  // The Update button: the download dialog; after "Complete!" the reload, and when that went
  // fine, the question whether to visit the maker's web site.
  void UpdateClicked();

  // An activation of the main window: while the list is outdated, asks whether to download it
  // (error icon, Yes and No) and on Yes runs the dialog and, after "Complete!", the reload. No
  // (or the dialog's close box) leaves the list outdated, so the next activation asks again.
  // Nothing is asked while the question or the dialog is still open.
  void WindowActivated();

 private:
  ProgramState& state_;
  UpdateDialog& dialog_;
  QWidget* window_;
  ListUpdateHooks hooks_;
  bool asking_ = false;
};

}  // namespace vistrel
