#pragma once

#include <QStringList>

class QPlainTextEdit;

namespace quorvel {

// The lines as the box shows them: a long line counts as the pieces it is wrapped into.
// An empty box gives no line.
QStringList VisualLines(const QPlainTextEdit& box);

// The first line as the box shows it (empty for an empty box).
QString FirstVisualLine(const QPlainTextEdit& box);

} // namespace quorvel
