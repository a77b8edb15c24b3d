#include "gui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStringList>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <ctime>
#include <exception>
#include <optional>
#include <unordered_set>

#include "app/lifecycle.h"
#include "app/main_window_layout.h"
#include "app/playlist_commands.h"
#include "app/playlist_guide.h"
#include "browser/find_in_list.h"
#include "browser/list_rows.h"
#include "browser/neighbour_row.h"
#include "browser/sort_channels.h"
#include "browser/view_commands.h"
#include "common/build_config.h"
#include "gui/channel_editor_dialog.h"
#include "gui/channel_list_model.h"
#include "gui/channel_list_view.h"
#include "gui/channel_menu.h"
#include "gui/filter_dialog.h"
#include "gui/find_window.h"
#include "gui/guide_requests.h"
#include "gui/header_click_filter.h"
#include "gui/icons.h"
#include "gui/keyboard_shortcuts.h"
#include "gui/link_button.h"
#include "gui/list_update.h"
#include "gui/message_boxes.h"
#include "gui/mpris_service.h"
#include "gui/player_frame.h"
#include "gui/post_back.h"
#include "gui/programme_guide_window.h"
#include "gui/qt_text.h"
#include "gui/screen_saver_inhibitor.h"
#include "gui/splash_window.h"
#include "gui/text_fit.h"
#include "gui/update_dialog.h"
#include "playback/media_controls.h"
#include "playlist/user_playlists.h"
#include "service_client/http_get.h"
#include "service_client/service_requests.h"
#include "service_client/service_urls.h"

namespace vistrel {

namespace {

const QColor kSkyBlue(166, 202, 240);
const QColor kLabelText(245, 245, 245);
const QColor kClearRed(220, 0, 0);
const QColor kSiteLinkColour(8, 55, 114);

QToolButton* MakeButton(QWidget* parent, const char* object_name, const QString& caption,
                        ButtonGlyph glyph, const QString& hint = QString()) {
  auto* button = new QToolButton(parent);
  button->setObjectName(object_name);
  button->setText(caption);
  button->setAccessibleName(caption.trimmed());
  button->setIcon(ButtonIcon(glyph));
  button->setIconSize(QSize(16, 16));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setFocusPolicy(Qt::StrongFocus);
  if (!hint.isEmpty()) button->setToolTip(hint);
  return button;
}

QLabel* MakePlayerLabel(QWidget* parent, const char* object_name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(object_name);
  // Names and statuses come from the catalogue and the network: never markup.
  label->setTextFormat(Qt::PlainText);
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, kLabelText);
  label->setPalette(colours);
  return label;
}

// What `widget` needs for its text beyond its design rectangle `design`.
ControlNeeds NeedsOf(const QWidget* widget, const ControlRect& design) {
  const QSize size = SizeForText(widget, QSize(design.width, design.height));
  return {size.width(), size.height()};
}

void Place(QWidget* widget, const ControlRect& r) {
  widget->setGeometry(r.left, r.top, r.width, r.height);
}

// The site link shows the address without its scheme and final slash.
QString SiteLinkText() {
  QString text = QString::fromUtf8(build::kWebsiteUrl);
  for (const char* scheme : {"https://", "http://"}) {
    if (text.startsWith(QLatin1String(scheme))) text.remove(0, static_cast<int>(strlen(scheme)));
  }
  while (text.endsWith('/')) text.chop(1);
  return text;
}

}  // namespace

MainWindow::MainWindow(ProgramState state, const PlayerFactory& make_player, QWidget* parent)
    : QWidget(parent),
      state_(std::move(state)),
      service_(DefaultServiceConfig()),
      runner_(std::make_unique<RequestRunner>()) {
  setObjectName("mainWindow");
  setAccessibleName(QString::fromUtf8(build::kProductName));
  setWindowTitle(ToQString(BaseCaption()));
  resize(kMainWindowWidth, kMainWindowHeight);

  CreateControls();

  if (make_player) {
    player_ = make_player(video_area_);
    if (!player_) {
      player_failed_ = true;
      OfferPlayerDownload(nullptr);
    }
  }
  PlaybackHooks hooks;
  hooks.submit_user_channel = [this](const Channel& channel) {
    SubmitUserChannel(*runner_, service_, channel);
  };
  hooks.report_broken_channel = [this](int32_t channel_id) {
    QueueServiceRequest(*runner_, ReportBrokenChannelUrl(service_.base_url, channel_id));
  };
  hooks.show_error = [this](const std::string& text) { ShowErrorBox(this, text); };
  hooks.offer_player_install = [this] { OfferPlayerDownload(this); };
  hooks.view_changed = [this] { ApplyPlaybackView(); };
  controller_ = std::make_unique<PlaybackController>(state_, player_.get(), std::move(hooks));

  ConnectControls();
  CreateDesktopControls();
  CreateProgrammeGuide();
  ApplyPlaybackView();
  SyncFavoritesToggle();
  LayOut();

  header_filter_ = new HeaderClickFilter(
      list_, country_, [this](int32_t column) { OnColumnClick(column); }, this);
  qApp->installEventFilter(header_filter_);
  screen_saver_ = new ScreenSaverInhibitor(this);
  setAcceptDrops(true);
}

