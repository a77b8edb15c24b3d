#pragma once
// The channel list's pop-up menu: play, favourites, homepage, rate, flag, change and remove
// the channel of the selected row; open a playlist, remove the selected channel's playlist. A right
// click prepares the items, then the menu pops up.

#include <QMenu>
#include <cstdint>
#include <functional>

#include "app/program_state.h"
#include "channel_actions/channel_menu_state.h"
#include "service_client/request_runner.h"
#include "service_client/service_config.h"

class QAction;
class QUrl;

namespace vistrel {

// What the menu needs from the main window.
struct ChannelMenuHooks {
  std::function<int32_t()> selected_row;      // the list's selected row, -1 when none
  std::function<void()> watch;                // what a double click on the list does
  std::function<void()> rebuild_view;         // RebuildView applied to the window
  std::function<void(int32_t)> change;        // the editor, to change the channel at a position
  std::function<void(const QUrl&)> open_url;  // the default browser; empty: the desktop's
  std::function<void()> programme_guide;      // the guide window of the selected channel
  std::function<void()> open_playlist;        // the playlist file dialog
  std::function<void(int32_t)>
      remove_playlist;  // forgets the playlist of the channel at a position
  // Whether a playlist channel has programmes of its playlist's guide; empty: none has.
  std::function<bool(const Channel&)> has_playlist_guide;
};

class ChannelMenu : public QMenu {
  Q_OBJECT

 public:
  // Ratings and flags are sent through `runner`.
  ChannelMenu(ProgramState& state, ServiceConfig service, RequestRunner& runner,
              ChannelMenuHooks hooks, QWidget* parent = nullptr);

  // The right click's steps: `clicked_row` is the row under the pointer, -1 below the last
  // row. Enables, disables, shows and hides the items; the caller then pops the menu up.
  void Prepare(int32_t clicked_row);

  const ChannelMenuState& state() const { return state_now_; }

  QAction* watch_action() const { return watch_; }
  QAction* add_to_favorites_action() const { return add_favorite_; }
  QAction* remove_from_favorites_action() const { return remove_favorite_; }
  QAction* homepage_action() const { return homepage_; }
  QMenu* rate_menu() const { return rate_; }
  QMenu* flag_menu() const { return flag_; }
  QAction* update_action() const { return update_; }
  QAction* remove_action() const { return remove_; }
  QAction* programme_guide_action() const { return guide_; }
  QAction* open_playlist_action() const { return open_playlist_; }
  QAction* remove_playlist_action() const { return remove_playlist_; }

 private:
  void Apply();
  // The catalogue position of the selected row's channel, -1 when none.
  int32_t SelectedPosition() const;
  void AddToFavorites();
  void RemoveFromFavorites();
  void OpenHomepage();
  void Rate(const char* value);
  void Flag(const char* value);
  void UpdateChannel();
  void RemoveChannel();
  // After a change of the favourites or the user's channels: the user files written at once,
  // a failure shown in an error box.
  void SaveChange();

  ProgramState& state_;
  ServiceConfig service_;
  RequestRunner& runner_;
  ChannelMenuHooks hooks_;
  ChannelMenuState state_now_;
  bool selected_playlist_guide_ = false;  // the selected playlist channel has a guide

  QAction* watch_ = nullptr;
  QAction* add_favorite_ = nullptr;
  QAction* remove_favorite_ = nullptr;
  QAction* homepage_ = nullptr;
  QAction* hidden_separator_ = nullptr;
  QMenu* rate_ = nullptr;
  QMenu* flag_ = nullptr;
  QAction* update_ = nullptr;
  QAction* remove_ = nullptr;
  QAction* guide_ = nullptr;
  QAction* open_playlist_ = nullptr;
  QAction* remove_playlist_ = nullptr;
};

}  // namespace vistrel
