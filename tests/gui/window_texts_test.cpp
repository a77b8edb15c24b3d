// Every caption of every window shows whole at the desktop's usual font and at a font 1.5 times
// larger (as a large-text setting gives); the program's own ctest runs it once more at
// QT_SCALE_FACTOR=1.5. The channel list's rows and its header, and the header band that sorts,
// grow with the font.

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QtTest>
#include <memory>

#include "browser/view_builder.h"
#include "gui/channel_editor_dialog.h"
#include "gui/filter_dialog.h"
#include "gui/find_window.h"
#include "gui/splash_window.h"
#include "gui/update_dialog.h"
#include "gui_fixture.h"
#include "support/temp_dir.h"

namespace vistrel {

namespace {

QString Describe(const QWidget* w, const QString& text, QSize needed) {
  return QString("%1 \"%2\" needs %3x%4, has %5x%6")
      .arg(w->objectName(), text)
      .arg(needed.width())
      .arg(needed.height())
      .arg(w->width())
      .arg(w->height());
}

// The captions of `window` that do not show whole: labels, check boxes, radio buttons, push and
// tool buttons and group box titles, hidden ones too (they show in other states).
QStringList CutTexts(QWidget* window) {
  QStringList cut;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->window() != window) continue;  // a window of its own, checked by itself
    QString text;
    QSize needed;
    if (auto* label = qobject_cast<QLabel*>(w)) {
      text = label->text();
      needed = label->wordWrap() ? QSize(w->width(), label->heightForWidth(w->width()))
                                 : label->sizeHint();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      text = button->text();
      needed = button->sizeHint();
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
      text = group->title();
      needed = group->minimumSizeHint();
    }
    if (text.isEmpty()) continue;
    // A line of the font fits in height, whatever air the style's hint adds.
    needed.setHeight(std::max(
        qobject_cast<QLabel*>(w) && static_cast<QLabel*>(w)->wordWrap() ? needed.height() : 0,
        w->fontMetrics().height()));
    if (needed.width() > w->width() || needed.height() > w->height()) {
      cut << Describe(w, text, needed);
    }
  }
  // A grown caption does not run under a button.
  const QList<QAbstractButton*> buttons = window->findChildren<QAbstractButton*>();
  for (QAbstractButton* button : buttons) {
    if (button->window() != window || !button->isVisible()) continue;
    const QRect place(button->mapTo(window, QPoint(0, 0)), button->size());
    for (QWidget* w : window->findChildren<QWidget*>()) {
      if (w == button || w->window() != window || !w->isVisible() || w->isAncestorOf(button) ||
          button->isAncestorOf(w) ||
          (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w))) {
        continue;
      }
      if (place.intersects(QRect(w->mapTo(window, QPoint(0, 0)), w->size()))) {
        cut << button->objectName() + " lies over " + w->objectName();
      }
    }
  }
  return cut;
}

}  // namespace

class WindowTextsTest : public QObject {
  Q_OBJECT

 private:
  QFont usual_font_;
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<ProgramState> state_;

  static void ExpectWhole(QWidget* window) {
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QStringList cut = CutTexts(window);
    QVERIFY2(cut.isEmpty(), qPrintable(window->objectName() + ": " + cut.join("; ")));
  }

 private slots:
  void initTestCase() { usual_font_ = QApplication::font(); }
  void init() {
    dir_ = std::make_unique<TempDir>();
    state_ = std::make_unique<ProgramState>(dir_->path() / "data",
                                            SettingsStore(dir_->path() / "settings.ini"));
    state_->catalogue.countries = {{0, "All Countries"}, {7, "Norway"}};
    state_->catalogue.genres = {{0, "All Genres"}, {3, "News"}};
  }
  void cleanup() {
    QApplication::setFont(usual_font_);
    state_.reset();
    dir_.reset();
  }

  void everyCaptionShowsWhole_data() {
    QTest::addColumn<double>("font_scale");
    QTest::newRow("usual font") << 1.0;
    QTest::newRow("font 1.5 times larger") << 1.5;
  }
  void everyCaptionShowsWhole() {
    QFETCH(double, font_scale);
    QFont font = usual_font_;
    font.setPointSizeF(usual_font_.pointSizeF() * font_scale);
    QApplication::setFont(font);

    const ViewResult view = RebuildView(state_->catalogue, {});
    FilterDialog filter(*state_, {});
    filter.SetLists(view.country_names, view.genre_names);
    ExpectWhole(&filter);
    ChannelEditorDialog editor(*state_, {});
    editor.SetLists(view.country_names, view.genre_names);
    ExpectWhole(&editor);
    ServiceConfig nowhere;
    nowhere.base_url = "http://127.0.0.1:1";
    RequestRunner runner;
    UpdateDialog update(*state_, nowhere, runner);
    ExpectWhole(&update);
    // The refused connection's text takes more lines than "Ready".
    QTRY_VERIFY(!update.downloading() && update.StatusText() != "Ready");
    ExpectWhole(&update);
    update.close();
    FindWindow find;
    ExpectWhole(&find);
    SplashWindow splash;
    ExpectWhole(&splash);

    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    QVERIFY(run.Start());
    ExpectWhole(run.window());
  }

  void theListsRowsAndHeaderGrowWithTheFont() {
    QFont font = usual_font_;
    font.setPointSizeF(usual_font_.pointSizeF() * 1.5);
    QApplication::setFont(font);
    ProgramRun run;
    run.Put("channelz.dat", TestPackage());
    QVERIFY(run.Start());
    auto* list = run.Find<QTableView>("channelList");
    QVERIFY(list);
    // The list's names and numbers are as much larger as the desktop's font (11 pixels at the
    // usual size).
    QVERIFY2(QFontInfo(list->font()).pixelSize() >= 16,
             qPrintable(QString::number(QFontInfo(list->font()).pixelSize())));
    const int line = list->fontMetrics().height();
    QVERIFY2(list->rowHeight(0) >= line, qPrintable(QString::number(list->rowHeight(0))));
    QHeaderView* header = list->horizontalHeader();
    QVERIFY2(header->height() >= header->fontMetrics().height(),
             qPrintable(QString::number(header->height())));

    // The columns widen with the font: every caption shows whole.
    for (int c = 0; c < header->count(); ++c) {
      const QString caption = list->model()->headerData(c, Qt::Horizontal).toString();
      QVERIFY2(header->fontMetrics().horizontalAdvance(caption) < header->sectionSize(c),
               qPrintable(caption));
    }

    // A click low in the grown header sorts by its column (the names Z to A), as one high in
    // it does.
    const QString first = list->model()->index(0, 0).data().toString();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(60, header->height() - 2));
    QVERIFY2(list->model()->index(0, 0).data().toString() != first,
             "a click low in the header did not sort");
  }
};

}  // namespace vistrel

QTEST_MAIN(vistrel::WindowTextsTest)
#include "window_texts_test.moc"
