// The C exports of the two libraries run their bodies through these: no
// exception may cross the C interface, so one that escapes (memory
// exhaustion, a broken invariant) becomes the export's failure value.
#pragma once

namespace tessary::platform {

template <class Body, class Result>
Result guarded(Result fallback, Body&& body) noexcept {
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
