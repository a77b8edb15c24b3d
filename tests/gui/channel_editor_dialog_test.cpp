// The channel editor driven as a user would: adding with every refusal on the way, the
// confirmation box, the Bitrate key filter, the URL field and the clipboard, and changing a
// user channel that shares its id with a package channel.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "browser/view_builder.h"
#include "catalogue/user_files.h"
#include "gui/channel_editor_dialog.h"
#include "support/modal_driver.h"
#include "support/temp_dir.h"
#include "support/typing.h"

namespace vistrel {

class ChannelEditorDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ProgramState> state_;
  std::unique_ptr<ChannelEditorDialog> form_;
  int rebuilds_ = 0;

  Catalogue& info() { return state_->catalogue; }

  template <typename T>
  T* Find(const char* name) {
    T* w = form_->findChild<T*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
  }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
  QComboBox* Box(const char* name) { return Find<QComboBox>(name); }
  QPushButton* AddButton() { return Find<QPushButton>("addChannelButton"); }

  void SetText(const char* edit, const QString& text) {
    Edit(edit)->selectAll();
    Edit(edit)->del();
    TypeText(Edit(edit), text);
  }

  // Fields that pass every check.
  void FillGoodFields() {
    Box("categoryBox")->setCurrentIndex(1);
    SetText("nameEdit", QString::fromUtf8(" Ночной эфир "));
    SetText("urlEdit", "http://127.0.0.1/night.m3u8");
    SetText("bitrateEdit", "256");
    Box("typeBox")->setCurrentIndex(2);
    SetText("homepageEdit", "");
    Box("countryList")->setCurrentIndex(1);
    Box("genreList")->setCurrentIndex(2);
    SetText("commentEdit", "late");
  }

  void Confirm() { QTest::mouseClick(Find<QCheckBox>("confirmBox"), Qt::LeftButton); }

  // Runs the dialog with the driver's steps; returns its result.
  int Exec(ModalDriver& driver, const std::function<int()>& open) {
    driver.Start();
    const int result = open();
    if (!driver.finished() || !driver.failure().isEmpty()) {
      qWarning("driver: %s", qPrintable(driver.failure()));
      return -1;
    }
    return result;
  }

 private slots:
  void init() {
    dir_ = std::make_unique<TempDir>();
    state_ = std::make_unique<ProgramState>(dir_->path() / "data",
                                            SettingsStore(dir_->path() / "settings.ini"));
    info().highest_user_id = 100000;
    info().filter.view = View::kTv;
    info().countries = {{0, "All Countries"}, {7, "Norway"}, {9, "Sweden"}};
    info().genres = {{0, "All Genres"}, {3, "News"}, {4, "Music"}};
    Channel package;
    package.id = 100001;
    package.group_id = package.type_id = 1;
    package.name = "Package TV";
    package.url = "http://127.0.0.1/package.m3u8";
    info().channels = {package};
    state_->sort.toggle = true;  // names ascending, as a load leaves it
    rebuilds_ = 0;
    form_ = std::make_unique<ChannelEditorDialog>(*state_, [this] { ++rebuilds_; });
    const ViewResult view = RebuildView(info(), {});
    form_->SetLists(view.country_names, view.genre_names);
  }
  void cleanup() {
    form_.reset();
    state_.reset();
    dir_.reset();
  }