MainWindow::~MainWindow() {
  // Requests still on their way are cancelled; nothing comes back to the window any more.
  runner_.reset();
  list_update_.reset();
  // The controller uses the player; the player's video lives in the window's widgets.
  controller_.reset();
  player_.reset();
}

void MainWindow::CreateControls() {
  main_panel_ = new QWidget(this);
  main_panel_->setObjectName("mainPanel");
  main_panel_->setAccessibleName("Main panel");
  main_panel_->setAutoFillBackground(true);
  QPalette sky = main_panel_->palette();
  sky.setColor(QPalette::Window, kSkyBlue);
  main_panel_->setPalette(sky);
  main_panel_->setFont(WindowFont());

  player_frame_ = new PlayerFrame(main_panel_);
  player_frame_->setObjectName("playerFrame");
  player_frame_->setAccessibleName("Player");
  video_area_ = new QWidget(player_frame_);
  video_area_->setObjectName("videoArea");
  video_area_->setAccessibleName("Video");
  video_area_->setAutoFillBackground(true);
  QPalette black = video_area_->palette();
  black.setColor(QPalette::Window, Qt::black);
  video_area_->setPalette(black);
  auto* video_layout = new QVBoxLayout(video_area_);
  video_layout->setContentsMargins(0, 0, 0, 0);
  // No accessible names on these two: the screen reader then reads their text.
  status_label_ = MakePlayerLabel(player_frame_, "statusLabel", "Stopped");
  channel_label_ = MakePlayerLabel(player_frame_, "channelLabel", "No channel");
  channel_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  favorites_ = MakeButton(main_panel_, "favoritesButton", " Favorites", ButtonGlyph::kFavorites,
                          "Open Favorites");
  favorites_->setCheckable(true);
  update_ = MakeButton(main_panel_, "updateButton", " Update", ButtonGlyph::kUpdate,
                       "Update channels list");
  add_ = MakeButton(main_panel_, "addButton", " Add", ButtonGlyph::kAdd, "Add channel");
  filter_ =
      MakeButton(main_panel_, "filterButton", " Filter", ButtonGlyph::kFilter, "Filter channels");

  country_ = new QComboBox(main_panel_);
  country_->setObjectName("countryBox");
  country_->setAccessibleName("Country");
  country_->setMaxVisibleItems(20);
  country_->addItem("All Countries");

  clear_ = new LinkButton("Clear", kClearRed, main_panel_);
  clear_->setObjectName("clearFilterLink");
  clear_->setToolTip("Show every channel of the view");
  clear_->hide();

  auto* list = new ChannelListView(main_panel_);
  list_ = list;
  list_->setObjectName("channelList");
  list_->setAccessibleName("Channel list");
  model_ = new ChannelListModel(state_, list_);
  list_->setModel(model_);
  // Columns as much wider as the font is larger; the list scrolls sideways.
  for (int32_t c = 0; c < kListColumnCount; ++c) {
    list_->setColumnWidth(c, GrownWithFont(kListColumns[c].width));
  }

  stop_ = MakeButton(main_panel_, "stopButton", "Stop", ButtonGlyph::kStop, "Pause");
  play_ = MakeButton(main_panel_, "playButton", " Play", ButtonGlyph::kPlay);
  fullscreen_ = MakeButton(main_panel_, "fullscreenButton", " Fullscreen", ButtonGlyph::kFullscreen,
                           "Enter to full screen");

  site_ = new LinkButton(SiteLinkText(), kSiteLinkColour, main_panel_);
  site_->setObjectName("siteLink");
  site_->setToolTip(QString::fromUtf8(build::kWebsiteUrl));

  volume_ = new QSpinBox(main_panel_);
  volume_->setObjectName("volumeBox");
  volume_->setAccessibleName("Volume");
  volume_->setRange(0, 100);
  volume_->setSingleStep(5);
  volume_->setValue(50);
  // Changed by its arrows (and arrow keys) only.
  if (auto* edit = volume_->findChild<QLineEdit*>()) edit->setReadOnly(true);

  mute_ = MakeButton(main_panel_, "muteButton", " Mute", ButtonGlyph::kMute);
  mute_->setCheckable(true);

  find_window_ = new FindWindow(this);

  // The dialogs live as long as the window and keep their contents between showings.
  auto rebuild = [this] { ApplyView(RefreshView(state_)); };
  filter_dialog_ = new FilterDialog(state_, rebuild, this);
  editor_dialog_ = new ChannelEditorDialog(state_, rebuild, this);
  update_dialog_ = new UpdateDialog(state_, service_, *runner_, this);
  ListUpdateHooks update_hooks;
  update_hooks.reload = [this] { return ReloadAfterListDownload(); };
  list_update_ = std::make_unique<ListUpdate>(state_, *update_dialog_, this, update_hooks);

  ChannelMenuHooks menu_hooks;
  menu_hooks.selected_row = [this] { return SelectedRow(); };
  menu_hooks.watch = [list] { emit list->PlayRequested(); };
  menu_hooks.rebuild_view = rebuild;
  menu_hooks.change = [this](int32_t position) { editor_dialog_->ExecToChange(position); };
  menu_hooks.programme_guide = [this] { OpenProgrammeGuide(); };
  menu_hooks.open_playlist = [this] { OpenPlaylistDialog(); };
  menu_hooks.remove_playlist = [this](int32_t position) { RemovePlaylistOf(position); };
  menu_hooks.has_playlist_guide = [this](const Channel& channel) {
    return playlist_guide_->Find(channel.id) != nullptr;
  };
  channel_menu_ = new ChannelMenu(state_, service_, *runner_, menu_hooks, this);
  list_->setContextMenuPolicy(Qt::DefaultContextMenu);
  list_->viewport()->installEventFilter(this);
}

