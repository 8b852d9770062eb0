// A hostile Router or Arena: the input is fed to the library's link from a
// loopback peer, and every reading export is called on each message the poll
// hands out. Every text output is a TS_TEXT_OUT_SIZE buffer followed by guard
// bytes; a reader that writes past its buffer, leaves a text without its NUL
// or copies more photo than the size it reported stops the run.
//
// Input: the first byte chooses how the rest is sent. Odd: the rest is the
// received stream as it is. Even: the rest is a list of messages, each a type
// byte, a 16-bit big-endian body size and the body unscrambled; the harness
// frames and scrambles them, so that mutations reach the readers rather than
// break the scrambling.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "TSClient.h"
#include "fuzz_support.h"
#include "platform/diag.h"
#include "platform/testing/loopback_peer.h"
#include "protocol/codec.h"

namespace {

using tessary::protocol::Bytes;

constexpr size_t kGuard = 32;
constexpr uint8_t kGuardByte = 0xA5;

// A caller-owned output buffer with guard bytes behind it.
class Out {
public:
    explicit Out(size_t size = TS_TEXT_OUT_SIZE) : size_(size), bytes_(size + kGuard, kGuardByte) {}
    char* text() { return reinterpret_cast<char*>(bytes_.data()); }
    void* data() { return bytes_.data(); }
    // The guard is whole; for a text, a NUL lies inside the buffer.
    void check(bool isText) const {
        for (size_t i = size_; i < bytes_.size(); ++i) require(bytes_[i] == kGuardByte);
        if (isText && bytes_[0] != kGuardByte) require(std::memchr(bytes_.data(), 0, size_) != nullptr);
    }
    void reset() { std::fill(bytes_.begin(), bytes_.end(), kGuardByte); }

private:
    size_t size_;
    std::vector<uint8_t> bytes_;
};

struct Outs {
    Out t[10];
    Out result{1};  // a result is one byte, not a text
    int32_t i[8];
    uint8_t b[2];
    void check() {
        for (Out& out : t) {
            out.check(true);
            out.reset();
        }
        result.check(false);
        result.reset();
    }
};

void readPhoto(int32_t (*photo)(void*), int32_t size) {
    require(size >= 0 && size <= int32_t(tessary::protocol::kMaxMessageSize));
    Out picture{static_cast<size_t>(size)};
    (void)photo(picture.data());
    picture.check(false);
}

// Every reader on the current message; the list readers until they say no
// more (each one bounded by the message's size). `fresh`: nothing has read
// this message yet.
void readEverything(Outs& o, bool fresh) {
    auto* t = o.t;
    auto* i = o.i;
    (void)TSRcv_Page(t[0].text(), t[1].text());
    (void)TSRcv_UrgentMessage(t[0].text());
    (void)TSRouterRcv_LoginResult(o.result.text(), t[1].text());
    (void)TSRouterRcv_AccountCreationResult(o.result.text(), t[1].text());
    (void)TSRouterRcv_ModifyAccountResult(o.result.text(), t[1].text());
    (void)TSRouterRcv_JoinArenaResult(o.result.text(), t[1].text(), &i[0], t[2].text());
    (void)TSRouterRcv_GetVersion(t[0].text(), t[1].text(), &i[0], &i[1]);
    (void)TSRouterRcv_AccountInfo(t[0].text(), t[1].text(), t[2].text(), t[3].text(), t[4].text(), t[5].text(),
                                  &o.b[0], &i[0]);
    (void)TSRouterRcv_SearchPlayerResult(o.result.text(), t[1].text(), t[2].text(), t[3].text());
    (void)TSArenaRcv_LoginResult(o.result.text(), t[1].text());
    (void)TSArenaRcv_CreateSessionResult(o.result.text(), t[1].text());
    (void)TSArenaRcv_JoinSessionResult(o.result.text(), t[1].text());
    (void)TSArenaRcv_BeginGameResult(o.result.text(), t[1].text());
    (void)TSArenaRcv_PlayerInfoResult(o.result.text(), t[1].text(), t[2].text(), t[3].text(), t[4].text(), t[5].text(),
                                      t[6].text(), t[7].text(), &o.b[0], &i[0]);
    (void)TSArenaRcv_SessionInfoResult(o.result.text(), t[1].text(), t[2].text(), t[3].text());
    (void)TSArenaRcv_SessionNew(t[0].text(), t[1].text(), &i[0], &i[1], &i[2], t[2].text());
    (void)TSArenaRcv_SessionRemoved(t[0].text());
    (void)TSArenaRcv_MasterChanged(t[0].text(), t[1].text());
    (void)TSArenaRcv_SessionState(t[0].text(), &i[0]);
    (void)TSArenaRcv_PlayerNew(t[0].text(), &i[0]);
    (void)TSArenaRcv_PlayerRemoved(t[0].text());
    (void)TSArenaRcv_PlayerJoinSession(t[0].text(), t[1].text(), &i[0]);
    (void)TSArenaRcv_PlayerLeaveSession(t[0].text(), t[1].text());
    (void)TSArenaRcv_UpdatePlayerInfo(t[0].text(), &i[0]);
    (void)TSArenaRcv_ChatAll(t[0].text(), t[1].text(), &i[0], &i[1]);
    (void)TSArenaRcv_ChatList(t[0].text(), t[1].text(), &i[0], &i[1]);
    (void)TSArenaRcv_ChatSession(t[0].text(), t[1].text(), &i[0], &i[1]);
    (void)TSArenaRcv_Ping();
    (void)TSArenaRcv_StartGame(t[0].text(), &i[0]);
    o.check();

    // Photos: nothing is copied before the size is read, then at most that.
    if (fresh) {
        Out untouched(0);
        (void)TSRouterRcv_Photo(untouched.data());
        (void)TSArenaRcv_Photo(untouched.data());
        untouched.check(false);
    }
    int32_t size = -1;
    if (TSRouterRcv_GetPhotoSize(&size)) readPhoto(TSRouterRcv_Photo, size);
    if (TSArenaRcv_GetPhotoSize(&size, t[0].text())) readPhoto(TSArenaRcv_Photo, size);
    o.check();

    while (TSRouterRcv_GetNextRouter(t[0].text(), t[1].text(), &i[0])) o.check();
    while (TSRouterRcv_GetNextArena(t[0].text(), t[1].text(), &i[0], &i[1])) o.check();
    while (TSRouterRcv_GetNextAdvertisement(t[0].text(), t[1].text(), t[2].text(), t[3].text(), t[4].text(),
                                            t[5].text(), &i[0]))
        o.check();
    while (TSRouterRcv_GetNextNews(t[0].text())) o.check();
    while (TSRouterRcv_GetNextGame(t[0].text(), t[1].text())) o.check();
    while (TSArenaRcv_GetNextGame(t[0].text(), t[1].text())) o.check();
    while (TSArenaRcv_GetNextPlayer(t[0].text(), &i[0])) o.check();
    while (TSArenaRcv_GetNextSession(t[0].text(), t[1].text(), t[2].text(), &i[0], &i[1], &i[2], &i[3], &i[4])) {
        while (TSArenaRcv_GetNextPlayerInSession(t[3].text())) o.check();
        while (TSArenaRcv_GetNextSpectatorInSession(t[3].text())) o.check();
        o.check();
    }
    o.check();
}

// Even first byte: frames built from (type, size, plain body) records.
Bytes framed(std::span<const uint8_t> records) {
    Bytes stream;
    forEachRecord(records, [&](uint8_t type, std::span<const uint8_t> body) {
        const size_t frameSize = tessary::protocol::kHeaderSize + body.size();
        const size_t start = stream.size();
        stream.resize(start + frameSize);
        uint8_t* header = stream.data() + start;
        header[0] = uint8_t(frameSize >> 16);
        header[1] = uint8_t(frameSize >> 8);
        header[2] = uint8_t(frameSize);
        header[3] = 0;
        header[4] = type;
        header[5] = uint8_t(tessary::protocol::kModuleArena << 4 | tessary::protocol::kModulePlayer);
        std::copy(body.begin(), body.end(), header + tessary::protocol::kHeaderSize);
        tessary::protocol::scrambleBody(header + tessary::protocol::kHeaderSize, body.size());
    });
    return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (tessary::platform::setDiagSink([](std::string_view) {}), true);
    (void)quiet;
    static tessary::platform::testing::LoopbackPeer peer;
    static Outs outs;
    if (size == 0) return 0;
    const Bytes stream = (data[0] & 1) ? Bytes(data + 1, data + size) : framed({data + 1, size - 1});

    // The loopback link is the harness's, not the library's: when the machine
    // cannot give one for a moment (ports, load), the input is skipped; a link
    // that never comes is a broken run.
    static int skippedInARow = 0;
    const bool linked = TS_ConnectToHost("127.0.0.1", peer.port(), 3) == 1;
    if (!linked || !peer.accept(5000) || !peer.send(stream, 5000)) {
        (void)TS_DisconnectFromHost();
        // A connection left waiting would be the one the next input's accept
        // takes, and every input after it would be sent to a dead link.
        while (peer.accept(0)) {
        }
        require(++skippedInARow < 100);
        return 0;
    }
    skippedInARow = 0;
    // Everything sent is in the socket already: the polls hand it all out
    // and then report nothing new (or the broken stream).
    for (size_t polls = 0; polls <= stream.size(); ++polls) {
        const int32_t code = TS_GetMessageType();
        if (code <= 0) break;
        readEverything(outs, true);
    }
    // The last message stays readable after the link is gone.
    (void)TS_DisconnectFromHost();
    readEverything(outs, false);
    return 0;
}
