#pragma once
// The list's find window: modeless, with the text, Match case and the direction. It only
// collects what to look for; the main window runs the search.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vistrel {

class FindWindow : public QDialog {
  Q_OBJECT

 public:
  explicit FindWindow(QWidget* parent = nullptr);

  // Shows the window, or brings it to the front with its text selected; the options stay as
  // the user left them.
  void Open();

  QString text() const;
  bool match_case() const;
  // The direction "Up": towards the first row. The window starts with "Down", towards the
  // last row.
  bool towards_first_row() const;

 signals:
  // Find Next was pressed with a non-empty text.
  void FindNextRequested();

 protected:
  // Keys typed here stay here: the main window's playback keys would otherwise still work
  // while this window has the focus (it shares the main window's activation).
  bool event(QEvent* event) override;

 private:
  QLineEdit* text_;
  QCheckBox* match_case_;
  QRadioButton* up_;
  QRadioButton* down_;
  QPushButton* find_next_;
};

}  // namespace vistrel
