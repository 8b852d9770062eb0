#include "desktop/sound_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <vector>

#include "desktop/testing/test_files.h"
#include "desktop/wave_writer.h"

namespace tessary::desktop {
namespace {

class SoundPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!player_.hasDevice())
            GTEST_SKIP() << "no audio device (run with SDL_AUDIODRIVER=dummy)";
        writeSound("long.wav", 600);
        writeSound("short.wav", 150);
    }

    void writeSound(const std::string& name, int milliseconds) const {
        const int rate = 22050;
        std::vector<std::int16_t> samples;
        for (int i = 0; i < rate * milliseconds / 1000; ++i) {
            samples.push_back(static_cast<std::int16_t>(
                8000 * std::sin(i * 2 * std::numbers::pi * 440 / rate)));
        }
        dir_.write(name, encodeWave(samples, rate));
    }

    std::filesystem::path sound(const char* name) const { return dir_.path() / name; }

    testing::TempDir dir_;
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
    dir_.write("broken.wav", "RIFF but nothing else");
    EXPECT_EQ(player_.play(sound("absent.wav"), SoundWait::Async, WhenBusy::Skip),
              PlayResult::CannotLoad);
    EXPECT_EQ(player_.play(sound("broken.wav"), SoundWait::Sync, WhenBusy::Skip),
              PlayResult::CannotLoad);
    EXPECT_FALSE(player_.isPlaying());
}

}  // namespace
}  // namespace tessary::desktop
