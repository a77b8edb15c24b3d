// The dialogs and the menu reached from the main window as a user reaches them: the Filter,
// Add and Update buttons, the list's pop-up menu, and the question on activation while the list
// is outdated, against a real catalogue service on 127.0.0.1.

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <cstdlib>

#include "catalogue/package.h"
#include "catalogue/user_files.h"
#include "gui/channel_editor_dialog.h"
#include "gui/channel_menu.h"
#include "gui/filter_dialog.h"
#include "gui/update_dialog.h"
#include "gui_fixture.h"
#include "support/catalogue_service_fixture.h"
#include "support/modal_driver.h"
#include "support/update_dialog_steps.h"

namespace vistrel {

class MainWindowDialogsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CatalogueServiceFixture> service_;
  std::unique_ptr<ProgramRun> run_;
  QTableView* list_ = nullptr;

  QToolButton* Button(const char* name) const { return run_->Find<QToolButton>(name); }
  ChannelMenu* Menu() const { return run_->Find<ChannelMenu>("channelMenu"); }
  QStringList Names() const {
    QStringList names;
    for (int r = 0; r < list_->model()->rowCount(); ++r) {
      names << list_->model()->index(r, 0).data().toString();
    }
    return names;
  }
  int RowOf(const QString& name) const { return Names().indexOf(name); }
  // A right click as the list gets it: the press selects the row, then the menu request.
  void RightClick(const QPoint& pos) {
    QTest::mousePress(list_->viewport(), Qt::RightButton, {}, pos);
    QTest::mouseRelease(list_->viewport(), Qt::RightButton, {}, pos);
    QContextMenuEvent request(QContextMenuEvent::Mouse, pos, list_->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(list_->viewport(), &request);
  }
  void RightClickRow(int row) {
    RightClick(list_->visualRect(list_->model()->index(row, 1)).center());
  }
  static void Check(const ModalDriver& driver) {
    QVERIFY2(driver.finished() && driver.failure().isEmpty(), qPrintable(driver.failure()));
  }
  void Start(bool with_package = true) {
    run_ = std::make_unique<ProgramRun>();
    if (with_package) run_->Put(kPackageFileName, TestPackage());
    run_->Put(kUserChannelsFileName, kTestUserLine);
    QVERIFY(run_->Start());
    list_ = run_->Find<QTableView>("channelList");
    QVERIFY(list_);
  }

 private slots:
  void initTestCase() {
    service_ = std::make_unique<CatalogueServiceFixture>();
    ::setenv("VISTREL_SERVICE_URL", service_->base_url().c_str(), 1);
  }
  void cleanupTestCase() {
    ::unsetenv("VISTREL_SERVICE_URL");
    service_.reset();
  }
  void cleanup() { run_.reset(); }

  void theFilterButtonOpensTheFilterDialog() {
    Start();
    QToolButton* filter = Button("filterButton");
    QVERIFY(filter);
    QCOMPARE(filter->text(), QString(" Filter"));
    QCOMPARE(filter->toolTip(), QString("Filter channels"));
    QCOMPARE(filter->geometry(), QRect(875, 17, 90, 20));
    QVERIFY(!filter->icon().isNull());
    run_->window()->resize(1300, 500);
    QCOMPARE(filter->geometry(), QRect(1300 - 187, 17, 90, 20));

    ModalDriver driver;
    driver.Then([](QWidget* modal) {
      QVERIFY(qobject_cast<FilterDialog*>(modal));
      // The lists come from the view build: the package's countries and genres.
      QCOMPARE(modal->findChild<QComboBox*>("genreList")->itemText(2), QString("Music"));
      QTest::mouseClick(modal->findChild<QCheckBox*>("nameSection"), Qt::LeftButton);
      QTest::keyClicks(modal->findChild<QLineEdit*>("nameEdit"), "Music");
      QTest::mouseClick(modal->findChild<QPushButton*>("setFilterButton"), Qt::LeftButton);
    });
    driver.Start();
    QTest::mouseClick(filter, Qt::LeftButton);
    Check(driver);
    QCOMPARE(Names(), QStringList({"Beta Music"}));
    QVERIFY(run_->Find<QWidget>("clearFilterLink")->isVisible());
  }

  void theAddButtonAddsAUserChannel() {
    Start();
    ModalDriver driver;
    driver.Then([](QWidget* modal) {
      QVERIFY(qobject_cast<ChannelEditorDialog*>(modal));
      modal->findChild<QComboBox*>("categoryBox")->setCurrentIndex(1);
      QTest::keyClicks(modal->findChild<QLineEdit*>("nameEdit"), "Added Radio");
      QTest::keyClicks(modal->findChild<QLineEdit*>("urlEdit"), "http://127.0.0.1/added");
      QTest::keyClicks(modal->findChild<QLineEdit*>("bitrateEdit"), "96");
      modal->findChild<QComboBox*>("typeBox")->setCurrentIndex(1);
      modal->findChild<QComboBox*>("countryList")->setCurrentIndex(1);
      modal->findChild<QComboBox*>("genreList")->setCurrentIndex(1);
      QTest::mouseClick(modal->findChild<QCheckBox*>("confirmBox"), Qt::LeftButton);
      QTest::mouseClick(modal->findChild<QPushButton*>("addChannelButton"), Qt::LeftButton);
    });
    driver.Start();
    QTest::mouseClick(Button("addButton"), Qt::LeftButton);
    Check(driver);
    QVERIFY2(RowOf("Added Radio") >= 0, qPrintable(Names().join(", ")));
    // Written at close, as every user channel.
    QVERIFY(run_->window()->close());
    QVERIFY(run_->Get(kUserChannelsFileName).find("Added Radio") != std::string::npos);
  }

  void theListsMenuActsOnTheRightClickedRow() {
    Start();
    const int mine = RowOf("My Stream");
    QVERIFY(mine >= 0);
    RightClickRow(mine);
    ChannelMenu* menu = Menu();
    QVERIFY(menu && menu->isVisible());
    QVERIFY(menu->remove_action()->isEnabled());
    QVERIFY(!menu->rate_menu()->menuAction()->isEnabled());
    menu->close();

    const int package = RowOf("Beta Music");
    RightClickRow(package);
    QVERIFY(!menu->remove_action()->isEnabled());
    QVERIFY(menu->rate_menu()->menuAction()->isEnabled());
    menu->close();

    // The menu key stands for the selected row.
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1),
                          list_->viewport()->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(list_->viewport(), &key);
    QVERIFY(menu->isVisible());
    QVERIFY(menu->watch_action()->isEnabled());
    QVERIFY(menu->rate_menu()->menuAction()->isEnabled());
    menu->close();

    // Below the last row: every channel item disabled.
    RightClick(QPoint(20, list_->viewport()->height() - 3));
    QVERIFY(!menu->watch_action()->isEnabled());
    QVERIFY(!menu->update_action()->isEnabled());
    QVERIFY(!menu->remove_action()->isEnabled());
    menu->close();

    // Remove Channel on the user channel: asked first, then gone from the list.
    RightClickRow(RowOf("My Stream"));
    ModalDriver driver;
    driver.Answer(QMessageBox::Yes);
    driver.Start();
    menu->remove_action()->trigger();
    Check(driver);
    QCOMPARE(RowOf("My Stream"), -1);

    // Watch plays the row.
    RightClickRow(RowOf("Beta Music"));
    menu->watch_action()->trigger();
    QCOMPARE(run_->player()->Url(), std::string("http://127.0.0.1/3"));
    QCOMPARE(run_->player()->calls.back(), std::string("Play"));
  }

