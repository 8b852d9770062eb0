#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <sstream>

#include "ftp_server.h"
#include "lobby/advertisements.h"
#include "lobby/ftp_fetch.h"
#include "lobby/progress_paint.h"
#include "lobby/update_download.h"
#include "platform/testing/test_objects.h"

namespace tessary::lobby {
namespace {

namespace fs = std::filesystem;
using platform::testing::TempFolder;
using testing::FtpServer;

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

Advertisement ad(const std::string& host, const std::string& name, int32_t ms = 1000) {
    return {host, "pub", "pub", "ads", name, "https://example.org/" + name, ms};
}

// The panel's picture loader stands in: a "picture" is good when it says so.
bool goodPicture(const fs::path& path) { return readFile(path).starts_with("GOOD"); }

std::vector<int> rotate(AdRotation& rotation, int steps) {
    std::vector<int> shown;
    for (int i = 0; i < steps; ++i) {
        const auto step = rotation.step(goodPicture);
        if (step.stop) break;
        shown.push_back(step.shown);
    }
    return shown;
}

TEST(FileNames, OnlyPlainNamesBecomePaths) {
    const std::pair<const char*, bool> rows[] = {
        {"banner.jpg", true},   {"ad 2.jpeg", true},    {"", false},           {"../x.jpg", false},
        {"a/b.jpg", false},     {"a\\b.jpg", false},    {"/etc/passwd", false}, {".hidden", false},
        {"..", false},          {"x..jpg", false},      {"c:x.jpg", false},    {"a\nb", false},
    };
    for (const auto& [name, safe] : rows) EXPECT_EQ(isSafeFileName(name), safe) << name;
}

// A whole visit: two advertisements on the server, one of them cached
// already, a stale file and a partial file in the cache, and names that try
// to leave the cache folder.
TEST(AdCache, DownloadsTheMissingKeepsTheCachedAndRemovesTheUnused) {
    TempFolder temp("pub");
    writeFile(temp.path() / "server/ads/one.jpg", "GOOD one from the server");
    writeFile(temp.path() / "server/ads/two.jpg", "GOOD two from the server");
    writeFile(temp.path() / "server/ads/evil", "GOOD but outside");
    const auto cache = temp.path() / "app/Pub";
    writeFile(cache / "two.jpg", "GOOD two cached");
    writeFile(cache / "old.jpg", "GOOD no longer sent");
    writeFile(cache / ".one.jpg.part", "half");
    FtpServer server(temp.path() / "server");

    AdvertisementList list({ad(server.host(), "one.jpg", 3000), ad(server.host(), "two.jpg", 5000),
                            ad(server.host(), "../evil"), ad(server.host(), ".evil"),
                            ad(server.host(), "/tmp/evil")});
    std::atomic<int> available{0};
    AdCacheWorker worker(list, cache, [&] { ++available; });
    worker.start();
    worker.join();

    EXPECT_EQ(readFile(cache / "one.jpg"), "GOOD one from the server");
    EXPECT_EQ(readFile(cache / "two.jpg"), "GOOD two cached");
    EXPECT_FALSE(fs::exists(cache / "old.jpg"));
    EXPECT_FALSE(fs::exists(cache / ".one.jpg.part"));
    EXPECT_FALSE(fs::exists(temp.path() / "app/evil"));
    EXPECT_EQ(std::distance(fs::directory_iterator(cache), fs::directory_iterator()), 2);
    EXPECT_EQ(available.load(), 2);
    EXPECT_TRUE(list.downloaded(0));
    EXPECT_TRUE(list.downloaded(1));
    for (size_t i = 2; i < list.size(); ++i) EXPECT_FALSE(list.downloaded(i)) << i;

    AdRotation rotation(list, cache);
    std::vector<int32_t> delays;
    for (int i = 0; i < 3; ++i) delays.push_back(rotation.step(goodPicture).delayMilliseconds);
    EXPECT_EQ(rotation.shown(), 0);
    EXPECT_EQ(delays, (std::vector<int32_t>{3000, 5000, 3000}));
}

TEST(AdCache, AMissingFileOrNoServerEndsQuietlyAndTheCachedStillRotate) {
    TempFolder temp("pub");
    fs::create_directories(temp.path() / "server/ads");
    FtpServer server(temp.path() / "server");
    const auto cache = temp.path() / "Pub";
    writeFile(cache / "kept.jpg", "GOOD");
    for (const auto& host : {server.host(), testing::refusingHost()}) {
        AdvertisementList list({ad(host, "kept.jpg"), ad(host, "missing.jpg")});
        AdCacheWorker worker(list, cache, {});
        worker.run();
        EXPECT_TRUE(list.downloaded(0)) << host;
        EXPECT_FALSE(list.downloaded(1)) << host;
        EXPECT_FALSE(fs::exists(cache / "missing.jpg")) << host;
        EXPECT_FALSE(fs::exists(partialPath(cache / "missing.jpg"))) << host;
        AdRotation rotation(list, cache);
        EXPECT_EQ(rotate(rotation, 5), std::vector<int>{0}) << host;
    }
}

TEST(AdRotation, SkipsAndDeletesAndStopsWhenBackAtTheOneShown) {
    struct Row {
        const char* name;
        std::vector<std::string> files;  // "" not downloaded
        std::vector<int> shown;
    };
    const Row rows[] = {
        {"a single advertisement is shown once", {"GOOD"}, {0}},
        {"two alternate", {"GOOD", "GOOD"}, {0, 1, 0, 1, 0, 1}},
        {"not downloaded are skipped", {"", "GOOD", "", "GOOD"}, {1, 3, 1, 3, 1, 3}},
        {"a corrupt picture is skipped", {"GOOD", "corrupt", "GOOD"}, {0, 2, 0, 2, 0, 2}},
        {"only corrupt ones: nothing shown", {"corrupt", "corrupt"}, {}},
        {"nothing downloaded", {"", ""}, {}},
        {"no advertisement", {}, {}},
    };
    for (const auto& row : rows) {
        TempFolder temp("rotation");
        std::vector<Advertisement> ads;
        for (size_t i = 0; i < row.files.size(); ++i) ads.push_back(ad("h", "ad" + std::to_string(i) + ".jpg"));
        AdvertisementList list(ads);
        for (size_t i = 0; i < row.files.size(); ++i) {
            if (row.files[i].empty()) continue;
            writeFile(temp.path() / ads[i].fileName, row.files[i]);
            list.setDownloaded(i, true);
        }
        AdRotation rotation(list, temp.path());
        EXPECT_EQ(rotate(rotation, 6), row.shown) << row.name;
        for (size_t i = 0; i < row.files.size(); ++i) {
            if (row.files[i] != "corrupt") continue;
            EXPECT_FALSE(fs::exists(temp.path() / ads[i].fileName)) << row.name << ": corrupt file deleted";
            EXPECT_FALSE(list.downloaded(i)) << row.name;
        }
    }
}

struct UpdateRun {
    UpdateState state;
    std::vector<std::string> statuses;
    uint64_t received;
};

UpdateRun runUpdate(const std::string& host, int64_t announced, const fs::path& target, int cancelAfterBlocks = -1) {
    std::mutex mutex;
    std::vector<std::string> statuses;
    std::unique_ptr<UpdateDownload> download;
    download = std::make_unique<UpdateDownload>(host, "release/update.bin", announced, target, [&](uint64_t received) {
        std::lock_guard lock(mutex);
        statuses.push_back(downloadStatus(received, static_cast<uint64_t>(announced)));
        if (static_cast<int>(statuses.size()) == cancelAfterBlocks) download->cancel();
    });
    download->start();
    download->join();
    return {download->state(), statuses, download->received()};
}

TEST(UpdateDownload, ArrivesInBlocksAndIsStartableOnlyWhenComplete) {
    TempFolder temp("update");
    const std::string body = "#!/bin/sh\n" + std::string(1500 - 10, '#');
    writeFile(temp.path() / "server/release/update.bin", body);
    writeFile(temp.path() / "server/release/big.bin", std::string(200 * 1024, 'x'));
    FtpServer server(temp.path() / "server");
    const auto target = temp.path() / "app/update.exe";
    fs::create_directories(target.parent_path());

    const auto done = runUpdate(server.host(), 1500, target);
    EXPECT_EQ(done.state, UpdateState::Done);
    EXPECT_EQ(done.statuses,
              (std::vector<std::string>{"Download status:  1 / 1 Kb", "Download status:  1 / 1 Kb"}));
    EXPECT_EQ(readFile(target), body);
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IXUSR, 0u);

