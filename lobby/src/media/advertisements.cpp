#include "lobby/advertisements.h"

#include <pthread.h>
#include <sched.h>

#include <set>
#include <system_error>

#include "lobby/ftp_fetch.h"

namespace tessary::lobby {

namespace fs = std::filesystem;

AdvertisementList::AdvertisementList(std::vector<Advertisement> ads)
    : ads_(std::move(ads)), flags_(std::make_unique<std::atomic<bool>[]>(ads_.size())) {
    for (size_t i = 0; i < ads_.size(); ++i) flags_[i].store(false);
}

AdRotation::AdRotation(AdvertisementList& list, fs::path cacheFolder)
    : list_(list), folder_(std::move(cacheFolder)) {}

RotationStep AdRotation::step(const PictureLoader& loadPicture) {
    const int count = static_cast<int>(list_.size());
    // At most one round: with nothing downloaded the rotation stops instead
    // of spinning.
    int next = shown_;
    for (int tried = 0; tried < count; ++tried) {
        next = next + 1 >= count ? 0 : next + 1;
        if (next == shown_) break;
        const auto index = static_cast<size_t>(next);
        if (!list_.downloaded(index)) continue;
        const auto path = folder_ / list_.at(index).fileName;
        if (loadPicture(path)) {
            shown_ = next;
            return {false, shown_, list_.at(index).displayMilliseconds};
        }
        std::error_code ignored;
        fs::remove(path, ignored);
        list_.setDownloaded(index, false);
    }
    return {true, shown_, 0};
}

AdCacheWorker::AdCacheWorker(AdvertisementList& list, fs::path cacheFolder, std::function<void()> onAvailable)
    : list_(list), folder_(std::move(cacheFolder)), onAvailable_(std::move(onAvailable)) {}

AdCacheWorker::~AdCacheWorker() {
    stop_.store(true);
    join();
}

void AdCacheWorker::start() {
    thread_ = std::thread([this] {
        sched_param idle{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);  // best effort
        run();
    });
}

void AdCacheWorker::join() {
    if (thread_.joinable()) thread_.join();
}

void AdCacheWorker::run() {
    std::error_code error;
    fs::create_directories(folder_, error);
    std::set<std::string> cached;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file()) cached.insert(it->path().filename().string());
    }

    // A name that is not a plain file name never becomes a path.
    std::set<std::string> used;
    for (size_t i = 0; i < list_.size(); ++i) {
        const auto& name = list_.at(i).fileName;
        if (isSafeFileName(name)) used.insert(name);
    }
    auto announce = [&](const std::string& name) {
        for (size_t i = 0; i < list_.size(); ++i) {
            if (list_.at(i).fileName == name) list_.setDownloaded(i, true);
        }
        if (onAvailable_) onAvailable_();
    };
    for (const auto& name : used) {
        if (cached.contains(name)) announce(name);
    }

    // The host, user and password of the last advertisement serve all.
    if (!list_.empty()) {
        const auto& last = list_.at(list_.size() - 1);
        FetchLimits limits;
        limits.maxBytes = kMaxPictureBytes;
        limits.stop = &stop_;
        const BlockObserver goOn = [this](uint64_t) { return !stop_.load(); };
        std::set<std::string> tried;
        for (size_t i = 0; i < list_.size() && !stop_.load(); ++i) {
            const auto& ad = list_.at(i);
            if (!used.contains(ad.fileName) || cached.contains(ad.fileName) || !tried.insert(ad.fileName).second) {
                continue;
            }
            std::string remote = ad.directory;
            if (!remote.empty() && remote.back() != '/') remote += '/';
            remote += ad.fileName;
            const auto result =
                ftpFetch({last.host, last.user, last.password, remote}, folder_ / ad.fileName, limits, goOn);
            if (result == FetchResult::Done) announce(ad.fileName);
            if (result == FetchResult::NoConnection || result == FetchResult::Cancelled) break;
        }
    }

    // Files of advertisements no longer sent, and partial files of an
    // interrupted run.
    for (const auto& name : cached) {
        if (!used.contains(name)) fs::remove(folder_ / name, error);
    }
}

}  // namespace tessary::lobby
