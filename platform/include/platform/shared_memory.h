// A named shared-memory object, mapped whole: the stand-in for a named
// section backed by the paging file. It outlives the processes that use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace tessary::platform {

class SharedMemory {
public:
    // The object name for `base`: "/" + $TESSARY_SHM_PREFIX + base, so that
    // tests can run beside a real lobby without meeting its objects.
    static std::string objectName(std::string_view base);

    // Creates the object `name` (see objectName) with `size` zero bytes, or
    // opens it when it exists, and maps it read-write. `created()` tells which.
    // Nothing when it can be neither created nor mapped.
    [[nodiscard]] static std::optional<SharedMemory> openOrCreate(const std::string& name, size_t size);

    // Removes the name (mappings stay valid until unmapped); for tests and
    // clean-up tools.
    static void remove(const std::string& name);

    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;
    ~SharedMemory();

    // Whether `name` still names this object (it may have been removed, and
    // made again by somebody else, since it was opened).
    [[nodiscard]] bool isNamed(const std::string& name) const;

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool created() const { return created_; }

private:
    SharedMemory(uint8_t* data, size_t size, bool created, dev_t device, ino_t inode)
        : data_(data), size_(size), created_(created), device_(device), inode_(inode) {}
    void release();

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    bool created_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

}  // namespace tessary::platform