  void opensToAddWithEmptyFields() {
    ModalDriver driver;
    driver.Then([this](QWidget* modal) {
      QCOMPARE(modal->windowTitle(), QString("Add/Update Channel"));
      QCOMPARE(Box("categoryBox")->itemText(0), QString(" -----"));
      QCOMPARE(Box("categoryBox")->itemText(1), QString("TV"));
      QCOMPARE(Box("typeBox")->itemText(1), QString("Media Player"));
      QCOMPARE(Box("typeBox")->itemText(2), QString("Real Player"));
      QCOMPARE(Box("countryList")->itemText(0), QString("-----"));
      QCOMPARE(Box("genreList")->itemText(0), QString("-----"));
      QCOMPARE(Box("countryList")->currentIndex(), 0);
      QCOMPARE(Box("typeBox")->currentIndex(), 0);
      QCOMPARE(Edit("nameEdit")->text(), QString());
      QCOMPARE(Find<QCheckBox>("confirmBox")->text(),
               QString("I can confirm that channel is working!"));
      QVERIFY(!Find<QCheckBox>("confirmBox")->isChecked());
      QCOMPARE(AddButton()->text(), QString("Add Channel"));
      QVERIFY(!AddButton()->isEnabled());
      QCOMPARE(form_->focusWidget(), Edit("nameEdit"));
      Confirm();
      QVERIFY(AddButton()->isEnabled());
      Confirm();
      QVERIFY(!AddButton()->isEnabled());
      form_->close();
    });
    QCOMPARE(Exec(driver, [this] { return form_->ExecToAdd(); }), int(QDialog::Rejected));
    QCOMPARE(rebuilds_, 0);
  }

