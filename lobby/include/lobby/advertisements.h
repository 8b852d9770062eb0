// The publicity panel without its window: the advertisements the Router
// sent, the rotation through the downloaded ones, and the cache folder "Pub"
// that a worker thread fills from the FTP server.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace tessary::lobby {

struct Advertisement {
    std::string host, user, password;
    std::string directory, fileName, link;
    int32_t displayMilliseconds = 0;
};

// The list in answer order with one downloaded flag each; the worker sets the
// flags, the user-interface thread reads them (and clears one whose picture
// cannot be loaded).
class AdvertisementList {
public:
    explicit AdvertisementList(std::vector<Advertisement> ads);

    [[nodiscard]] size_t size() const { return ads_.size(); }
    [[nodiscard]] bool empty() const { return ads_.empty(); }
    [[nodiscard]] const Advertisement& at(size_t i) const { return ads_[i]; }
    [[nodiscard]] bool downloaded(size_t i) const { return flags_[i].load(std::memory_order_acquire); }
    void setDownloaded(size_t i, bool value) { flags_[i].store(value, std::memory_order_release); }

private:
    std::vector<Advertisement> ads_;
    std::unique_ptr<std::atomic<bool>[]> flags_;
};

// One step of the rotation timer.
struct RotationStep {
    bool stop = false;  // nothing else to show: the timer ends
    int shown = -1;     // the advertisement now shown
    int32_t delayMilliseconds = 0;
};

// The rotation: the next downloaded advertisement after the one shown,
// wrapping; coming back to the one shown stops it. `loadPicture` shows the
// cached file and says whether it could; an unloadable file is deleted and its
// advertisement counts as not downloaded.
class AdRotation {
public:
    using PictureLoader = std::function<bool(const std::filesystem::path&)>;

    AdRotation(AdvertisementList& list, std::filesystem::path cacheFolder);

    [[nodiscard]] RotationStep step(const PictureLoader& loadPicture);
    [[nodiscard]] int shown() const { return shown_; }
    [[nodiscard]] const std::filesystem::path& cacheFolder() const { return folder_; }

private:
    AdvertisementList& list_;
    std::filesystem::path folder_;
    int shown_ = -1;
};

// The cache worker: marks cached advertisements downloaded at once, fetches
// the missing ones, removes cached files nobody uses. `onAvailable` runs on
// the worker's thread whenever an advertisement becomes showable. Runs at the
// lowest priority; the destructor cancels and joins.
class AdCacheWorker {
public:
    AdCacheWorker(AdvertisementList& list, std::filesystem::path cacheFolder, std::function<void()> onAvailable);
    ~AdCacheWorker();
    AdCacheWorker(const AdCacheWorker&) = delete;
    AdCacheWorker& operator=(const AdCacheWorker&) = delete;

    void start();
    void join();
    // The whole run on the caller's thread (start() runs it on the worker).
    void run();

    static constexpr uint64_t kMaxPictureBytes = 4u << 20;

private:
    AdvertisementList& list_;
    std::filesystem::path folder_;
    std::function<void()> onAvailable_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tessary::lobby
