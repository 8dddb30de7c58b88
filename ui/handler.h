#pragma once

#include <ui/zdapplication.h>

#include <QString>

#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace ui {

/// Runs an event handler and shows whatever it throws in the standard error box. Exceptions
/// must not unwind through Qt's signal and event code (Qt would skip its own clean-ups, such
/// as a button's pressed state or a mouse grab), so every handler that can fail runs here.
template <typename F> void guarded(F &&handler) noexcept
{
    try {
        std::invoke(std::forward<F>(handler));
    } catch (const std::exception &e) {
        ZdApplication::reportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ZdApplication::reportError(unknownErrorText());
    }
}

/// A slot for connect() that runs the handler through guarded(); the signal's arguments are
/// passed on when the handler takes them (a handler of none may serve clicked(bool)).
template <typename F> auto handler(F f)
{
    return [f = std::move(f)](auto &&...args) {
        guarded([&] {
            if constexpr (std::is_invocable_v<const F &, decltype(args)...>)
                std::invoke(f, std::forward<decltype(args)>(args)...);
            else
                std::invoke(f);
        });
    };
}

/// A slot for connect() that calls a member function of the receiver through guarded().
template <typename T, typename R, typename... A> auto handler(T *receiver, R (T::*member)(A...))
{
    return [receiver, member](A... args) {
        guarded([&] { (receiver->*member)(args...); });
    };
}

} // namespace ui