void MainWindow::ConnectControls() {
  auto* list = static_cast<ChannelListView*>(list_);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { OnSelectionChanged(); });
  connect(list, &ChannelListView::PlayRequested, this, [this] {
    controller_->PlaySelected(SelectedChannel());
    ApplyPlaybackView();
  });
  connect(stop_, &QToolButton::clicked, this, [this] {
    controller_->Stop();
    ApplyPlaybackView();
  });
  connect(play_, &QToolButton::clicked, this, [this] {
    controller_->Play();
    ApplyPlaybackView();
  });
  connect(fullscreen_, &QToolButton::clicked, this, [this] {
    controller_->EnterFullScreen();
    ApplyPlaybackView();
  });
  connect(mute_, &QToolButton::toggled, this, [this](bool down) {
    controller_->SetMuted(down);
    ApplyPlaybackView();
  });
  connect(volume_, &QSpinBox::valueChanged, this, [this](int value) {
    controller_->SetVolume(value);
    ApplyPlaybackView();
  });
  connect(favorites_, &QToolButton::clicked, this, [this](bool pressed) {
    RunViewCommand(
        [&] { return ToggleFavoritesView(state_.store, state_.catalogue.filter, pressed); });
  });
  // Only a choice of the user: refilling the list never runs the command.
  connect(country_, &QComboBox::activated, this, [this](int index) {
    RunViewCommand([&] { return SelectCountry(state_.store, state_.catalogue, index); });
  });
  connect(clear_, &QPushButton::clicked, this, [this] {
    RunViewCommand([&] { return ClearSections(state_.store, state_.catalogue.filter); });
  });
  connect(update_, &QToolButton::clicked, this, &MainWindow::OpenListUpdate);
  connect(add_, &QToolButton::clicked, this, &MainWindow::OpenChannelEditor);
  connect(filter_, &QToolButton::clicked, this, &MainWindow::OpenFilter);
  connect(site_, &QPushButton::clicked, this, &MainWindow::OpenSite);
  connect(find_window_, &FindWindow::FindNextRequested, this, &MainWindow::FindNext);
}

void MainWindow::LayOut() {
  const MainWindowLayout d = DesignLayout();
  MainWindowNeeds needs;
  needs.favorites = NeedsOf(favorites_, d.favorites);
  needs.update = NeedsOf(update_, d.update);
  needs.add = NeedsOf(add_, d.add);
  needs.filter = NeedsOf(filter_, d.filter);
  needs.country = NeedsOf(country_, d.country);
  needs.clear_label = NeedsOf(clear_, d.clear_label);
  needs.stop = NeedsOf(stop_, d.stop);
  needs.play = NeedsOf(play_, d.play);
  needs.fullscreen = NeedsOf(fullscreen_, d.fullscreen);
  needs.site_link = NeedsOf(site_, d.site_link);
  needs.volume = NeedsOf(volume_, d.volume);
  needs.mute = NeedsOf(mute_, d.mute);
  needs.status_label = NeedsOf(status_label_, d.status_label);
  // The channel label shortens its text to its width: only its height counts.
  needs.channel_label.height = NeedsOf(channel_label_, d.channel_label).height;
  const MainWindowLayout l = LayOutMainWindow(width(), height(), needs);
  main_panel_->setGeometry(rect());
  Place(player_frame_, l.player_frame);
  Place(video_area_, l.player_inside);
  Place(status_label_, l.status_label);
  // The channel label keeps its right edge where the rules put it and widens to the left over
  // half the video width, so that names longer than a word fit.
  ControlRect channel = l.channel_label;
  const int32_t right = channel.left + channel.width;
  channel.left = std::min(channel.left, l.player_inside.left + l.player_inside.width / 2);
  channel.width = right - channel.left;
  Place(channel_label_, channel);
  SetChannelLabelText(ToQString(controller_ ? controller_->view().channel_label : "No channel"));
  Place(favorites_, l.favorites);
  Place(update_, l.update);
  Place(add_, l.add);
  Place(filter_, l.filter);
  Place(country_, l.country);
  clear_->move(l.clear_label.left, l.clear_label.top);
  clear_->resize(clear_->sizeHint().expandedTo(QSize(l.clear_label.width, l.clear_label.height)));
  Place(list_, l.list);
  Place(stop_, l.stop);
  Place(play_, l.play);
  Place(fullscreen_, l.fullscreen);
  site_->move(l.site_link.left, l.site_link.top);
  site_->resize(l.site_link.width, std::max(l.site_link.height, site_->sizeHint().height()));
  Place(volume_, l.volume);
  Place(mute_, l.mute);
}