    struct Row {
        const char* name;
        std::string host;
        int64_t announced;
        int cancelAfter;
        UpdateState state;
    };
    const Row rows[] = {
        {"cancel after the first block", server.host(), 1500, 1, UpdateState::Cancelled},
        {"refused connection", testing::refusingHost(), 1500, -1, UpdateState::Failed},
        {"announced size beyond reason", server.host(), int64_t{5} << 30, -1, UpdateState::Failed},
        {"no size", server.host(), 0, -1, UpdateState::Failed},
    };
    for (const auto& row : rows) {
        writeFile(target, "an older updater");
        const auto run = runUpdate(row.host, row.announced, target, row.cancelAfter);
        EXPECT_EQ(run.state, row.state) << row.name;
        EXPECT_FALSE(fs::exists(target)) << row.name;
        EXPECT_FALSE(fs::exists(partialPath(target))) << row.name;
        if (row.cancelAfter > 0) {
            EXPECT_EQ(run.received, 1024u) << row.name;
        }
    }
}

TEST(UpdateDownload, AServerSendingMoreThanAnnouncedIsCutAtTheMargin) {
    TempFolder temp("update");
    writeFile(temp.path() / "server/release/update.bin", std::string(UpdateDownload::kMarginBytes + 4096, 'x'));
    FtpServer server(temp.path() / "server");
    const auto target = temp.path() / "update.exe";
    const auto run = runUpdate(server.host(), 1500, target);
    EXPECT_EQ(run.state, UpdateState::Failed);
    EXPECT_LE(run.received, 1500 + UpdateDownload::kMarginBytes);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(partialPath(target)));
}

