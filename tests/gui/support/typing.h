#pragma once
// Typing text in any script into a widget, one key press and release per character, as a
// keyboard layout would deliver it (QTest::keyClicks takes Latin-1 only).

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace vistrel {

inline void TypeText(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

}  // namespace vistrel