void MainWindow::ApplyPlaybackView() {
  const PlaybackView& view = controller_->view();
  status_label_->setText(ToQString(view.status_label));
  SetChannelLabelText(ToQString(view.channel_label));
  stop_->setVisible(view.stop_visible);
  play_->setVisible(!view.stop_visible);
  if (programme_now_ != nullptr) UpdateProgrammeNow();
  UpdateMediaControls();
}

void MainWindow::CreateDesktopControls() {
  ShortcutHooks keys;
  keys.play_or_stop = [this] { PlayOrStop(); };
  keys.next_channel = [this] { Zap(1); };
  keys.previous_channel = [this] { Zap(-1); };
  keys.full_screen = [this] {
    controller_->EnterFullScreen();
    ApplyPlaybackView();
  };
  keys.toggle_mute = [this] { mute_->toggle(); };
  keys.volume_up = [this] { volume_->stepUp(); };
  keys.volume_down = [this] { volume_->stepDown(); };
  keys.programme_guide = [this] { OpenProgrammeGuide(); };
  keys.find = [this] { OpenFindWindow(); };
  keys.open_playlist = [this] { OpenPlaylistDialog(); };
  keys.open_address = [this] { OpenPlaylistAddressDialog(); };
  keys.show_view = [this](View view) {
    RunViewCommand([&] { return ShowView(state_.store, state_.catalogue.filter, view); });
  };
  AddKeyboardShortcuts(this, keys);
  // A double click on the picture enters full screen; in full screen the picture leaves the
  // video area, and its own double click leaves.
  video_area_->installEventFilter(this);

  MprisHooks bus;
  bus.raise = [this] {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
  };
  bus.quit = [this] { close(); };
  bus.play = [this] {
    controller_->Play();
    ApplyPlaybackView();
  };
  bus.pause = [this] {
    controller_->Stop();
    ApplyPlaybackView();
  };
  bus.stop = bus.pause;
  bus.play_pause = [this] { PlayOrStop(); };
  bus.next = [this] { Zap(1); };
  bus.previous = [this] { Zap(-1); };
  bus.set_volume = [this](double volume) { volume_->setValue(qRound(volume * 100.0)); };
  mpris_ = new MprisService(std::move(bus), this);
  mpris_->Register();  // without a session bus the program runs as before
}

void MainWindow::CreateProgrammeGuide() {
  guide_requests_ = new GuideRequests(*runner_, service_, this);
  guide_window_ = new ProgrammeGuideWindow(this);
  playlist_guide_ = std::make_unique<PlaylistGuide>();
  // Over the top of the picture (a sibling of the video area, which holds the picture alone):
  // light text on a dark band, shown only while there is a line.
  programme_now_ = new QLabel(player_frame_);
  programme_now_->setObjectName("programmeNow");
  programme_now_->setAccessibleName("Programme now");
  programme_now_->setTextFormat(Qt::PlainText);
  programme_now_->setAutoFillBackground(true);
  QPalette band = programme_now_->palette();
  band.setColor(QPalette::Window, QColor(0, 0, 0, 170));
  band.setColor(QPalette::WindowText, kLabelText);
  programme_now_->setPalette(band);
  programme_now_->setContentsMargins(6, 2, 6, 2);
  programme_now_->hide();
  model_->SetGuideLine([this](const Channel& channel) { return GuideLine(channel); });

  // Now and next at start, then every ten minutes; the line follows the clock in between.
  QMetaObject::invokeMethod(this, &MainWindow::FetchNowAndNext, Qt::QueuedConnection);
  auto* refresh = new QTimer(this);
  refresh->setInterval(10 * 60 * 1000);
  connect(refresh, &QTimer::timeout, this, &MainWindow::FetchNowAndNext);
  refresh->start();
  // The playlists' own guides: at start, then each when its few hours are up.
  QMetaObject::invokeMethod(this, &MainWindow::FetchPlaylistGuides, Qt::QueuedConnection);
  auto* playlist_refresh = new QTimer(this);
  playlist_refresh->setInterval(15 * 60 * 1000);
  connect(playlist_refresh, &QTimer::timeout, this, &MainWindow::FetchPlaylistGuides);
  playlist_refresh->start();
  auto* clock = new QTimer(this);
  clock->setInterval(30 * 1000);
  connect(clock, &QTimer::timeout, this, &MainWindow::UpdateProgrammeNow);
  clock->start();
}

