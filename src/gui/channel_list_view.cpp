#include "gui/channel_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "app/header_click.h"

namespace vistrel {

namespace {

constexpr int kRowHeight = 17;  // at the usual font; taller with a larger one
constexpr int kTextAir = 4;     // between a row's or the header's text and its edges

}  // namespace

ChannelListView::ChannelListView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setIconSize(QSize(16, 16));

  QHeaderView* rows = verticalHeader();
  rows->hide();
  // A fixed height lets the view find any row by arithmetic, however long the list.
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(1);

  QHeaderView* columns = horizontalHeader();
  columns->setSectionsMovable(false);
  columns->setSectionsClickable(false);  // sorting comes from the window's header filter
  columns->setHighlightSections(false);
  columns->setStretchLastSection(false);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  // The selection keeps its colours when the list loses the focus.
  QPalette colours = palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
  }
  setPalette(colours);
  FitToFont();
}

void ChannelListView::FitToFont() {
  const int line = fontMetrics().height() + kTextAir;
  verticalHeader()->setDefaultSectionSize(std::max(kRowHeight, line));
  QHeaderView* columns = horizontalHeader();
  columns->setFixedHeight(std::max(kHeaderClickHeight, columns->fontMetrics().height() + kTextAir));
}

void ChannelListView::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange) FitToFont();
}

void ChannelListView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit PlayRequested();
}

void ChannelListView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      event->modifiers() == Qt::NoModifier) {
    emit PlayRequested();
    return;
  }
  QTableView::keyPressEvent(event);
}

}  // namespace vistrel
