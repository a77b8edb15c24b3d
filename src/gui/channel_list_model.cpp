#include "gui/channel_list_model.h"

#include <QBrush>
#include <QColor>

#include "browser/list_rows.h"
#include "gui/icons.h"
#include "gui/qt_text.h"

namespace vistrel {

namespace {

const QColor kListText(8, 55, 114);

}  // namespace

ChannelListModel::ChannelListModel(const ProgramState& state, QObject* parent)
    : QAbstractTableModel(parent), state_(state) {
  for (int32_t s = 0; s < static_cast<int32_t>(status_icons_.size()); ++s) {
    status_icons_[s] = StatusIcon(s);
  }
}

void ChannelListModel::SetRowCount(int32_t rows) {
  beginResetModel();
  rows_ = rows < 0 ? 0 : rows;
  endResetModel();
}

int ChannelListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int ChannelListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kListColumnCount;
}

const Channel* ChannelListModel::ChannelAt(int row) const {
  // The model's count and the core's lists change together in a view rebuild; the checks keep
  // a paint that comes between them harmless.
  if (row >= rows_) return nullptr;
  return state_.visible_rows.ChannelAt(state_.catalogue, row);
}

QVariant ChannelListModel::data(const QModelIndex& index, int role) const {
  const Channel* channel = ChannelAt(index.row());
  if (!channel) return QVariant();
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(
          ChannelColumnText(state_.catalogue, *channel, static_cast<ListColumn>(index.column())));
    case Qt::ToolTipRole: {
      QString tip = ToQString(
          ChannelColumnText(state_.catalogue, *channel, static_cast<ListColumn>(index.column())));
      const std::string line = guide_line_ ? guide_line_(*channel) : std::string();
      if (!line.empty()) tip += (tip.isEmpty() ? "" : "\n") + ToQString(line);
      return tip;
    }
    case Qt::DecorationRole:
      if (index.column() != static_cast<int>(ListColumn::kChannel)) return QVariant();
      {
        const int32_t image = ChannelStateImage(*channel);
        if (image < 0 || image >= static_cast<int32_t>(status_icons_.size())) return QVariant();
        return status_icons_[static_cast<std::size_t>(image)];
      }
    case Qt::BackgroundRole:
      return IsUserChannelRow(*channel)
                 ? QBrush(QColor(kUserRowColor[0], kUserRowColor[1], kUserRowColor[2]))
                 : QBrush(Qt::white);
    case Qt::ForegroundRole:
      return QBrush(kListText);
    default:
      return QVariant();
  }
}

QVariant ChannelListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kListColumnCount) {
    return QVariant();
  }
  return QString::fromLatin1(kListColumns[section].caption);
}

Qt::ItemFlags ChannelListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

}  // namespace vistrel
