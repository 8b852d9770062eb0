// Helpers shared by the server tests.
#pragma once

#include <string>

#include "platform/testing/test_objects.h"

namespace tessary::server {

// A fresh directory under the system's temporary folder, removed at the end;
// its path as text, for building the service's configuration.
class TempDir {
public:
    const std::string& path() const { return path_; }

private:
    platform::testing::TempFolder folder_{"tessaryd-test-"};
    std::string path_ = folder_.path().string();
};

}  // namespace tessary::server