void MainWindow::FetchNowAndNext() {
  guide_requests_->FetchNowAndNext([this](Result<NowAndNextGuide> guide) {
    // A service without a guide (or none reachable) is a catalogue without guide: no message.
    if (!guide.ok()) return;
    now_and_next_ = std::make_unique<NowAndNextGuide>(std::move(*guide.value));
    UpdateProgrammeNow();
  });
}

std::string MainWindow::GuideLine(const Channel& channel) const {
  if (IsPlaylistChannel(channel)) {
    const int64_t now = std::time(nullptr);
    const std::optional<ChannelNowNext> entry = playlist_guide_->NowNext(channel.id, now);
    return entry ? NowNextLine(*entry, now) : std::string();
  }
  if (!now_and_next_) return {};
  const ChannelNowNext* entry = now_and_next_->Find(channel.id);
  return entry != nullptr ? NowNextLine(*entry, std::time(nullptr)) : std::string();
}

void MainWindow::UpdateProgrammeNow() {
  const Channel* cued = controller_->cued_channel();
  const QString line = cued != nullptr ? ToQString(GuideLine(*cued)) : QString();
  if (line.isEmpty()) {
    programme_now_->hide();
    return;
  }
  const int width = video_area_->width();
  const QMargins margins = programme_now_->contentsMargins();
  programme_now_->setText(programme_now_->fontMetrics().elidedText(
      line, Qt::ElideRight, std::max(0, width - margins.left() - margins.right())));
  programme_now_->setToolTip(line);
  programme_now_->setAccessibleDescription(line);
  programme_now_->setGeometry(video_area_->x(), video_area_->y(), width,
                              programme_now_->sizeHint().height());
  programme_now_->show();
  programme_now_->raise();
}

void MainWindow::OpenProgrammeGuide() {
  const Channel* channel = SelectedChannel();
  if (channel == nullptr) return;
  const int32_t id = channel->id;
  if (IsPlaylistChannel(*channel)) {
    // The service knows nothing of the user's own channels: their guide is the playlist's.
    guide_window_->OpenFor(id, ToQString(channel->name));
    const std::vector<GuideProgramme>* programmes = playlist_guide_->Find(id);
    guide_window_->ShowProgrammes(id,
                                  programmes != nullptr
                                      ? Result<std::vector<GuideProgramme>>::Ok(*programmes)
                                      : Result<std::vector<GuideProgramme>>::Fail("No guide"),
                                  std::time(nullptr));
    return;
  }
  guide_window_->OpenFor(id, ToQString(channel->name));
  guide_requests_->FetchChannel(id, [this, id](Result<std::vector<GuideProgramme>> programmes) {
    guide_window_->ShowProgrammes(id, programmes, std::time(nullptr));
  });
}

void MainWindow::FetchPlaylistGuides() {
  const int64_t now = std::time(nullptr);
  for (const UserPlaylist& playlist : state_.playlists) {
    const auto asked = playlist_guide_asked_.find(playlist.name);
    if (asked != playlist_guide_asked_.end() &&
        now - asked->second < kPlaylistGuideRefreshSeconds) {
      continue;
    }
    playlist_guide_asked_[playlist.name] = now;
    PlaylistGuideJob job;
    job.playlist_name = playlist.name;
    job.copy = PlaylistCopyPath(state_.data_folder, playlist);
    // The header alone (a small read of the local copy): a playlist without guides costs
    // nothing more, however many channels it has.
    job.addresses = PlaylistGuideAddressesOf(job.copy);
    if (job.addresses.empty()) continue;
    for (const Channel& channel : state_.catalogue.channels) {
      if (IsPlaylistChannel(channel) && channel.comment == playlist.name) {
        job.channels.push_back({channel.id, channel.name.str(), channel.url.str()});
      }
    }
    if (job.channels.empty()) continue;
    runner_->Run(
        [this, job = std::move(job)](const std::atomic<bool>& cancelled) -> std::function<void()> {
          const PlaylistGuideJob& work = job;
          auto failures = std::make_shared<std::vector<std::string>>();
          auto guide = std::make_shared<Result<PlaylistGuide>>(
              FetchPlaylistGuide(work, std::time(nullptr), &cancelled, *failures));
          const bool all_failed = guide->ok() && failures->size() == work.addresses.size();
          auto ids = std::make_shared<std::vector<int32_t>>();
          for (const PlaylistGuideChannel& channel : work.channels) ids->push_back(channel.id);
          return [this, name = work.playlist_name, guide, failures, ids, all_failed] {
            // Never the address: it may hold the user's credentials.
            for (const std::string& failure : *failures) {
              qWarning("Programme guide of the playlist %s: %s", name.c_str(), failure.c_str());
            }
            if (!guide->ok()) {
              qWarning("Programme guide of the playlist %s: %s", name.c_str(),
                       guide->error.c_str());
              return;
            }
            // A guide that could not be fetched leaves what was there.
            if (all_failed) return;
            const std::unordered_set<int32_t> of_playlist(ids->begin(), ids->end());
            playlist_guide_->DropChannels(
                [&of_playlist](int32_t id) { return of_playlist.count(id) != 0; });
            playlist_guide_->Merge(std::move(*guide->value));
            UpdateProgrammeNow();
          };
        },
        PostTo(this));
  }
}

