// The download of a new lobby version: a worker thread fetches the updater
// anonymously from the FTP server the Router named, the update window reads
// its progress, and the finished file is made executable and started
// without a shell.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace tessary::lobby {

enum class UpdateState { Running, Done, Failed, Cancelled };

// "Download status:  %d / %d Kb" (kilobytes by integer division).
[[nodiscard]] std::string downloadStatus(uint64_t received, uint64_t total);

class UpdateDownload {
public:
    // Above this the announced size is refused: it cannot be an updater.
    static constexpr uint64_t kMaxAnnouncedBytes = 1ull << 30;
    // A server may send a little more than announced, no more.
    static constexpr uint64_t kMarginBytes = 64u << 10;

    // `onBlock` runs on the worker's thread after every block.
    UpdateDownload(std::string host, std::string remotePath, int64_t announcedBytes, std::filesystem::path target,
                   std::function<void(uint64_t received)> onBlock = {});
    ~UpdateDownload();
    UpdateDownload(const UpdateDownload&) = delete;
    UpdateDownload& operator=(const UpdateDownload&) = delete;

    void start();
    // Stops after the current block; the partial file is removed.
    void cancel() { cancel_.store(true); }
    void join();

    [[nodiscard]] UpdateState state() const { return state_.load(std::memory_order_acquire); }
    [[nodiscard]] uint64_t received() const { return received_.load(std::memory_order_acquire); }
    [[nodiscard]] uint64_t total() const { return total_; }
    [[nodiscard]] const std::filesystem::path& target() const { return target_; }

private:
    void run();

    std::string host_, remotePath_;
    uint64_t total_;
    bool sizeAcceptable_;
    std::filesystem::path target_;
    std::function<void(uint64_t)> onBlock_;
    std::atomic<bool> cancel_{false};
    std::atomic<uint64_t> received_{0};
    std::atomic<UpdateState> state_{UpdateState::Running};
    std::thread thread_;
};

// Starts the downloaded updater (no shell, no wait); false when it cannot be.
[[nodiscard]] bool startUpdater(const std::filesystem::path& program);

}  // namespace tessary::lobby
