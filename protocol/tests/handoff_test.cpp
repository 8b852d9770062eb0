#include "protocol/handoff.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <atomic>
#include <memory>
#include <thread>

#include "helpers/peer_process.h"
#include "platform/named_mutex.h"
#include "platform/shared_memory.h"
#include "test_support.h"
#include "platform/testing/test_objects.h"

namespace tessary::protocol {
namespace {

using platform::SharedMemory;
using tessary::testing::PeerProcess;

// Every test gets mailbox objects of its own through the name prefix.
class HandoffTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        shm_.emplace("tessary-test-" + std::to_string(++serial) + "-");
    }
    void TearDown() override { shm_.reset(); }
    std::optional<platform::testing::ShmPrefixScope> shm_;

    // The raw bytes of the block, as another program sees them.
    SharedMemory rawBlock() {
        auto block = SharedMemory::openOrCreate(SharedMemory::objectName(kHandoffBlockName), kHandoffBlockSize);
        EXPECT_TRUE(block.has_value());
        return std::move(*block);
    }

    static uint32_t u32At(const uint8_t* at) {
        uint32_t value;
        std::memcpy(&value, at, 4);
        return value;
    }
    static int16_t countIn(const SharedMemory& block) {
        int16_t count;
        std::memcpy(&count, block.data(), 2);
        return count;
    }

    static std::string own() { return std::to_string(::getpid()); }
};

TEST_F(HandoffTest, RecordsAreLaidOutBitForBit) {
    PeerProcess peer(HANDOFF_PEER);
    ASSERT_EQ(peer.ask("open\tPOKER"), "1");
    ASSERT_EQ(peer.ask("claim"), "1");
    ASSERT_EQ(peer.ask("post\t3\tTSClient\th@4000@@ok"), "1");

    const auto block = rawBlock();
    const uint8_t* bytes = block.data();
    ASSERT_EQ(countIn(block), 2);
    EXPECT_EQ(u32At(bytes + 4), 16u);  // 8 + 4 * count
    EXPECT_EQ(u32At(bytes + 8), 16u + 1288u);

    const uint8_t* presence = bytes + 16;
    EXPECT_STREQ(reinterpret_cast<const char*>(presence), "POKER");
    EXPECT_EQ(presence[128], 0);  // recipient: all
    EXPECT_EQ(u32At(presence + 256), uint32_t(peer.pid()));
    EXPECT_EQ(presence[260], 1);
    EXPECT_EQ(presence[261], 0);

    const uint8_t* report = bytes + 16 + 1288;
    EXPECT_STREQ(reinterpret_cast<const char*>(report + 128), "TSClient");
    EXPECT_EQ(report[260], 3);
    EXPECT_STREQ(reinterpret_cast<const char*>(report + 261), "h@4000@@ok");
    for (size_t i = 5; i < 128; ++i) ASSERT_EQ(report[i], 0) << "sender padding at " << i;
    for (size_t i = 261 + 10; i < 1288; ++i) ASSERT_EQ(report[i], 0) << "text padding at " << i;
}

TEST_F(HandoffTest, ReadsARecordWrittenByHand) {
    auto block = rawBlock();
    uint8_t* bytes = block.data();
    const int16_t count = 1;
    const uint32_t offset = 12;
    std::memcpy(bytes, &count, 2);
    std::memcpy(bytes + 4, &offset, 4);
    std::strcpy(reinterpret_cast<char*>(bytes + offset), "TSClient");
    std::strcpy(reinterpret_cast<char*>(bytes + offset + 128), "POKER");
    bytes[offset + 260] = 2;
    std::strcpy(reinterpret_cast<char*>(bytes + offset + 261), "me@h@7@127.0.0.1@4000@x");

    PeerProcess peer(HANDOFF_PEER);
    ASSERT_EQ(peer.ask("open\tPOKER"), "1");
    EXPECT_EQ(peer.ask("take\t2\tTSClient\t1024\t1"), "1\tme@h@7@127.0.0.1@4000@x");
    EXPECT_EQ(peer.ask("take\t2\tTSClient\t1024\t1"), "0");
}

TEST_F(HandoffTest, ASecondCopyOfAProgramIsRefused) {
    PeerProcess peer(HANDOFF_PEER);
    ASSERT_EQ(peer.ask("open\tTSClient"), "1");
    ASSERT_EQ(peer.ask("claim"), "1");

    HandoffView view;
    EXPECT_FALSE(OpenHandoff(view, "TSClient", uint32_t(::getpid())));
    EXPECT_FALSE(view.usable());
    ASSERT_TRUE(OpenHandoff(view, "POKER", uint32_t(::getpid())));
    EXPECT_FALSE(OpenHandoff(view, "POKER", uint32_t(::getpid()))) << "already open";

    EXPECT_EQ(peer.ask("close"), "ok");
    HandoffView second;
    EXPECT_TRUE(OpenHandoff(second, "TSClient", uint32_t(::getpid())));
    EXPECT_TRUE(ClaimPresence(second));
    EXPECT_FALSE(ClaimPresence(second)) << "one presence record per program";
}

