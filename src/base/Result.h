#pragma once

#include <cstdio>
#include <cstdlib>
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

    // Reading the value of an error, or the error of a value, is a bug in the caller: it stops
    // the program with a message that says which, instead of an anonymous exception.
    const T& value() const& { return std::get<T>(checkedValue()); }
    T& value() & { return std::get<T>(checkedValue()); }
    T&& value() && { return std::get<T>(std::move(checkedValue())); }

    const std::string& error() const {
        if (ok()) {
            misuse("Result::error() called on a value");
        }
        return std::get<Error>(state_).message;
    }

private:
    std::variant<T, Error>& checkedValue() const {
        if (!ok()) {
            misuse("Result::value() called on an error: " + std::get<Error>(state_).message);
        }
        return const_cast<std::variant<T, Error>&>(state_);
    }
    [[noreturn]] static void misuse(const std::string& what) {
        std::fprintf(stderr, "Panemark: programming error: %s\n", what.c_str());
        std::abort();
    }

    std::variant<T, Error> state_;
};

} // namespace panemark
