#include "ui/main/omdb_wait.h"

#include <QApplication>
#include <QProgressBar>
#include <QWidget>

namespace quorvel {

BusyScope::BusyScope(QProgressBar* bar, QWidget* pointerOver, std::function<void()> restore)
    : bar_(bar), pointerOver_(pointerOver), restore_(std::move(restore)) {
    bar_->setValue(1);
    bar_->show();
    bar_->raise();
    // The window stays usable during the wait: the pointer says busy, not blocked.
    if (pointerOver_)
        pointerOver_->setCursor(Qt::BusyCursor);
    else
        QApplication::setOverrideCursor(Qt::BusyCursor);
}

BusyScope::~BusyScope() {
    end();
}

void BusyScope::end() {
    if (ended_)
        return;
    ended_ = true;
    bar_->hide();
    if (restore_)
        restore_();
    if (pointerOver_)
        pointerOver_->unsetCursor();
    else
        QApplication::restoreOverrideCursor();
}

} // namespace quorvel
