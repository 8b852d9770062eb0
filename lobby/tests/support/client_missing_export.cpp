// Every export name of the client library as a do-nothing function; the
// linker's version script hides the last one, as a broken build would.
#include "lobby/client_exports.h"

#define TS_DEFINE_STUB(name) \
    extern "C" __attribute__((visibility("default"))) int name() { return 0; }
TS_CLIENT_EXPORTS(TS_DEFINE_STUB)
