#pragma once
// The one way a window waits for the network: the request runs on a worker thread and the
// window stays usable meanwhile; Escape or closing the window cancels it.

#include <atomic>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

class QWidget;

namespace quorvel {

// Raised by the wait when the user cancels; the request polls it (HttpSettings::cancel).
using CancelFlag = std::atomic<bool>;

// Runs `work` on a worker thread while this (the user-interface) thread goes on handling every
// event, user input included: typing, scrolling and switching tabs work at once, and nothing
// typed or clicked is kept to run later. Escape pressed in `window`, or `window` closing, raises
// the flag `work` is given and ends the wait; the worker is joined before this returns (a
// request notices the flag within 100 ms). Returns false when the wait was cancelled, in which
// case whatever `work` produced is to be ignored. `work` must not touch widgets. Without a
// QApplication, or when called off its thread, `work` simply runs here.
bool WaitForNetwork(QWidget* window, const std::function<void(const CancelFlag&)>& work);

// The same, handing back what `work` returns, or nothing when the wait was cancelled.
template <typename Work>
auto WaitForNetwork(QWidget* window, Work&& work)
    -> std::optional<std::invoke_result_t<Work&, const CancelFlag&>>
requires(!std::is_void_v<std::invoke_result_t<Work&, const CancelFlag&>>) {
    using Value = std::invoke_result_t<Work&, const CancelFlag&>;
    std::optional<Value> result;
    if (!WaitForNetwork(window,
                        std::function<void(const CancelFlag&)>(
                            [&](const CancelFlag& cancel) { result.emplace(work(cancel)); })))
        return std::nullopt;
    return result;
}

} // namespace quorvel
