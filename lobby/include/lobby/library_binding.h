// Binding a shared library's functions by name, the way the lobby takes the
// client library: all names or nothing.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace tessary::lobby {

struct BindingResult {
    bool bound{false};
    std::string missingExport;  // the first name not found (later names are not looked up)
    std::string error;          // why the library could not be loaded, or why binding failed
};

// Looks up `names` in order in the library `handle` (from dlopen) and stores
// each address in the slot of the same index. Stops at the first missing name.
// REQUIRES: addresses.size() == names.size().
[[nodiscard]] BindingResult bindExports(void* handle, std::span<const std::string_view> names,
                                        std::span<void*> addresses);

// A shared library loaded once per process. The first bind() loads the file
// and looks up the names; any later bind() reports failure, as a second
// attempt must not silently mix two libraries.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    [[nodiscard]] BindingResult bind(const std::filesystem::path& file,
                                     std::span<const std::string_view> names, std::span<void*> addresses);

    bool loaded() const { return handle_ != nullptr; }

    // Unloads the library (its functions must no longer be called).
    void unload();

private:
    void* handle_{nullptr};
    bool attempted_{false};
};

}  // namespace tessary::lobby
