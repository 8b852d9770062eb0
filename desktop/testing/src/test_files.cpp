#include "desktop/testing/test_files.h"

#include <fstream>
#include <iterator>

namespace tessary::desktop::testing {

std::filesystem::path TempDir::write(std::string_view name, std::string_view bytes) const {
    std::filesystem::path file = path() / std::string(name);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::filesystem::path TempDir::write(std::string_view name,
                                     const std::vector<std::uint8_t>& bytes) const {
    return write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tessary::desktop::testing