  void everyRefusalKeepsTheDialogOpen() {
    struct Case {
      std::function<void()> spoil;
      QString message;
    };
    const std::vector<Case> cases = {
        {[this] { Box("categoryBox")->setCurrentIndex(0); }, "Please Select a Category."},
        {[this] { SetText("nameEdit", "  "); }, "Please Enter Name."},
        {[this] { SetText("urlEdit", ""); }, "Please Enter URL."},
        {[this] { SetText("urlEdit", "file:///etc/passwd"); },
         QString::fromStdString(NetworkStreamUrlMessage())},
        {[this] { Box("typeBox")->setCurrentIndex(0); }, "Please Select a Type."},
        {[this] { Box("countryList")->setCurrentIndex(0); }, "Please Select a Country."},
        {[this] { Box("genreList")->setCurrentIndex(0); }, "Please Select a Genre."},
        {[this] { SetText("bitrateEdit", ""); }, "Please Enter Bitrate."},
        {[this] { Edit("bitrateEdit")->setText("9999999999"); },  // pasted: no key filter
         "Please Enter Bitrate as a whole number from 0 to 2147483647."},
        {[this] { SetText("nameEdit", "A|B"); }, "Name must not contain \"|\" or line breaks."},
        {[this] { SetText("urlEdit", "HTTP://127.0.0.1/PACKAGE.m3u8 "); },
         "A duplicate value was detected. Package TV"},
    };
    ModalDriver driver;
    for (const Case& c : cases) {
      driver.Then([this, &c](QWidget*) {
        FillGoodFields();
        c.spoil();
        if (!AddButton()->isEnabled()) Confirm();
        QTest::mouseClick(AddButton(), Qt::LeftButton);
      });
      driver.Answer(QMessageBox::Ok);
    }
    driver.Then([this](QWidget* modal) {
      QCOMPARE(modal, form_.get());
      form_->close();
    });
    QCOMPARE(Exec(driver, [this] { return form_->ExecToAdd(); }), int(QDialog::Rejected));
    QCOMPARE(driver.boxes().size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
      QCOMPARE(driver.boxes()[i].text, cases[i].message);
      QCOMPARE(driver.boxes()[i].icon, QMessageBox::Critical);
      QCOMPARE(driver.boxes()[i].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(info().channels.size(), std::size_t{1});
    QCOMPARE(info().highest_user_id, 100000);
    QCOMPARE(rebuilds_, 0);
  }

  void addingStoresTheChannelInMemory() {
    ModalDriver driver;
    driver.Then([this](QWidget*) {
      FillGoodFields();
      Confirm();
      QTest::mouseClick(AddButton(), Qt::LeftButton);
    });
    QCOMPARE(Exec(driver, [this] { return form_->ExecToAdd(); }), int(QDialog::Accepted));
    QCOMPARE(rebuilds_, 1);
    QCOMPARE(info().channels.size(), std::size_t{2});
    // Sorted by name again: "Package TV" before the Cyrillic name.
    const Channel& added = info().channels[1];
    QCOMPARE(added.name, std::string("Ночной эфир"));
    QCOMPARE(added.id, 100001);  // the package channel's id is no user id
    QCOMPARE(added.user_defined, true);
    QCOMPARE(added.bitrate, 256);
    QCOMPARE(added.country_id, 7);
    QCOMPARE(added.genre_id, 4);
    QCOMPARE(added.type_id, 1);

    // The Category box keeps its choice for the next showing; the rest is empty again.
    ModalDriver again;
    again.Then([this](QWidget*) {
      QCOMPARE(Box("categoryBox")->currentIndex(), 1);
      QCOMPARE(Edit("urlEdit")->text(), QString());
      QVERIFY(!AddButton()->isEnabled());
      form_->close();
    });
    QCOMPARE(Exec(again, [this] { return form_->ExecToAdd(); }), int(QDialog::Rejected));
  }

  void aRestoreFromTheTaskBarKeepsWhatWasTyped() {
    ChannelEditorFields after;
    bool confirmed = false;
    ModalDriver driver;
    driver.Then([&](QWidget*) {
      FillGoodFields();
      Confirm();
      form_->showMinimized();
      form_->showNormal();
      after = form_->Fields();
      confirmed = Find<QCheckBox>("confirmBox")->isChecked() && AddButton()->isEnabled();
      form_->close();
    });
    QCOMPARE(Exec(driver, [this] { return form_->ExecToAdd(); }), int(QDialog::Rejected));
    QCOMPARE(after.name, std::string(" Ночной эфир "));
    QCOMPARE(after.url, std::string("http://127.0.0.1/night.m3u8"));
    QCOMPARE(after.comment, std::string("late"));
    QCOMPARE(after.country, 1);
    QCOMPARE(after.type, 2);
    QVERIFY(confirmed);
  }

  // The added and the changed channel are on disk as soon as the dialog has gone.
  void savedChannelsAreWrittenRightAway() {
    state_->files_read = {.favorites = true, .user_channels = true};
    const std::filesystem::path userdef = state_->data_folder / kUserChannelsFileName;
    ModalDriver driver;
    driver.Then([this](QWidget*) {
      FillGoodFields();
      Confirm();
      QTest::mouseClick(AddButton(), Qt::LeftButton);
    });
    QCOMPARE(Exec(driver, [this] { return form_->ExecToAdd(); }), int(QDialog::Accepted));
    QVERIFY(ReadTestFile(userdef).find("|http://127.0.0.1/night.m3u8|") != std::string::npos);
    ModalDriver change;
    change.Then([this](QWidget*) {
      SetText("commentEdit", "changed later");
      Confirm();
      QTest::mouseClick(AddButton(), Qt::LeftButton);
    });
    QCOMPARE(Exec(change, [this] { return form_->ExecToChange(1); }), int(QDialog::Accepted));
    QVERIFY(ReadTestFile(userdef).find("|changed later\r\n") != std::string::npos);
  }

  // The User-Agent and Referer typed for a channel are its headers: stored beside userdef.dat,
  // whose line stays as older versions read it, and shown again when the channel is changed.
  void headersAreTypedAndStoredBesideTheChannel() {
    state_->files_read = {.favorites = true, .user_channels = true};
    const std::filesystem::path folder = state_->data_folder;
    ModalDriver driver;
    driver.Then([this](QWidget*) {
      QStringList labels;
      for (const QLabel* label : form_->findChildren<QLabel*>()) labels << label->text();
      QVERIFY(labels.contains("User-Agent:"));
      QVERIFY(labels.contains("Referer:"));
      FillGoodFields();
      SetText("userAgentEdit", "Agent/1.0 (X11, Linux)");
      SetText("refererEdit", "http://127.0.0.1/page");
      Confirm();
      QTest::mouseClick(AddButton(), Qt::LeftButton);
    });
    QCOMPARE(Exec(driver, [this] { return form_->ExecToAdd(); }), int(QDialog::Accepted));
    const StreamHeaders typed{"Agent/1.0 (X11, Linux)", "http://127.0.0.1/page", {}};
    QVERIFY(info().stream_headers.at(100001) == typed);
    QVERIFY(ReadTestFile(folder / kUserChannelsFileName)
                .ends_with("|http://127.0.0.1/night.m3u8|256|1||7|4|late\r\n"));
    QCOMPARE(ReadTestFile(folder / kUserHeadersFileName),
             std::string("100001|Agent/1.0 (X11, Linux)|http://127.0.0.1/page\r\n"));

    ModalDriver change;
    change.Then([this](QWidget*) {
      QCOMPARE(Edit("userAgentEdit")->text(), QString("Agent/1.0 (X11, Linux)"));
      QCOMPARE(Edit("refererEdit")->text(), QString("http://127.0.0.1/page"));
      SetText("userAgentEdit", "");
      Confirm();
      QTest::mouseClick(AddButton(), Qt::LeftButton);
    });
    QCOMPARE(Exec(change, [this] { return form_->ExecToChange(1); }), int(QDialog::Accepted));
    QVERIFY(info().stream_headers.at(100001) == (StreamHeaders{"", "http://127.0.0.1/page", {}}));
    QCOMPARE(ReadTestFile(folder / kUserHeadersFileName),
             std::string("100001||http://127.0.0.1/page\r\n"));
  }

  void theBitrateFieldTakesDigitsOnly() {
    form_->show();
    QLineEdit* bitrate = Edit("bitrateEdit");
    bitrate->setFocus();
    QTest::keyClicks(bitrate, "1a2-b.3 ");
    QCOMPARE(bitrate->text(), QString("123"));
    QTest::keyClick(bitrate, Qt::Key_Backspace);
    QCOMPARE(bitrate->text(), QString("12"));
    QTest::keyClick(bitrate, Qt::Key_V, Qt::ControlModifier);  // a control character
    QCOMPARE(bitrate->text(), QString("12"));
    TypeText(bitrate, QString::fromUtf8("٣"));  // a digit of another script
    QCOMPARE(bitrate->text(), QString("12"));
  }

  void aKeyReleasedInTheUrlFieldEmptiesTheClipboard() {
    form_->show();
    QGuiApplication::clipboard()->setText("copied");
    QTest::keyClicks(Edit("nameEdit"), "x");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("copied"));
    QTest::keyClick(Edit("urlEdit"), Qt::Key_H);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());
  }

