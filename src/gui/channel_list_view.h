#pragma once
// The channel list's view: a table with the list's look (grid, whole-row single selection that
// stays visible without focus, one row height that follows the font, columns the user can resize
// but not move) and one extra signal for playing the selected row.

#include <QTableView>

namespace vistrel {

class ChannelListView : public QTableView {
  Q_OBJECT

 public:
  explicit ChannelListView(QWidget* parent = nullptr);

 signals:
  // A double click anywhere in the rows area (after the click has settled the selection), or
  // Enter on the list.
  void PlayRequested();

 protected:
  void changeEvent(QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Rows and the header as tall as a line of the font needs, at least their design heights.
  void FitToFont();
};

}  // namespace vistrel
