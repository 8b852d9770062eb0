// The connection and poll exports.
#include "TSClient.h"
#include "library.h"
#include "text_out.h"

using namespace tessary::clientlib;

extern "C" {

int32_t TS_ConnectToHost(const char* host, int32_t port, int32_t destination) {
    return guarded(0, [&] { return Library::instance().connect(textIn(host), port, destination) ? 1 : 0; });
}

int32_t TS_DisconnectFromHost(void) {
    return guarded(1, [] {
        Library::instance().disconnect();
        return 1;
    });
}

int32_t TS_GetMessageType(void) {
    return guarded(-1, [] { return Library::instance().poll(); });
}

}  // extern "C"
