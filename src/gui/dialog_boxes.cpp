#include "gui/dialog_boxes.h"

#include <QCoreApplication>

#include "gui/qt_text.h"

namespace vistrel {

namespace {

int RunBox(QWidget* parent, QMessageBox::Icon icon, std::string_view text,
           QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, QCoreApplication::applicationName(), ToQString(text), buttons, parent);
  box.setObjectName("messageBox");
  box.setTextFormat(Qt::PlainText);
  return box.exec();
}

}  // namespace

void ShowBox(QWidget* parent, QMessageBox::Icon icon, std::string_view utf8_text) {
  RunBox(parent, icon, utf8_text, QMessageBox::Ok);
}

bool AskYesNoWithIcon(QWidget* parent, QMessageBox::Icon icon, std::string_view utf8_text) {
  return RunBox(parent, icon, utf8_text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace vistrel
