// Start-up and close of the whole program: the load, the messages it shows, what it writes.

#include <QTableView>
#include <QTest>
#include <filesystem>

#include "app/data_folder.h"
#include "app/lifecycle.h"
#include "catalogue/package.h"
#include "catalogue/user_files.h"
#include "gui/program_entry.h"
#include "gui/qt_text.h"
#include "gui_fixture.h"

namespace vistrel {

namespace fs = std::filesystem;

class StartUpTest : public QObject {
  Q_OBJECT

 private slots:
  void damagedPackageIsShownSetAsideAndTheNextStartRuns() {
    ProgramRun run;
    const std::string damaged = TestPackage(std::string(kTestTv) + "9|Broken|http://x|fast\r\n");
    run.Put(kPackageFileName, damaged);
    run.Put(kUserChannelsFileName, kTestUserLine);
    {
      MessageBoxAnswerer answer;
      QVERIFY(!run.Start());
      QCOMPARE(answer.texts.size(), 1);
      QVERIFY2(answer.texts[0].contains("channelz.dat.damaged"), qPrintable(answer.texts[0]));
    }
    QVERIFY(!fs::exists(run.data() / kPackageFileName));
    QCOMPARE(run.Get(kDamagedPackageFileName), damaged);
    QCOMPARE(run.Get(kUserChannelsFileName), std::string(kTestUserLine));

    // The next start has no package: the user's channel is listed, no message appears.
    MessageBoxAnswerer answer;
    QVERIFY(run.Start());
    QVERIFY(answer.texts.isEmpty());
    QVERIFY(run.window()->state().list_outdated);
    auto* list = run.Find<QTableView>("channelList");
    QCOMPARE(list->model()->rowCount(), 1);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QString("My Stream"));
  }

  void closeWritesTheUserFiles() {
    ProgramRun run;
    run.Put(kPackageFileName, TestPackage());
    QVERIFY(run.Start());
    QVERIFY(!fs::exists(run.data() / kFavoritesFileName));
    run.window()->state().catalogue.channels[0].favorited = 1;
    QVERIFY(run.window()->close());
    QVERIFY(fs::exists(run.data() / kFavoritesFileName));
    QVERIFY(!run.Get(kFavoritesFileName).empty());
  }

  void unreadableUserFileIsShownAndNothingIsWritten() {
    ProgramRun run;
    run.Put(kPackageFileName, TestPackage());
    run.Put(kUserChannelsFileName, "not|a|user|line\r\n");
    run.Put(kFavoritesFileName, "3\r\n");
    MessageBoxAnswerer answer;
    QVERIFY(!run.Start());
    QCOMPARE(answer.texts.size(), 1);
    QVERIFY2(answer.texts[0].contains("userdef.dat"), qPrintable(answer.texts[0]));
    QCOMPARE(run.Get(kUserChannelsFileName), std::string("not|a|user|line\r\n"));
    QCOMPARE(run.Get(kFavoritesFileName), std::string("3\r\n"));
  }

  void theProgramsPlayerShowsItsPictureInTheVideoArea() {
    ProgramRun run;
    run.Put(kPackageFileName, TestPackage());
    std::unique_ptr<MainWindow> window = StartProgram(DefaultPlayerFactory());
    QVERIFY(window);
    QVERIFY(window->player());
    QCOMPARE(window->player()->StatusText(), std::string("Stopped"));
    window->ShowCentred();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* video_area = window->findChild<QWidget*>("videoArea");
    const QList<QWidget*> pictures =
        video_area->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(pictures[0]->geometry(), video_area->rect());
    // Selecting a row cues its address in the player.
    auto* list = window->findChild<QTableView*>("channelList");
    const QRect cell = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(window->player()->Url(), std::string("http://127.0.0.1/2"));
  }

  void withoutAPlayerTheProgramOffersItsDownloadAndEnds() {
    ProgramRun run;
    run.Put(kPackageFileName, TestPackage());
    run.Put(kFavoritesFileName, "3\r\n");
    MessageBoxAnswerer answer(QMessageBox::No);
    QVERIFY(!StartProgram([](QWidget*) { return std::unique_ptr<MediaPlayer>(); }));
    QCOMPARE(answer.texts.size(), 1);
    QVERIFY2(answer.texts[0].contains("libmpv"), qPrintable(answer.texts[0]));
    QCOMPARE(run.Get(kFavoritesFileName), std::string("3\r\n"));
  }

  void withoutADataFolderTheProgramSaysSoAndEnds() {
    ProgramRun run;
    const QByteArray home = qgetenv("HOME");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    MessageBoxAnswerer answer;
    const bool started = run.Start();
    ::setenv("HOME", home.constData(), 1);
    QVERIFY(!started);
    QCOMPARE(answer.texts, QStringList({ToQString(NoDataFolderMessage())}));
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::StartUpTest)
#include "start_up_test.moc"
