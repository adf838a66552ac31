#pragma once

#include <string>
#include <utility>
#include <variant>

namespace panemark {

// A recoverable failure, described in words a user can act on.
struct Error {
    std::string message;
};

// Either a value or an Error. Recoverable failures travel as values, never as exceptions
// across a service boundary or the event loop.
template <class T> class Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    const T& value() const& { return std::get<T>(state_); }
    T& value() & { return std::get<T>(state_); }
    T&& value() && { return std::get<T>(std::move(state_)); }

    const std::string& error() const { return std::get<Error>(state_).message; }

private:
    std::variant<T, Error> state_;
};

} // namespace panemark