  void updateChannelOpensTheEditorOnTheRowsChannel() {
    Start();
    RightClickRow(RowOf("My Stream"));
    ModalDriver driver;
    driver.Then([](QWidget* modal) {
      QVERIFY(qobject_cast<ChannelEditorDialog*>(modal));
      QCOMPARE(modal->findChild<QLineEdit*>("nameEdit")->text(), QString("My Stream"));
      modal->findChild<QComboBox*>("categoryBox")->setCurrentIndex(1);
      auto* name = modal->findChild<QLineEdit*>("nameEdit");
      name->selectAll();
      QTest::keyClicks(name, "Our Stream");
      QTest::mouseClick(modal->findChild<QCheckBox*>("confirmBox"), Qt::LeftButton);
      QTest::mouseClick(modal->findChild<QPushButton*>("addChannelButton"), Qt::LeftButton);
    });
    driver.Start();
    Menu()->update_action()->trigger();
    Check(driver);
    QVERIFY(RowOf("Our Stream") >= 0);
    QCOMPARE(RowOf("My Stream"), -1);
  }

  void updateReloadsAndKeepsWhatTheUserAdded() {
    Start();
    run_->window()->state().catalogue.channels[0].favorited = 1;
    const int32_t favourite_id = run_->window()->state().catalogue.channels[0].id;
    ModalDriver driver;
    CloseWhenDownloadEnds(driver);
    driver.Answer(QMessageBox::No);  // the web site
    driver.Start();
    QTest::mouseClick(Button("updateButton"), Qt::LeftButton);
    Check(driver);
    QCOMPARE(driver.boxes().at(0).text,
             QString("Channel list successfully updated. Would you like to visit our website "
                     "to check software updates?"));
    // The served catalogue, with the user's channel and favourite written before the reload.
    QVERIFY2(RowOf("First TV") >= 0, qPrintable(Names().join(", ")));
    QVERIFY(RowOf("My Stream") >= 0);
    QVERIFY(run_->Get(kFavoritesFileName).find(std::to_string(favourite_id)) != std::string::npos);
  }

  void theOutdatedQuestionComesAtActivation() {
    Start(/*with_package=*/false);
    QVERIFY(run_->window()->state().list_outdated);
    ModalDriver driver;
    driver.Answer(QMessageBox::No);
    driver.Start();
    QApplication::setActiveWindow(run_->window());
    QTRY_VERIFY(driver.finished());
    Check(driver);
    QCOMPARE(driver.boxes().at(0).text,
             QString("List of channels is outdated. Would you like to download the new one now?"));
    QCOMPARE(driver.boxes().at(0).icon, QMessageBox::Critical);
    // Back in the window after No: not asked again straight away.
    QApplication::setActiveWindow(run_->window());
    QTest::qWait(50);
    QVERIFY(run_->window()->isActiveWindow());
    QCOMPARE(driver.boxes().size(), std::size_t{1});

    // The user goes to another program and comes back: asked again; Yes downloads and reloads.
    ModalDriver again;
    again.Answer(QMessageBox::Yes);
    CloseWhenDownloadEnds(again);
    again.Start();
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(run_->window());
    QTRY_VERIFY(again.finished());
    Check(again);
    QTRY_VERIFY(!run_->window()->state().list_outdated);
    QTRY_VERIFY(RowOf("First TV") >= 0);
    QVERIFY(RowOf("My Stream") >= 0);
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::MainWindowDialogsTest)
#include "main_window_dialogs_test.moc"
