// Binding a shared library's functions by name, all names or nothing, into a
// table whose pointer types come from the functions' own declarations.
//
//   #define MY_EXPORTS(X) X(Foo_Open) X(Foo_Close)
//   struct FooApi { TESSARY_BOUND_EXPORTS(MY_EXPORTS) };
//   platform::SharedLibrary library;
//   FooApi api;
//   auto result = library.bindTable("libfoo.so", api);
//
// Each member is `decltype(&::Foo_Open)`, so a caller typing a call against the
// table and a library built from the same header cannot disagree silently.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace tessary::platform {

struct BindingResult {
    bool bound{false};
    std::string missingExport;  // the first name not found (later names are not looked up)
    std::string error;          // why the library could not be loaded, or why binding failed
};

// Looks up `names` in order in the library `handle` (from dlopen) and stores
// each address in the slot of the same index. Stops at the first missing name.
[[nodiscard]] BindingResult bindExports(void* handle, std::span<const std::string_view> names,
                                        std::span<void*> addresses);

// The function pointer of type Function at addresses[index] (POSIX lets an
// object pointer from dlsym become a function pointer).
template <typename Function>
Function functionAt(std::span<void* const> addresses, std::size_t index) {
    return reinterpret_cast<Function>(addresses[index]);
}

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
    // Loads the first of `files` that loads (a later one only when the
    // earlier cannot be opened at all), then binds as above.
    [[nodiscard]] BindingResult bind(std::span<const std::filesystem::path> files,
                                     std::span<const std::string_view> names, std::span<void*> addresses);

    // Binds every export of a table declared with TESSARY_BOUND_EXPORTS; the
    // table is left untouched unless all were found.
    template <typename Table>
    [[nodiscard]] BindingResult bindTable(const std::filesystem::path& file, Table& table) {
        std::array<void*, Table::kExportNames.size()> addresses{};
        auto result = bind(file, Table::kExportNames, addresses);
        if (result.bound) table.assign(addresses);
        return result;
    }
    template <typename Table>
    [[nodiscard]] BindingResult bindTable(std::span<const std::filesystem::path> files, Table& table) {
        std::array<void*, Table::kExportNames.size()> addresses{};
        auto result = bind(files, Table::kExportNames, addresses);
        if (result.bound) table.assign(addresses);
        return result;
    }

    bool loaded() const { return handle_ != nullptr; }

    // Unloads the library (its functions must no longer be called).
    void unload();

private:
    void* handle_{nullptr};
    bool attempted_{false};
};

}  // namespace tessary::platform

// Inside a struct: one pointer per name of LIST (an X-macro calling its
// argument once per exported function, declared at global scope), the names
// in order (kExportNames), and assign() taking addresses in that order.
#define TESSARY_BOUND_EXPORT_FIELD(name) decltype(&::name) name = nullptr;
#define TESSARY_BOUND_EXPORT_NAME(name) std::string_view{#name},
#define TESSARY_BOUND_EXPORT_TAKE(name) \
    name = ::tessary::platform::functionAt<decltype(&::name)>(addresses, next++);
#define TESSARY_BOUND_EXPORTS(LIST)                                              \
    LIST(TESSARY_BOUND_EXPORT_FIELD)                                             \
    static constexpr std::array kExportNames{LIST(TESSARY_BOUND_EXPORT_NAME)};   \
    void assign(std::span<void* const> addresses) {                              \
        if (addresses.size() != kExportNames.size()) return;                     \
        std::size_t next = 0;                                                    \
        LIST(TESSARY_BOUND_EXPORT_TAKE)                                          \
    }
