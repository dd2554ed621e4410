#include "ui/main/network_wait.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>
#include <thread>

namespace quorvel {

void RunWhileWindowsPaint(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }

    std::atomic<bool> done{false};
    std::exception_ptr failure;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(app->thread());
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            // Rethrown on the waiting thread, so nothing escapes a thread without a handler.
            failure = std::current_exception();
        }
        done.store(true, std::memory_order_release);
        // Ends the wait below at once instead of at the next event; the dispatcher keeps the
        // wake-up if it comes before the wait starts.
        if (dispatcher)
            dispatcher->wakeUp();
    });

    // A second guard against a wake-up that got lost: the wait never sleeps longer than this.
    QTimer heartbeat;
    heartbeat.start(50);
    while (!done.load(std::memory_order_acquire))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace quorvel
