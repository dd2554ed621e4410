#pragma once
// Hints shared by every window: "short|long". The short part is the tool tip, the long part
// goes into the hint panel (the QLabel named "Panel2") of the active window while the mouse
// rests on the control.

#include <QString>

class QWidget;

namespace quorvel {

// Sets the widget's hint: the tool tip is the part before "|" (none when the hint begins with
// "|", the whole text when there is no "|"); the long part is the text after the first "|", or
// the whole text. An empty hint still counts as the widget's own (it empties the panel).
void SetHint(QWidget* widget, const QString& hint);

// The long part a hint text carries.
QString LongHint(const QString& hint);

// The long hint shown over `widget`: its own, else the nearest enclosing widget's that has one
// (its tab page, then its window); empty when none has one.
QString LongHintAt(const QWidget* widget);

// Installs, once for the whole program, the filter that follows the mouse and writes the long
// hint into the hint panel. Safe to call again; needs a QApplication.
void InstallHintHandler();

} // namespace quorvel
