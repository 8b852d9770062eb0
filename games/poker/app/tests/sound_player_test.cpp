#include "sound_player.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tessary::poker {
namespace {

TEST(SoundPlayer, PlaysEachGeneratedSoundOnADummyDevice) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player(std::string(POKER_PICTURES_DIR) + "/../sound");
    ASSERT_TRUE(player.hasDevice());
    for (Sound s : {Sound::Button, Sound::Card, Sound::Timer, Sound::Winner}) {
        player.play(s);
        EXPECT_TRUE(player.isPlaying()) << static_cast<int>(s);
    }
    player.setEnabled(false);
    EXPECT_FALSE(player.enabled());
    EXPECT_FALSE(player.isPlaying());
    player.play(Sound::Winner);
    EXPECT_FALSE(player.isPlaying());
}

TEST(SoundPlayer, WithoutFilesPlaysNothing) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player("/nonexistent/poker/sound");
    player.play(Sound::Card);
    EXPECT_FALSE(player.isPlaying());
}

}  // namespace
}  // namespace tessary::poker
