#include "ui/main/hints.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QWidget>

namespace quorvel {

namespace {

// The whole hint text is kept on the widget so that a widget with an empty hint can be told
// from one that has none: the first stops the search, the second defers to its parents.
constexpr const char* kHintProperty = "quorvelHint";

QString ShortHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

// Where the hint goes: the active window's panel. Under an X server without a window manager
// no window ever becomes active, so then the window under the mouse stands in for it.
QLabel* HintPanelFor(const QWidget* hovered) {
    QWidget* window = QApplication::activeWindow();
    if (!window && hovered)
        window = hovered->window();
    return window ? window->findChild<QLabel*>(QStringLiteral("Panel2")) : nullptr;
}

void ShowHint(const QWidget* hovered, const QWidget* hintSource) {
    QLabel* panel = HintPanelFor(hovered);
    if (!panel)
        return;
    const QString text = LongHintAt(hintSource);
    if (panel->text() != text)
        panel->setText(text);
}

class HintFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Enter && type != QEvent::Leave)
            return false;
        if (!watched->isWidgetType())
            return false;
        const auto* widget = static_cast<const QWidget*>(watched);
        if (type == QEvent::Enter) {
            ShowHint(widget, widget);
        } else if (!widget->isWindow()) {
            // Leaving a child puts the mouse back on its parent, which gets no Enter of its
            // own; a sibling entered next overrides this at once.
            ShowHint(widget, widget->parentWidget());
        }
        return false;
    }
};

} // namespace

void SetHint(QWidget* widget, const QString& hint) {
    if (!widget)
        return;
    widget->setProperty(kHintProperty, hint);
    widget->setToolTip(ShortHint(hint));
    widget->setStatusTip(LongHint(hint));
}

QString LongHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

QString LongHintAt(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant hint = w->property(kHintProperty);
        if (hint.isValid())
            return LongHint(hint.toString());
        if (!w->statusTip().isEmpty())
            return w->statusTip();
        if (w->isWindow())
            break;
    }
    return {};
}

void InstallHintHandler() {
    static QPointer<HintFilter> filter;
    if (filter || !qApp)
        return;
    filter = new HintFilter(qApp);
    qApp->installEventFilter(filter);
}

} // namespace quorvel
