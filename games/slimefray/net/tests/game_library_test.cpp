#include "slimefray/game_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

#include "platform/testing/test_objects.h"
#include "slimefray/library_link.h"

namespace tessary::slimefray {
namespace {

namespace fs = std::filesystem;

TEST(GameLibrary, BindsEveryExportFromTheLobbyDirectory) {
    GameLibrary library;
    ASSERT_TRUE(library.load(fs::path(FAKE_TSGAME_COMPLETE)));
    const auto& e = library.exports();
    EXPECT_NE(e.TS_Initialisation, nullptr);
    EXPECT_NE(e.TS_InformInterfaceGameFinished, nullptr);
    EXPECT_EQ(e.TS_StartTessaryInterface(), -18);
    EXPECT_FALSE(library.load(fs::path(FAKE_TSGAME_COMPLETE)));  // once only
}

TEST(GameLibrary, RefusesALibraryWithAnExportMissing) {
    GameLibrary library;
    EXPECT_FALSE(library.load(fs::path(FAKE_TSGAME_INCOMPLETE)));
    EXPECT_EQ(library.missing(), "TS_GetServerTime");
}

TEST(GameLibrary, FailsWhenNoLibraryCanBeFound) {
    GameLibrary library;
    EXPECT_FALSE(library.load(fs::path("/nonexistent")));
    EXPECT_FALSE(library.load(std::nullopt));
}

struct Listener : LinkListener {
    void ownId(uint16_t id, uint16_t, uint16_t second) override { ids.push_back({id, second}); }
    void newPlayer(uint16_t, const std::string&) override {}
    void playerLeft(uint16_t) override {}
    void newMaster(uint16_t) override {}
    void disconnected() override {}
    void message(uint16_t sender, uint8_t type, std::span<const uint8_t> body) override {
        ASSERT_EQ(body.size(), 1u);
        EXPECT_EQ(body[0], type);  // the fake sends each type its own number
        EXPECT_EQ(sender, 9);
        types.push_back(type);
    }
    std::vector<std::pair<uint16_t, uint16_t>> ids;
    std::vector<uint8_t> types;
};

TEST(LibraryLink, EachTypeReachesItsOwnHandlerAndSendsUseTheStream) {
    GameLibrary library;
    ASSERT_TRUE(library.load(fs::path(FAKE_TSGAME_COMPLETE)));
    LibraryLink link(library);
    Listener listener;
    link.listen(listener, {1, 11, 30, 200, 201});
    link.engine();
    EXPECT_EQ(listener.types, (std::vector<uint8_t>{1, 11, 30, 200}));
    EXPECT_EQ(listener.ids, (std::vector<std::pair<uint16_t, uint16_t>>{{5, 3}}));
    EXPECT_EQ(link.playerName(9), "nine");
    std::string name, extra;
    EXPECT_EQ(link.isGameAllowed(name, extra), 1);
    EXPECT_EQ(name, "bob");
    EXPECT_EQ(extra, "0 45 Meadow Arena 1");

    void* handle = dlopen((fs::path(FAKE_TSGAME_COMPLETE) / "libTSGame.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    auto lastSent = reinterpret_cast<int32_t (*)(int32_t*, int32_t*)>(dlsym(handle, "fake_last_sent"));
    int32_t mode = 0, length = 0;
    uint8_t body[96] = {};
    link.sendToServer(16, body);
    EXPECT_EQ(lastSent(&mode, &length), 16);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(length, 96);
    link.sendToAllWithEcho(1, std::span(body).first(10));
    EXPECT_EQ(lastSent(&mode, &length), 1001);
    EXPECT_EQ(length, 10);
    dlclose(handle);
}

TEST(Registry, ReadsTheLobbyDirectoryFromItsSection) {
    const platform::testing::TempFolder folder("slimefray-registry-");  // the file and its lock
    const fs::path file = folder.path() / "registry.ini";
    std::ofstream(file) << "[SOFTWARE\\Quillon\\Tessary Games\\SLIMEFRAY]\nDirectory=/wrong\n"
                        << "[SOFTWARE\\Quillon\\Tessary Client]\r\n  Directory = /opt/tessary \r\n";
    EXPECT_EQ(readRegistryValue(file, "SOFTWARE\\Quillon\\Tessary Client", "Directory"), "/opt/tessary");
    EXPECT_EQ(readRegistryValue(file, "SOFTWARE\\Quillon\\Tessary Client", "Other"), std::nullopt);
    EXPECT_EQ(readRegistryValue(file / "missing", "x", "y"), std::nullopt);
    ::setenv("TESSARY_REGISTRY", file.c_str(), 1);
    EXPECT_EQ(lobbyDirectoryFromRegistry(), fs::path("/opt/tessary"));
    ::unsetenv("TESSARY_REGISTRY");
}

}  // namespace
}  // namespace tessary::slimefray
