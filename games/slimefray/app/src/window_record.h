// While the game window is open its process id lies in the runtime folder
// under the window's title, so the lobby's library can find and wake it.
#pragma once

#include <filesystem>
#include <string>

namespace tessary::slimefray {

class WindowRecord {
public:
    explicit WindowRecord(const std::string& title);
    WindowRecord(const WindowRecord&) = delete;
    WindowRecord& operator=(const WindowRecord&) = delete;
    ~WindowRecord();

    // $XDG_RUNTIME_DIR/tessary/windows, else /tmp/tessary-<uid>/windows.
    static std::filesystem::path folder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tessary::slimefray
