#include "gui/dialog_style.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QVBoxLayout>
#include <QWidget>

#include "gui/qt_text.h"
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

QLineEdit* AddDialogEdit(QWidget* panel, const char* name, QRect geometry) {
  auto* edit = new QLineEdit(panel);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(geometry);
  edit->setMaxLength(kDialogTextCapacity);
  return edit;
}

QComboBox* AddDialogList(QWidget* panel, const char* name, QRect geometry,
                         std::initializer_list<const char*> items) {
  auto* list = new QComboBox(panel);
  list->setObjectName(QString::fromLatin1(name));
  list->setGeometry(geometry);
  for (const char* item : items) list->addItem(QString::fromLatin1(item));
  return list;
}

void FillDialogList(QComboBox* list, const std::vector<std::string>& names) {
  list->clear();
  for (const std::string& name : names) list->addItem(ToQString(name));
}

}  // namespace vistrel
