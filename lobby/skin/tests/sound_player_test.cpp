#include "skin/sound_player.h"

#include <chrono>

#include "skin/skin_environment.h"
#include "skin_fixture.h"

namespace tessary::skin {
namespace {

class SoundPlayerTest : public testing::SkinFixture {
protected:
    void SetUp() override {
        if (!player_.hasDevice())
            GTEST_SKIP() << "no audio device (run with SDL_AUDIODRIVER=dummy)";
        writeSound("long.wav", 600);
        writeSound("short.wav", 150);
    }

    std::filesystem::path sound(const char* name) const {
        return dir_.path() / "data/sound" / name;
    }

    SoundPlayer player_;
};

TEST_F(SoundPlayerTest, SkipWhenBusyLeavesThePlayingSound) {
    EXPECT_EQ(player_.play(sound("long.wav"), SoundWait::Async, WhenBusy::Skip),
              PlayResult::Played);
    EXPECT_TRUE(player_.isPlaying());
    EXPECT_EQ(player_.play(sound("short.wav"), SoundWait::Async, WhenBusy::Skip),
              PlayResult::SkippedBusy);
    EXPECT_EQ(player_.play(sound("short.wav"), SoundWait::Async, WhenBusy::Interrupt),
              PlayResult::Played);
    player_.stop();
    EXPECT_FALSE(player_.isPlaying());
}

TEST_F(SoundPlayerTest, SyncReturnsWhenTheSoundHasEnded) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(player_.play(sound("short.wav"), SoundWait::Sync, WhenBusy::Skip),
              PlayResult::Played);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(player_.isPlaying());
    EXPECT_GE(waited, std::chrono::milliseconds(100));
    EXPECT_LT(waited, std::chrono::milliseconds(150) + SoundPlayer::kSyncGrace);
}

TEST_F(SoundPlayerTest, UnreadableFilesAreNotPlayed) {
    dir_.write("data/sound/broken.wav", "RIFF but nothing else");
    EXPECT_EQ(player_.play(sound("absent.wav"), SoundWait::Async, WhenBusy::Skip),
              PlayResult::CannotLoad);
    EXPECT_EQ(player_.play(sound("broken.wav"), SoundWait::Sync, WhenBusy::Skip),
              PlayResult::CannotLoad);
    EXPECT_FALSE(player_.isPlaying());
}

TEST_F(SoundPlayerTest, LobbySoundsFollowTheSoundSetting) {
    skinEnvironment().sounds = &player_;
    EXPECT_EQ(playLobbySound("long.wav", SoundWait::Async, WhenBusy::Skip), PlayResult::SoundsOff);
    EXPECT_FALSE(player_.isPlaying());
    soundsOn_ = true;
    EXPECT_EQ(playLobbySound("long.wav", SoundWait::Async, WhenBusy::Skip), PlayResult::Played);
    EXPECT_TRUE(player_.isPlaying());
    player_.stop();
}

}  // namespace
}  // namespace tessary::skin
