#pragma once

#include <QList>

class QAbstractButton;
class QAction;
class QLineEdit;
class QWidget;

namespace ui {

class Announcer;

// Puts the window's own commands (Details…, Copy all results, and any other action of the box's
// window when the menu opens) into the context menu of each box, after the box's editing commands,
// so that the keyboard reaches them from any box with the Menu key or Shift+F10 (which a line edit
// does not take for the menu by itself); and names their shortcuts in the tooltip of the button,
// which screen readers read as its description.
void OfferWindowActions(const QList<QLineEdit*>& boxes, QAbstractButton* button,
                        const QList<QAction*>& actions);

// Tells that the results were put on the clipboard: in a tooltip beside the control with the
// focus, or the window when none has it, and through the announcer, as a notification that
// screen readers speak wherever the focus is.
void ReportCopied(QWidget* window, Announcer* announcer);

}  // namespace ui