void MainWindow::UpdateMediaControls() {
  if (mpris_ == nullptr) return;
  MediaControlsInput input;
  input.player_state = controller_->view().player_state;
  if (const Channel* channel = controller_->cued_channel()) {
    input.channel_cued = true;
    input.channel_id = channel->id;
    input.channel_name = channel->name;
    input.genre_name = channel->genre_name;
    input.stream_title = controller_->stream_title();
  }
  input.visible_rows = state_.visible_rows.count;
  input.volume_box = volume_->value();
  mpris_->Update(DescribeMediaControls(input));
}

void MainWindow::PlayOrStop() {
  const MediaControlsStatus status = MediaControlsStatusOf(controller_->view().player_state);
  const Channel* selected = SelectedChannel();
  if (status == MediaControlsStatus::kPlaying) {
    controller_->Stop();
  } else if (status == MediaControlsStatus::kPaused && selected == controller_->cued_channel()) {
    controller_->Play();  // resumes where it paused
  } else {
    controller_->PlaySelected(selected);
  }
  ApplyPlaybackView();
}

void MainWindow::Zap(int32_t step) {
  const int32_t row = NeighbourRow(SelectedRow(), state_.visible_rows.count, step);
  if (row < 0) return;
  const QModelIndex index = model_->index(row, 0);
  list_->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list_->scrollTo(index, QAbstractItemView::EnsureVisible);
  controller_->PlaySelected(state_.visible_rows.ChannelAt(state_.catalogue, row));
  ApplyPlaybackView();
}

void MainWindow::SetChannelLabelText(const QString& text) {
  const QString shown =
      channel_label_->fontMetrics().elidedText(text, Qt::ElideRight, channel_label_->width());
  channel_label_->setText(shown);
  channel_label_->setToolTip(shown == text ? QString() : text);
  // Screen readers hear the whole name, also when the label has to shorten it.
  channel_label_->setAccessibleName(text);
}

void MainWindow::SyncFavoritesToggle() {
  favorites_->setChecked(state_.catalogue.filter.view == View::kFavorites);
}

void MainWindow::ApplyView(const ViewResult& view) {
  controller_->ClearChannel();
  ApplyPlaybackView();
  model_->SetRowCount(0);

  list_->setUpdatesEnabled(false);
  model_->SetRowCount(view.visible_rows.count);
  if (view.caption_suffix) setWindowTitle(ToQString(ViewCaption(*view.caption_suffix)));
  clear_->setVisible(view.clear_label_visible);
  list_->setColumnWidth(static_cast<int>(ListColumn::kComments),
                        GrownWithFont(kCommentsColumnWidth));
  {
    const QSignalBlocker quiet(country_);
    QStringList names;
    names.reserve(static_cast<qsizetype>(view.country_names.size()));
    for (const std::string& name : view.country_names) names << ToQString(name);
    country_->clear();
    country_->addItems(names);
    country_->setCurrentIndex(view.country_index);
  }
  filter_dialog_->SetLists(view.country_names, view.genre_names);
  editor_dialog_->SetLists(view.country_names, view.genre_names);
  SyncFavoritesToggle();
  list_->setUpdatesEnabled(true);
  UpdateMediaControls();  // the rows to go to changed
}

void MainWindow::RunViewCommand(const std::function<Outcome()>& change) {
  const Outcome changed = change();
  if (!changed.ok()) {
    ShowErrorBox(this, changed.error);
    SyncFavoritesToggle();
    return;
  }
  ApplyView(RefreshView(state_));
}

void MainWindow::OnSelectionChanged() {
  controller_->CueChannel(SelectedChannel());
  ApplyPlaybackView();
}

