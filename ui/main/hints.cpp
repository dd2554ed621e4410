#include "ui/main/hints.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QStatusTipEvent>
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

// The hint the handler resolved, told apart from the status tips Qt sends by itself.
class HintEvent final : public QStatusTipEvent {
public:
    using QStatusTipEvent::QStatusTipEvent;
};

// The hint goes to the active window. Under an X server without a window manager no window
// ever becomes active, so then the window under the mouse stands in for it.
void SendHint(const QWidget* hovered, const QWidget* hintSource) {
    QWidget* window = QApplication::activeWindow();
    if (!window && hovered)
        window = hovered->window();
    if (!window)
        return;
    HintEvent hint(LongHintAt(hintSource));
    QCoreApplication::sendEvent(window, &hint);
}

class HintFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        // Qt's own tips know nothing of parents' hints and blank the panel on every leave.
        if (type == QEvent::StatusTip)
            return dynamic_cast<HintEvent*>(event) == nullptr;
        if ((type != QEvent::Enter && type != QEvent::Leave) || !watched->isWidgetType())
            return false;
        const auto* widget = static_cast<const QWidget*>(watched);
        if (type == QEvent::Enter) {
            SendHint(widget, widget);
        } else if (!widget->isWindow()) {
            // Leaving a child puts the mouse back on its parent, which gets no Enter of its
            // own; a sibling entered next overrides this at once.
            SendHint(widget, widget->parentWidget());
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

bool ShowHintEvent(QEvent* event, QLabel* panel) {
    if (event->type() != QEvent::StatusTip)
        return false;
    const QString text = static_cast<QStatusTipEvent*>(event)->tip();
    if (panel && panel->text() != text)
        panel->setText(text);
    return true;
}

} // namespace quorvel
