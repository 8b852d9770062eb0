#include "sound_player.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tessary::poker {
namespace {

TEST(SoundPlayer, PlaysTheGeneratedSoundsOnADummyDevice) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player(std::string(POKER_PICTURES_DIR) + "/../sound");
    EXPECT_TRUE(player.hasDevice());
    for (Sound s : {Sound::Button, Sound::Card, Sound::Timer, Sound::Winner}) player.play(s);
    player.setEnabled(false);
    EXPECT_FALSE(player.enabled());
    player.play(Sound::Winner);  // silent, no effect
}

TEST(SoundPlayer, WithoutFilesIsSilent) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player("/nonexistent/poker/sound");
    EXPECT_FALSE(player.hasDevice());
    player.play(Sound::Card);
}

}  // namespace
}  // namespace tessary::poker
