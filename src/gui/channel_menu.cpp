#include "gui/channel_menu.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/lifecycle.h"
#include "browser/selected_channel.h"
#include "channel_actions/channel_editor.h"
#include "gui/menu_icons.h"
#include "gui/message_boxes.h"
#include "gui/qt_text.h"
#include "service_client/service_requests.h"

namespace vistrel {

ChannelMenu::ChannelMenu(ProgramState& state, ServiceConfig service, RequestRunner& runner,
                         ChannelMenuHooks hooks, QWidget* parent)
    : QMenu(parent),
      state_(state),
      service_(std::move(service)),
      runner_(runner),
      hooks_(std::move(hooks)) {
  setObjectName("channelMenu");

  watch_ = addAction(MenuIcon(MenuGlyph::kWatch), "Watch/Listen");
  add_favorite_ = addAction(MenuIcon(MenuGlyph::kAddToFavorites), "Add to Favorites");
  remove_favorite_ = addAction(MenuIcon(MenuGlyph::kRemoveFromFavorites), "Remove from Fav");
  addSeparator();
  homepage_ = addAction(MenuIcon(MenuGlyph::kHomepage), "Visit Homepage");
  hidden_separator_ = addSeparator();
  hidden_separator_->setVisible(false);
  rate_ = addMenu(MenuIcon(MenuGlyph::kRate), "Rate Channel");
  int stars = 5;
  for (const ChannelMenuValue& item : kRatingItems) {
    QAction* action = rate_->addAction(RatingIcon(stars--), item.caption);
    connect(action, &QAction::triggered, this, [this, value = item.value] { Rate(value); });
  }
  flag_ = addMenu(MenuIcon(MenuGlyph::kFlag), "Flag Channel");
  for (const ChannelMenuFlag& item : kFlagItems) {
    QAction* action = flag_->addAction(FlagIcon(item.status), item.caption);
    connect(action, &QAction::triggered, this,
            [this, value = FlagWord(item.status)] { Flag(value); });
  }
  update_ = addAction(MenuIcon(MenuGlyph::kUpdate), "Update Channel");
  remove_ = addAction(MenuIcon(MenuGlyph::kRemove), "Remove Channel");
  guide_ = addAction(MenuIcon(MenuGlyph::kGuide), "Programme Guide");
  connect(guide_, &QAction::triggered, this, [this] {
    if (hooks_.programme_guide) hooks_.programme_guide();
  });
  addSeparator();
  open_playlist_ = addAction(MenuIcon(MenuGlyph::kUpdate), "Open Playlist\u2026");
  open_playlist_->setObjectName("openPlaylistMenuItem");
  connect(open_playlist_, &QAction::triggered, this, [this] {
    if (hooks_.open_playlist) hooks_.open_playlist();
  });
  remove_playlist_ = addAction(MenuIcon(MenuGlyph::kRemove), "Remove Playlist");
  remove_playlist_->setObjectName("removePlaylistMenuItem");
  connect(remove_playlist_, &QAction::triggered, this, [this] {
    const int32_t position = SelectedPosition();
    if (position >= 0 && hooks_.remove_playlist) hooks_.remove_playlist(position);
  });

  connect(watch_, &QAction::triggered, this, [this] {
    if (hooks_.watch) hooks_.watch();
  });
  connect(add_favorite_, &QAction::triggered, this, &ChannelMenu::AddToFavorites);
  connect(remove_favorite_, &QAction::triggered, this, &ChannelMenu::RemoveFromFavorites);
  connect(homepage_, &QAction::triggered, this, &ChannelMenu::OpenHomepage);
  connect(update_, &QAction::triggered, this, &ChannelMenu::UpdateChannel);
  connect(remove_, &QAction::triggered, this, &ChannelMenu::RemoveChannel);
  Apply();
}

void ChannelMenu::Apply() {
  const ChannelMenuState& s = state_now_;
  watch_->setEnabled(s.watch);
  add_favorite_->setEnabled(s.add_to_favorites);
  add_favorite_->setVisible(s.add_to_favorites_shown);
  remove_favorite_->setVisible(s.remove_from_favorites_shown);
  homepage_->setEnabled(s.homepage);
  rate_->menuAction()->setEnabled(s.rate);
  flag_->menuAction()->setEnabled(s.flag);
  update_->setEnabled(s.update);
  remove_->setEnabled(s.remove);
  // Any catalogue channel may have a guide: the item needs only a channel. The service knows
  // nothing of a playlist channel: it has a guide only when its playlist names one that has it.
  guide_->setEnabled(s.watch && (!s.remove_playlist || selected_playlist_guide_));
  remove_playlist_->setEnabled(s.remove_playlist);
}

int32_t ChannelMenu::SelectedPosition() const {
  const int32_t row = hooks_.selected_row ? hooks_.selected_row() : -1;
  return ChannelPositionOfRow(state_.catalogue, state_.visible_rows, row);
}

void ChannelMenu::Prepare(int32_t clicked_row) {
  const int32_t position = SelectedPosition();
  ChannelMenuClick click;
  click.on_row = clicked_row >= 0;
  click.selected = position < 0 ? nullptr : &state_.catalogue.channels[position];
  click.favorites_view = state_.catalogue.filter.favorited != 0;
  selected_playlist_guide_ = click.selected != nullptr && IsPlaylistChannel(*click.selected) &&
                             hooks_.has_playlist_guide &&
                             hooks_.has_playlist_guide(*click.selected);
  state_now_ = PrepareChannelMenu(state_now_, click);
  Apply();
}

void ChannelMenu::AddToFavorites() {
  const int32_t position = SelectedPosition();
  if (position < 0) return;
  const Channel& channel = state_.catalogue.channels[position];
  if (!AskYesNo(parentWidget(), QMessageBox::Question, AddToFavoritesQuestion(channel.name))) {
    return;
  }
  MarkFavorite(state_.catalogue, position, true);
  SaveChange();
}

void ChannelMenu::RemoveFromFavorites() {
  const int32_t position = SelectedPosition();
  if (position < 0) return;
  const Channel& channel = state_.catalogue.channels[position];
  if (!AskYesNo(parentWidget(), QMessageBox::Question, RemoveFromFavoritesQuestion(channel.name))) {
    return;
  }
  MarkFavorite(state_.catalogue, position, false);
  if (hooks_.rebuild_view) hooks_.rebuild_view();
  SaveChange();
}

void ChannelMenu::OpenHomepage() {
  const int32_t position = SelectedPosition();
  if (position < 0) return;
  const auto address = HomepageToOpen(state_.catalogue.channels[position].homepage);
  if (!address) return;
  const QUrl url(ToQString(*address), QUrl::StrictMode);
  if (!url.isValid()) return;
  if (hooks_.open_url) {
    hooks_.open_url(url);
  } else {
    QDesktopServices::openUrl(url);
  }
}

void ChannelMenu::Rate(const char* value) {
  const int32_t position = SelectedPosition();
  if (position >= 0) RateChannel(runner_, service_, state_.catalogue, value, position);
}

void ChannelMenu::Flag(const char* value) {
  const int32_t position = SelectedPosition();
  if (position >= 0) FlagChannel(runner_, service_, state_.catalogue, value, position);
}

void ChannelMenu::UpdateChannel() {
  const int32_t position = SelectedPosition();
  if (position < 0) return;
  if (state_.catalogue.channels[position].user_defined) {
    if (hooks_.change) hooks_.change(position);
    return;
  }
  ShowInformationBox(parentWidget(), PackageChannelUpdateMessage());
}

void ChannelMenu::RemoveChannel() {
  if (!AskYesNo(parentWidget(), QMessageBox::Information, kRemoveChannelQuestion)) return;
  if (!RemoveUserChannel(state_.catalogue, SelectedPosition())) return;
  if (hooks_.rebuild_view) hooks_.rebuild_view();
  SaveChange();
}

void ChannelMenu::SaveChange() {
  const Outcome saved = SaveUserChanges(state_);
  if (!saved.ok()) ShowErrorBox(parentWidget(), saved.error);
}

}  // namespace vistrel
