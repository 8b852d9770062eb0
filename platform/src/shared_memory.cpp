#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace tessary::platform {

std::string SharedMemory::objectName(std::string_view base) {
    const char* prefix = std::getenv("TESSARY_SHM_PREFIX");
    return "/" + std::string(prefix ? prefix : "") + std::string(base);
}

std::optional<SharedMemory> SharedMemory::openOrCreate(const std::string& name, size_t size) {
    bool created = true;
    int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0600);
    }
    if (fd < 0) return std::nullopt;

    // A creator that has not sized the object yet (or died before it could)
    // leaves it empty; sizing it here too is harmless, the bytes are zero.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || (size_t(info.st_size) < size && ::ftruncate(fd, off_t(size)) != 0)) {
        ::close(fd);
        return std::nullopt;
    }
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) return std::nullopt;
    return SharedMemory(static_cast<uint8_t*>(mapped), size, created, info.st_dev, info.st_ino);
}

bool SharedMemory::isNamed(const std::string& name) const {
    const int fd = ::shm_open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    struct stat info {};
    const bool same = ::fstat(fd, &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
    ::close(fd);
    return same;
}

void SharedMemory::remove(const std::string& name) { ::shm_unlink(name.c_str()); }

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      created_(other.created_),
      device_(other.device_),
      inode_(other.inode_) {}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        created_ = other.created_;
        device_ = other.device_;
        inode_ = other.inode_;
    }
    return *this;
}

SharedMemory::~SharedMemory() { release(); }

void SharedMemory::release() {
    if (data_) ::munmap(data_, size_);
    data_ = nullptr;
    size_ = 0;
}

}  // namespace tessary::platform
