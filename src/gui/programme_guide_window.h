#pragma once
// The programme guide window (Ctrl+G, or "Programme Guide" in the channel menu): one
// channel's programmes of the coming day with their start times, the one on now marked, and
// the selected programme's description beside the list. Modeless; the main window fetches the
// programmes and hands them over.

#include <QDialog>
#include <cstdint>
#include <vector>

#include "common/error.h"
#include "service_client/programme_guide.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace vistrel {

class ProgrammeGuideWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ProgrammeGuideWindow(QWidget* parent = nullptr);

  // Shows the window for the channel (caption "Programme Guide - " + name), empty while its
  // programmes are on their way.
  void OpenFor(int32_t channel_id, const QString& channel_name);
  // The channel's programmes as fetched at `now` (UTC seconds); ignored unless `channel_id` is
  // the channel last opened. None, or a failed fetch: "No programme guide for this channel".
  void ShowProgrammes(int32_t channel_id, const Result<std::vector<GuideProgramme>>& programmes,
                      int64_t now);

  int32_t channel_id() const { return channel_id_; }

 private:
  void ShowDescription(int row);

  int32_t channel_id_ = -1;
  std::vector<GuideProgramme> programmes_;
  QLabel* status_;
  QListWidget* list_;
  QPlainTextEdit* description_;
};

}  // namespace vistrel
