#include "lobby/own_photo.h"

#include <algorithm>
#include <cctype>

namespace tessary::lobby {

OwnPhotoCheck checkOwnPhoto(std::string_view path, std::uintmax_t sizeInBytes) {
    const auto slash = path.find_last_of("/\\");
    const auto name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    std::string extension(dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != "bmp" && extension != "gif" && extension != "jpg") return OwnPhotoCheck::WrongType;
    if (sizeInBytes > kMaxOwnPhotoBytes) return OwnPhotoCheck::TooLarge;
    return OwnPhotoCheck::Accepted;
}

std::string ownPhotoTypeText(std::string_view path) {
    return std::string(path.substr(path.size() > 4 ? path.size() - 4 : 0));
}

}  // namespace tessary::lobby
