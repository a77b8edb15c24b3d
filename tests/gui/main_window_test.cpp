// The main window driven as a user would: layout, list rows, selection and playback buttons,
// header clicks, the view controls and the find window.

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QWindow>
#include <filesystem>

#include "app/main_window_layout.h"
#include "gui/find_window.h"
#include "gui_fixture.h"

namespace vistrel {

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ProgramRun> run_;
  QTableView* list_ = nullptr;

  // Names of the rows as the list shows them, top to bottom.
  QStringList Names() const {
    QStringList names;
    for (int r = 0; r < list_->model()->rowCount(); ++r) {
      names << list_->model()->index(r, 0).data().toString();
    }
    return names;
  }
  QString Cell(int row, int column) const {
    return list_->model()->index(row, column).data().toString();
  }
  void ClickRow(int row) {
    const QRect cell = list_->visualRect(list_->model()->index(row, 1));
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cell.center());
  }
  void ClickHeader(int x) {
    QTest::mouseClick(list_->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 8));
  }
  QToolButton* Button(const char* name) const { return run_->Find<QToolButton>(name); }
  QString ChannelLabel() const { return run_->Find<QLabel>("channelLabel")->text(); }
  void PressCtrlF(Qt::KeyboardModifiers extra = {}) {
    QWindow* window = run_->window()->windowHandle();
    QTest::keyClick(window, Qt::Key_F, Qt::ControlModifier | extra);
  }

 private slots:
  void init() {
    run_ = std::make_unique<ProgramRun>();
    run_->Put("channelz.dat", TestPackage());
    run_->Put("userdef.dat", kTestUserLine);
    QVERIFY(run_->Start());
    list_ = run_->Find<QTableView>("channelList");
    QVERIFY(list_);
  }
  void cleanup() { run_.reset(); }

  void startsWithTheDesignLayoutAndCaptions() {
    MainWindow* w = run_->window();
    QCOMPARE(w->size(), QSize(kMainWindowWidth, kMainWindowHeight));
    QCOMPARE(w->windowTitle(), QString("Vistrel - 7.15 - Tv"));
    QCOMPARE(list_->geometry(), QRect(587, 71, 460, 358));
    QCOMPARE(Button("stopButton")->geometry(), QRect(14, 404, 85, 20));
    // " Fullscreen" needs a few pixels more than designed at DejaVu Sans.
    QCOMPARE(Button("fullscreenButton")->pos(), QPoint(103, 404));
    QVERIFY(Button("fullscreenButton")->width() >= 85);
    QCOMPARE(Button("muteButton")->geometry(), QRect(492, 404, 85, 20));
    QCOMPARE(Button("favoritesButton")->geometry(), QRect(587, 17, 90, 20));
    QCOMPARE(Button("updateButton")->geometry(), QRect(683, 17, 90, 20));
    QCOMPARE(Button("addButton")->geometry(), QRect(779, 17, 90, 20));
    QCOMPARE(run_->Find<QComboBox>("countryBox")->geometry(), QRect(587, 43, 413, 19));
    QCOMPARE(run_->Find<QSpinBox>("volumeBox")->geometry(), QRect(446, 403, 41, 22));
    QCOMPARE(run_->Find<QWidget>("playerFrame")->geometry(), QRect(15, 17, 562, 379));
    QCOMPARE(run_->Find<QWidget>("videoArea")->geometry(), QRect(10, 10, 542, 344));
    QCOMPARE(run_->Find<QWidget>("statusLabel")->geometry(), QRect(10, 358, 311, 21));
    QCOMPARE(run_->Find<QWidget>("siteLink")->pos(), QPoint(244, 408));
    QCOMPARE(run_->Find<QWidget>("clearFilterLink")->pos(), QPoint(1010, 47));
    // The channel label ends where the rules end it (487 + 65).
    QCOMPARE(run_->Find<QWidget>("channelLabel")->geometry().right() + 1, 552);

    // Bigger: the player grows both ways, the list in height only, 15 pixels from the edge.
    w->resize(1300, 700);
    QCOMPARE(list_->geometry(), QRect(1300 - 475, 71, 460, 700 - 78));
    QCOMPARE(run_->Find<QWidget>("videoArea")->size(), QSize(1300 - 520, 700 - 92));
    // Tiny: sizes clamp at zero, nothing breaks.
    w->resize(120, 40);
    QCOMPARE(run_->Find<QWidget>("playerFrame")->size(), QSize(0, 0));
    QCOMPARE(w->minimumSize(), QSize(0, 0));

    QCOMPARE(Button("stopButton")->text(), QString("Stop"));
    QCOMPARE(Button("stopButton")->toolTip(), QString("Pause"));
    QCOMPARE(Button("playButton")->text(), QString(" Play"));
    QCOMPARE(Button("favoritesButton")->toolTip(), QString("Open Favorites"));
    QCOMPARE(Button("updateButton")->toolTip(), QString("Update channels list"));
    QCOMPARE(Button("addButton")->toolTip(), QString("Add channel"));
    QCOMPARE(Button("fullscreenButton")->toolTip(), QString("Enter to full screen"));
    QVERIFY(!Button("stopButton")->icon().isNull());
    QCOMPARE(run_->Find<QLabel>("statusLabel")->text(), QString("Stopped"));
    QCOMPARE(ChannelLabel(), QString("No channel"));
    QCOMPARE(run_->Find<QSpinBox>("volumeBox")->value(), 50);
    QVERIFY(!run_->Find<QWidget>("clearFilterLink")->isVisible());
    QVERIFY(Button("stopButton")->isVisible());
    QVERIFY(!Button("playButton")->isVisible());
  }

  void everyControlCanBeFoundByNameAndRole() {
    for (QWidget* child :
         run_->window()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      for (QWidget* control :
           child->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (control->isWindow()) continue;
        QVERIFY2(!control->objectName().isEmpty(), control->metaObject()->className());
      }
    }
    // Labels whose text matters are read out as their text.
    ClickRow(0);
    QAccessibleInterface* status =
        QAccessible::queryAccessibleInterface(run_->Find<QLabel>("statusLabel"));
    QCOMPARE(status->text(QAccessible::Name), QString("Stopped"));
    QAccessibleInterface* channel =
        QAccessible::queryAccessibleInterface(run_->Find<QLabel>("channelLabel"));
    QCOMPARE(channel->text(QAccessible::Name), Cell(0, 0));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(list_);
    QCOMPARE(list->role(), QAccessible::Table);
    QCOMPARE(list->text(QAccessible::Name), QString("Channel list"));
    QVERIFY(list->tableInterface());
    QCOMPARE(list->tableInterface()->cellAt(0, 0)->text(QAccessible::Name), Cell(0, 0));
  }

  void rowsShowTheCatalogueTextsAndColours() {
    QCOMPARE(Names(),
             QStringList({"alpha TV", "Beta Music", "My Stream", "Rock & <Roll>", "Zeta News"}));
    QHeaderView* header = list_->horizontalHeader();
    const QStringList captions = {"Channel", "Genre", "Rating", "Bitrate", "Comments"};
    const int widths[] = {130, 85, 45, 40, 130};
    for (int c = 0; c < 5; ++c) {
      QCOMPARE(list_->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
      QCOMPARE(header->sectionSize(c), widths[c]);
    }
    QVERIFY(list_->showGrid());
    QCOMPARE(list_->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list_->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list_->editTriggers(), QAbstractItemView::NoEditTriggers);
    // Zeta News: genre News, rating 9 / 2, bitrate 800, its comment.
    QCOMPARE(Cell(4, 1), QString("News"));
    QCOMPARE(Cell(4, 2), QString("4.50"));
    QCOMPARE(Cell(4, 3), QString("800"));
    QCOMPARE(Cell(4, 4), QString("late news"));
    // The user's channel: "no" rating, pale green; catalogue channels on white.
    QCOMPARE(Cell(2, 2), QString("no"));
    const QModelIndex user = list_->model()->index(2, 0);
    QCOMPARE(user.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(192, 220, 192));
    QCOMPARE(list_->model()->index(0, 3).data(Qt::BackgroundRole).value<QBrush>().color(),
             QColor(Qt::white));
    // State icons on the first column only; alpha TV works, Beta Music does not: they differ.
    const QIcon works = list_->model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>();
    const QIcon broken = list_->model()->index(1, 0).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!works.isNull());
    QVERIFY(works.pixmap(16).toImage() != broken.pixmap(16).toImage());
    QVERIFY(list_->model()->index(0, 1).data(Qt::DecorationRole).isNull());
  }

  void selectionCuesAndDoubleClickPlays() {
    FakeMediaPlayer* player = run_->player();
    ClickRow(3);
    // A name with "<" and "&" shows as written.
    QCOMPARE(ChannelLabel(), QString("Rock & <Roll>"));
    QCOMPARE(player->Url(), std::string("http://127.0.0.1/4"));
    QVERIFY(Button("playButton")->isVisible());
    QVERIFY(!Button("stopButton")->isVisible());

    QTest::mouseClick(Button("playButton"), Qt::LeftButton);
    QCOMPARE(player->calls.back(), std::string("Play"));
    QVERIFY(Button("stopButton")->isVisible());
    QTest::mouseClick(Button("stopButton"), Qt::LeftButton);
    QCOMPARE(player->calls.back(), std::string("Stop"));
    QVERIFY(Button("playButton")->isVisible());

    player->calls.clear();
    const QRect cell = list_->visualRect(list_->model()->index(0, 0));
    QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(ChannelLabel(), QString("alpha TV"));
    QCOMPARE(player->calls.back(), std::string("Play"));
    QVERIFY(Button("stopButton")->isVisible());

    // A click below the last row drops the selection: nothing is cued any more.
    QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, QPoint(50, list_->height() - 30));
    QCOMPARE(ChannelLabel(), QString("No channel"));
    QCOMPARE(player->Url(), std::string());

    // The status line shows the player's own text; Mute and the volume reach the player.
    player->RaiseStatus(PlayerState::kBuffering, 40);
    QCOMPARE(run_->Find<QLabel>("statusLabel")->text(), QString("Buffering (40%)"));
    // A dropped stream being opened again: the ellipsis is one character.
    player->RaiseStatus(PlayerState::kReconnecting);
    QCOMPARE(run_->Find<QLabel>("statusLabel")->text(), QString("Reconnecting") + QChar(0x2026));
    QTest::mouseClick(Button("muteButton"), Qt::LeftButton);
    QCOMPARE(player->calls.back(), std::string("SetMuted(1)"));
    run_->Find<QSpinBox>("volumeBox")->stepUp();
    QCOMPARE(player->calls.back(), std::string("SetVolume(55)"));
    QVERIFY(run_->Find<QSpinBox>("volumeBox")->findChild<QLineEdit*>()->isReadOnly());
  }

  void headerClicksSortByTheRule() {
    ClickRow(0);
    // Start-up sorted by name A to Z; the first column's header sorts Z to A.
    ClickHeader(60);
    QCOMPARE(Names().first(), QString("Zeta News"));
    QCOMPARE(ChannelLabel(), QString("No channel"));  // the rebuild clears the cued channel
    // Rating (third column) now descends: Zeta News 4.50, Beta Music 4.00.
    ClickHeader(240);
    QCOMPARE(Names().mid(0, 2), QStringList({"Zeta News", "Beta Music"}));

    // Near a divider, right of the last column, or with the country list open: no sort.
    const QStringList before = Names();
    ClickHeader(130 + 2);
    ClickHeader(430 + 5);
    QCOMPARE(Names(), before);
    auto* country = run_->Find<QComboBox>("countryBox");
    country->showPopup();
    QTRY_VERIFY(country->view()->isVisible());
    ClickHeader(60);
    country->hidePopup();
    QCOMPARE(Names(), before);
    // The vertical scroll bar beside the header keeps its clicks, also over a wide column.
    run_->window()->resize(kMainWindowWidth, 160);
    list_->setColumnWidth(4, 400);
    QScrollBar* bar = list_->verticalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    QVERIFY(bar->mapTo(list_, QPoint(0, 0)).y() < 17);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, 4));
    QCOMPARE(Names(), before);
    // Comments width goes back to 130 with every rebuild.
    list_->setColumnWidth(4, 200);
    ClickHeader(60);
    QCOMPARE(list_->horizontalHeader()->sectionSize(4), 130);
  }

  void viewControlsRebuildTheList() {
    auto* country = run_->Find<QComboBox>("countryBox");
    QCOMPARE(country->count(), 2);
    QCOMPARE(country->currentText(), QString("All Countries"));
    // Choosing Norway (id 7) narrows the list and shows Clear; Clear brings all back.
    country->setFocus();
    QTest::keyClick(country, Qt::Key_Down);
    QCOMPARE(country->currentText(), QString("Norway"));
    QCOMPARE(Names(), QStringList({"Beta Music", "My Stream", "Rock & <Roll>", "Zeta News"}));
    auto* clear = run_->Find<QPushButton>("clearFilterLink");
    QVERIFY(clear->isVisible());
    QTest::mouseClick(clear, Qt::LeftButton);
    QCOMPARE(Names().size(), 5);
    QCOMPARE(country->currentIndex(), 0);
    QVERIFY(!clear->isVisible());

    // Favorites: the toggle follows the view; nothing is a favourite yet.
    QTest::mouseClick(Button("favoritesButton"), Qt::LeftButton);
    QVERIFY(Button("favoritesButton")->isChecked());
    QCOMPARE(run_->window()->windowTitle(), QString("Vistrel - 7.15 - Favorites"));
    QCOMPARE(Names(), QStringList());
    QTest::mouseClick(Button("favoritesButton"), Qt::LeftButton);
    QVERIFY(!Button("favoritesButton")->isChecked());
    QCOMPARE(Names().size(), 5);

    // A reload whose settings lead back to the TV view raises the toggle.
    QTest::mouseClick(Button("favoritesButton"), Qt::LeftButton);
    QVERIFY(Button("favoritesButton")->isChecked());
    std::filesystem::remove(run_->window()->state().store.file());
    run_->window()->ReloadAfterListDownload();
    QVERIFY(!Button("favoritesButton")->isChecked());
    QCOMPARE(run_->window()->windowTitle(), QString("Vistrel - 7.15 - Tv"));
    QCOMPARE(Names().size(), 5);

    // Ctrl+2 and Ctrl+3 reach the views that have no button, Ctrl+1 comes back; the window's
    // keys need the window active, as it is when a user presses them.
    run_->window()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(run_->window()));
    QTest::keyClick(run_->window()->windowHandle(), Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(run_->window()->windowTitle(), QString("Vistrel - 7.15 - Radio"));
    QTest::keyClick(run_->window()->windowHandle(), Qt::Key_3, Qt::ControlModifier);
    QCOMPARE(run_->window()->windowTitle(), QString("Vistrel - 7.15 - Video"));
    QTest::keyClick(run_->window()->windowHandle(), Qt::Key_1, Qt::ControlModifier);
    QCOMPARE(run_->window()->windowTitle(), QString("Vistrel - 7.15 - Tv"));
    QCOMPARE(Names().size(), 5);
  }

  void ctrlFOpensTheFindWindowAndSearches() {
    MainWindow* w = run_->window();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    auto* find = w->findChild<FindWindow*>("findWindow");
    QVERIFY(!find->isVisible());
    PressCtrlF();
    QTRY_VERIFY(find->isVisible());
    QVERIFY(!find->isModal());
    QVERIFY(find->findChild<QRadioButton*>("findDown")->isChecked());

    // Without Match case "m" finds Beta Music, then My Stream; "mUSIC" finds Beta Music.
    auto* text = find->findChild<QLineEdit*>("findText");
    auto* next = find->findChild<QPushButton*>("findNext");
    QTest::keyClicks(text, "m");
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(ChannelLabel(), QString("Beta Music"));
    QCOMPARE(w->find_position(), 2);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(ChannelLabel(), QString("My Stream"));
    QCOMPARE(list_->selectionModel()->selectedRows().first().row(), 2);

    // Match case: no lower-case "m" in any name from row 3 on.
    QTest::mouseClick(find->findChild<QCheckBox*>("matchCase"), Qt::LeftButton);
    {
      MessageBoxAnswerer answer;
      QTest::mouseClick(next, Qt::LeftButton);
      QCOMPARE(answer.texts, QStringList({"Could not find \"m\""}));
    }
    QCOMPARE(w->find_position(), 3);

    // Ctrl+Shift+F opens it again and starts over; the options stay.
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    PressCtrlF(Qt::ShiftModifier);
    QCOMPARE(w->find_position(), 0);
    QVERIFY(find->findChild<QCheckBox*>("matchCase")->isChecked());
    text->setText("Music");
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(ChannelLabel(), QString("Beta Music"));

    // Upwards from row 0 examines row 0 only. Text goes to the search as typed, in any script.
    QTest::mouseClick(find->findChild<QRadioButton*>("findUp"), Qt::LeftButton);
    PressCtrlF(Qt::AltModifier);
    text->setText(QString::fromUtf8("Caf\xC3\xA9 \xE6\x96\xB0\xE9\x97\xBB"));
    {
      MessageBoxAnswerer answer;
      QTest::mouseClick(next, Qt::LeftButton);
      QCOMPARE(answer.texts, QStringList({QString::fromUtf8(
                                 "Could not find \"Caf\xC3\xA9 \xE6\x96\xB0\xE9\x97\xBB\"")}));
    }
    text->setText("alpha");
    QTest::mouseClick(find->findChild<QCheckBox*>("matchCase"), Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(ChannelLabel(), QString("alpha TV"));
    QCOMPARE(w->find_position(), -1);
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::MainWindowTest)
#include "main_window_test.moc"
