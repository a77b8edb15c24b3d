// The channel list's pop-up menu: its items, their states after a right click, and every
// command with its questions, against a local service on 127.0.0.1.

#include <QAction>
#include <QtTest>
#include <memory>

#include "catalogue/user_files.h"
#include "common/build_config.h"
#include "gui/channel_menu.h"
#include "support/http_test_server.h"
#include "support/modal_driver.h"
#include "support/temp_dir.h"

namespace vistrel {

namespace {

Channel MakeChannel(int32_t id, const char* name, uint16_t usdef) {
  Channel c;
  c.id = id;
  c.group_id = c.type_id = 1;
  c.name = name;
  c.user_defined = usdef;
  return c;
}

QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* a : menu->actions()) captions << (a->isSeparator() ? "-" : a->text());
  return captions;
}

}  // namespace

class ChannelMenuTest : public QObject {
  Q_OBJECT

 private:
  RequestRunner runner_;
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ProgramState> state_;
  std::unique_ptr<HttpTestServer> server_;
  std::unique_ptr<ChannelMenu> menu_;
  int32_t selected_row_ = -1;
  int rebuilds_ = 0;
  int watched_ = 0;
  std::vector<int32_t> changed_;
  std::vector<QUrl> opened_;

  Catalogue& info() { return state_->catalogue; }

  void Rebuild() {
    ++rebuilds_;
    // The favourites view or TV: enough of the view builder for the menu.
    state_->visible_rows.count = 0;
    state_->visible_rows.positions.assign(info().channels.size(), 0);
    for (std::size_t p = 0; p < info().channels.size(); ++p) {
      const Channel& c = info().channels[p];
      if (info().filter.favorited ? c.favorited == 1 : c.group_id == 1) {
        state_->visible_rows.positions[state_->visible_rows.count++] = static_cast<int32_t>(p);
      }
    }
  }

  // Right-clicks row `row` (selecting it) or below the last row (-1, the selection kept).
  void RightClick(int32_t row) {
    if (row >= 0) selected_row_ = row;
    menu_->Prepare(row);
  }

  static void Trigger(QAction* action) {
    QVERIFY(action->isEnabled() && action->isVisible());
    action->trigger();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<TempDir>();
    state_ = std::make_unique<ProgramState>(dir_->path() / "data",
                                            SettingsStore(dir_->path() / "settings.ini"));
    info().filter.view = View::kTv;
    // The user channel shares its id with the package channel placed before it.
    info().channels = {MakeChannel(100001, "Package TV", 0), MakeChannel(100001, "My TV", 1),
                       MakeChannel(3, "Rated TV", 0)};
    info().channels[0].homepage = "http://127.0.0.1/home";
    info().channels[1].homepage = "file:///etc/passwd";
    server_ = std::make_unique<HttpTestServer>();
    server_->Answer("/service/rate.php", 200, "OK");
    server_->Answer("/service/flag.php", 200, "OK");
    server_->Start();
    ServiceConfig service;
    service.base_url = server_->base_url();
    ChannelMenuHooks hooks;
    hooks.selected_row = [this] { return selected_row_; };
    hooks.watch = [this] { ++watched_; };
    hooks.rebuild_view = [this] { Rebuild(); };
    hooks.change = [this](int32_t position) { changed_.push_back(position); };
    hooks.open_url = [this](const QUrl& url) { opened_.push_back(url); };
    menu_ = std::make_unique<ChannelMenu>(*state_, service, runner_, hooks);
    selected_row_ = -1;
    rebuilds_ = watched_ = 0;
    changed_.clear();
    opened_.clear();
    Rebuild();
    rebuilds_ = 0;
  }
  void cleanup() {
    menu_.reset();
    server_.reset();
    state_.reset();
    dir_.reset();
  }

  void itemsCaptionsAndPictures() {
    QCOMPARE(
        Captions(menu_.get()),
        QStringList({"Watch/Listen", "Add to Favorites", "Remove from Fav", "-", "Visit Homepage",
                     "-", "Rate Channel", "Flag Channel", "Update Channel", "Remove Channel",
                     "Programme Guide", "-", "Open Playlist\u2026", "Remove Playlist"}));
    QCOMPARE(Captions(menu_->rate_menu()),
             QStringList({"5 stars", "4 stars", "3 stars", "2 stars", "1 star"}));
    QCOMPARE(Captions(menu_->flag_menu()),
             QStringList({"Work fine", "Not working", "Wrong info", "Duplicate", "Spam"}));
    for (QMenu* m : {static_cast<QMenu*>(menu_.get()), menu_->rate_menu(), menu_->flag_menu()}) {
      for (const QAction* a : m->actions()) {
        if (!a->isSeparator()) QVERIFY2(!a->icon().isNull(), qPrintable(a->text()));
      }
    }
    // The state at start.
    QVERIFY(!menu_->watch_action()->isEnabled());
    QVERIFY(!menu_->remove_from_favorites_action()->isVisible());
    QVERIFY(!menu_->actions()[5]->isVisible());  // the second separator is never shown
    QVERIFY(menu_->remove_action()->isEnabled());
  }

