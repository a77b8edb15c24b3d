#include "gui/message_boxes.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "gui/qt_text.h"
#include "playback/mpv/mpv_check.h"

namespace vistrel {

namespace {

int RunBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button) {
  QMessageBox box(icon, QCoreApplication::applicationName(), text, buttons, parent);
  box.setObjectName("messageBox");
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(default_button);
  return box.exec();
}

}  // namespace

void ShowErrorBox(QWidget* parent, std::string_view utf8_text) {
  RunBox(parent, QMessageBox::Critical, ToQString(utf8_text), QMessageBox::Ok, QMessageBox::Ok);
}

void ShowInformationBox(QWidget* parent, std::string_view utf8_text) {
  RunBox(parent, QMessageBox::Information, ToQString(utf8_text), QMessageBox::Ok, QMessageBox::Ok);
}

void ShowPlainMessage(QWidget* parent, const QString& text) {
  RunBox(parent, QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool AskYesNo(QWidget* parent, const QString& text, bool default_yes) {
  return RunBox(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                default_yes ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

bool AskYesNo(QWidget* parent, QMessageBox::Icon icon, std::string_view utf8_text) {
  return RunBox(parent, icon, ToQString(utf8_text), QMessageBox::Yes | QMessageBox::No,
                QMessageBox::Yes) == QMessageBox::Yes;
}

void OfferPlayerDownload(QWidget* parent) {
  if (AskYesNo(parent,
               "libmpv is required to play channels. Would you like to download and install it "
               "now?")) {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMpvDownloadPage)));
  }
}

}  // namespace vistrel
