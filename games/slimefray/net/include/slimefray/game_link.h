// The game library as the game uses it, behind an interface so that the model
// and its network play run in tests without the library or a window.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessary::slimefray {

// Notifications the library delivers from inside engine().
class LinkListener {
public:
    virtual ~LinkListener() = default;
    virtual void ownId(uint16_t id, uint16_t first, uint16_t second) = 0;
    virtual void newPlayer(uint16_t id, const std::string& name) = 0;
    virtual void playerLeft(uint16_t id) = 0;
    virtual void newMaster(uint16_t id) = 0;
    virtual void disconnected() = 0;
    virtual void message(uint16_t sender, uint8_t type, std::span<const uint8_t> body) = 0;
};

class GameLink {
public:
    virtual ~GameLink() = default;

    // Results are the library's codes (1 success, negative failures).
    virtual int32_t initialise(const std::string& gameName, int32_t window) = 0;
    // Installs the five notification handlers and one handler per message type.
    virtual void listen(LinkListener& listener, const std::vector<uint8_t>& types) = 0;
    virtual int32_t startInterface() = 0;
    virtual int32_t isGameAllowed(std::string& name, std::string& extra) = 0;
    virtual int32_t connect() = 0;
    virtual int32_t registration(const std::string& name) = 0;
    virtual int32_t engine() = 0;
    virtual std::string playerName(uint16_t id) = 0;
    virtual int32_t sendToServer(uint8_t type, std::span<const uint8_t> body) = 0;
    virtual int32_t sendToAllWithEcho(uint8_t type, std::span<const uint8_t> body) = 0;
    virtual int32_t disconnect() = 0;
    virtual int32_t informFinished(const std::string& result) = 0;
    virtual int32_t release() = 0;
};

}  // namespace tessary::slimefray
