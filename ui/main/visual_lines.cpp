#include "ui/main/visual_lines.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace quorvel {

QStringList VisualLines(const QPlainTextEdit& box) {
    QStringList lines;
    const QTextDocument* doc = box.document();
    if (doc->isEmpty())
        return lines;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        const QTextLayout* layout = block.layout();
        // A block not laid out yet (the box was never shown) counts as one line.
        if (!layout || layout->lineCount() <= 1) {
            lines << text;
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << text.mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

QString FirstVisualLine(const QPlainTextEdit& box) {
    const QStringList lines = VisualLines(box);
    return lines.isEmpty() ? QString() : lines.first();
}

} // namespace quorvel
