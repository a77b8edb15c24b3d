#pragma once
// The program's message boxes. Texts may come from files or the network, so they are always
// shown as plain text. Each box is modal and returns when the user has answered.

#include <QMessageBox>
#include <QString>
#include <string_view>

class QWidget;

namespace vistrel {

// An error with the error icon and OK.
void ShowErrorBox(QWidget* parent, std::string_view utf8_text);

// An information message with the information icon and OK.
void ShowInformationBox(QWidget* parent, std::string_view utf8_text);

// A plain message with OK and no icon.
void ShowPlainMessage(QWidget* parent, const QString& text);

// A question with Yes and No; true for Yes. `default_yes` chooses the button Enter presses.
bool AskYesNo(QWidget* parent, const QString& text, bool default_yes = true);

// A question with `icon`, Yes and No (Yes the default); true for Yes. The close box answers No.
bool AskYesNo(QWidget* parent, QMessageBox::Icon icon, std::string_view utf8_text);

// The player could not be started: asks whether to open the player library's download page,
// and opens it in the browser on Yes.
void OfferPlayerDownload(QWidget* parent);

}  // namespace vistrel
