// The C exports of the two libraries run their bodies through these: no
// exception may cross the C interface, so one that escapes (memory
// exhaustion, a broken invariant) becomes the export's failure value.
#pragma once

namespace tessary::platform {

// Returns what `body` returns, or `fallback` converted to that type.
template <class Fallback, class Body>
auto guarded(Fallback fallback, Body&& body) noexcept -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

template <class Body>
void guardedVoid(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

}  // namespace tessary::platform
