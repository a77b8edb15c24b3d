#pragma once
// The channel list's rows, produced on demand from the catalogue through the visible list: the
// model stores nothing per row, so a long list costs no more to show than a short one.

#include <QAbstractTableModel>
#include <QIcon>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/program_state.h"

namespace vistrel {

class ChannelListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Reads `state` (catalogue and visible list) at every request; `state` outlives the model.
  explicit ChannelListModel(const ProgramState& state, QObject* parent = nullptr);

  // Tells the list how many rows the view now has (a reset: the selection goes).
  void SetRowCount(int32_t rows);
  // The programme guide's line for a channel ("Now: ... · Next: ..."), added under the cell's
  // text in every tooltip of its row; empty: no line.
  void SetGuideLine(std::function<std::string(const Channel&)> guide_line) {
    guide_line_ = std::move(guide_line);
  }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // Texts (UTF-8 from the core), state icons in the first column, the pale green of user
  // channels, the list's text colour. Nothing for a row the catalogue no longer has.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  const Channel* ChannelAt(int row) const;

  const ProgramState& state_;
  int32_t rows_ = 0;
  std::function<std::string(const Channel&)> guide_line_;
  std::array<QIcon, 6> status_icons_;
};

}  // namespace vistrel