int32_t MainWindow::SelectedRow() const {
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

const Channel* MainWindow::SelectedChannel() const {
  return state_.visible_rows.ChannelAt(state_.catalogue, SelectedRow());
}

void MainWindow::OnColumnClick(int32_t column) {
  if (SortByColumn(state_.catalogue, state_.visible_rows.count, static_cast<ListColumn>(column),
                   state_.sort)) {
    ApplyView(RefreshView(state_));
  }
}

void MainWindow::ShowCentred() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // The frame is not known before the first show; centring the client area is close enough.
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter,
                                    QSize(kMainWindowWidth, kMainWindowHeight),
                                    screen->availableGeometry()));
  }
  show();
  // The outdated-list question waits for the window's first activation, which a display
  // without a window manager never gives by itself.
  activateWindow();
}

void MainWindow::OpenFindWindow() {
  find_position_ = 0;
  find_window_->Open();
}

void MainWindow::FindNext() {
  const FindResult result = FindNextMatch(ToUtf8(find_window_->text()), find_window_->match_case(),
                                          find_window_->towards_first_row(), find_position_,
                                          state_.catalogue, state_.visible_rows);
  if (!result.row) {
    ShowPlainMessage(find_window_, ToQString(result.message));
    return;
  }
  find_position_ = result.find_position;
  list_->clearSelection();
  const QModelIndex found = model_->index(*result.row, 0);
  list_->selectionModel()->setCurrentIndex(
      found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list_->scrollTo(found, QAbstractItemView::EnsureVisible);
  list_->setFocus();
}

bool MainWindow::ReloadAfterListDownload() {
  LoadReport report;
  {
    const ScopedSplash splash;
    try {
      report = ReloadCatalogue(state_);
    } catch (const std::exception& e) {
      report.messages.push_back(e.what());
      report.view = RefreshView(state_);
    }
    ApplyView(report.view);
  }
  for (const std::string& message : report.messages) ShowErrorBox(this, message);
  if (state_.end_requested) {
    close();  // the close writes nothing on this path
    return false;
  }
  return report.ok();
}

void MainWindow::OpenListUpdate() {
  list_update_->UpdateClicked();
}

void MainWindow::OfferDownloadIfListOutdated() {
  list_update_->WindowActivated();
}

void MainWindow::OpenFilter() {
  filter_dialog_->exec();  // Set Filter has applied everything already
}

void MainWindow::OpenChannelEditor() {
  editor_dialog_->ExecToAdd();
}

void MainWindow::OpenChannelMenu(const QPoint& pos, bool by_keyboard) {
  int32_t row = SelectedRow();
  QPoint at = pos;
  if (by_keyboard) {
    if (row >= 0) at = list_->visualRect(model_->index(row, 0)).center();
  } else {
    row = list_->indexAt(pos).row();
  }
  channel_menu_->Prepare(row);
  channel_menu_->popup(list_->viewport()->mapToGlobal(at));
}

void MainWindow::OpenPlaylistSource(const QString& source) {
  const QString trimmed = source.trimmed();
  if (trimmed.isEmpty()) return;
  const std::string text = ToUtf8(trimmed);
  if (IsPlaylistAddress(text)) {
    FetchPlaylist(text, /*refresh=*/false);
    return;
  }
  // "Open with" hands over files, and some desktops do so as "file:" addresses.
  const QUrl url(trimmed);
  const QString path = url.isLocalFile() ? url.toLocalFile() : trimmed;
  const Result<PlaylistOpened> opened = OpenPlaylistFile(state_, path.toStdString());
  if (!opened.ok()) {
    ShowErrorBox(this, opened.error);
    ApplyView(RefreshView(state_));
    return;
  }
  ShowOpenedPlaylist(opened.value->name, opened.value->warnings);
}

void MainWindow::ShowOpenedPlaylist(const std::string& name, const std::string& warnings) {
  // A playlist opened again may name other guides: its guide is read again at once.
  playlist_guide_asked_.erase(name);
  FetchPlaylistGuides();
  RunViewCommand([&] { return ShowView(state_.store, state_.catalogue.filter, View::kPlaylist); });
  if (!warnings.empty()) {
    ShowInformationBox(this, "Some lines of the playlist " + name +
                                 " were skipped or could not be read whole:\n\n" + warnings);
  }
}

void MainWindow::FetchPlaylist(const std::string& address, bool refresh) {
  std::string name = PlaylistNameOf(address);
  for (const UserPlaylist& p : state_.playlists) {
    if (p.source == address) name = p.name;
  }
  runner_->Run(
      [this, address, name, refresh](const std::atomic<bool>& cancelled) -> std::function<void()> {
        HttpGetHooks hooks;
        hooks.step = [&cancelled](int64_t, int64_t) { return cancelled.load(); };
        auto body =
            std::make_shared<Result<std::string>>(HttpGet(address, ServiceUserAgent(), hooks));
        return [this, address, name, refresh, body] {
          if (!body->ok()) {
            // The error names the host at most, never the address with its credentials.
            std::string text = "The playlist " + name + " could not be fetched: " + body->error;
            if (refresh) text += "\n\nIts last copy is shown.";
            ShowErrorBox(this, text);
            return;
          }
          const Result<PlaylistOpened> opened = OpenPlaylistText(state_, address, *body->value);
          if (!opened.ok()) {
            std::string text = opened.error;
            if (refresh) text += "\n\nIts last copy is shown.";
            ShowErrorBox(this, text);
            ApplyView(RefreshView(state_));
            return;
          }
          if (refresh) {
            ApplyView(RefreshView(state_));
            // The fetched playlist may name other guides or have other channels.
            playlist_guide_asked_.erase(opened.value->name);
            FetchPlaylistGuides();
          } else {
            ShowOpenedPlaylist(opened.value->name, opened.value->warnings);
          }
        };
      },
      PostTo(this));
}

void MainWindow::RefreshPlaylistAddresses() {
  for (const UserPlaylist& p : state_.playlists) {
    if (IsPlaylistAddress(p.source)) FetchPlaylist(p.source, /*refresh=*/true);
  }
}

void MainWindow::OpenPlaylistDialog() {
  QFileDialog dialog(this, "Open Playlist");
  dialog.setObjectName("playlistFileDialog");
  // The program's own dialog, the same on every desktop (and one a test can drive).
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({"Playlists (*.m3u *.m3u8)", "All files (*)"});
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  OpenPlaylistSource(dialog.selectedFiles().first());
}

void MainWindow::OpenPlaylistAddressDialog() {
  QInputDialog dialog(this);
  dialog.setObjectName("playlistAddressDialog");
  dialog.setWindowTitle("Open Playlist Address");
  dialog.setLabelText("The playlist's http or https address:");
  dialog.setTextValue("https://");
  if (dialog.exec() != QDialog::Accepted) return;
  const QString address = dialog.textValue().trimmed();
  if (!IsPlaylistAddress(ToUtf8(address))) {
    ShowErrorBox(this, "Only http and https addresses can be opened as playlists.");
    return;
  }
  OpenPlaylistSource(address);
}

void MainWindow::RemovePlaylistOf(int32_t position) {
  const int32_t index = PlaylistOfChannel(state_, position);
  if (index < 0) return;
  const std::string name = state_.playlists[static_cast<std::size_t>(index)].name;
  if (!AskYesNo(this, QMessageBox::Question,
                "Would you like to remove the playlist " + name + " and its channels?")) {
    return;
  }
  const Outcome removed = RemovePlaylist(state_, name);
  if (!removed.ok()) ShowErrorBox(this, removed.error);
  ApplyView(RefreshView(state_));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  bool usable = false;
  for (const QUrl& url : data->urls()) {
    usable = usable || url.isLocalFile() || IsPlaylistAddress(ToUtf8(url.toString()));
  }
  if (!usable && data->hasText()) usable = IsPlaylistAddress(ToUtf8(data->text().trimmed()));
  if (usable) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QMimeData* data = event->mimeData();
  QStringList sources;
  for (const QUrl& url : data->urls()) {
    sources << (url.isLocalFile() ? url.toLocalFile() : url.toString());
  }
  if (sources.isEmpty() && data->hasText()) sources << data->text().trimmed();
  event->acceptProposedAction();
  for (const QString& source : sources) OpenPlaylistSource(source);
}

void MainWindow::OpenSite() {
  QDesktopServices::openUrl(QUrl(QString::fromUtf8(build::kWebsiteUrl)));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOut();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  const Outcome saved = CloseProgram(state_);
  if (!saved.ok()) {
    // Staying open keeps the changes; the user may still choose to lose them.
    const bool close_anyway = AskYesNo(
        this,
        ToQString(saved.error) +
            "\n\nYour own channels and favourites could not be saved. Close the program anyway "
            "and lose the changes made since it started?",
        /*default_yes=*/false);
    if (!close_anyway) {
      event->ignore();
      return;
    }
  }
  find_window_->hide();
  event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (!isActiveWindow()) {
    // Deactivated with no window of the program taking over: the user went to another
    // program, and coming back is the next activation. The program's own boxes and dialogs
    // do not count, or the question would come straight back after No.
    if (!QApplication::activeWindow()) offer_on_activation_ = true;
    return;
  }
  if (!offer_on_activation_) return;
  offer_on_activation_ = false;
  // Asked once the activation is over, from the event loop.
  QMetaObject::invokeMethod(this, &MainWindow::OfferDownloadIfListOutdated, Qt::QueuedConnection);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == video_area_ && programme_now_ != nullptr &&
      (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
    UpdateProgrammeNow();
  }
  if (watched == video_area_ && event->type() == QEvent::MouseButtonDblClick) {
    controller_->EnterFullScreen();
    ApplyPlaybackView();
    return true;
  }
  if (event->type() == QEvent::ContextMenu && watched == list_->viewport()) {
    const auto* request = static_cast<QContextMenuEvent*>(event);
    OpenChannelMenu(request->pos(), request->reason() == QContextMenuEvent::Keyboard);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vistrel
