// Temporary directories and small file helpers shared by the tests of the
// desktop pieces and of the skin.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/testing/test_objects.h"

namespace tessary::desktop::testing {

// A fresh directory removed again with everything in it, with a shortcut
// for writing files into it.
class TempDir : public platform::testing::TempFolder {
public:
    TempDir() : TempFolder("tessary-desktop-") {}

    std::filesystem::path write(std::string_view name, std::string_view bytes) const;
    std::filesystem::path write(std::string_view name,
                                const std::vector<std::uint8_t>& bytes) const;
};

std::string readFile(const std::filesystem::path& file);

}  // namespace tessary::desktop::testing
