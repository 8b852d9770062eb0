#include "library.h"

#include <ctime>

namespace tessary::clientlib {

Library::Library() : pings_(echo_, [] { return int64_t(std::time(nullptr)); }) {}

Library& Library::instance() {
    static Library library;
    return library;
}

}  // namespace tessary::clientlib
