// The result of a music operation that reads untrusted bytes: either a value
// or one line of text naming what is wrong with the input.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

struct MusicError {
    std::string message;  // one line, e.g. "sample 3 ends at byte 9300, past the end of the module (9202 bytes)"
};

template <class T>
class MusicResult {
public:
    MusicResult(T value) : state_(std::move(value)) {}
    MusicResult(MusicError error) : state_(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }

    T& value() {
        assert(ok());
        return std::get<T>(state_);
    }
    const T& value() const {
        assert(ok());
        return std::get<T>(state_);
    }
    const MusicError& error() const {
        assert(!ok());
        return std::get<MusicError>(state_);
    }

private:
    std::variant<T, MusicError> state_;
};
