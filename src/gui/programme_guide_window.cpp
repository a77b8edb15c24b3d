#include "gui/programme_guide_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "gui/qt_text.h"

namespace vistrel {

namespace {

constexpr const char* kNoGuide = "No programme guide for this channel";

// What the description pane shows: every text of the programme that the guide has.
QString DescribeProgramme(const GuideProgramme& p) {
  QStringList lines;
  lines << ToQString(LocalClockText(p.start) + " - " + LocalClockText(p.stop) + "  " + p.title);
  if (!p.sub_title.empty()) lines << ToQString(p.sub_title);
  if (!p.category.empty() || !p.episode.empty()) {
    std::string about = p.category;
    if (!p.episode.empty()) about += (about.empty() ? "" : " \xC2\xB7 ") + p.episode;
    lines << ToQString(about);
  }
  if (!p.description.empty()) lines << QString() << ToQString(p.description);
  return lines.join('\n');
}

}  // namespace

ProgrammeGuideWindow::ProgrammeGuideWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("programmeGuideWindow");
  setModal(false);
  resize(640, 380);

  status_ = new QLabel(this);
  status_->setObjectName("guideStatus");
  status_->setTextFormat(Qt::PlainText);
  list_ = new QListWidget(this);
  list_->setObjectName("programmeList");
  list_->setAccessibleName("Programmes");
  description_ = new QPlainTextEdit(this);
  description_->setObjectName("programmeDescription");
  description_->setAccessibleName("Programme description");
  description_->setReadOnly(true);  // guide texts come from the network: plain text only

  auto* panes = new QHBoxLayout;
  panes->addWidget(list_, 1);
  panes->addWidget(description_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addLayout(panes, 1);

  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { ShowDescription(row); });
}

void ProgrammeGuideWindow::OpenFor(int32_t channel_id, const QString& channel_name) {
  channel_id_ = channel_id;
  programmes_.clear();
  list_->clear();
  description_->clear();
  status_->clear();
  status_->hide();
  setWindowTitle("Programme Guide - " + channel_name);
  show();
  raise();
  activateWindow();
}

void ProgrammeGuideWindow::ShowProgrammes(int32_t channel_id,
                                          const Result<std::vector<GuideProgramme>>& programmes,
                                          int64_t now) {
  if (channel_id != channel_id_) return;  // an answer for a channel shown before
  programmes_.clear();
  list_->clear();
  description_->clear();
  if (programmes.ok()) {
    // The coming day: from the programme on now on.
    for (const GuideProgramme& p : *programmes.value) {
      if (p.stop > now) programmes_.push_back(p);
    }
  }
  if (programmes_.empty()) {
    status_->setText(kNoGuide);
    status_->show();
    return;
  }
  status_->hide();
  int current = -1;
  for (size_t i = 0; i < programmes_.size(); ++i) {
    const GuideProgramme& p = programmes_[i];
    auto* item = new QListWidgetItem(ToQString(LocalClockText(p.start) + "  " + p.title), list_);
    if (p.start <= now && now < p.stop) {
      // The one on now: bold, and first selected.
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
      item->setText(item->text() + "  (now)");
      if (current < 0) current = static_cast<int>(i);
    }
  }
  list_->setCurrentRow(current >= 0 ? current : 0);
}

void ProgrammeGuideWindow::ShowDescription(int row) {
  if (row < 0 || static_cast<size_t>(row) >= programmes_.size()) {
    description_->clear();
    return;
  }
  description_->setPlainText(DescribeProgramme(programmes_[static_cast<size_t>(row)]));
}

}  // namespace vistrel
