#include "gui/text_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <algorithm>
#include <cmath>
#include <map>

namespace vistrel {

namespace {

constexpr double kUsualPointSize = 9;  // the application font the design sizes go with
constexpr double kUsualPixelSize = 12;
constexpr int kDesignPixelSize = 11;  // the windows' font at the usual size

bool VerticallyOverlap(const QRect& a, const QRect& b) {
  return a.top() < b.top() + b.height() && b.top() < a.top() + a.height();
}

}  // namespace

double FontGrowth() {
  const QFont application = QApplication::font();
  double ratio = 1;
  if (application.pointSizeF() > 0) {
    ratio = application.pointSizeF() / kUsualPointSize;
  } else if (application.pixelSize() > 0) {
    ratio = application.pixelSize() / kUsualPixelSize;
  }
  return std::max(1.0, ratio);
}

int GrownWithFont(int design) {
  return static_cast<int>(std::lround(design * FontGrowth()));
}

QFont WindowFont(int design_pixels) {
  QFont font({"Tahoma", "DejaVu Sans", "Sans Serif"});
  font.setPixelSize(GrownWithFont(design_pixels));
  return font;
}

QSize SizeForText(const QWidget* widget, QSize design) {
  const QSize hint = widget->sizeHint();
  QSize size = design;
  const auto* label = qobject_cast<const QLabel*>(widget);
  if (label && label->wordWrap()) {
    // As many lines as the design height holds at the design font.
    QFont design_font = label->font();
    design_font.setPixelSize(kDesignPixelSize);
    const int lines_room =
        static_cast<int>(std::lround(design.height() * double(label->fontMetrics().lineSpacing()) /
                                     QFontMetrics(design_font).lineSpacing()));
    size.setHeight(std::max({design.height(), lines_room, label->heightForWidth(design.width())}));
    return size;
  }
  if (label || qobject_cast<const QAbstractButton*>(widget) ||
      qobject_cast<const QGroupBox*>(widget)) {
    size.setWidth(std::max(design.width(), hint.width()));
  }
  // The styles' hints carry a few pixels of air that the design leaves out at its font.
  if (widget->fontMetrics().height() + 4 > design.height()) {
    size.setHeight(std::max(design.height(), hint.height()));
  }
  return size;
}

std::vector<DesignedControl> DesignOf(const QWidget* panel) {
  std::vector<DesignedControl> controls;
  for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    controls.push_back({child, child->geometry()});
  }
  return controls;
}

void PlaceGrownToText(QWidget* window, QSize design_size,
                      const std::vector<DesignedControl>& controls) {
  const std::size_t n = controls.size();
  std::vector<QSize> sizes(n);
  for (std::size_t i = 0; i < n; ++i) {
    sizes[i] = SizeForText(controls[i].widget, controls[i].design.size());
  }

  // Each column (controls sharing a design left edge) moves right by the most that a grown
  // control left of it, in a row of the column, reaches beyond its design right edge.
  std::map<int, int> column_shift;
  for (const DesignedControl& c : controls) column_shift[c.design.left()] = 0;
  for (auto& [left, shift] : column_shift) {
    for (std::size_t a = 0; a < n; ++a) {
      const QRect& da = controls[a].design;
      if (da.left() >= left || da.left() + da.width() > left) continue;
      const bool shares_a_row = std::any_of(controls.begin(), controls.end(), [&](auto& c) {
        return c.design.left() == left && VerticallyOverlap(c.design, da);
      });
      if (!shares_a_row) continue;
      const int reach = column_shift[da.left()] + da.left() + sizes[a].width() - left;
      shift = std::max(shift, reach);
    }
  }
  // Each control moves down by the most that a grown control above it reaches beyond its
  // design top; controls in design order from the top, so that pushes add up.
  std::vector<std::size_t> by_top(n);
  for (std::size_t i = 0; i < n; ++i) by_top[i] = i;
  std::stable_sort(by_top.begin(), by_top.end(), [&](std::size_t a, std::size_t b) {
    return controls[a].design.top() < controls[b].design.top();
  });
  std::vector<int> down(n, 0);
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t b = by_top[k];
    const QRect& db = controls[b].design;
    for (std::size_t j = 0; j < k; ++j) {
      const std::size_t a = by_top[j];
      const QRect& da = controls[a].design;
      if (da.top() + da.height() > db.top()) continue;
      down[b] = std::max(down[b], down[a] + da.top() + sizes[a].height() - db.top());
    }
  }

  int design_right = 0;
  int design_bottom = 0;
  int right = 0;
  int bottom = 0;
  std::vector<QRect> places(n);
  for (std::size_t i = 0; i < n; ++i) {
    const QRect& d = controls[i].design;
    places[i] = QRect(QPoint(d.left() + column_shift[d.left()], d.top() + down[i]), sizes[i]);
    design_right = std::max(design_right, d.left() + d.width());
    design_bottom = std::max(design_bottom, d.top() + d.height());
    right = std::max(right, places[i].left() + sizes[i].width());
    bottom = std::max(bottom, places[i].top() + sizes[i].height());
  }
  const QSize size(std::max(design_size.width(), right + design_size.width() - design_right),
                   std::max(design_size.height(), bottom + design_size.height() - design_bottom));
  for (std::size_t i = 0; i < n; ++i) {
    if (!controls[i].keep_right_margin) continue;
    const QRect& d = controls[i].design;
    const int margin = design_size.width() - d.left() - d.width();
    places[i].moveLeft(std::max(places[i].left(), size.width() - margin - sizes[i].width()));
  }
  for (std::size_t i = 0; i < n; ++i) controls[i].widget->setGeometry(places[i]);
  window->setFixedSize(size);
}

}  // namespace vistrel
