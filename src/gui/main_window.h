#pragma once
// The program's main window: the player on the left, the channel list with its view controls
// on the right, the playback controls along the bottom. Its handlers call the core and apply
// what the core returns; the window decides nothing of its own.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

#include "app/program_state.h"
#include "browser/view_builder.h"
#include "common/error.h"
#include "playback/media_player.h"
#include "playback/playback_controller.h"
#include "service_client/programme_guide.h"
#include "service_client/request_runner.h"
#include "service_client/service_config.h"

class QComboBox;
class QLabel;
class QSpinBox;
class QTableView;
class QToolButton;

namespace vistrel {

class ChannelListModel;
class ChannelMenu;
class FindWindow;
class GuideRequests;
class PlaylistGuide;
class ProgrammeGuideWindow;
class HeaderClickFilter;
class LinkButton;
class MprisService;
class PlayerFrame;
class ListUpdate;
class ScreenSaverInhibitor;
class ChannelEditorDialog;
class FilterDialog;
class UpdateDialog;

// Creates the media player and puts its video into `video_area` (a widget with an empty
// layout). Returns null when the player cannot be started.
using PlayerFactory = std::function<std::unique_ptr<MediaPlayer>(QWidget* video_area)>;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Creates every control at its design place. With `make_player` empty the window has no
  // player (playback controls then only update the labels). When `make_player` returns null,
  // the window asks whether to open the player's download page, and player_failed() is true:
  // the program ends once start-up is over.
  MainWindow(ProgramState state, const PlayerFactory& make_player, QWidget* parent = nullptr);
  ~MainWindow() override;

  ProgramState& state() { return state_; }
  MediaPlayer* player() { return player_.get(); }
  bool player_failed() const { return player_failed_; }

  // A view build's result on the controls: no channel cued, then rows, caption, Clear label,
  // Comments width, country list and the Favorites toggle in one batch. The country list's
  // change command does not run.
  void ApplyView(const ViewResult& view);

  // Shows the window at its initial client size, centred on the screen, and asks for it to be
  // made active.
  void ShowCentred();

  // The program on the session bus as a media player; registered only where a bus is.
  MprisService* media_controls() const { return mpris_; }

  // Space: stops what plays, else plays the selected channel (a paused one resumes).
  void PlayOrStop();
  // Page Down / Page Up: selects the next (`step` 1) or previous (-1) row of the view, wrapping
  // at the ends, and plays it. Nothing on an empty list.
  void Zap(int32_t step);

  // Ctrl+G or the channel menu's "Programme Guide": the guide window for the selected channel,
  // its programmes fetched off the GUI thread. Nothing without a selected channel, or for a
  // playlist channel.
  void OpenProgrammeGuide();

  // Opens the playlist at `source`: a file, a "file:" address or an http(s) address, which is
  // fetched off the GUI thread. The playlist view is shown after; a failure, and the lines that
  // were skipped, are told in a box.
  void OpenPlaylistSource(const QString& source);
  // Ctrl+O or the channel menu's "Open Playlist…": a file dialog for a playlist.
  void OpenPlaylistDialog();
  // Ctrl+Shift+O: asks for a playlist's http(s) address.
  void OpenPlaylistAddressDialog();
  // The channel menu's "Remove Playlist": after a question, forgets the playlist of the channel
  // at catalogue `position`.
  void RemovePlaylistOf(int32_t position);
  // Fetches every remembered playlist that came from an address again (at start); one that
  // cannot be fetched keeps its last copy, and a box says why.
  void RefreshPlaylistAddresses();

  // The search position of the find window's next Find Next.
  int32_t find_position() const { return find_position_; }

