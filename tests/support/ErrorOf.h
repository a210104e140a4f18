#pragma once

#include <exception>
#include <string>
#include <utility>

// The message of the `Error` that `action` raises, or "no error". An
// exception of another type escapes and fails the test.
template <class Error = std::exception, class Action> std::string ErrorOf(Action&& action)
{
    try {
        std::forward<Action>(action)();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}
