#include "gui/dialog_style.h"

#include <QPalette>
#include <QVBoxLayout>
#include <QWidget>

#include "gui/text_fit.h"

namespace vistrel {

namespace {

void SetRoleColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
  QPalette palette = widget->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, role, color);
  }
  widget->setPalette(palette);
}

}  // namespace

QWidget* AddDialogPanel(QWidget* dialog) {
  auto* panel = new QWidget(dialog);
  panel->setObjectName("panel");
  panel->setAutoFillBackground(true);
  SetRoleColor(panel, QPalette::Window, kDialogBackground);
  panel->setFont(WindowFont());
  auto* layout = new QVBoxLayout(dialog);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panel);
  return panel;
}

void SetCaptionColor(QWidget* widget, const QColor& color) {
  SetRoleColor(widget, QPalette::WindowText, color);
}

void SetEditorTextColor(QWidget* widget, const QColor& color) {
  SetRoleColor(widget, QPalette::Text, color);
  SetRoleColor(widget, QPalette::ButtonText, color);
}

}  // namespace vistrel
