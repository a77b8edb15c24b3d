#include "gui/filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "gui/dialog_style.h"
#include "gui/message_boxes.h"
#include "gui/qt_text.h"
#include "gui/text_fit.h"

namespace vistrel {

namespace {

QCheckBox* AddCheckBox(QWidget* panel, const char* name, const char* text, QRect geometry) {
  auto* box = new QCheckBox(QString::fromLatin1(text), panel);
  box->setObjectName(QString::fromLatin1(name));
  box->setGeometry(geometry);
  SetCaptionColor(box, kSectionCaptionColor);
  return box;
}

QLineEdit* AddEdit(QWidget* panel, const char* name, QRect geometry) {
  QLineEdit* edit = AddDialogEdit(panel, name, geometry);
  edit->setEnabled(false);
  SetEditorTextColor(edit, kEditorTextColor);
  return edit;
}

QComboBox* AddList(QWidget* panel, const char* name, const char* first_item, QRect geometry) {
  QComboBox* list = AddDialogList(panel, name, geometry, {first_item});
  list->setEnabled(false);
  SetEditorTextColor(list, kEditorTextColor);
  return list;
}

}  // namespace

FilterDialog::FilterDialog(ProgramState& state, std::function<void()> rebuild_view, QWidget* parent)
    : QDialog(parent), state_(state), rebuild_view_(std::move(rebuild_view)) {
  setObjectName("filterForm");
  setWindowTitle("Filter");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(300, 329);
  CreateControls();
}

void FilterDialog::CreateControls() {
  QWidget* panel = AddDialogPanel(this);

  name_edit_ = AddEdit(panel, "nameEdit", {30, 40, 246, 19});
  name_section_ =
      AddCheckBox(panel, "nameSection", "All or part of the file name:", {8, 17, 114, 17});
  country_section_ = AddCheckBox(panel, "countrySection", "Country", {8, 62, 114, 17});
  genre_section_ = AddCheckBox(panel, "genreSection", "Genre", {8, 111, 109, 17});
  bitrate_section_ = AddCheckBox(panel, "bitrateSection", "Bitrate (at least)", {8, 161, 109, 17});
  status_section_ =
      AddCheckBox(panel, "statusSection", "Filter away channels flaged as:", {8, 213, 177, 17});
  new_ = AddCheckBox(panel, "newBox", "New", {125, 239, 44, 17});
  wrong_info_ = AddCheckBox(panel, "wrongInfoBox", "Wrong info", {125, 260, 76, 17});
  works_fine_ = AddCheckBox(panel, "worksFineBox", "Works fine", {34, 239, 87, 17});
  not_working_ = AddCheckBox(panel, "notWorkingBox", "Not working", {34, 260, 79, 17});
  duplicate_ = AddCheckBox(panel, "duplicateBox", "Duplicate", {214, 240, 68, 17});
  spam_ = AddCheckBox(panel, "spamBox", "Spam", {214, 261, 44, 17});
  for (QCheckBox* box : {new_, wrong_info_, works_fine_, not_working_, duplicate_, spam_}) {
    box->setEnabled(false);
    SetCaptionColor(box, kDisabledCaptionColor);
  }
  countries_ = AddList(panel, "countryList", "All Countries", {30, 85, 246, 19});
  genres_ = AddList(panel, "genreList", "All Genres", {30, 140, 246, 19});
  bitrate_edit_ = AddEdit(panel, "bitrateEdit", {30, 183, 121, 19});

  set_filter_ = new QPushButton("Set Filter", panel);
  set_filter_->setObjectName("setFilterButton");
  set_filter_->setGeometry(204, 298, 86, 24);
  set_filter_->setFocusPolicy(Qt::NoFocus);
  set_filter_->setDefault(true);

  // Larger fonts and wider fonts than the design's (DejaVu Sans for Tahoma) need more room.
  PlaceGrownToText(this, size(), DesignOf(panel));

  QWidget* order[] = {
      name_edit_,      name_section_, country_section_, genre_section_, bitrate_section_,
      status_section_, new_,          wrong_info_,      works_fine_,    not_working_,
      duplicate_,      spam_,         countries_,       genres_,        bitrate_edit_};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(name_section_, &QCheckBox::clicked, this,
          [this] { SectionClicked(name_section_, name_edit_); });
  connect(country_section_, &QCheckBox::clicked, this,
          [this] { SectionClicked(country_section_, countries_); });
  connect(genre_section_, &QCheckBox::clicked, this,
          [this] { SectionClicked(genre_section_, genres_); });
  connect(bitrate_section_, &QCheckBox::clicked, this,
          [this] { SectionClicked(bitrate_section_, bitrate_edit_); });
  connect(status_section_, &QCheckBox::clicked, this, &FilterDialog::StatusSectionClicked);
  connect(set_filter_, &QPushButton::clicked, this, &FilterDialog::SetFilterClicked);
}

void FilterDialog::SetLists(const std::vector<std::string>& countries,
                            const std::vector<std::string>& genres) {
  FillDialogList(countries_, countries);
  FillDialogList(genres_, genres);
}

void FilterDialog::showEvent(QShowEvent* event) {
  if (opening_) FillFromFilter();
  opening_ = false;
  QDialog::showEvent(event);
}

void FilterDialog::done(int result) {
  opening_ = true;
  QDialog::done(result);
}

void FilterDialog::FillFromFilter() {
  const FilterFormState form = FilterFormFromFilter(state_.catalogue);
  name_section_->setChecked(form.name_on);
  name_edit_->setText(ToQString(form.name));
  country_section_->setChecked(form.country_on);
  countries_->setCurrentIndex(form.country_index < countries_->count() ? form.country_index : -1);
  genre_section_->setChecked(form.genre_on);
  genres_->setCurrentIndex(form.genre_index < genres_->count() ? form.genre_index : -1);
  bitrate_section_->setChecked(form.bitrate_on);
  bitrate_edit_->setText(ToQString(form.bitrate_text));
  status_section_->setChecked(form.status_on);
  works_fine_->setChecked(form.hide_work_fine);
  not_working_->setChecked(form.hide_not_working);
  new_->setChecked(form.hide_new);
  wrong_info_->setChecked(form.hide_wrong_info);
  duplicate_->setChecked(form.hide_duplicate);
  spam_->setChecked(form.hide_spam);
  // In this order, so that the focus ends in the last section switched on.
  SectionClicked(name_section_, name_edit_);
  SectionClicked(country_section_, countries_);
  SectionClicked(genre_section_, genres_);
  SectionClicked(bitrate_section_, bitrate_edit_);
  StatusSectionClicked();
}

void FilterDialog::SectionClicked(QCheckBox* section, QWidget* editor) {
  const bool on = section->isChecked();
  editor->setEnabled(on);
  if (!on) return;
  SetEditorTextColor(editor, kEditorTextColor);
  editor->setFocus();
}

void FilterDialog::StatusSectionClicked() {
  const bool on = status_section_->isChecked();
  for (QCheckBox* box : {works_fine_, not_working_, new_, wrong_info_, duplicate_, spam_}) {
    box->setEnabled(on);
    SetCaptionColor(box, on ? kSectionCaptionColor : kDisabledCaptionColor);
  }
  if (on) works_fine_->setFocus();
}

FilterFormState FilterDialog::FormState() const {
  FilterFormState form;
  form.name_on = name_section_->isChecked();
  form.name = ToUtf8(name_edit_->text());
  form.country_on = country_section_->isChecked();
  form.country_index = countries_->currentIndex();
  form.genre_on = genre_section_->isChecked();
  form.genre_index = genres_->currentIndex();
  form.bitrate_on = bitrate_section_->isChecked();
  form.bitrate_text = ToUtf8(bitrate_edit_->text());
  form.status_on = status_section_->isChecked();
  form.hide_work_fine = works_fine_->isChecked();
  form.hide_not_working = not_working_->isChecked();
  form.hide_new = new_->isChecked();
  form.hide_wrong_info = wrong_info_->isChecked();
  form.hide_duplicate = duplicate_->isChecked();
  form.hide_spam = spam_->isChecked();
  return form;
}

void FilterDialog::SetFilterClicked() {
  const Outcome result = SetFilter(state_.store, state_.catalogue, FormState());
  if (!result.ok()) {
    ShowErrorBox(this, result.error);
    return;
  }
  if (rebuild_view_) rebuild_view_();
  accept();
}

}  // namespace vistrel