TEST_F(HandoffTest, PostingReplacesOnlyTheSameChannelAndRecipient) {
    HandoffView view;
    ASSERT_TRUE(OpenHandoff(view, "TSClient", uint32_t(::getpid())));
    ASSERT_TRUE(PostRecord(view, HandoffChannel::StartOrder, "POKER", "old"));
    ASSERT_TRUE(PostRecord(view, HandoffChannel::StartOrder, "POKER", "new"));
    ASSERT_TRUE(PostRecord(view, HandoffChannel::StartOrder, "SLIMEFRAY", "other game"));
    ASSERT_TRUE(PostRecord(view, HandoffChannel::FinishReport, "POKER", "other channel"));
    EXPECT_EQ(countIn(rawBlock()), 3);

    PeerProcess poker(HANDOFF_PEER);
    ASSERT_EQ(poker.ask("open\tPOKER"), "1");
    EXPECT_EQ(poker.ask("take\t2\tTSClient\t1024\t1"), "1\tnew");
    EXPECT_EQ(poker.ask("take\t2\tTSClient\t1024\t1"), "0") << "the record addressed to SLIMEFRAY is not POKER's";
    EXPECT_EQ(poker.ask("take\t3\tTSClient\t1024\t0"), "1\tother channel");
    EXPECT_EQ(poker.ask("take\t3\tTSClient\t1024\t0"), "1\tother channel") << "kept without removal";
}

