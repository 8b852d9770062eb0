// A lobby application directory in a temporary folder: settings, texts,
// fonts, countries and every picture the lobby's windows load, drawn plainly
// with their names so screenshots show what is where.
#pragma once

#include <filesystem>
#include <string>

#include "lobby/user_info.h"

namespace tessary::lobby::testing {

class TestAppDirectory {
public:
    // `routerPort`: the port CONFIG.INI names for the Router on 127.0.0.1.
    explicit TestAppDirectory(int routerPort = 7000, LoginPair userInfo = {"DUMMY", "DUMMY"});
    ~TestAppDirectory();
    TestAppDirectory(const TestAppDirectory&) = delete;
    TestAppDirectory& operator=(const TestAppDirectory&) = delete;

    // With a trailing "/".
    std::string path() const { return root_.string() + "/"; }
    // Makes the skin environment point at this directory (and its texts).
    void activate() const;

private:
    void writeSettings(int routerPort, const LoginPair& userInfo) const;
    void writeTexts() const;
    void writePictures() const;
    void writeButton(const std::string& name, int count, const std::string& folder = "data/default/button/") const;
    void writeFile(const std::string& relative, const std::string& bytes) const;

    std::filesystem::path root_;
};

}  // namespace tessary::lobby::testing
