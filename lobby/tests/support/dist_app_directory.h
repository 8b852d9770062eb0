// A lobby application directory in a temporary folder made from the built one
// (build/dist): its data, game catalogue and client library are linked, and
// CONFIG.INI is a copy that names the Router to use.
#pragma once

#include <filesystem>
#include <string>

#include "lobby/user_info.h"

namespace tessary::lobby::testing {

class DistAppDirectory {
public:
    // `dist`: the built application directory. Sounds are off unless
    // `soundValue` says otherwise (any integer the "SOUND" section may hold).
    DistAppDirectory(const std::filesystem::path& dist, int routerPort, int soundValue = 0);
    ~DistAppDirectory();
    DistAppDirectory(const DistAppDirectory&) = delete;
    DistAppDirectory& operator=(const DistAppDirectory&) = delete;

    // With a trailing "/".
    std::string path() const { return root_.string() + "/"; }
    const std::filesystem::path& root() const { return root_; }

    // Copies a program of the built directory here: a program finds its data
    // beside its own file, which a link would not move.
    void copyProgram(const std::filesystem::path& dist, const std::string& name) const;

    // The sections of this directory's CONFIG.INI, read the lobby's way.
    [[nodiscard]] LoginPair storedUser() const;
    [[nodiscard]] int storedSound() const;

private:
    std::filesystem::path root_;
};

}  // namespace tessary::lobby::testing
