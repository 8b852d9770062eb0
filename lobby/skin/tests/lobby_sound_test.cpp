#include <gtest/gtest.h>

#include "desktop/sound_player.h"
#include "skin/skin_environment.h"
#include "skin_fixture.h"

namespace tessary::skin {
namespace {

class LobbySoundTest : public testing::SkinFixture {};

TEST_F(LobbySoundTest, LobbySoundsFollowTheSoundSetting) {
    desktop::SoundPlayer player;
    if (!player.hasDevice()) GTEST_SKIP() << "no audio device (run with SDL_AUDIODRIVER=dummy)";
    writeSound("long.wav", 600);
    skinEnvironment().sounds = &player;
    using desktop::PlayResult, desktop::SoundWait, desktop::WhenBusy;
    EXPECT_EQ(playLobbySound("long.wav", SoundWait::Async, WhenBusy::Skip), PlayResult::SoundsOff);
    EXPECT_FALSE(player.isPlaying());
    soundsOn_ = true;
    EXPECT_EQ(playLobbySound("long.wav", SoundWait::Async, WhenBusy::Skip), PlayResult::Played);
    EXPECT_TRUE(player.isPlaying());
    player.stop();
    skinEnvironment().sounds = nullptr;
}

}  // namespace
}  // namespace tessary::skin
