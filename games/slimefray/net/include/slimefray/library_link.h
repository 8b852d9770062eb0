// GameLink over the loaded game library. The library's callbacks carry no
// context, so one LibraryLink at a time listens for the process.
#pragma once

#include "slimefray/game_library.h"
#include "slimefray/game_link.h"

namespace tessary::slimefray {

class LibraryLink : public GameLink {
public:
    // REQUIRES: `library` is loaded and outlives the link.
    explicit LibraryLink(const GameLibrary& library) : e_(library.exports()) {}
    ~LibraryLink() override;

    int32_t initialise(const std::string& gameName, int32_t window) override;
    void listen(LinkListener& listener, const std::vector<uint8_t>& types) override;
    int32_t startInterface() override { return e_.TS_StartTessaryInterface(); }
    int32_t isGameAllowed(std::string& name, std::string& extra) override;
    int32_t connect() override { return e_.TS_ConnectGame(); }
    int32_t registration(const std::string& name) override { return e_.TS_Registration(name.c_str()); }
    int32_t engine() override { return e_.TS_Engine(); }
    std::string playerName(uint16_t id) override;
    int32_t sendToServer(uint8_t type, std::span<const uint8_t> body) override;
    int32_t sendToAllWithEcho(uint8_t type, std::span<const uint8_t> body) override;
    int32_t disconnect() override { return e_.TS_DisconnectFromGame(); }
    int32_t informFinished(const std::string& result) override {
        return e_.TS_InformInterfaceGameFinished(result.c_str());
    }
    int32_t release() override { return e_.TS_Free(); }

private:
    const tsgame::Exports& e_;
};

}  // namespace tessary::slimefray
