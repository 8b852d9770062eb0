#include "game_library.h"

#include <gtest/gtest.h>

namespace tessary::poker {
namespace {

const std::string kFakes = POKER_FAKE_LIBRARIES_DIR;

TEST(GameLibrary, BindsAllFortyExportsFromTheLobbyDirectory) {
    GameLibrary library;
    ASSERT_EQ(library.bind(kFakes + "/complete/"), 1) << library.error();
    EXPECT_EQ(library->TS_StartTessaryInterface(), -18);
    EXPECT_EQ(library->TS_Engine(), 1);
    const auto* slots = reinterpret_cast<void* const*>(&*library);
    for (int i = 0; i < GameLibrary::kExportCount; ++i) EXPECT_NE(slots[i], nullptr) << i;
}

TEST(GameLibrary, AMissingExportFailsTheBinding) {
    GameLibrary library;
    EXPECT_EQ(library.bind(kFakes + "/incomplete/"), -1);
    EXPECT_EQ(library.error(), "missing export TS_Engine");
    EXPECT_EQ(library->TS_Initialisation, nullptr);
}

TEST(GameLibrary, TheDirectoryIsPrefixedAsItStands) {
    // No separator is inserted: without the trailing slash the file is not
    // found there, and the normal search has no libTSGame.so either.
    GameLibrary library;
    EXPECT_EQ(library.bind(kFakes + "/complete"), -1);
    EXPECT_EQ(library.bind(""), -1);
    EXPECT_FALSE(library.error().empty());
}

}  // namespace
}  // namespace tessary::poker
