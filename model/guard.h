// The one exception guard around calls into the controller library. A
// std::exception raised inside is swallowed without a message and the guarded
// operation yields its fallback; any other exception passes through.
#pragma once

#include <cstdint>
#include <exception>
#include <utility>

// The status of a guarded call whose library raised.
inline constexpr std::uint8_t kStatusRaised = 255;

template <class T, class Body>
T guarded(T fallback, Body&& body) {
    try {
        return static_cast<T>(std::forward<Body>(body)());
    } catch (const std::exception&) {
        return fallback;
    }
}
