#include "gui/link_button.h"

namespace vistrel {

LinkButton::LinkButton(const QString& text, QColor colour, QWidget* parent)
    : QPushButton(text, parent) {
  setFlat(true);
  setCursor(Qt::PointingHandCursor);
  setAccessibleName(text);
  setStyleSheet(QString("QPushButton { border: none; padding: 0; margin: 0; background: "
                        "transparent; color: %1; font-weight: bold; text-decoration: underline; "
                        "text-align: left; }")
                    .arg(colour.name()));
}

}  // namespace vistrel
