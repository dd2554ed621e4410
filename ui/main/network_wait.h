#pragma once
// Network requests block; the window must still repaint and move its bar while one runs.

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace quorvel {

// Runs `work` on a worker thread of its own while this (the user-interface) thread lets
// pending window messages run, user input excluded: the windows repaint and timers fire, but
// a click or a key press waits until `work` has finished. Returns when `work` has returned.
// `work` must not touch widgets; whatever it uses belongs to it alone until it returns.
// Without a QCoreApplication it simply runs `work` here.
void RunWhileWindowsPaint(const std::function<void()>& work);

// The same, handing back what `work` returns.
template <typename Work> auto RunWhileWindowsPaint(Work&& work) -> std::invoke_result_t<Work&>
requires(!std::is_void_v<std::invoke_result_t<Work&>>) {
    std::optional<std::invoke_result_t<Work&>> result;
    RunWhileWindowsPaint(std::function<void()>([&] { result.emplace(work()); }));
    return std::move(*result);
}

} // namespace quorvel
