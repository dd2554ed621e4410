#pragma once
// Hints shared by every window: "short|long". The short part is the tool tip, the long part goes
// into the hint panel (Panel2) of the active window while the mouse rests on the control. The
// forms carry both parts as Qt's toolTip and statusTip.

#include <QString>

class QEvent;
class QLabel;
class QWidget;

namespace quorvel {

// Sets the widget's hint from code: the tool tip is the part before "|" (none when the hint
// begins with "|", the whole text when there is no "|"); the long part is the text after the
// first "|", or the whole text. An empty hint still counts as the widget's own (it empties the
// panel), where an empty statusTip defers to the parents.
void SetHint(QWidget* widget, const QString& hint);

// The long part a hint text carries.
QString LongHint(const QString& hint);

// The long hint shown over `widget`: its own, else the nearest enclosing widget's that has one
// (its tab page, then its window); empty when none has one.
QString LongHintAt(const QWidget* widget);

// Installs, once for the whole program, the filter that follows the mouse and hands the long
// hint to the active window (to the window under the mouse when none is active) as a status
// tip event. Safe to call again; needs a QApplication.
void InstallHintHandler();

// For a window's event(): shows the hint the handler sent in the window's own panel and returns
// true; returns false for any other event. Qt's own status tips never get this far: the
// handler resolves every hint itself, the parents' included.
bool ShowHintEvent(QEvent* event, QLabel* panel);

} // namespace quorvel
