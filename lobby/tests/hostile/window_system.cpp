#include "window_system.h"

#include <poll.h>
#include <unistd.h>
#include <signal.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

#include "platform/process.h"

namespace tessary::lobby::testing {

namespace {

using Clock = std::chrono::steady_clock;

template <class Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

std::string propertyText(xcb_connection_t* c, uint32_t window, uint32_t property, uint32_t type) {
    ReplyPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr), &std::free);
    if (!reply || reply->format != 8) return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<size_t>(xcb_get_property_value_length(reply.get())));
}

std::optional<uint32_t> propertyCardinal(xcb_connection_t* c, uint32_t window, uint32_t property) {
    ReplyPointer<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_CARDINAL, 0, 1), nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) return std::nullopt;
    return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

std::string findInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return name;
}

}  // namespace

WindowSystem::WindowSystem() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        return;
    }
    connection_ = c;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    root_ = screen->root;
    screenWidth_ = screen->width_in_pixels;
    screenHeight_ = screen->height_in_pixels;
    // The program answers a ping on the root window, as it answers a window manager.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
}

WindowSystem::~WindowSystem() {
    if (connection_ != nullptr) xcb_disconnect(connection_);
}

uint32_t WindowSystem::atom(const char* name) {
    ReplyPointer<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, uint16_t(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : 0;
}

std::vector<TopWindow> WindowSystem::windowsOf(pid_t pid) {
    std::vector<TopWindow> found;
    if (!connected()) return found;
    const uint32_t pidAtom = atom("_NET_WM_PID");
    const uint32_t nameAtom = atom("_NET_WM_NAME");
    const uint32_t utf8 = atom("UTF8_STRING");
    ReplyPointer<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr), &std::free);
    if (!tree) return found;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const auto owner = propertyCardinal(connection_, children[i], pidAtom);
        if (!owner || *owner != uint32_t(pid)) continue;
        ReplyPointer<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, children[i]),
                                            nullptr),
            &std::free);
        TopWindow window;
        window.id = children[i];
        window.title = propertyText(connection_, children[i], nameAtom, utf8);
        if (window.title.empty()) window.title = propertyText(connection_, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        window.mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        ReplyPointer<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, children[i]), nullptr), &std::free);
        if (geometry) window.width = geometry->width, window.height = geometry->height;
        found.push_back(std::move(window));
    }
    return found;
}

std::optional<TopWindow> WindowSystem::waitForWindow(pid_t pid, const std::string& title,
                                                     std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    do {
        for (const TopWindow& window : windowsOf(pid)) {
            if (window.mapped && window.title == title) return window;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (Clock::now() < deadline);
    return std::nullopt;
}

std::optional<std::chrono::microseconds> WindowSystem::ping(uint32_t window, std::chrono::milliseconds limit) {
    if (!connected()) return std::nullopt;
    const uint32_t protocols = atom("WM_PROTOCOLS");
    const uint32_t pingAtom = atom("_NET_WM_PING");
    const uint32_t token = 0x7E000000u | ++serial_;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = protocols;
    message.data.data32[0] = pingAtom;
    message.data.data32[1] = token;  // stands for the timestamp, matched in the reply
    message.data.data32[2] = window;
    const auto sent = Clock::now();
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);

    const auto deadline = sent + limit;
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
            if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) continue;
            const auto* reply = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (reply->window == root_ && reply->data.data32[0] == pingAtom && reply->data.data32[1] == token) {
                return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - sent);
            }
        }
        if (xcb_connection_has_error(connection_) != 0) return std::nullopt;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        ::poll(&fd, 1, int(std::max<int64_t>(1, left.count())));
    }
    return std::nullopt;
}

bool runTool(const std::string& name, const std::vector<std::string>& arguments, std::chrono::milliseconds limit) {
    std::vector<std::string> argv{name};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const auto child = platform::spawnProgram(findInPath(name), argv);
    if (!child) return false;
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (::waitpid(*child, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            ::kill(*child, SIGKILL);
            ::waitpid(*child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tessary::lobby::testing
