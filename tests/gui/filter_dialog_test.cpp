// The filter dialog driven as a user would: opening, the section switches, Set Filter and the
// refusal of a bitrate that is no integer.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <functional>
#include <memory>

#include "browser/view_builder.h"
#include "gui/dialog_style.h"
#include "gui/filter_dialog.h"
#include "support/modal_driver.h"
#include "support/temp_dir.h"
#include "support/typing.h"

namespace vistrel {

namespace {

QColor CaptionColor(QWidget* w, QPalette::ColorGroup group) {
  return w->palette().color(group, QPalette::WindowText);
}

}  // namespace

class FilterDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ProgramState> state_;
  std::unique_ptr<FilterDialog> form_;
  int rebuilds_ = 0;

  template <typename T>
  T* Find(const char* name) {
    T* w = form_->findChild<T*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
  }
  QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
  std::filesystem::path settings_file() const { return state_->store.file(); }
  std::string Stored() const { return ReadTestFile(settings_file()); }

 private slots:
  void init() {
    dir_ = std::make_unique<TempDir>();
    state_ = std::make_unique<ProgramState>(dir_->path() / "data",
                                            SettingsStore(dir_->path() / "settings.ini"));
    Catalogue& catalogue = state_->catalogue;
    catalogue.filter.view = View::kTv;
    catalogue.countries = {{0, "All Countries"}, {7, "Norway"}, {9, "Sweden"}};
    catalogue.genres = {{0, "All Genres"}, {3, "News"}, {4, "Music"}};
    rebuilds_ = 0;
    form_ = std::make_unique<FilterDialog>(*state_, [this] {
      ++rebuilds_;
      const ViewResult view = RebuildView(state_->catalogue, state_->visible_rows);
      state_->visible_rows = view.visible_rows;
      state_->visible_rows.count = view.visible_rows.count;
    });
    const ViewResult view = RebuildView(catalogue, {});
    form_->SetLists(view.country_names, view.genre_names);
  }
  void cleanup() {
    form_.reset();
    state_.reset();
    dir_.reset();
  }

  void looksAsDesigned() {
    QCOMPARE(form_->windowTitle(), QString("Filter"));
    form_->show();
    // Captions wider than designed at the font in use (DejaVu Sans for Tahoma) widen their
    // boxes and, from "Duplicate", the dialog.
    QVERIFY(form_->width() >= 300);
    QCOMPARE(form_->height(), 329);
    QCOMPARE(Box("nameSection")->text(), QString("All or part of the file name:"));
    QCOMPARE(Box("nameSection")->pos(), QPoint(8, 17));
    QVERIFY(Box("nameSection")->width() >= 114);
    QCOMPARE(Box("nameSection")->height(), 17);
    QCOMPARE(Box("statusSection")->text(), QString("Filter away channels flaged as:"));
    QCOMPARE(Box("duplicateBox")->pos(), QPoint(214, 240));
    QVERIFY(Box("duplicateBox")->width() >= 68);
    QCOMPARE(Find<QLineEdit>("bitrateEdit")->geometry(), QRect(30, 183, 121, 19));
    QCOMPARE(Find<QLineEdit>("nameEdit")->maxLength(), 255);
    auto* set = Find<QPushButton>("setFilterButton");
    QCOMPARE(set->text(), QString("Set Filter"));
    QCOMPARE(set->geometry(), QRect(204, 298, 86, 24));
    QCOMPARE(set->focusPolicy(), Qt::NoFocus);
    QCOMPARE(Find<QWidget>("panel")->palette().color(QPalette::Window), QColor(254, 254, 254));
    QCOMPARE(CaptionColor(Box("countrySection"), QPalette::Active), QColor(8, 55, 114));
    QCOMPARE(Find<QComboBox>("countryList")->count(), 3);
  }

