// Temporary directories and small file helpers shared by the tests of the
// desktop pieces and of the skin.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessary::desktop::testing {

// A fresh directory removed again with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path write(std::string_view name, std::string_view bytes) const;
    std::filesystem::path write(std::string_view name,
                                const std::vector<std::uint8_t>& bytes) const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);

}  // namespace tessary::desktop::testing
