#pragma once
// The channel editor: adds a channel of the user's own or changes one. Created once and
// reused; the Category box and the country and genre lists keep their contents between
// showings.

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "channel_actions/channel_editor.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vistrel {

class ChannelEditorDialog : public QDialog {
  Q_OBJECT

 public:
  // `rebuild_view` runs after every saved change, before the dialog closes.
  ChannelEditorDialog(ProgramState& state, std::function<void()> rebuild_view,
                      QWidget* parent = nullptr);

  // The country and genre lists, as every view build fills them (names in table order).
  void SetLists(const std::vector<std::string>& countries, const std::vector<std::string>& genres);

  // Shows the dialog modally to add a channel.
  int ExecToAdd();
  // Shows the dialog modally to change the user channel at catalogue `position` (the record
  // behind the selected row). A position without a user channel opens nothing (Rejected).
  int ExecToChange(int32_t position);

  // What the fields hold now.
  ChannelEditorFields Fields() const;

 protected:
  // The first showing after the dialog was made or closed fills the fields; later show events
  // (a restore from the task bar) keep what the user typed.
  void showEvent(QShowEvent* event) override;
  // Every closing: the next showing is a new opening.
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void FillFields();
  void SaveClicked();

  ProgramState& state_;
  std::function<void()> rebuild_view_;
  bool adding_ = true;
  int32_t position_ = -1;  // the channel being changed
  bool opening_ = true;    // the next show event is an opening

  QComboBox* category_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* url_ = nullptr;
  QLineEdit* bitrate_ = nullptr;
  QComboBox* type_ = nullptr;
  QLineEdit* homepage_ = nullptr;
  QComboBox* country_ = nullptr;
  QComboBox* genre_ = nullptr;
  QLineEdit* comment_ = nullptr;
  QLineEdit* user_agent_ = nullptr;
  QLineEdit* referrer_ = nullptr;
  QCheckBox* confirm_ = nullptr;
  QPushButton* add_ = nullptr;
};

}  // namespace vistrel