  void statesForEachKindOfChannel() {
    info().channels[2].rated_mark = true;
    struct Case {
      const char* what;
      int32_t row;
      bool favorites_view;
      bool add, remove_fav_shown, homepage, rate, flag, remove;
    };
    const Case cases[] = {
        {"package channel", 0, false, true, false, true, true, true, false},
        {"user channel", 1, false, true, false, true, false, false, true},
        {"rated channel", 2, false, true, false, false, false, true, false},
    };
    for (const Case& c : cases) {
      RightClick(c.row);
      QVERIFY2(menu_->watch_action()->isEnabled(), c.what);
      QVERIFY2(menu_->update_action()->isEnabled(), c.what);
      QCOMPARE(menu_->add_to_favorites_action()->isEnabled(), c.add);
      QCOMPARE(menu_->remove_from_favorites_action()->isVisible(), c.remove_fav_shown);
      QCOMPARE(menu_->homepage_action()->isEnabled(), c.homepage);
      QCOMPARE(menu_->rate_menu()->menuAction()->isEnabled(), c.rate);
      QCOMPARE(menu_->flag_menu()->menuAction()->isEnabled(), c.flag);
      QCOMPARE(menu_->remove_action()->isEnabled(), c.remove);
    }
  }

  void theFavouritesViewAndAClickBelowTheLastRow() {
    info().channels[0].favorited = 1;
    info().filter.favorited = 1;
    Rebuild();
    RightClick(0);
    QVERIFY(!menu_->add_to_favorites_action()->isVisible());
    QVERIFY(menu_->remove_from_favorites_action()->isVisible());
    RightClick(-1);  // below the last row: only "Remove from Fav" is left
    for (QAction* a :
         {menu_->watch_action(), menu_->add_to_favorites_action(), menu_->homepage_action(),
          menu_->rate_menu()->menuAction(), menu_->flag_menu()->menuAction(),
          menu_->update_action(), menu_->remove_action()}) {
      QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
    }
    QVERIFY(menu_->remove_from_favorites_action()->isVisible());
    QVERIFY(menu_->remove_from_favorites_action()->isEnabled());
  }

  void favouritesAreAddedAndRemovedAfterTheirQuestion() {
    ModalDriver driver;
    driver.Answer(QMessageBox::No);
    driver.Answer(QMessageBox::Yes);
    driver.Start();
    RightClick(0);
    Trigger(menu_->add_to_favorites_action());
    QCOMPARE(info().channels[0].favorited, false);
    Trigger(menu_->add_to_favorites_action());
    QCOMPARE(info().channels[0].favorited, true);
    QCOMPARE(rebuilds_, 0);  // adding leaves the view as it is
    QCOMPARE(driver.boxes().at(0).text,
             QString("Would you like to add Package TV to your favorites?"));
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Question);
    QCOMPARE(driver.boxes().at(0).buttons, QMessageBox::Yes | QMessageBox::No);
    RightClick(0);
    QVERIFY(!menu_->add_to_favorites_action()->isEnabled());  // already a favourite

    info().filter.favorited = 1;
    Rebuild();
    rebuilds_ = 0;
    QCOMPARE(state_->visible_rows.count, 1);
    ModalDriver removal;
    removal.Answer(QMessageBox::Yes);
    removal.Start();
    RightClick(0);
    Trigger(menu_->remove_from_favorites_action());
    QVERIFY(removal.finished());
    QCOMPARE(removal.boxes().at(0).text,
             QString("Would you like to remove Package TV from your favorites?"));
    QCOMPARE(info().channels[0].favorited, false);
    QCOMPARE(state_->visible_rows.count, 0);  // gone from the favourites view at once

