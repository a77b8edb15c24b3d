#include "gui/header_click_filter.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTableView>
#include <vector>

#include "app/header_click.h"

namespace vistrel {

HeaderClickFilter::HeaderClickFilter(QTableView* list, QComboBox* country_box,
                                     ColumnClick on_column_click, QObject* parent)
    : QObject(parent),
      list_(list),
      country_box_(country_box),
      on_column_click_(std::move(on_column_click)) {}

bool HeaderClickFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress || !list_) return false;
  const auto* press = static_cast<QMouseEvent*>(event);
  if (press->button() != Qt::LeftButton) return false;
  if (country_box_ && country_box_->view() && country_box_->view()->isVisible()) return false;
  // Only presses that go to the list itself: a window lying over the header keeps its clicks.
  auto* target = qobject_cast<QWidget*>(watched);
  if (!target || (target != list_ && !list_->isAncestorOf(target))) return false;

  // The list's client area lies inside its frame; the header sits at its top.
  const QPoint in_list = list_->mapFromGlobal(press->globalPosition().toPoint());
  const QRect client = list_->contentsRect();
  const QHeaderView* header = list_->horizontalHeader();
  std::vector<int32_t> widths;
  for (int section = 0; section < header->count(); ++section) {
    widths.push_back(header->isSectionHidden(section) ? 0 : header->sectionSize(section));
  }
  // The width stops at the vertical scroll bar, which stands beside the header; the band is as
  // tall as the header, which grows with the font.
  const std::optional<int32_t> column =
      HeaderClickColumn(in_list.x() - client.left(), in_list.y() - client.top(),
                        list_->viewport()->width(), widths, header->offset(), header->height());
  if (!column) return false;
  if (on_column_click_) on_column_click_(*column);
  return true;
}

}  // namespace vistrel
