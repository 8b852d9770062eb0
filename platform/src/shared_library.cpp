#include "platform/shared_library.h"

#include <dlfcn.h>

namespace tessary::platform {

BindingResult bindExports(void* handle, std::span<const std::string_view> names,
                          std::span<void*> addresses) {
    if (handle == nullptr) return {false, {}, "library not loaded"};
    if (names.size() != addresses.size()) return {false, {}, "name and slot counts differ"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string name(names[i]);
        void* address = dlsym(handle, name.c_str());
        if (address == nullptr) return {false, name, "export not found: " + name};
        addresses[i] = address;
    }
    return {true, {}, {}};
}

SharedLibrary::~SharedLibrary() {
    unload();
}

BindingResult SharedLibrary::bind(const std::filesystem::path& file,
                                  std::span<const std::string_view> names,
                                  std::span<void*> addresses) {
    return bind(std::span<const std::filesystem::path>(&file, 1), names, addresses);
}

BindingResult SharedLibrary::bind(std::span<const std::filesystem::path> files,
                                  std::span<const std::string_view> names, std::span<void*> addresses) {
    if (attempted_) return {false, {}, "already attempted"};
    attempted_ = true;
    std::string error = "no library file to load";
    for (const std::filesystem::path& file : files) {
        handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) break;
        const char* why = dlerror();
        error = why != nullptr ? why : "cannot load " + file.string();
    }
    if (handle_ == nullptr) return {false, {}, error};
    auto result = bindExports(handle_, names, addresses);
    if (!result.bound) unload();
    return result;
}

void SharedLibrary::unload() {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
}

}  // namespace tessary::platform
