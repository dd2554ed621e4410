#pragma once
// A value or the one-line reason it could not be had: what every fallible operation returns.

#include <QString>

#include <optional>
#include <utility>
#include <variant>

namespace quorvel {

struct Error {
    QString message;
};

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(state_); }
    T& value() & { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    // Empty for a success.
    QString error() const { return ok() ? QString() : std::get<Error>(state_).message; }

private:
    std::variant<T, Error> state_;
};

struct Done {};
using Status = Result<Done>;
inline Status Success() {
    return Done{};
}
inline Error Failure(QString message) {
    return Error{std::move(message)};
}

} // namespace quorvel