    // With no channel selected nothing is asked and nothing changes.
    selected_row_ = -1;
    menu_->remove_from_favorites_action()->trigger();
    QCOMPARE(rebuilds_, 1);
  }

  void onlyWebHomepagesAreOpened() {
    RightClick(0);
    Trigger(menu_->homepage_action());
    RightClick(1);
    Trigger(menu_->homepage_action());  // "file:" is not opened
    QCOMPARE(opened_.size(), std::size_t{1});
    QCOMPARE(opened_[0], QUrl("http://127.0.0.1/home"));
  }

  void ratingAndFlaggingSendOnceAndDisableTheirItems() {
    RightClick(0);
    Trigger(menu_->rate_menu()->actions()[1]);  // 4 stars
    RightClick(0);
    QVERIFY(!menu_->rate_menu()->menuAction()->isEnabled());
    QVERIFY(menu_->flag_menu()->menuAction()->isEnabled());
    Trigger(menu_->flag_menu()->actions()[1]);  // not working
    RightClick(0);
    QVERIFY(!menu_->flag_menu()->menuAction()->isEnabled());
    runner_.WaitUntilIdle();
    const auto requests = server_->requests();
    QCOMPARE(requests.size(), std::size_t{2});
    QCOMPARE(requests[0].target, std::string("/service/rate.php?rating=4&id=100001"));
    QCOMPARE(requests[1].target, std::string("/service/flag.php?flag=bad&id=100001"));
    QCOMPARE(requests[0].user_agent, std::string("Vistrel/") + build::kVersion);
    QVERIFY(info().channels[0].rated_mark && !info().channels[1].rated_mark);
  }

  void watchPlaysTheSelectedRow() {
    RightClick(2);
    Trigger(menu_->watch_action());
    QCOMPARE(watched_, 1);
  }

  void updateOpensTheEditorForUserChannelsOnly() {
    ModalDriver driver;
    driver.Answer(QMessageBox::Ok);
    driver.Start();
    RightClick(0);
    Trigger(menu_->update_action());
    QVERIFY(driver.finished());
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Information);
    QVERIFY(driver.boxes().at(0).text.contains(build::kSupportEmail));
    QVERIFY(driver.boxes().at(0).text.startsWith(
        "You can only delete or modify the user-defined channels"));
    QVERIFY(changed_.empty());
    RightClick(1);
    Trigger(menu_->update_action());
    QCOMPARE(changed_, std::vector<int32_t>{1});  // the row's record, not the first with its id
  }

  // Every change is on disk at once, so that a kill or a power cut loses none; a failed write
  // is told.
  void changesAreWrittenRightAway() {
    state_->files_read = {.favorites = true, .user_channels = true};
    const std::filesystem::path data = state_->data_folder;
    ModalDriver driver;
    driver.Answer(QMessageBox::Yes);
    driver.Answer(QMessageBox::Yes);
    driver.Start();
    RightClick(2);
    Trigger(menu_->add_to_favorites_action());
    QCOMPARE(ReadTestFile(data / kFavoritesFileName), std::string("3\r\n"));
    QVERIFY(ReadTestFile(data / kUserChannelsFileName).find("My TV") != std::string::npos);
    RightClick(1);
    Trigger(menu_->remove_action());
    QVERIFY(driver.finished());
    QCOMPARE(ReadTestFile(data / kUserChannelsFileName), std::string());

    // The data folder's path taken by a file: the change is made, the failure shown.
    std::filesystem::remove_all(data);
    WriteTestFile(data, "not a folder");
    ModalDriver failing;
    failing.Answer(QMessageBox::Yes);
    failing.Answer(QMessageBox::Ok);
    failing.Start();
    RightClick(0);
    Trigger(menu_->add_to_favorites_action());
    QVERIFY(failing.finished());
    QCOMPARE(info().channels[0].favorited, true);
    QCOMPARE(failing.boxes().size(), std::size_t{2});
    QCOMPARE(failing.boxes().at(1).icon, QMessageBox::Critical);
    QVERIFY2(failing.boxes().at(1).text.contains("could not be saved") &&
                 failing.boxes().at(1).text.contains(kFavoritesFileName),
             qPrintable(failing.boxes().at(1).text));
  }

  void removeAsksFirstAndRemovesTheRowsRecord() {
    ModalDriver driver;
    driver.Answer(QMessageBox::No);
    driver.Answer(QMessageBox::Yes);
    driver.Answer(QMessageBox::Yes);
    driver.Start();
    RightClick(1);
    Trigger(menu_->remove_action());
    QCOMPARE(info().channels.size(), std::size_t{3});
    Trigger(menu_->remove_action());
    QVERIFY(driver.boxes().size() >= 2);
    QCOMPARE(driver.boxes().at(0).text,
             QString("Are you sure that you want to permanently delete the selected channel?"));
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Information);
    QCOMPARE(info().channels.size(), std::size_t{2});
    QCOMPARE(info().channels[0].name, std::string("Package TV"));
    QCOMPARE(info().channels[1].name, std::string("Rated TV"));
    QCOMPARE(rebuilds_, 1);
    // A package channel is not removed, even after Yes.
    selected_row_ = 0;
    menu_->remove_action()->trigger();
    QVERIFY(driver.finished());
    QCOMPARE(info().channels.size(), std::size_t{2});
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::ChannelMenuTest)
#include "channel_menu_test.moc"
