#include "lobby/update_download.h"

#include <cstdio>
#include <system_error>

#include "lobby/ftp_fetch.h"
#include "platform/process.h"

namespace tessary::lobby {

namespace fs = std::filesystem;

std::string downloadStatus(uint64_t received, uint64_t total) {
    char text[96];
    std::snprintf(text, sizeof text, "Download status:  %llu / %llu Kb",
                  static_cast<unsigned long long>(received / 1024), static_cast<unsigned long long>(total / 1024));
    return text;
}

UpdateDownload::UpdateDownload(std::string host, std::string remotePath, int64_t announcedBytes, fs::path target,
                               std::function<void(uint64_t)> onBlock)
    : host_(std::move(host)),
      remotePath_(std::move(remotePath)),
      total_(announcedBytes > 0 ? static_cast<uint64_t>(announcedBytes) : 0),
      sizeAcceptable_(announcedBytes > 0 && static_cast<uint64_t>(announcedBytes) <= kMaxAnnouncedBytes),
      target_(std::move(target)),
      onBlock_(std::move(onBlock)) {}

UpdateDownload::~UpdateDownload() {
    cancel();
    join();
}

void UpdateDownload::start() {
    thread_ = std::thread([this] { run(); });
}

void UpdateDownload::join() {
    if (thread_.joinable()) thread_.join();
}

void UpdateDownload::run() {
    std::error_code error;
    // An older updater must not be started should this download fail.
    fs::remove(target_, error);
    if (!sizeAcceptable_) {
        state_.store(UpdateState::Failed, std::memory_order_release);
        return;
    }
    const auto space = fs::space(target_.parent_path().empty() ? fs::path(".") : target_.parent_path(), error);
    if (!error && space.available < total_ + kMarginBytes) {
        state_.store(UpdateState::Failed, std::memory_order_release);
        return;
    }
    FetchLimits limits;
    limits.maxBytes = total_ + kMarginBytes;
    limits.stop = &cancel_;
    const BlockObserver observe = [this](uint64_t received) {
        received_.store(received, std::memory_order_release);
        if (onBlock_) onBlock_(received);
        return !cancel_.load();
    };
    const auto result = ftpFetch({host_, "anonymous", "anonymous@", remotePath_}, target_, limits, observe);
    UpdateState end = UpdateState::Failed;
    if (result == FetchResult::Cancelled) end = UpdateState::Cancelled;
    if (result == FetchResult::Done) {
        fs::permissions(target_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec,
                        error);
        end = error ? UpdateState::Failed : UpdateState::Done;
        if (error) fs::remove(target_, error);
    }
    state_.store(end, std::memory_order_release);
}

bool startUpdater(const fs::path& program) {
    std::error_code error;
    if (!fs::is_regular_file(program, error)) return false;
    const auto child = platform::spawnProgram(program.string(), {program.string()});
    return child.has_value();
}

}  // namespace tessary::lobby
