#pragma once
// Message boxes of the dialogs. Their texts may name channels or come from the service, so
// they are always shown as plain text. Each box is modal and returns when it is answered.

#include <QMessageBox>
#include <string_view>

class QWidget;

namespace vistrel {

// A box with `icon` and OK.
void ShowBox(QWidget* parent, QMessageBox::Icon icon, std::string_view utf8_text);

// A question with `icon`, Yes and No (Yes the default); true for Yes. The close box answers No.
bool AskYesNoWithIcon(QWidget* parent, QMessageBox::Icon icon, std::string_view utf8_text);

}  // namespace vistrel