  void opensWithEverySectionOff() {
    form_->show();
    for (const char* editor : {"nameEdit", "countryList", "genreList", "bitrateEdit"}) {
      QVERIFY2(!Find<QWidget>(editor)->isEnabled(), editor);
    }
    for (const char* name :
         {"worksFineBox", "notWorkingBox", "newBox", "wrongInfoBox", "duplicateBox", "spamBox"}) {
      QVERIFY2(!Box(name)->isEnabled(), name);
      QCOMPARE(CaptionColor(Box(name), QPalette::Disabled), QColor(192, 192, 192));
    }
    QVERIFY(!Box("nameSection")->isChecked());
    QCOMPARE(Find<QLineEdit>("bitrateEdit")->text(), QString("0"));
  }

  void opensWithTheFilterAndFocusesTheLastSectionOn() {
    ViewFilter& f = state_->catalogue.filter;
    f.name_section_on = true;
    f.name = "Нов";
    f.genre_section_on = true;
    f.genre_id = 4;
    f.country_id = 9;    // section off: value shown anyway
    f.hide_spam = true;  // status section off: tick shown, box disabled
    form_->show();
    QCOMPARE(Find<QLineEdit>("nameEdit")->text(), QString::fromUtf8("Нов"));
    QVERIFY(Find<QLineEdit>("nameEdit")->isEnabled());
    QCOMPARE(Find<QComboBox>("genreList")->currentIndex(), 2);
    QVERIFY(Find<QComboBox>("genreList")->isEnabled());
    QCOMPARE(Find<QComboBox>("countryList")->currentIndex(), 2);
    QVERIFY(!Find<QComboBox>("countryList")->isEnabled());
    QVERIFY(Box("spamBox")->isChecked() && !Box("spamBox")->isEnabled());
    QCOMPARE(form_->focusWidget(), Find<QWidget>("genreList"));
  }

  void aRestoreFromTheTaskBarKeepsTheUsersChoices() {
    const std::function<void(QWidget*)> restores[] = {
        [](QWidget* w) {
          w->showMinimized();
          w->showNormal();
        },
        [](QWidget* w) {
          w->hide();
          w->show();
        },
    };
    for (const auto& restore : restores) {
      form_->show();
      QTest::mouseClick(Box("nameSection"), Qt::LeftButton);
      QTest::keyClicks(Find<QLineEdit>("nameEdit"), "News");
      QTest::mouseClick(Box("statusSection"), Qt::LeftButton);
      QTest::mouseClick(Box("spamBox"), Qt::LeftButton);
      restore(form_.get());
      QVERIFY(Box("nameSection")->isChecked());
      QCOMPARE(Find<QLineEdit>("nameEdit")->text(), QString("News"));
      QVERIFY(Find<QLineEdit>("nameEdit")->isEnabled());
      QVERIFY(Box("spamBox")->isChecked() && Box("spamBox")->isEnabled());
      // Closed without Set Filter: the next opening shows the filter again.
      form_->close();
      form_->show();
      QVERIFY(!Box("nameSection")->isChecked());
      QCOMPARE(Find<QLineEdit>("nameEdit")->text(), QString());
      form_->close();
    }
  }

  void sectionSwitchesEnableTheirEditors() {
    form_->show();
    QTest::mouseClick(Box("bitrateSection"), Qt::LeftButton);
    QVERIFY(Find<QLineEdit>("bitrateEdit")->isEnabled());
    QCOMPARE(form_->focusWidget(), Find<QWidget>("bitrateEdit"));
    QCOMPARE(Find<QLineEdit>("bitrateEdit")->palette().color(QPalette::Text), QColor(255, 0, 0));
    QTest::mouseClick(Box("statusSection"), Qt::LeftButton);
    QVERIFY(Box("spamBox")->isEnabled());
    QCOMPARE(CaptionColor(Box("spamBox"), QPalette::Active), QColor(8, 55, 114));
    QCOMPARE(form_->focusWidget(), Find<QWidget>("worksFineBox"));
    QTest::mouseClick(Box("statusSection"), Qt::LeftButton);
    QVERIFY(!Box("spamBox")->isEnabled());
    QCOMPARE(CaptionColor(Box("spamBox"), QPalette::Disabled), QColor(192, 192, 192));
    QTest::mouseClick(Box("bitrateSection"), Qt::LeftButton);
    QVERIFY(!Find<QLineEdit>("bitrateEdit")->isEnabled());
  }

