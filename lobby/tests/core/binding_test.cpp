#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "lobby/client_api.h"
#include "lobby/dispatch_table.h"
#include "lobby/lobby.h"
#include "../support/recording_view.h"

namespace tessary::lobby {
namespace {

using platform::SharedLibrary;

const char* missingExportLibrary() {
    const char* path = std::getenv("TESSARY_TEST_CLIENT_MISSING");
    return path != nullptr ? path : "";
}

TEST(ClientExports, SeventyThreeDistinctNames) {
    for (std::size_t i = 0; i < ClientApi::kExportNames.size(); ++i) {
        for (std::size_t j = i + 1; j < ClientApi::kExportNames.size(); ++j) {
            EXPECT_NE(ClientApi::kExportNames[i], ClientApi::kExportNames[j]);
        }
    }
    EXPECT_EQ(ClientApi::kExportNames.front(), "TS_ConnectToHost");
    EXPECT_EQ(ClientApi::kExportNames.back(), "TS_FreeSharedMemory");
}

TEST(LibraryBinding, FirstMissingExportFailsTheBinding) {
    SharedLibrary library;
    std::vector<void*> slots(ClientApi::kExportNames.size(), nullptr);
    const auto result = library.bind(missingExportLibrary(), ClientApi::kExportNames, slots);
    EXPECT_FALSE(result.bound);
    EXPECT_EQ(result.missingExport, "TS_FreeSharedMemory");
    EXPECT_NE(slots[71], nullptr);  // the names before it were found
    EXPECT_FALSE(library.loaded());
}

TEST(LibraryBinding, ATableIsFilledOnlyWhenEveryExportIsFound) {
    SharedLibrary library;
    ClientApi api;
    EXPECT_FALSE(library.bindTable(missingExportLibrary(), api).bound);
    EXPECT_EQ(api.TS_ConnectToHost, nullptr);
    EXPECT_EQ(api.TS_FreeSharedMemory, nullptr);
}

TEST(LibraryBinding, NamesAfterTheMissingOneAreNotLookedUp) {
    SharedLibrary library;
    const std::string_view names[] = {"TS_ConnectToHost", "NoSuchExport", "TS_GetMessageType"};
    std::vector<void*> slots(3, nullptr);
    const auto result = library.bind(missingExportLibrary(), names, slots);
    EXPECT_EQ(result.missingExport, "NoSuchExport");
    EXPECT_NE(slots[0], nullptr);
    EXPECT_EQ(slots[2], nullptr);
}

TEST(LibraryBinding, IsAttemptedOnlyOnce) {
    SharedLibrary library;
    const std::string_view names[] = {"TS_ConnectToHost"};
    std::vector<void*> slots(1, nullptr);
    EXPECT_TRUE(library.bind(missingExportLibrary(), names, slots).bound);
    EXPECT_FALSE(library.bind(missingExportLibrary(), names, slots).bound);
}

TEST(LibraryBinding, MissingLibraryFails) {
    SharedLibrary library;
    std::vector<void*> slots(ClientApi::kExportNames.size(), nullptr);
    const auto result = library.bind("/nonexistent/libTSClient.so", ClientApi::kExportNames, slots);
    EXPECT_FALSE(result.bound);
    EXPECT_TRUE(result.missingExport.empty());
    EXPECT_FALSE(result.error.empty());
}

TEST(Dispatch, EveryKnownTypeHasOneHomeAndOnlyTheBuiltOnesAreClaimed) {
    for (std::size_t i = 0; i < kMessageTypes.size(); ++i) {
        for (std::size_t j = i + 1; j < kMessageTypes.size(); ++j) {
            EXPECT_NE(kMessageTypes[i].type, kMessageTypes[j].type);
        }
    }
    testing::RecordingView view;
    Lobby lobby(ClientApi{}, view.views());
    for (int32_t claimed : {-1, 1, 4, 14, 18, 20, 24, 25, 26, 33, 36, 37, 40, 42, 43, 49, 57, 60, 61, 78, 201, 202,
                             204, 205, 206, 207, 208}) {
        EXPECT_TRUE(lobby.dispatcher().handles(claimed)) << claimed;
        ASSERT_NE(findMessageType(claimed), nullptr) << claimed;
    }
    for (int32_t dropped : {0, 2, 23, 47, 48, 90, 203, 209, 255}) {
        EXPECT_FALSE(lobby.dispatcher().handles(dropped)) << dropped;
    }
}

TEST(Dispatch, AnAnswerReleasesItsRequestBeforeItsHandlerRuns) {
    BusyCount busy;
    Dispatcher dispatcher(busy);
    bool busyInHandler = true;
    dispatcher.on(206, [&] { busyInHandler = busy.busy(); });
    EXPECT_THROW(dispatcher.on(206, [] {}), std::logic_error);
    busy.awaitAnswer(206);
    busy.awaitAnswer(1);
    dispatcher.dispatch(1);  // unclaimed: dropped, but its request is done
    EXPECT_EQ(busy.value(), 1);
    dispatcher.dispatch(206);
    EXPECT_FALSE(busyInHandler);
}

}  // namespace
}  // namespace tessary::lobby