TEST_F(HandoffTest, TextsAndNamesAreCutAndBuffersChecked) {
    HandoffView lobby;
    ASSERT_TRUE(OpenHandoff(lobby, "TSClient", uint32_t(::getpid())));
    HandoffView game;
    ASSERT_TRUE(OpenHandoff(game, std::string(300, 'G'), uint32_t(::getpid())));
    EXPECT_EQ(game.ownName(), std::string(127, 'G'));

    struct Case {
        size_t textLength;
        size_t bufferSize;
        bool taken;
        size_t lengthTaken;
    };
    const Case cases[] = {
        {1023, 1024, true, 1023},  // exactly fits
        {1023, 1023, false, 0},    // no room for the NUL
        {5000, 1024, true, 1023},  // cut when posted
        {0, 1, true, 0},
        {0, 0, false, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(PostRecord(game, HandoffChannel::FinishReport, "TSClient", std::string(c.textLength, 't')));
        const auto text = TakeRecord(lobby, HandoffChannel::FinishReport, std::string(300, 'G'), c.bufferSize, true);
        ASSERT_EQ(text.has_value(), c.taken) << c.textLength << " into " << c.bufferSize;
        if (text) {
            EXPECT_EQ(text->size(), c.lengthTaken);
        }
        if (!c.taken) {  // refused: the record stays for a bigger buffer
            EXPECT_TRUE(TakeRecord(lobby, HandoffChannel::FinishReport, std::string(127, 'G'), 4096, true));
        }
    }
}

TEST_F(HandoffTest, FindsWindowsAndOtherPrograms) {
    HandoffView lobby;
    ASSERT_TRUE(OpenHandoff(lobby, "TSClient", 0));
    EXPECT_FALSE(FirstOther(lobby));
    ASSERT_TRUE(ClaimPresence(lobby));
    EXPECT_FALSE(FirstOther(lobby)) << "only the own record";
    EXPECT_EQ(WindowOf(lobby, "POKER"), 0u);

    PeerProcess poker(HANDOFF_PEER);
    ASSERT_EQ(poker.ask("open\tPOKER"), "1");
    ASSERT_EQ(poker.ask("claim"), "1");
    EXPECT_EQ(FirstOther(lobby), "POKER");
    EXPECT_EQ(WindowOf(lobby, "POKER"), uint32_t(poker.pid()));
    EXPECT_EQ(poker.ask("first"), "1\tTSClient");
    EXPECT_EQ(poker.ask("window\tTSClient"), "0") << "the lobby gave no window handle";
}

TEST_F(HandoffTest, RecordsOfAKilledProgramAreDropped) {
    HandoffView lobby;
    ASSERT_TRUE(OpenHandoff(lobby, "TSClient", uint32_t(::getpid())));
    PeerProcess poker(HANDOFF_PEER);
    ASSERT_EQ(poker.ask("open\tPOKER"), "1");
    ASSERT_EQ(poker.ask("claim"), "1");
    ASSERT_EQ(poker.ask("post\t5\tTSClient"), "1");
    ASSERT_EQ(FirstOther(lobby), "POKER");

    ::kill(poker.pid(), SIGKILL);
    // Not reaped yet: a zombie is gone too.
    for (int i = 0; i < 200 && FirstOther(lobby); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(FirstOther(lobby));
    EXPECT_FALSE(TakeRecord(lobby, HandoffChannel::CloseRequest, "POKER", 1024, true));
    EXPECT_EQ(countIn(rawBlock()), 0) << "the dead program's records were stored away";

    PeerProcess second(HANDOFF_PEER);
    EXPECT_EQ(second.ask("open\tPOKER"), "1") << "a restarted game is not locked out";
}

TEST_F(HandoffTest, AMutexOwnerThatDiesDoesNotLockOthersOut) {
    HandoffView lobby;
    ASSERT_TRUE(OpenHandoff(lobby, "TSClient", uint32_t(::getpid())));
    {
        PeerProcess peer(HANDOFF_PEER);
        ASSERT_EQ(peer.ask("lock-and-die"), "locked");
        ASSERT_TRUE(peer.reap(std::chrono::seconds(5)));
    }
    EXPECT_TRUE(PostRecord(lobby, HandoffChannel::StartOrder, "POKER", "after"));
    PeerProcess poker(HANDOFF_PEER);
    ASSERT_EQ(poker.ask("open\tPOKER"), "1");
    EXPECT_EQ(poker.ask("take\t2\tTSClient\t1024\t1"), "1\tafter");
}

TEST_F(HandoffTest, ConcurrentChangesLoseNothing) {
    constexpr int kPerPeer = 20;
    PeerProcess a(HANDOFF_PEER);
    PeerProcess b(HANDOFF_PEER);
    ASSERT_EQ(a.ask("open\tGAMEA"), "1");
    ASSERT_EQ(b.ask("open\tGAMEB"), "1");
    a.send("burst\t" + std::to_string(kPerPeer) + "\t3\ta");
    b.send("burst\t" + std::to_string(kPerPeer) + "\t3\tb");
    EXPECT_EQ(a.receive(), std::to_string(kPerPeer));
    EXPECT_EQ(b.receive(), std::to_string(kPerPeer));

    HandoffView reader;
    ASSERT_TRUE(OpenHandoff(reader, "READER", uint32_t(::getpid())));
    EXPECT_EQ(countIn(rawBlock()), 2 * kPerPeer);
}

TEST_F(HandoffTest, AFullBlockRefusesTheStore) {
    HandoffView view;
    ASSERT_TRUE(OpenHandoff(view, "TSClient", uint32_t(::getpid())));
    for (size_t i = 0; i < kHandoffMaxRecords; ++i)
        ASSERT_TRUE(PostRecord(view, HandoffChannel::StartOrder, "G" + std::to_string(i), "x")) << i;
    EXPECT_FALSE(PostRecord(view, HandoffChannel::StartOrder, "one too many", "x"));
    EXPECT_EQ(countIn(rawBlock()), 50);
    EXPECT_TRUE(PostRecord(view, HandoffChannel::StartOrder, "G0", "replacing still fits"));
}

TEST_F(HandoffTest, ACorruptBlockReadsEmptyAndIsRepaired) {
    HandoffView view;
    ASSERT_TRUE(OpenHandoff(view, "TSClient", uint32_t(::getpid())));
    auto block = rawBlock();
    struct Corruption {
        int16_t count;
        uint32_t offset;
    };
    for (const auto& c : {Corruption{77, 12}, Corruption{-3, 12}, Corruption{1, 65000}, Corruption{1, 0}}) {
        std::memcpy(block.data(), &c.count, 2);
        std::memcpy(block.data() + 4, &c.offset, 4);
        EXPECT_FALSE(FirstOther(view)) << c.count << "/" << c.offset;
        ASSERT_TRUE(PostRecord(view, HandoffChannel::Presence, ""));
        EXPECT_EQ(countIn(block), 1);
    }
}

TEST_F(HandoffTest, AHeldMutexTimesOperationsOut) {
    HandoffView view;
    ASSERT_TRUE(OpenHandoff(view, "TSClient", uint32_t(::getpid())));
    ASSERT_TRUE(PostRecord(view, HandoffChannel::Presence, ""));
    auto mutex = platform::NamedMutex::open(SharedMemory::objectName(kHandoffMutexName));
    ASSERT_TRUE(mutex);
    // Shared with the holder thread, which is left behind rather than waited
    // for should its timed hold never return.
    struct Holder {
        explicit Holder(platform::NamedMutex m) : mutex(std::move(m)) {}
        platform::NamedMutex mutex;
        std::atomic<int> stage{0};  // 1: held, -1: not had, 2: may let go
    };
    auto shared = std::make_shared<Holder>(std::move(*mutex));
    static constexpr std::chrono::seconds kBound{10};  // two operations time out meanwhile
    std::thread holder([shared] {
        const platform::NamedMutex::Hold hold(shared->mutex, std::chrono::milliseconds(1000));
        shared->stage = hold.held() ? 1 : -1;
        (void)testing::waitUntil([&] { return shared->stage != 1; }, kBound);
    });
    if (!testing::waitUntil([&] { return shared->stage != 0; }, kBound)) {
        holder.detach();
        FAIL() << "a hold with a one-second time-out never returned";
    }
    const bool held = shared->stage == 1;
    if (held) {
        EXPECT_FALSE(PostRecord(view, HandoffChannel::StartOrder, "POKER", "lost"));
        EXPECT_FALSE(TakeRecord(view, HandoffChannel::Presence, "TSClient", 1024, false));
    }
    shared->stage = 2;
    holder.join();
    ASSERT_TRUE(held) << "the holder could not take the mutex";
    EXPECT_TRUE(TakeRecord(view, HandoffChannel::Presence, "TSClient", 1024, false));
    EXPECT_EQ(countIn(rawBlock()), 1);
}

TEST_F(HandoffTest, TheLastViewToCloseTakesTheBlockAwayUnlessARecordWaits) {
    const auto named = [] {
        return std::filesystem::exists("/dev/shm" + SharedMemory::objectName(kHandoffBlockName)) &&
               std::filesystem::exists("/dev/shm" + SharedMemory::objectName(kHandoffMutexName));
    };
    const auto gone = [] {
        return !std::filesystem::exists("/dev/shm" + SharedMemory::objectName(kHandoffBlockName)) &&
               !std::filesystem::exists("/dev/shm" + SharedMemory::objectName(kHandoffMutexName));
    };
    {
        HandoffView lobby, game;
        ASSERT_TRUE(OpenHandoff(lobby, "TSClient", 1));
        ASSERT_TRUE(ClaimPresence(lobby));
        ASSERT_TRUE(OpenHandoff(game, "POKER", 2));  // no record of its own yet
        CloseHandoff(lobby);
        EXPECT_TRUE(named()) << "another view is open";
        ASSERT_TRUE(PostRecord(game, HandoffChannel::FinishReport, "TSClient", "h@4000@"));
        CloseHandoff(game);
        EXPECT_TRUE(named()) << "the finish report waits for the lobby";
    }
    HandoffView lobby;
    ASSERT_TRUE(OpenHandoff(lobby, "TSClient", 1));
    EXPECT_EQ(TakeRecord(lobby, HandoffChannel::FinishReport, "POKER", 1024, true), "h@4000@");
    CloseHandoff(lobby);
    EXPECT_TRUE(gone());

    // A view whose objects lost their names meanwhile takes nothing away from
    // the objects that carry them now.
    ASSERT_TRUE(OpenHandoff(lobby, "TSClient", 1));
    SharedMemory::remove(SharedMemory::objectName(kHandoffBlockName));
    SharedMemory::remove(SharedMemory::objectName(kHandoffMutexName));
    HandoffView game;
    ASSERT_TRUE(OpenHandoff(game, "POKER", 2));
    ASSERT_TRUE(ClaimPresence(game));
    CloseHandoff(lobby);  // no longer named: takes nothing away
    EXPECT_TRUE(named());
    CloseHandoff(game);
    EXPECT_TRUE(gone());
}

TEST_F(HandoffTest, AnUnusableViewDoesNothing) {
    HandoffView view;
    EXPECT_FALSE(PostRecord(view, HandoffChannel::Presence, ""));
    EXPECT_FALSE(ClaimPresence(view));
    EXPECT_FALSE(TakeRecord(view, HandoffChannel::Presence, "TSClient", 1024, true));
    EXPECT_EQ(WindowOf(view, "TSClient"), 0u);
    EXPECT_FALSE(FirstOther(view));
    CloseHandoff(view);

    ::setenv("TESSARY_SHM_PREFIX", "no/such/folder/", 1);
    EXPECT_FALSE(OpenHandoff(view, "TSClient", 1));
}

}  // namespace
}  // namespace tessary::protocol
