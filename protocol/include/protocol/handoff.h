// The hand-off mailbox: the named shared-memory block through which the lobby
// and the game programs on one machine meet. Each program keeps a presence
// record there while it runs; the lobby leaves start orders for games, the
// games leave finish reports and close requests for the lobby.
//
// Block layout (65,536 bytes, integers little-endian), shared bit for bit by
// both libraries:
//
//     0          int16   count of records (at most 50)
//     2          uint16  views open (the Linux stand-in's own use; see CloseHandoff)
//     4 + 4*i    uint32  offset of record i from the start of the block
//     8 + 4*count        the records, 1,288 bytes each, in list order
//
// Every operation reloads the list under the block's mutex, changes it and
// stores it back before letting the mutex go, so two programs changing the
// block at once never lose each other's records. Records whose window handle
// (process id) names a process that no longer exists are dropped on reload,
// so a crashed program does not stay present forever.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/named_mutex.h"
#include "platform/shared_memory.h"

namespace tessary::protocol {

inline constexpr const char* kHandoffBlockName = "Tessary ShareMem Block";
inline constexpr const char* kHandoffMutexName = "Tessary ShareMem Mutex";
inline constexpr size_t kHandoffBlockSize = 0x10000;
inline constexpr size_t kHandoffMaxRecords = 50;
inline constexpr size_t kHandoffNameSize = 128;   // names: at most 127 characters
inline constexpr size_t kHandoffTextSize = 1024;  // texts: at most 1,023 characters
inline constexpr std::chrono::milliseconds kHandoffLockWait{1000};

// The purpose of a record.
enum class HandoffChannel : uint8_t {
    Presence = 1,      // any program -> all; exists while the program has the block open
    StartOrder = 2,    // "TSClient" -> game: "name@report@session@address@port@extra"
    FinishReport = 3,  // game -> "TSClient": "report@session" + optional text
    CloseRequest = 5,  // game -> "TSClient": the lobby is asked to close
};

// One record as it lies in the block.
struct HandoffRecord {
    char sender[kHandoffNameSize];     // NUL-padded
    char recipient[kHandoffNameSize];  // empty: addressed to all
    uint32_t window;                   // the sender's process id
    uint8_t channel;
    char text[kHandoffTextSize];  // NUL-terminated, NUL-padded
    uint8_t unused[3];
};
static_assert(sizeof(HandoffRecord) == 1288);
static_assert(offsetof(HandoffRecord, window) == 256 && offsetof(HandoffRecord, channel) == 260 &&
              offsetof(HandoffRecord, text) == 261);

// A program's view of the mailbox: its own name and window handle, and the
// mapped block and mutex while it is usable. The view closes itself
// (CloseHandoff) when destroyed.
class HandoffView {
public:
    HandoffView() = default;
    ~HandoffView();
    HandoffView(const HandoffView&) = delete;
    HandoffView& operator=(const HandoffView&) = delete;

    bool usable() const { return block_.has_value() && mutex_.has_value(); }
    const std::string& ownName() const { return ownName_; }
    uint32_t ownWindow() const { return ownWindow_; }

    // Reloads the records under the mutex, lets `change` edit them and stores
    // them when it returns true (or when dead programs' records were dropped),
    // all in one hold. False when the view is unusable or the mutex was not
    // had within kHandoffLockWait; `change` is then not called.
    template <class Change>
    bool transact(Change&& change);

private:
    friend bool OpenHandoff(HandoffView&, std::string_view, uint32_t);
    friend void CloseHandoff(HandoffView&);

    bool lockAndLoad(std::vector<HandoffRecord>& records, bool& dropped);
    bool storeAndUnlock(const std::vector<HandoffRecord>& records, bool store);

    std::string ownName_;
    uint32_t ownWindow_ = 0;
    std::optional<platform::SharedMemory> block_;
    std::optional<platform::NamedMutex> mutex_;
};

// Opens (creating when needed) the block and its mutex under the own name and
// window handle. Refuses, leaving the view unusable, when a presence record
// from the own name is already there (another copy of the program runs) or
// when the view is open already.
[[nodiscard]] bool OpenHandoff(HandoffView& view, std::string_view ownName, uint32_t window);

// Removes the own presence record and lets the block go. Like a named
// section whose last handle closes, the block and its mutex lose their names
// when the last open view closes and no record is left. Harmless on an
// unusable view.
void CloseHandoff(HandoffView& view);

// Posts the own presence record unless one from the own name exists, in one
// hold of the mutex (so two copies started together cannot both get in).
[[nodiscard]] bool ClaimPresence(HandoffView& view);

// Replaces the own records of `channel` to `recipient` with a new one
// carrying `text` (cut to 1,023 characters; names to 127). False when the
// view is unusable, the mutex was not had, or the block is full.
bool PostRecord(HandoffView& view, HandoffChannel channel, std::string_view recipient, std::string_view text = {});

// The text of the first record from `sender` on `channel` addressed to the
// own name or to all. Nothing when there is none or when its text and NUL do
// not fit in `bufferSize` bytes (the record then stays). `remove` takes the
// record out of the block.
[[nodiscard]] std::optional<std::string> TakeRecord(HandoffView& view, HandoffChannel channel, std::string_view sender,
                                                    size_t bufferSize, bool remove);

// The window handle of the first record from `sender`; 0 when there is none.
[[nodiscard]] uint32_t WindowOf(HandoffView& view, std::string_view sender);

// The sender of the first record that is not the own name's.
[[nodiscard]] std::optional<std::string> FirstOther(HandoffView& view);

// The record fields as texts (up to their first NUL, within the field).
std::string_view senderOf(const HandoffRecord& record);
std::string_view recipientOf(const HandoffRecord& record);
std::string_view textOf(const HandoffRecord& record);

// --- template definitions ---

template <class Change>
bool HandoffView::transact(Change&& change) {
    std::vector<HandoffRecord> records;
    bool dropped = false;
    if (!lockAndLoad(records, dropped)) return false;
    const bool changed = change(records);
    return storeAndUnlock(records, changed || dropped) || !changed;
}

}  // namespace tessary::protocol