  void changingActsOnTheRecordBehindTheRow() {
    Channel mine;
    mine.id = 100001;  // the same id as the package channel before it
    mine.user_defined = 1;
    mine.group_id = mine.type_id = 1;
    mine.sent = 1;
    mine.name = "Mine";
    mine.url = "http://127.0.0.1/mine";
    mine.bitrate = 64;
    mine.country_id = 9;
    mine.genre_id = 55;  // in no genre entry: "-----"
    info().channels.push_back(mine);

    ModalDriver driver;
    driver.Then([this](QWidget*) {
      QCOMPARE(Edit("nameEdit")->text(), QString("Mine"));
      QCOMPARE(Edit("bitrateEdit")->text(), QString("64"));
      QCOMPARE(Box("typeBox")->currentIndex(), 1);
      QCOMPARE(Box("countryList")->currentIndex(), 2);
      QCOMPARE(Box("genreList")->currentIndex(), 0);
      QCOMPARE(Box("genreList")->currentText(), QString("-----"));
      Box("categoryBox")->setCurrentIndex(1);
      Box("genreList")->setCurrentIndex(1);
      SetText("nameEdit", "Mine, renamed");
      Confirm();
      QTest::mouseClick(AddButton(), Qt::LeftButton);
    });
    QCOMPARE(Exec(driver, [this] { return form_->ExecToChange(1); }), int(QDialog::Accepted));
    QCOMPARE(info().channels.size(), std::size_t{2});
    QCOMPARE(info().channels[0].name, std::string("Package TV"));
    QCOMPARE(info().channels[1].name, std::string("Mine, renamed"));
    QCOMPARE(info().channels[1].genre_name, std::string("News"));
    QCOMPARE(info().channels[1].sent, true);
    QCOMPARE(rebuilds_, 1);

    // A package channel is never opened for a change.
    QCOMPARE(form_->ExecToChange(0), int(QDialog::Rejected));
    QCOMPARE(form_->ExecToChange(-1), int(QDialog::Rejected));
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::ChannelEditorDialogTest)
#include "channel_editor_dialog_test.moc"
