// Feeds arbitrary bytes to a connection's request handling in each role:
// either as a raw byte stream through the frame reader, or as a series of
// well-framed messages whose bodies come from the input (so the handlers'
// body checks are reached), or as datagrams to the game server.
#include <asio.hpp>
#include <cstdint>
#include <ctime>
#include <memory>

#include "../tests/fake_link.h"
#include "arena.h"
#include "frame_reader.h"
#include "game_server.h"
#include "log.h"
#include "platform/diag.h"
#include "router.h"
#include "server/events.h"
#include "server/storage.h"

using namespace tessary::server;
using namespace tessary::protocol;

namespace {

struct World {
    asio::io_context io;
    LocalEventBus bus;
    std::unique_ptr<Router> router;
    std::unique_ptr<Arena> arena;
    std::unique_ptr<GameServer> game;
    uint64_t nextLink = 1;

    World() {
        setLogSink([](std::string_view) {});
        tessary::platform::setDiagSink([](std::string_view) {});
        Limits limits = Limits::defaults();
        limits.sessionsPerArena = 8;

        RouterSettings routerSettings;
        routerSettings.config = *Config::embeddedDefault().router;
        routerSettings.arenas = {{"Arena 1", "127.0.0.1", 7001, -1, 50}};
        routerSettings.limits = limits;
        routerSettings.passwordCost = PasswordCost::minimal();
        routerSettings.hashInline = true;
        router = std::make_unique<Router>(io, routerSettings, openSqliteStorage(":memory:"), bus);

        ArenaConfig arenaConfig = Config::embeddedDefault().arenas[0];
        arenaConfig.playerLimit = 50;
        auto arenaStorage = openSqliteStorage(":memory:");
        // Let "Ann" in from the fuzzer's address whenever she asks.
        arenaStorage->grantAdmission("Arena 1", "Ann", "127.0.0.1", INT64_MAX);
        arena = std::make_unique<Arena>(io, ArenaSettings{arenaConfig, "127.0.0.1", 7010, limits},
                                        std::move(arenaStorage), bus);

        auto gameStorage = openSqliteStorage(":memory:");
        gameStorage->announceGameSession({"F#1", "POKER", "Arena 1", "Fuzz", 2, int64_t(std::time(nullptr)),
                                          {{"Ann", "127.0.0.1", false}, {"Bob", "127.0.0.1", true}}, ""});
        game = std::make_unique<GameServer>(io, GameServerSettings{limits}, std::move(gameStorage), bus,
                                            GameLogicRegistry{});
    }

    LinkHandler& role(uint8_t selector) {
        switch (selector % 3) {
            case 0: return *router;
            case 1: return *arena;
            default: return *game;
        }
    }
};

World& world() {
    static World w;
    return w;
}

// Reads a length-prefixed chunk; an empty span at the end.
std::span<const uint8_t> chunk(const uint8_t*& data, size_t& size) {
    if (size == 0) return {};
    const size_t length = std::min<size_t>(data[0], size - 1);
    std::span<const uint8_t> out(data + 1, length);
    data += length + 1;
    size -= length + 1;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    World& w = world();
    const uint8_t mode = data[0];
    ++data;
    --size;
    LinkHandler& handler = w.role(mode);
    auto link = std::make_shared<FakeLink>(w.nextLink++);
    handler.linkOpened(link);

    switch ((mode >> 2) % 3) {
        case 0: {  // a byte stream, cut by the frame reader, in pieces
            FrameReader reader(64 * 1024);
            while (size > 0 && link->isOpen()) {
                const auto piece = chunk(data, size);
                reader.append(piece.data(), piece.size());
                Message message;
                std::string reason;
                FrameReader::Result result = FrameReader::Result::NeedMore;
                while (link->isOpen() && (result = reader.next(message, reason)) == FrameReader::Result::Message)
                    handler.messageReceived(link, message);
                if (result == FrameReader::Result::Error) link->close(reason);
            }
            break;
        }
        case 1: {  // framed messages: [type, kind/flags, body bytes...]
            while (size >= 2 && link->isOpen()) {
                const uint8_t type = data[0];
                const uint8_t shape = data[1];
                data += 2;
                size -= 2;
                const auto body = chunk(data, size);
                Message message;
                if (shape & 1) {
                    message = RawMessage{uint8_t(shape >> 1), 0, uint16_t(type), Bytes(body.begin(), body.end())};
                } else {
                    auto parsed = parseBody(body);
                    if (!parsed) continue;
                    ServiceMessage structured;
                    structured.type = type;
                    structured.body = std::move(*parsed);
                    message = structured;
                }
                handler.messageReceived(link, message);
            }
            break;
        }
        default: {  // datagrams to the game server from a registered player's address
            Bytes registration{EVENT_REGISTER, 'A', 'n', 'n'};
            registration.resize(17);
            Message message = RawMessage{SENDTOSERVER, 0, 0, registration};
            w.game->messageReceived(link, message);
            uint16_t id = 0;
            for (const Message& sent : link->take())
                if (auto* raw = std::get_if<RawMessage>(&sent); raw && raw->payload.size() == 7 && raw->payload[0] == EVENT_OWNID)
                    id = uint16_t(raw->payload[1] | raw->payload[2] << 8);
            const asio::ip::udp::endpoint from(asio::ip::make_address("127.0.0.1"), 40001);
            while (size > 0) {
                const auto piece = chunk(data, size);
                Bytes datagram(piece.begin(), piece.end());
                if (datagram.size() >= kRawHeaderSize) {  // speak with the registered id
                    datagram[5] = uint8_t(id);
                    datagram[6] = uint8_t(id >> 8);
                }
                w.game->datagramReceived(datagram, from);
            }
            break;
        }
    }
    handler.linkClosed(link);
    w.arena->tick(Arena::Clock::now());
    w.game->tick(GameServer::Clock::now());
    w.io.poll();
    w.io.restart();
    return 0;
}
