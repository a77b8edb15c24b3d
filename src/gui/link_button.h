#pragma once
// A text that acts as a link: bold, underlined, hand cursor, clickable, and reachable with the
// keyboard like any button.

#include <QColor>
#include <QPushButton>

namespace vistrel {

class LinkButton : public QPushButton {
  Q_OBJECT

 public:
  LinkButton(const QString& text, QColor colour, QWidget* parent = nullptr);
};

}  // namespace vistrel
