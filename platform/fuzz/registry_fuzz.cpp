// Any bytes as the registry file (another program, or a person with an
// editor, may have written it): reading never crashes, and a write keeps
// every other value and reads back as written.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "fuzz_support.h"
#include "platform/registry.h"

namespace {

namespace fs = std::filesystem;
using tessary::platform::Registry;

// Every read opens the file: a few keys and names keep the run fast.
constexpr std::string_view kKeys[] = {"SOFTWARE\\Quillon\\Tessary Games\\POKER", "a", ""};
constexpr std::string_view kNames[] = {"directory", "x"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzFolder folder("fuzz-registry");
    const fs::path file = folder.path / "registry.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    Registry registry(file);
    std::optional<std::string> before[std::size(kKeys)][std::size(kNames)];
    for (size_t k = 0; k < std::size(kKeys); ++k)
        for (size_t n = 0; n < std::size(kNames); ++n) before[k][n] = registry.get(kKeys[k], kNames[n]);

    // The written value comes from the input too: its last bytes.
    const size_t valueSize = std::min<size_t>(size, 8);
    const std::string value(reinterpret_cast<const char*>(data + size - valueSize), valueSize);
    const size_t key = size % std::size(kKeys);
    const size_t name = (size / 7) % std::size(kNames);
    if (!registry.set(kKeys[key], kNames[name], value)) return 0;
    for (size_t k = 0; k < std::size(kKeys); ++k) {
        for (size_t n = 0; n < std::size(kNames); ++n) {
            const auto after = registry.get(kKeys[k], kNames[n]);
            if (k == key && n == name)
                require(after == value);
            else
                require(after == before[k][n]);
        }
    }
    return 0;
}
