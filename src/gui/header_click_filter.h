#pragma once
// Turns left-button presses on the channel list's column headers into sort commands, before the
// list or its header sees them. Installed on the application, it looks at every press; presses
// near a column divider, right of the last column, or while the country drop-down is open go
// on to the list as usual.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

class QComboBox;
class QTableView;

namespace vistrel {

class HeaderClickFilter : public QObject {
  Q_OBJECT

 public:
  using ColumnClick = std::function<void(int32_t column)>;

  // `on_column_click` runs for each intercepted press with the column (0 for the first).
  HeaderClickFilter(QTableView* list, QComboBox* country_box, ColumnClick on_column_click,
                    QObject* parent = nullptr);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QTableView> list_;
  QPointer<QComboBox> country_box_;
  ColumnClick on_column_click_;
};

}  // namespace vistrel