TEST(ProgressPaint, RampBackgroundAndPercentage) {
    const Rgb black{0, 0, 0}, grey{4, 2, 0}, white{255, 255, 255}, blue{0, 0, 255};
    struct Row {
        const char* name;
        ProgressBarLook look;
        int width;
        std::vector<PaintBand> bands;
        std::string percentage;
    };
    const Row rows[] = {
        {"below the minimum: background only", {10, 100, 5, black, grey, blue, white}, 40, {{0, 40, blue}}, ""},
        {"equal colours: no ramp, background beyond", {0, 100, 50, grey, grey, blue, white}, 40, {{20, 40, blue}},
         "50%"},
        {"ramp of four steps, half filled", {0, 100, 50, black, grey, blue, white}, 40,
         {{0, 10, {0, 0, 0}}, {10, 20, {1, 0, 0}}, {20, 40, blue}}, "50%"},
        {"position beyond the maximum is clamped", {0, 100, 150, black, grey, blue, white}, 40,
         {{0, 10, {0, 0, 0}}, {10, 20, {1, 0, 0}}, {20, 30, {2, 1, 0}}, {30, 40, {3, 1, 0}}}, "100%"},
    };
    for (const auto& row : rows) {
        const auto paint = paintProgress(row.look, row.width);
        EXPECT_EQ(paint.bands, row.bands) << row.name;
        EXPECT_EQ(paint.percentage, row.percentage) << row.name;
    }
}

}  // namespace
}  // namespace tessary::lobby
