#include "sound_player.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tessary::poker {
namespace {

// The generated sounds share one format, so the device opens with it.
TEST(SoundPlayer, OpensADummyDeviceForTheGeneratedSounds) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player(std::string(POKER_PICTURES_DIR) + "/../sound");
    EXPECT_TRUE(player.hasDevice());
    player.setEnabled(false);
    EXPECT_FALSE(player.enabled());
}

TEST(SoundPlayer, WithoutFilesOpensNoDevice) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundPlayer player("/nonexistent/poker/sound");
    EXPECT_FALSE(player.hasDevice());
}

}  // namespace
}  // namespace tessary::poker
