// A corrupt hand-off block: any bytes where the mailbox lies in shared memory
// (a program died half-way through a store, or a stranger wrote there). The
// lobby library's exports and the game library's mailbox read it; their
// outputs stay inside the caller's buffers and the game's start order inside
// the library's own fields.
//
// The block and its mutex get a private name prefix (removed at exit), so
// the run never meets a lobby or a test on the same machine.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "TSClient.h"
#include "fuzz_support.h"
#include "lobby_mailbox.h"
#include "platform/shared_memory.h"
#include "protocol/handoff.h"
#include "start_order.h"

namespace {

using namespace tessary;

constexpr size_t kGuard = 32;
constexpr uint8_t kGuardByte = 0xA5;

// A text output of `size` bytes with guard bytes behind it.
struct TextOut {
    explicit TextOut(size_t size) : size(size), bytes(size + kGuard, kGuardByte) {}
    char* text() { return bytes.data(); }
    void check() const {
        for (size_t i = size; i < bytes.size(); ++i) require(uint8_t(bytes[i]) == kGuardByte);
        if (uint8_t(bytes[0]) != kGuardByte) require(std::memchr(bytes.data(), 0, size) != nullptr);
    }
    size_t size;
    std::vector<char> bytes;
};

struct Mailboxes {
    gamelib::LobbyMailbox game;
    std::optional<platform::SharedMemory> block;

    Mailboxes() {
        const std::string prefix = "fuzz-handoff-" + std::to_string(::getpid()) + "-";
        ::setenv("TESSARY_SHM_PREFIX", prefix.c_str(), 1);
        require(TS_InitializeSharedMemory(int32_t(::getpid())) == 1);
        require(game.open("fuzzgame", uint32_t(::getpid())) == gamelib::LobbyMailbox::OpenResult::Open);
        block = platform::SharedMemory::openOrCreate(platform::SharedMemory::objectName(protocol::kHandoffBlockName),
                                                     protocol::kHandoffBlockSize);
        require(block.has_value());
    }
    ~Mailboxes() {
        game.close();
        (void)TS_FreeSharedMemory();
        platform::SharedMemory::remove(platform::SharedMemory::objectName(protocol::kHandoffBlockName));
        platform::SharedMemory::remove(platform::SharedMemory::objectName(protocol::kHandoffMutexName));
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Mailboxes mailboxes;
    uint8_t* block = mailboxes.block->data();
    std::memset(block, 0, protocol::kHandoffBlockSize);
    std::memcpy(block, data, std::min(size, protocol::kHandoffBlockSize));

    TextOut game(TS_STARTED_GAME_SIZE);
    (void)TS_GetStartedGame(game.text());
    game.check();
    TextOut report(1024), rest(1024);
    int32_t number = 0;
    (void)TS_IsGameFinished(report.text(), &number, rest.text());
    report.check();
    rest.check();
    (void)TS_IsCloseAsked();

    (void)mailboxes.game.lobbyPresent();
    if (auto order = mailboxes.game.takeStartOrder()) {
        require(order->size() < protocol::kHandoffTextSize);
        const gamelib::StartOrder parsed = gamelib::parseStartOrder(*order);
        require(!parsed.serverAddress || parsed.serverAddress->size() <= gamelib::kMaxServerAddress);
        require(parsed.reportName.size() <= gamelib::kMaxReportName);
    }
    // Writers after a corrupt block: their records must go in whole.
    (void)mailboxes.game.postFinishReport("report@1@done");
    (void)mailboxes.game.postCloseRequest();
    (void)TS_IsGameFinished(report.text(), &number, rest.text());
    report.check();
    rest.check();
    return 0;
}
