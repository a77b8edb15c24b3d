#include "gui/channel_editor_dialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/lifecycle.h"
#include "gui/dialog_style.h"
#include "gui/message_boxes.h"
#include "gui/qt_text.h"
#include "gui/text_fit.h"

namespace vistrel {

namespace {

constexpr int kLabelLeft = 12;
constexpr int kFieldLeft = 100;
constexpr int kFieldWidth = 250;
constexpr int kRowHeight = 21;
constexpr int kRowStep = 27;

// The top of row `row` (0 for Category).
int RowTop(int row) {
  return 12 + row * kRowStep;
}

void AddLabel(QWidget* panel, const char* text, int row) {
  auto* label = new QLabel(QString::fromLatin1(text), panel);
  label->setGeometry(kLabelLeft, RowTop(row) + 2, kFieldLeft - kLabelLeft - 6, kRowHeight - 4);
  SetCaptionColor(label, kSectionCaptionColor);
}

QRect FieldRect(int row) {
  return {kFieldLeft, RowTop(row), kFieldWidth, kRowHeight};
}

QLineEdit* AddEdit(QWidget* panel, const char* name, const char* label, int row) {
  AddLabel(panel, label, row);
  return AddDialogEdit(panel, name, FieldRect(row));
}

template <std::size_t N>
QComboBox* AddList(QWidget* panel, const char* name, const char* label, int row,
                   const char* const (&items)[N]) {
  AddLabel(panel, label, row);
  QComboBox* list = AddDialogList(panel, name, FieldRect(row));
  for (const char* item : items) list->addItem(QString::fromLatin1(item));
  return list;
}

QComboBox* AddList(QWidget* panel, const char* name, const char* label, int row) {
  AddLabel(panel, label, row);
  return AddDialogList(panel, name, FieldRect(row));
}

// Item 0 of the Country and Genre boxes reads "-----" while the dialog is shown: nothing chosen.
void MarkNothingChosen(QComboBox* list) {
  if (list->count() > 0) list->setItemText(0, QString::fromLatin1(kEditorNothingChosen));
}

void Select(QComboBox* list, int32_t index) {
  list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

// Whether a key press in the Bitrate field is a typed character the field refuses. Keys that
// type nothing (arrows, Delete) and the dialog's own keys (Tab, Enter, Escape) pass.
bool RefusedBitrateKey(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
      return false;
    case Qt::Key_Backspace:
      return !BitrateFieldAccepts(8);
    default:
      break;
  }
  const QString text = key.text();
  if (text.isEmpty()) return false;
  for (char32_t c : text.toUcs4()) {
    if (!BitrateFieldAccepts(c)) return true;
  }
  return false;
}

}  // namespace

ChannelEditorDialog::ChannelEditorDialog(ProgramState& state, std::function<void()> rebuild_view,
                                         QWidget* parent)
    : QDialog(parent), state_(state), rebuild_view_(std::move(rebuild_view)) {
  setObjectName("addForm");
  setWindowTitle("Add/Update Channel");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kFieldLeft + kFieldWidth + 14, RowTop(11) + 66);
  CreateControls();
}

void ChannelEditorDialog::CreateControls() {
  QWidget* panel = AddDialogPanel(this);
  category_ = AddList(panel, "categoryBox", "Category*", 0, kEditorCategories);
  name_ = AddEdit(panel, "nameEdit", "Name*", 1);
  url_ = AddEdit(panel, "urlEdit", "URL*", 2);
  bitrate_ = AddEdit(panel, "bitrateEdit", "Bitrate", 3);
  type_ = AddList(panel, "typeBox", "Type*", 4, kEditorTypes);
  homepage_ = AddEdit(panel, "homepageEdit", "Homepage", 5);
  country_ = AddList(panel, "countryList", "Country*", 6);
  genre_ = AddList(panel, "genreList", "Genre*", 7);
  comment_ = AddEdit(panel, "commentEdit", "Comment", 8);
  // The headers some servers want before they answer.
  user_agent_ = AddEdit(panel, "userAgentEdit", "User-Agent:", 9);
  referrer_ = AddEdit(panel, "refererEdit", "Referer:", 10);

  confirm_ = new QCheckBox("I can confirm that channel is working!", panel);
  confirm_->setObjectName("confirmBox");
  confirm_->setGeometry(kFieldLeft, RowTop(11), kFieldWidth, 17);
  SetCaptionColor(confirm_, kSectionCaptionColor);

  add_ = new QPushButton("Add Channel", panel);
  add_->setObjectName("addChannelButton");
  add_->setGeometry(width() - 14 - 96, height() - 12 - 24, 96, 24);
  add_->setEnabled(false);

  // Larger fonts and wider fonts than the design's (DejaVu Sans for Tahoma) need more room.
  std::vector<DesignedControl> controls = DesignOf(panel);
  for (DesignedControl& c : controls) c.keep_right_margin = c.widget == add_;
  PlaceGrownToText(this, size(), controls);

  bitrate_->installEventFilter(this);
  url_->installEventFilter(this);
  connect(confirm_, &QCheckBox::toggled, add_, &QPushButton::setEnabled);
  connect(add_, &QPushButton::clicked, this, &ChannelEditorDialog::SaveClicked);
}

