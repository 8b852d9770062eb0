// The X display a whole-program test runs its program on (DISPLAY, an Xvfb of
// its own): the program's top-level windows, the window manager's ping that
// tells whether a program still answers its window system, and xdotool for
// keys and clicks.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace tessary::lobby::testing {

struct TopWindow {
    uint32_t id = 0;
    std::string title;
    bool mapped = false;
    int width = 0;
    int height = 0;
};

class WindowSystem {
public:
    WindowSystem();
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    bool connected() const { return connection_ != nullptr; }
    int screenWidth() const { return screenWidth_; }
    int screenHeight() const { return screenHeight_; }

    // The top-level windows whose _NET_WM_PID is `pid`.
    std::vector<TopWindow> windowsOf(pid_t pid);
    // The first mapped window of `pid` whose title is `title`, within `limit`.
    std::optional<TopWindow> waitForWindow(pid_t pid, const std::string& title, std::chrono::milliseconds limit);

    // Sends _NET_WM_PING to `window` and waits at most `limit` for the
    // program's reply on the root window; the round trip, or nothing.
    std::optional<std::chrono::microseconds> ping(uint32_t window, std::chrono::milliseconds limit);

private:
    uint32_t atom(const char* name);

    xcb_connection_t* connection_ = nullptr;
    uint32_t root_ = 0;
    uint32_t serial_ = 0;
    int screenWidth_ = 0;
    int screenHeight_ = 0;
};

// Runs the program `name` (looked up in PATH) with `arguments`, at most
// `limit`; true when it ended with status 0.
bool runTool(const std::string& name, const std::vector<std::string>& arguments,
             std::chrono::milliseconds limit = std::chrono::seconds(10));
inline bool xdotool(const std::vector<std::string>& arguments) { return runTool("xdotool", arguments); }

}  // namespace tessary::lobby::testing
