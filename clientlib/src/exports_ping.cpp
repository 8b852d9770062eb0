// The arena ping exports.
#include "TSClient.h"
#include "library.h"
#include "text_out.h"

using namespace tessary::clientlib;

extern "C" {

int32_t TSRouter_AddArenaPingProcessing(const char* name, const char* host) {
    return guarded(0, [&] { return Library::instance().pings().add(textIn(name), textIn(host)) ? 1 : 0; });
}

int32_t TSRouter_StopAllPingProcessings(void) {
    return guarded(1, [] {
        Library::instance().pings().stopAll();
        return 1;
    });
}

int32_t TSRouter_GetArenaPing(const char* name, int32_t* milliseconds) {
    return guarded(0, [&] {
        const auto value = Library::instance().pings().value(textIn(name));
        if (!value) return 0;
        copyInt32(*value, milliseconds);
        return 1;
    });
}

}  // extern "C"
