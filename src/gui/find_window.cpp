#include "gui/find_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace vistrel {

FindWindow::FindWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("findWindow");
  setWindowTitle("Find");
  setModal(false);

  auto* label = new QLabel("Fi&nd what:", this);
  label->setObjectName("findWhatLabel");
  text_ = new QLineEdit(this);
  text_->setObjectName("findText");
  text_->setAccessibleName("Find what");
  label->setBuddy(text_);

  match_case_ = new QCheckBox("Match &case", this);
  match_case_->setObjectName("matchCase");

  auto* direction = new QGroupBox("Direction", this);
  direction->setObjectName("findDirection");
  up_ = new QRadioButton("&Up", direction);
  up_->setObjectName("findUp");
  up_->setToolTip("Search towards the first row of the list");
  down_ = new QRadioButton("&Down", direction);
  down_->setObjectName("findDown");
  down_->setToolTip("Search towards the last row of the list");
  down_->setChecked(true);
  auto* direction_layout = new QHBoxLayout(direction);
  direction_layout->addWidget(up_);
  direction_layout->addWidget(down_);

  find_next_ = new QPushButton("&Find Next", this);
  find_next_->setObjectName("findNext");
  find_next_->setDefault(true);
  find_next_->setEnabled(false);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("findCancel");

  auto* grid = new QGridLayout(this);
  grid->addWidget(label, 0, 0);
  grid->addWidget(text_, 0, 1, 1, 2);
  grid->addWidget(find_next_, 0, 3);
  grid->addWidget(match_case_, 1, 0, 1, 2, Qt::AlignBottom);
  grid->addWidget(direction, 1, 2);
  grid->addWidget(cancel, 1, 3, Qt::AlignTop);

  connect(text_, &QLineEdit::textChanged, this,
          [this](const QString& t) { find_next_->setEnabled(!t.isEmpty()); });
  connect(find_next_, &QPushButton::clicked, this, [this] {
    if (!text_->text().isEmpty()) emit FindNextRequested();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

bool FindWindow::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // Alt+letter stays a shortcut: the window's own mnemonics.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!(key->modifiers() & Qt::AltModifier)) {
      event->accept();
      return true;
    }
  }
  return QDialog::event(event);
}

void FindWindow::Open() {
  show();
  raise();
  activateWindow();
  text_->setFocus();
  text_->selectAll();
}

QString FindWindow::text() const {
  return text_->text();
}

bool FindWindow::match_case() const {
  return match_case_->isChecked();
}

bool FindWindow::towards_first_row() const {
  return up_->isChecked();
}

}  // namespace vistrel
