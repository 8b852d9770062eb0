// The shared library as a game binds it: exactly the 42 functions, nothing
// else, and sane results before TS_Initialisation.
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "library_fixture.h"

namespace tessary::gamelib::testing {
namespace {

const std::set<std::string>& exportNames() {
    static const std::set<std::string> names = {
#define TSGAME_NAME(name) #name,
        TSGAME_EXPORTS(TSGAME_NAME)
#undef TSGAME_NAME
    };
    return names;
}

TEST(Binding, TheLibraryDefinesExactlyTheFortyTwoExports) {
    ASSERT_EQ(exportNames().size(), 42u);
    FILE* nm = popen("nm -D --defined-only '" TSGAME_LIBRARY_PATH "'", "r");
    ASSERT_NE(nm, nullptr);
    std::set<std::string> defined;
    char line[1024];
    while (fgets(line, sizeof line, nm)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name) defined.insert(name);
    }
    ASSERT_EQ(pclose(nm), 0);
    EXPECT_EQ(defined, exportNames());
}

TEST(Binding, EveryNameBinds) {
    GameApi& a = api();
#define TSGAME_CHECK(name) EXPECT_NE(reinterpret_cast<void*>(a.name), nullptr) << #name;
    TSGAME_EXPORTS(TSGAME_CHECK)
#undef TSGAME_CHECK
}

void noPlayer(uint16_t, const char*) {}

TEST(Binding, BeforeInitialisationNothingHappensAndNothingBreaks) {
    GameApi& a = api();
    char name[80] = "untouched";
    char extra[80] = "untouched";
    uint32_t seconds = 7;
    int32_t milliseconds = 7;
    int32_t size = 4;
    uint16_t id = 9;
    EXPECT_EQ(a.TS_Engine(), TS_ERROR_NOT_CONNECTED);
    EXPECT_EQ(a.TS_ConnectGame(), TS_ERROR_NOT_CONNECTED);
    EXPECT_EQ(a.TS_SendMessageToServer(1, 1, nullptr, 0), TS_ERROR_NOT_CONNECTED);
    EXPECT_EQ(a.TS_IsGameAllowed(name, extra), TS_ERROR_NO_LOBBY);
    EXPECT_EQ(a.TS_StartTessaryInterface(), TS_ERROR_NO_LOBBY);
    EXPECT_EQ(a.TS_GetServerTime(&seconds, &milliseconds), TS_ERROR_NO_SERVER_TIME);
    EXPECT_EQ(a.TS_GetPlayerData(1, 1, nullptr, &size), TS_ERROR_PLAYER);
    EXPECT_EQ(a.TS_GetPlayerID("x", &id), TS_ERROR_NAME);
    EXPECT_EQ(a.TS_EnumPlayers(noPlayer), TS_ERROR_NO_CALLBACK);
    EXPECT_EQ(a.TS_InformInterfaceGameFinished("x"), TS_SUCCESS);
    EXPECT_EQ(a.TS_CloseTessaryInterface(), TS_SUCCESS);
    EXPECT_EQ(a.TS_DebugInit("127.0.0.1", 4000), TS_SUCCESS);
    EXPECT_EQ(a.TS_Free(), TS_SUCCESS);
    EXPECT_STREQ(name, "untouched");
    EXPECT_EQ(seconds, 7u);
    EXPECT_EQ(id, 9);
}

}  // namespace
}  // namespace tessary::gamelib::testing
