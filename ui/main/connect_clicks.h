#pragma once
// Every window wires its buttons the same way: a click runs the handler named after the button.

#include <QAbstractButton>

#include <initializer_list>
#include <utility>

namespace quorvel {

template <typename Window>
using ClickHandler = std::pair<QAbstractButton*, void (Window::*)()>;

// Connects each button's click to its handler on `window`; the connection ends with either.
template <typename Window>
void ConnectClicks(Window* window, std::initializer_list<ClickHandler<Window>> clicks) {
    for (const auto& [button, handler] : clicks)
        QObject::connect(button, &QAbstractButton::clicked, window,
                         [window, handler = handler] { (window->*handler)(); });
}

} // namespace quorvel
