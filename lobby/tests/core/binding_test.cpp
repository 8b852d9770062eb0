#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "lobby/client_exports.h"
#include "lobby/dispatch_table.h"
#include "lobby/library_binding.h"

namespace tessary::lobby {
namespace {

const char* missingExportLibrary() {
    const char* path = std::getenv("TESSARY_TEST_CLIENT_MISSING");
    return path != nullptr ? path : "";
}

TEST(ClientExports, SeventyThreeDistinctNames) {
    for (std::size_t i = 0; i < kClientExportNames.size(); ++i) {
        for (std::size_t j = i + 1; j < kClientExportNames.size(); ++j) {
            EXPECT_NE(kClientExportNames[i], kClientExportNames[j]);
        }
    }
    EXPECT_EQ(kClientExportNames.front(), "TS_ConnectToHost");
    EXPECT_EQ(kClientExportNames.back(), "TS_FreeSharedMemory");
}

TEST(LibraryBinding, FirstMissingExportFailsTheBinding) {
    SharedLibrary library;
    std::vector<void*> slots(kClientExportNames.size(), nullptr);
    const auto result = library.bind(missingExportLibrary(), kClientExportNames, slots);
    EXPECT_FALSE(result.bound);
    EXPECT_EQ(result.missingExport, "TS_FreeSharedMemory");
    EXPECT_NE(slots[71], nullptr);  // the names before it were found
    EXPECT_FALSE(library.loaded());
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
    std::vector<void*> slots(kClientExportNames.size(), nullptr);
    const auto result = library.bind("/nonexistent/libTSClient.so", kClientExportNames, slots);
    EXPECT_FALSE(result.bound);
    EXPECT_TRUE(result.missingExport.empty());
    EXPECT_FALSE(result.error.empty());
}

TEST(DispatchTable, RoutesEveryKnownTypeOnceAndIgnoresTheRest) {
    for (std::size_t i = 0; i < kDispatchTable.size(); ++i) {
        for (std::size_t j = i + 1; j < kDispatchTable.size(); ++j) {
            EXPECT_NE(kDispatchTable[i].type, kDispatchTable[j].type);
        }
    }
    struct Row {
        int32_t type;
        Route route;
    };
    const Row rows[] = {
        {-1, Route::ConnectionLost},     {1, Route::AccountCreationAnswer},
        {4, Route::JoinArenaAnswer},     {26, Route::AccountInfo},
        {61, Route::UrgentMessage},      {201, Route::ModifyAccountAnswer},
        {204, Route::VersionCheck},      {206, Route::RouterLoginAnswer},
        {208, Route::ArenaLoginAnswer},  {18, Route::Deferred},
        {205, Route::Deferred},          {207, Route::Deferred},
    };
    for (const auto& row : rows) {
        const auto* entry = findDispatch(row.type);
        ASSERT_NE(entry, nullptr) << row.type;
        EXPECT_EQ(entry->route, row.route) << row.type;
    }
    for (int32_t ignored : {0, 2, 23, 47, 48, 90, 203, 209, 255}) {
        EXPECT_EQ(findDispatch(ignored), nullptr) << ignored;
    }
}

}  // namespace
}  // namespace tessary::lobby
