#include "ui/main/network_wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <thread>

namespace quorvel {

namespace {

// Watches the whole program while one wait runs: Escape in the waiting window, or that window
// closing, cancels. Nothing else is touched, so every other event runs as it comes.
class CancelWatch final : public QObject {
public:
    CancelWatch(QWidget* window, CancelFlag& cancel) : window_(window), cancel_(cancel) {
        qApp->installEventFilter(this);
    }
    ~CancelWatch() override { qApp->removeEventFilter(this); }
    CancelWatch(const CancelWatch&) = delete;
    CancelWatch& operator=(const CancelWatch&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!window_ || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::KeyPress && widget->window() == window_ &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            cancel_.store(true);
            return true;
        }
        // The close itself goes on: the user wants the window gone, not just the request.
        if (event->type() == QEvent::Close && widget == window_)
            cancel_.store(true);
        return false;
    }

private:
    QPointer<QWidget> window_;
    CancelFlag& cancel_;
};

} // namespace

bool WaitForNetwork(QWidget* window, const std::function<void(const CancelFlag&)>& work) {
    CancelFlag cancel{false};
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work(cancel);
        return true;
    }

    std::atomic<bool> done{false};
    std::exception_ptr failure;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(app->thread());
    std::thread worker([&] {
        try {
            work(cancel);
        } catch (...) {
            // Rethrown on the waiting thread, so nothing escapes a thread without a handler.
            failure = std::current_exception();
        }
        done.store(true, std::memory_order_release);
        // Ends the wait below at once instead of at the next event.
        if (dispatcher)
            dispatcher->wakeUp();
    });

    {
        CancelWatch watch(window, cancel);
        // A second guard against a lost wake-up: the wait never sleeps longer than this.
        QTimer heartbeat;
        heartbeat.start(50);
        // Every event runs as it arrives, user input included: deferring input would only
        // replay it once the request is over.
        while (!done.load(std::memory_order_acquire) && !cancel.load())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return !cancel.load();
}

} // namespace quorvel