void ChannelEditorDialog::SetLists(const std::vector<std::string>& countries,
                                   const std::vector<std::string>& genres) {
  FillDialogList(country_, countries);
  FillDialogList(genre_, genres);
}

int ChannelEditorDialog::ExecToAdd() {
  adding_ = true;
  position_ = -1;
  return exec();
}

int ChannelEditorDialog::ExecToChange(int32_t position) {
  const auto& channels = state_.catalogue.channels;
  if (position < 0 || static_cast<std::size_t>(position) >= channels.size() ||
      !channels[static_cast<std::size_t>(position)].user_defined) {
    return QDialog::Rejected;
  }
  adding_ = false;
  position_ = position;
  return exec();
}

void ChannelEditorDialog::showEvent(QShowEvent* event) {
  if (opening_) FillFields();
  opening_ = false;
  QDialog::showEvent(event);
}

void ChannelEditorDialog::done(int result) {
  opening_ = true;
  QDialog::done(result);
}

void ChannelEditorDialog::FillFields() {
  MarkNothingChosen(country_);
  MarkNothingChosen(genre_);
  const Catalogue& catalogue = state_.catalogue;
  const ChannelEditorFields fields =
      adding_ ? EmptyEditorFields(category_->currentIndex())
              : EditorFieldsFromChannel(catalogue,
                                        catalogue.channels[static_cast<std::size_t>(position_)],
                                        category_->currentIndex());
  // The Category box keeps its last choice in both cases.
  Select(type_, fields.type);
  Select(country_, fields.country);
  Select(genre_, fields.genre);
  name_->setText(ToQString(fields.name));
  url_->setText(ToQString(fields.url));
  bitrate_->setText(ToQString(fields.bitrate));
  homepage_->setText(ToQString(fields.homepage));
  comment_->setText(ToQString(fields.comment));
  user_agent_->setText(ToQString(fields.user_agent));
  referrer_->setText(ToQString(fields.referrer));
  confirm_->setChecked(false);
  add_->setEnabled(false);
  name_->setFocus();
}

ChannelEditorFields ChannelEditorDialog::Fields() const {
  ChannelEditorFields f;
  f.category = category_->currentIndex();
  f.name = ToUtf8(name_->text());
  f.url = ToUtf8(url_->text());
  f.bitrate = ToUtf8(bitrate_->text());
  f.type = type_->currentIndex();
  f.homepage = ToUtf8(homepage_->text());
  f.country = country_->currentIndex();
  f.genre = genre_->currentIndex();
  f.comment = ToUtf8(comment_->text());
  f.user_agent = ToUtf8(user_agent_->text());
  f.referrer = ToUtf8(referrer_->text());
  return f;
}

void ChannelEditorDialog::SaveClicked() {
  Catalogue& catalogue = state_.catalogue;
  const ChannelEditorFields fields = Fields();
  const Outcome result = adding_ ? AddUserChannel(catalogue, state_.sort, fields)
                                 : ChangeUserChannel(catalogue, position_, fields);
  if (!result.ok()) {
    ShowErrorBox(this, result.error);
    return;
  }
  if (rebuild_view_) rebuild_view_();
  // The change is made and shown either way; a failed write is told before the dialog goes.
  const Outcome saved = SaveUserChanges(state_);
  if (!saved.ok()) ShowErrorBox(this, saved.error);
  accept();
}

bool ChannelEditorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == bitrate_ && event->type() == QEvent::KeyPress &&
      RefusedBitrateKey(*static_cast<QKeyEvent*>(event))) {
    return true;
  }
  // Every key released in the URL field empties the system clipboard.
  if (watched == url_ && event->type() == QEvent::KeyRelease) {
    QGuiApplication::clipboard()->clear();
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vistrel
