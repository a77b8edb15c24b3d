#pragma once
// The look the dialogs share: a near-white panel in the Tahoma font (larger with a larger
// desktop font), dark blue captions, red
// editor text.

#include <QColor>
#include <QRect>
#include <initializer_list>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QWidget;

namespace vistrel {

inline const QColor kDialogBackground(254, 254, 254);
inline const QColor kSectionCaptionColor(8, 55, 114);
inline const QColor kDisabledCaptionColor(192, 192, 192);  // silver
inline const QColor kEditorTextColor(255, 0, 0);

// A panel filling `dialog` with the dialogs' background and font; the controls go on it.
QWidget* AddDialogPanel(QWidget* dialog);

// The caption (window text) colour of a label or check box, the same in every state.
void SetCaptionColor(QWidget* widget, const QColor& color);

// The text colour of an edit or a drop-down list, the same in every state.
void SetEditorTextColor(QWidget* widget, const QColor& color);

// The longest text a dialog's edit takes.
inline constexpr int kDialogTextCapacity = 255;

// A text edit named `name` at `geometry` on `panel`, taking at most kDialogTextCapacity
// characters. Never fails.
QLineEdit* AddDialogEdit(QWidget* panel, const char* name, QRect geometry);

// A drop-down list named `name` at `geometry` on `panel`, holding `items` (Latin-1 texts).
// Never fails.
QComboBox* AddDialogList(QWidget* panel, const char* name, QRect geometry,
                         std::initializer_list<const char*> items = {});

// Replaces the items of `list` with `names` (UTF-8). Never fails.
void FillDialogList(QComboBox* list, const std::vector<std::string>& names);

}  // namespace vistrel