 public slots:
  // Ctrl+F: the next search starts at the first row again; the find window opens.
  void OpenFindWindow();
  // The find window's Find Next.
  void FindNext();
  // After a completed list download: reloads the catalogue under the splash window and shows
  // what went wrong. When a user file turned out unreadable the program ends without writing.
  // True when every step went fine.
  bool ReloadAfterListDownload();
  // The Update button: the list-download dialog; after "Complete!" the reload and the question
  // whether to visit the maker's web site.
  void OpenListUpdate();
  // While the channel list is missing or outdated: the question whether to download it, and on
  // Yes the list-download dialog and, after "Complete!", the reload.
  void OfferDownloadIfListOutdated();
  // The Filter button: the filter dialog.
  void OpenFilter();
  // The Add button: the channel editor, to add a channel of the user's own.
  void OpenChannelEditor();
  // A request for the channel list's pop-up menu at `pos` (list viewport coordinates);
  // `by_keyboard` is a request from the menu key, which stands for the selected row.
  void OpenChannelMenu(const QPoint& pos, bool by_keyboard);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Playlist files and addresses dropped on the window are opened.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls();
  void ConnectControls();
  void LayOut();
  void ApplyPlaybackView();
  // Tells the desktop's media controls the current playback state (each change once).
  void UpdateMediaControls();
  void CreateDesktopControls();
  void CreateProgrammeGuide();
  // Asks the service for every channel's now and next (at start and every ten minutes).
  void FetchNowAndNext();
  // The "Programme now" line over the picture, for the cued channel at the current time.
  void UpdateProgrammeNow();
  // The guide's line for `channel` now; empty when the guide has none.
  std::string GuideLine(const Channel& channel) const;
  // Reads the guides the user's playlists name, on the runner: each playlist's at most every
  // few hours (kPlaylistGuideRefreshSeconds), a playlist just opened at once.
  void FetchPlaylistGuides();
  void SetChannelLabelText(const QString& text);
  void SyncFavoritesToggle();
  // Runs a command that changes the filter, then rebuilds the view; a failing command shows its
  // text and leaves the view as it is.
  void RunViewCommand(const std::function<Outcome()>& change);
  void OnSelectionChanged();
  void OnColumnClick(int32_t column);
  // The selected row, -1 when none; its channel, null when none.
  int32_t SelectedRow() const;
  const Channel* SelectedChannel() const;
  void OpenSite();
  // Fetches `address` on the runner and opens what it answers; `refresh`: a remembered
  // playlist fetched again, whose last copy stays on failure.
  void FetchPlaylist(const std::string& address, bool refresh);
  // After an open: the playlist view, and a box with the lines skipped.
  void ShowOpenedPlaylist(const std::string& name, const std::string& warnings);

  ProgramState state_;
  ServiceConfig service_;
  // The one worker of the window's requests and downloads.
  std::unique_ptr<RequestRunner> runner_;
  std::unique_ptr<MediaPlayer> player_;
  bool player_failed_ = false;
  std::unique_ptr<PlaybackController> controller_;
  int32_t find_position_ = 0;

  QWidget* main_panel_ = nullptr;
  PlayerFrame* player_frame_ = nullptr;
  QWidget* video_area_ = nullptr;
  QLabel* status_label_ = nullptr;
  QLabel* channel_label_ = nullptr;
  QToolButton* favorites_ = nullptr;
  QToolButton* update_ = nullptr;
  QToolButton* add_ = nullptr;
  QComboBox* country_ = nullptr;
  LinkButton* clear_ = nullptr;
  QTableView* list_ = nullptr;
  ChannelListModel* model_ = nullptr;
  QToolButton* stop_ = nullptr;
  QToolButton* play_ = nullptr;
  QToolButton* fullscreen_ = nullptr;
  LinkButton* site_ = nullptr;
  QSpinBox* volume_ = nullptr;
  QToolButton* mute_ = nullptr;
  FindWindow* find_window_ = nullptr;
  HeaderClickFilter* header_filter_ = nullptr;
  ScreenSaverInhibitor* screen_saver_ = nullptr;
  MprisService* mpris_ = nullptr;
  GuideRequests* guide_requests_ = nullptr;
  ProgrammeGuideWindow* guide_window_ = nullptr;
  QLabel* programme_now_ = nullptr;
  std::unique_ptr<NowAndNextGuide> now_and_next_;
  // The programmes of the playlist channels, and when each playlist's guide was last asked for
  // (by playlist name, UTC seconds).
  std::unique_ptr<PlaylistGuide> playlist_guide_;
  std::unordered_map<std::string, int64_t> playlist_guide_asked_;

  QToolButton* filter_ = nullptr;
  FilterDialog* filter_dialog_ = nullptr;
  ChannelEditorDialog* editor_dialog_ = nullptr;
  UpdateDialog* update_dialog_ = nullptr;
  ChannelMenu* channel_menu_ = nullptr;
  std::unique_ptr<ListUpdate> list_update_;
  // The next activation of the window offers the download of an outdated list: at start-up and
  // whenever the user comes back from another program, not after the program's own boxes.
  bool offer_on_activation_ = true;
};

}  // namespace vistrel
