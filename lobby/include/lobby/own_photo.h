// The checks on a photo file the player chooses to upload.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary::lobby {

inline constexpr std::uintmax_t kMaxOwnPhotoBytes = 20'480;

enum class OwnPhotoCheck {
    Accepted,
    WrongType,  // extension (compared in lower case) not bmp, gif or jpg
    TooLarge,   // more than kMaxOwnPhotoBytes
};

OwnPhotoCheck checkOwnPhoto(std::string_view path, std::uintmax_t sizeInBytes);

// The type text sent with the photo: the path's last four characters.
std::string ownPhotoTypeText(std::string_view path);

}  // namespace tessary::lobby
