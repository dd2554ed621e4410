#include "ui/main/list_when_shown.h"

#include <QEvent>
#include <QWidget>

namespace quorvel {

ListWhenShown::ListWhenShown(QWidget& window, std::function<void()> fill)
    : QObject(&window), window_(window), fill_(std::move(fill)) {
    window_.installEventFilter(this);
}

void ListWhenShown::FolderMoved() {
    stale_ = true;
    if (window_.isVisible())
        FillIfStale();
}

void ListWhenShown::FillIfStale() {
    if (stale_)
        fill_();
    stale_ = false;
}

bool ListWhenShown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Show)
        FillIfStale();
    return QObject::eventFilter(watched, event);
}

} // namespace quorvel
