#pragma once
// The run-time error report. Every event handler runs through runHandler(): an error stops the handler at the
// failing step (the steps before it stay done), a modal message box names it, and the program keeps running.

#include "files/runtime_error.h"
#include <functional>
#include <type_traits>
#include <utility>

class QWidget;

// Shows "Run-time error 'N':" and the error's text in a modal box titled with the product name.
void reportRuntimeError(const RuntimeError& error);

// Runs one handler; errors it raises go to the report instead of unwinding into the event loop.
template <class Handler> void runHandler(Handler&& handler) {
    try {
        std::forward<Handler>(handler)();
    } catch (const RuntimeError& error) {
        reportRuntimeError(error);
    }
}

// Wraps a member handler for connect(): guarded(this, &frm::File1_Click) runs it through runHandler(). A
// handler that takes no arguments ignores those the signal carries.
template <class Object, class Method, class... Args>
void callHandler(Object* object, Method method, Args&&... args) {
    if constexpr (std::is_invocable_v<Method, Object*, Args...>)
        std::invoke(method, object, std::forward<Args>(args)...);
    else
        std::invoke(method, object);
}

template <class Object, class Method> auto guarded(Object* object, Method method) {
    return [object, method](auto&&... args) {
        runHandler([&] { callHandler(object, method, std::forward<decltype(args)>(args)...); });
    };
}
