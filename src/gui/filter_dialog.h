#pragma once
// The filter dialog: edits the five optional sections of the view filter and applies them
// with Set Filter. Created once and reused; every opening shows the filter as it is.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "browser/filter_form.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vistrel {

class FilterDialog : public QDialog {
  Q_OBJECT

 public:
  // `rebuild_view` runs after a Set Filter that succeeded, before the dialog closes.
  FilterDialog(ProgramState& state, std::function<void()> rebuild_view, QWidget* parent = nullptr);

  // The country and genre lists, as every view build fills them (names in table order).
  void SetLists(const std::vector<std::string>& countries, const std::vector<std::string>& genres);

  // What the controls hold now.
  FilterFormState FormState() const;

 protected:
  // The first showing after the dialog was made or closed shows the filter as it is; later
  // show events (a restore from the task bar) keep what the user chose meanwhile.
  void showEvent(QShowEvent* event) override;
  // Every closing: the next showing is a new opening.
  void done(int result) override;

 private:
  void CreateControls();
  void FillFromFilter();
  // A section switch's click: its editor follows the switch and takes the focus when on.
  void SectionClicked(QCheckBox* section, QWidget* editor);
  void StatusSectionClicked();
  void SetFilterClicked();

  ProgramState& state_;
  std::function<void()> rebuild_view_;
  bool opening_ = true;  // the next show event is an opening

  QLineEdit* name_edit_ = nullptr;
  QCheckBox* name_section_ = nullptr;
  QCheckBox* country_section_ = nullptr;
  QCheckBox* genre_section_ = nullptr;
  QCheckBox* bitrate_section_ = nullptr;
  QCheckBox* status_section_ = nullptr;
  QCheckBox* new_ = nullptr;
  QCheckBox* wrong_info_ = nullptr;
  QCheckBox* works_fine_ = nullptr;
  QCheckBox* not_working_ = nullptr;
  QCheckBox* duplicate_ = nullptr;
  QCheckBox* spam_ = nullptr;
  QComboBox* countries_ = nullptr;
  QComboBox* genres_ = nullptr;
  QLineEdit* bitrate_edit_ = nullptr;
  QPushButton* set_filter_ = nullptr;
};

}  // namespace vistrel