  void setFilterStoresEverySectionAndRebuildsTheView() {
    Channel a;
    a.group_id = a.type_id = 1;
    a.name = "Первый канал";
    Channel b = a;
    b.name = "Other";
    state_->catalogue.channels = {a, b};

    ModalDriver driver;
    driver.Then([this](QWidget* modal) {
      QCOMPARE(modal, form_.get());
      QTest::mouseClick(Box("nameSection"), Qt::LeftButton);
      TypeText(Find<QLineEdit>("nameEdit"), QString::fromUtf8("вый"));
      QTest::mouseClick(Box("countrySection"), Qt::LeftButton);
      Find<QComboBox>("countryList")->setCurrentIndex(1);
      QTest::mouseClick(Box("statusSection"), Qt::LeftButton);
      QTest::mouseClick(Box("newBox"), Qt::LeftButton);
      QTest::mouseClick(Find<QPushButton>("setFilterButton"), Qt::LeftButton);
    });
    driver.Start();
    QCOMPARE(form_->exec(), int(QDialog::Accepted));
    QVERIFY2(driver.finished() && driver.failure().isEmpty(), qPrintable(driver.failure()));
    QCOMPARE(rebuilds_, 1);
    QCOMPARE(Stored(), std::string("name_f=1\nname=вый\ncountry_f=1\ncountry=7\nflag_f=1\n"
                                   "workfine=0\nnotworking=0\nnew=1\nwrong=0\nduplicate=0\n"
                                   "spam=0\n"));
    // The name is read back as typed, and the view matches it.
    ViewFilter loaded;
    LoadSettings(state_->store, loaded);
    QCOMPARE(loaded.name, std::string("вый"));
    state_->catalogue.filter.country_section_on = false;
    state_->catalogue.filter.status_section_on = false;
    const ViewResult view = RebuildView(state_->catalogue, {});
    QCOMPARE(view.visible_rows.count, 1);
    QCOMPARE(view.visible_rows.positions[0], 0);
  }

  void aBitrateThatIsNoIntegerIsRefusedAndChangesNothing() {
    state_->store.WriteInteger("genre_f", 1);
    const std::string before = Stored();
    ModalDriver driver;
    driver.Then([this](QWidget*) {
      QTest::mouseClick(Box("nameSection"), Qt::LeftButton);
      QTest::keyClicks(Find<QLineEdit>("nameEdit"), "News");
      QTest::mouseClick(Box("bitrateSection"), Qt::LeftButton);
      auto* bitrate = Find<QLineEdit>("bitrateEdit");
      bitrate->clear();
      QTest::keyClicks(bitrate, "12.5");
      QTest::mouseClick(Find<QPushButton>("setFilterButton"), Qt::LeftButton);
    });
    driver.Answer(QMessageBox::Ok);
    driver.Then([this](QWidget* modal) {
      // Still open after the message; its close box changes nothing either.
      QCOMPARE(modal, form_.get());
      form_->close();
    });
    driver.Start();
    QCOMPARE(form_->exec(), int(QDialog::Rejected));
    QVERIFY2(driver.finished() && driver.failure().isEmpty(), qPrintable(driver.failure()));
    QCOMPARE(driver.boxes().size(), std::size_t{1});
    QCOMPARE(driver.boxes()[0].text, QString("''12.5'' is not a valid integer value"));
    QCOMPARE(driver.boxes()[0].icon, QMessageBox::Critical);
    QCOMPARE(Stored(), before);
    QCOMPARE(rebuilds_, 0);
    QVERIFY(!state_->catalogue.filter.name_section_on);
    QVERIFY(!state_->catalogue.filter.bitrate_section_on);

    // The next opening shows the filter again, not what was typed.
    form_->show();
    QVERIFY(!Box("nameSection")->isChecked());
    QCOMPARE(Find<QLineEdit>("nameEdit")->text(), QString());
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::FilterDialogTest)
#include "filter_dialog_test.moc"
