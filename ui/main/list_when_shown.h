#pragma once
// A window's list of the collection, filled when the window is first shown rather than at
// start-up: nobody sees a hidden window's list, and five windows each filling a list of a
// hundred thousand titles made the program start seconds later.

#include <QObject>

#include <functional>

class QWidget;

namespace quorvel {

class ListWhenShown : public QObject {
public:
    // `fill` lists the collection into the window's list; it is called when `window` is shown
    // while the list is stale. The list starts stale.
    ListWhenShown(QWidget& window, std::function<void()> fill);

    // The collection to list changed: a shown window lists it at once, a hidden one when shown.
    void FolderMoved();
    // Fills the list now when it is stale: for a read of a hidden window's list.
    void FillIfStale();
    // The window filled its list itself (a Refresh, a loaded list).
    void Filled() { stale_ = false; }
    void MarkStale() { stale_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::function<void()> fill_;
    bool stale_ = true;
};

} // namespace quorvel
