// The C exports of the two libraries run their bodies through these: no
// exception may cross the C interface, so one that escapes (memory
// exhaustion, a broken invariant) becomes the export's failure value.
#pragma once

#include <type_traits>

namespace tessary::platform {

// The export's type is the body's; the fallback may be an enumerator of the
// library's result codes.
template <class Body, class Fallback, class Result = std::invoke_result_t<Body&>>
Result guarded(Fallback fallback, Body&& body) noexcept {
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
