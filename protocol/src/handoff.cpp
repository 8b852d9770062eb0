#include "protocol/handoff.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/process.h"

namespace tessary::protocol {
namespace {

static_assert(std::endian::native == std::endian::little, "the block is laid out in the host's order");

constexpr size_t kRecordSize = sizeof(HandoffRecord);
constexpr size_t kSlotsOffset = 4;
constexpr size_t kViewsOffset = 2;
constexpr int kOpenAttempts = 3;

uint16_t viewsOpen(const uint8_t* block) {
    uint16_t views;
    std::memcpy(&views, block + kViewsOffset, sizeof views);
    return views;
}

void setViewsOpen(uint8_t* block, uint16_t views) { std::memcpy(block + kViewsOffset, &views, sizeof views); }

std::string_view field(const char* bytes, size_t size) { return {bytes, ::strnlen(bytes, size)}; }

void fill(char* out, size_t size, std::string_view text) {
    // A text stops at its first NUL, as it would in the C texts it comes from.
    text = text.substr(0, text.find('\0'));
    std::memset(out, 0, size);
    if (!text.empty()) std::memcpy(out, text.data(), std::min(size - 1, text.size()));
}

bool fromDeadProgram(const HandoffRecord& record) {
    // A finish report outlives its game on purpose: a game that posts it and
    // exits at once must not lose it before the lobby's next look.
    if (record.channel == uint8_t(HandoffChannel::FinishReport)) return false;
    // 0 is left by programs that gave no window handle: nothing to check.
    return record.window != 0 && !platform::processAlive(pid_t(int32_t(record.window)));
}

uint32_t readU32(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The records of `block`; a block whose count or offsets make no sense (a
// writer died half-way through a store) reads as empty and is rewritten by
// the next store.
std::vector<HandoffRecord> loadRecords(const uint8_t* block) {
    int16_t count;
    std::memcpy(&count, block, sizeof count);
    std::vector<HandoffRecord> records;
    if (count < 0 || size_t(count) > kHandoffMaxRecords) return records;
    records.resize(size_t(count));
    for (size_t i = 0; i < records.size(); ++i) {
        const uint32_t offset = readU32(block + kSlotsOffset + 4 * i);
        if (offset < kSlotsOffset + 4 * records.size() || offset > kHandoffBlockSize - kRecordSize) return {};
        std::memcpy(&records[i], block + offset, kRecordSize);
    }
    return records;
}

void storeRecords(uint8_t* block, const std::vector<HandoffRecord>& records) {
    const auto count = int16_t(records.size());
    std::memcpy(block, &count, sizeof count);
    uint32_t offset = uint32_t(kSlotsOffset + 4 * records.size() + 4);
    for (size_t i = 0; i < records.size(); ++i, offset += kRecordSize) {
        std::memcpy(block + kSlotsOffset + 4 * i, &offset, sizeof offset);
        std::memcpy(block + offset, &records[i], kRecordSize);
    }
}

bool fits(size_t count) { return kSlotsOffset + 4 * count + 4 + count * kRecordSize <= kHandoffBlockSize; }

bool addressedTo(const HandoffRecord& record, std::string_view name) {
    const auto recipient = recipientOf(record);
    return recipient.empty() || recipient == name;
}

std::string_view asName(std::string_view name) { return name.substr(0, std::min(name.size(), kHandoffNameSize - 1)); }

}  // namespace

std::string_view senderOf(const HandoffRecord& record) { return field(record.sender, sizeof record.sender); }
std::string_view recipientOf(const HandoffRecord& record) { return field(record.recipient, sizeof record.recipient); }
std::string_view textOf(const HandoffRecord& record) { return field(record.text, sizeof record.text); }

HandoffView::~HandoffView() { CloseHandoff(*this); }

bool HandoffView::lockAndLoad(std::vector<HandoffRecord>& records, bool& dropped) {
    if (!usable()) return false;
    const auto locked = mutex_->lock(kHandoffLockWait);
    if (locked != platform::NamedMutex::LockResult::Locked &&
        locked != platform::NamedMutex::LockResult::LockedAfterOwnerDied)
        return false;
    records = loadRecords(block_->data());
    const auto before = records.size();
    std::erase_if(records, fromDeadProgram);
    dropped = records.size() != before;
    return true;
}

bool HandoffView::storeAndUnlock(const std::vector<HandoffRecord>& records, bool store) {
    const bool ok = !store || fits(records.size());
    if (store && ok) storeRecords(block_->data(), records);
    mutex_->unlock();
    return ok;
}

bool OpenHandoff(HandoffView& view, std::string_view ownName, uint32_t window) {
    if (view.usable()) return false;
    const std::string mutexName = platform::SharedMemory::objectName(kHandoffMutexName);
    const std::string blockName = platform::SharedMemory::objectName(kHandoffBlockName);
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        auto mutex = platform::NamedMutex::open(mutexName);
        if (!mutex) return false;
        auto block = platform::SharedMemory::openOrCreate(blockName, kHandoffBlockSize);
        if (!block) return false;

        view.ownName_ = std::string(asName(ownName));
        view.ownWindow_ = window;
        view.mutex_ = std::move(mutex);
        view.block_ = std::move(block);
        if (view.block_->created()) {
            const platform::NamedMutex::Hold hold(*view.mutex_, kHandoffLockWait);
            if (hold.held()) std::memset(view.block_->data(), 0, kSlotsOffset);
        }

        bool present = false;
        bool removed = false;
        const bool loaded = view.transact([&](std::vector<HandoffRecord>& records) {
            // The last view may have closed and removed the names between our
            // open and our hold: these objects are nobody's any more.
            removed = !view.mutex_->isNamed(mutexName) || !view.block_->isNamed(blockName);
            if (removed) return false;
            present = std::any_of(records.begin(), records.end(), [&](const HandoffRecord& record) {
                return record.channel == uint8_t(HandoffChannel::Presence) && senderOf(record) == view.ownName_;
            });
            if (!present) setViewsOpen(view.block_->data(), uint16_t(viewsOpen(view.block_->data()) + 1));
            return false;
        });
        if (loaded && !removed && !present) return true;
        view.block_.reset();
        view.mutex_.reset();
        if (!removed) return false;
    }
    return false;
}

void CloseHandoff(HandoffView& view) {
    if (!view.usable()) return;
    (void)TakeRecord(view, HandoffChannel::Presence, view.ownName_, kHandoffTextSize, true);
    (void)view.transact([&](std::vector<HandoffRecord>& records) {
        const uint16_t views = viewsOpen(view.block_->data());
        setViewsOpen(view.block_->data(), views > 0 ? uint16_t(views - 1) : 0);
        // Removed within the hold: an opener either finds our names and
        // counts itself in first, or makes new objects.
        if (views <= 1 && records.empty()) {
            const std::string blockName = platform::SharedMemory::objectName(kHandoffBlockName);
            const std::string mutexName = platform::SharedMemory::objectName(kHandoffMutexName);
            if (view.block_->isNamed(blockName)) platform::SharedMemory::remove(blockName);
            if (view.mutex_->isNamed(mutexName)) platform::SharedMemory::remove(mutexName);
        }
        return false;
    });
    view.block_.reset();
    view.mutex_.reset();
}

bool ClaimPresence(HandoffView& view) {
    bool claimed = false;
    const bool stored = view.transact([&](std::vector<HandoffRecord>& records) {
        const bool present = std::any_of(records.begin(), records.end(), [&](const HandoffRecord& record) {
            return record.channel == uint8_t(HandoffChannel::Presence) && senderOf(record) == view.ownName() &&
                   addressedTo(record, view.ownName());
        });
        if (present) return false;
        HandoffRecord record{};
        fill(record.sender, sizeof record.sender, view.ownName());
        record.window = view.ownWindow();
        record.channel = uint8_t(HandoffChannel::Presence);
        records.push_back(record);
        return claimed = true;
    });
    return stored && claimed;
}

bool PostRecord(HandoffView& view, HandoffChannel channel, std::string_view recipient, std::string_view text) {
    recipient = asName(recipient);
    return view.transact([&](std::vector<HandoffRecord>& records) {
        std::erase_if(records, [&](const HandoffRecord& record) {
            return record.channel == uint8_t(channel) && senderOf(record) == view.ownName() &&
                   recipientOf(record) == recipient;
        });
        HandoffRecord record{};
        fill(record.sender, sizeof record.sender, view.ownName());
        fill(record.recipient, sizeof record.recipient, recipient);
        record.window = view.ownWindow();
        record.channel = uint8_t(channel);
        fill(record.text, sizeof record.text, text);
        records.push_back(record);
        return true;
    });
}

std::optional<std::string> TakeRecord(HandoffView& view, HandoffChannel channel, std::string_view sender,
                                      size_t bufferSize, bool remove) {
    std::optional<std::string> taken;
    sender = asName(sender);
    const bool stored = view.transact([&](std::vector<HandoffRecord>& records) {
        const auto found = std::find_if(records.begin(), records.end(), [&](const HandoffRecord& record) {
            return senderOf(record) == sender && record.channel == uint8_t(channel) &&
                   addressedTo(record, view.ownName());
        });
        if (found == records.end() || textOf(*found).size() + 1 > bufferSize) return false;
        taken = std::string(textOf(*found));
        if (!remove) return false;
        records.erase(found);
        return true;
    });
    return stored ? taken : std::nullopt;
}

uint32_t WindowOf(HandoffView& view, std::string_view sender) {
    uint32_t window = 0;
    sender = asName(sender);
    (void)view.transact([&](std::vector<HandoffRecord>& records) {
        const auto found = std::find_if(records.begin(), records.end(),
                                        [&](const HandoffRecord& record) { return senderOf(record) == sender; });
        if (found != records.end()) window = found->window;
        return false;
    });
    return window;
}

std::optional<std::string> FirstOther(HandoffView& view) {
    std::optional<std::string> other;
    (void)view.transact([&](std::vector<HandoffRecord>& records) {
        const auto found = std::find_if(records.begin(), records.end(), [&](const HandoffRecord& record) {
            return senderOf(record) != view.ownName();
        });
        if (found != records.end()) other = std::string(senderOf(*found));
        return false;
    });
    return other;
}

}  // namespace tessary::protocol
