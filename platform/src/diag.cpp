#include "platform/diag.h"

#include <cstdio>
#include <utility>

namespace tessary::platform {
namespace {
DiagSink& currentSink() {
    static DiagSink sink;
    return sink;
}
}  // namespace

void diag(std::string_view text) {
    if (const auto& sink = currentSink()) {
        sink(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

DiagSink setDiagSink(DiagSink sink) { return std::exchange(currentSink(), std::move(sink)); }

}  // namespace tessary::platform
