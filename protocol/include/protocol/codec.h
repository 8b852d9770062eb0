// The message frame and body codec shared by both libraries and the service.
//
// A frame is a 6-byte header (size, format/flags, type, modules) and a
// scrambled body of typed values (structured message), or a 7-byte header
// (size, format/flags, relay kind, sender) and an opaque payload (raw message).
// The codec is pure: it turns whole messages into bytes and whole frames back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "protocol/library_messages.h"
#include "protocol/message_types.h"

namespace tessary::protocol {

using Bytes = std::vector<uint8_t>;

inline constexpr size_t kHeaderSize = 6;         // TSHEADERSIZE: smallest valid frame
inline constexpr size_t kRawHeaderSize = 7;
inline constexpr size_t kMaxMessageSize = 3'000'000;  // MAXMESSAGESIZE, inclusive

inline constexpr uint8_t kReplaceFlag = 0x20;
inline constexpr uint8_t kPriorityMask = 0x1F;
inline constexpr uint8_t kFlagMask = 0x3F;  // kept from a received frame

enum class Format : uint8_t { Structured = 0, Raw = 1 };

// Module ids (4 bits) of senders and addressees.
enum ModuleId : uint8_t {
    kModuleRouter = 1,   // "R"
    kModuleArena = 2,    // "S"
    kModuleArenaW = 3,   // "W": ping answers and keep-alives on an Arena link
    kModulePlayer = 4,   // "P": every message the libraries build
    kModuleAP = 5,
    kModuleB = 6,
    kModuleLP = 7,
    kModuleGame = 9,     // "G"
    kModuleA = 10,
};

// Relay kinds of a raw message (byte 4 of its frame).
enum RawKind : uint8_t {
    SENDTOOTHERPLAYERS = 1,
    SENDTOPLAYERGROUP = 2,
    SENDTOPLAYER = 3,
    SENDTOSERVER = 4,
    SENDTOALLPLAYERS = 5,
};

// Names as the system prints them; unknown codes print as decimal numbers
// ("?" for an unknown module).
std::string messageTypeName(uint8_t type);
std::string moduleName(uint8_t module);
std::string rawKindName(uint8_t kind);
std::string gameEventName(uint8_t event);

enum class ValueKind : uint8_t { Text = 1, Binary = 2, List = 3 };

struct Value;

// An ordered list of typed values: the body of a structured message.
// Reads are positional and kind-checked; a read of a missing position or of
// another kind fails (nullptr / false).
class ValueList {
public:
    ValueList() = default;

    // Appends the text up to its first NUL byte (texts never hold one).
    void appendText(std::string_view text);
    void appendBinary(std::span<const uint8_t> bytes);
    void appendBinary(const void* data, size_t size);
    // Appends the little-endian memory image of an integer of 1, 2 or 4 bytes.
    template <class Int>
    void appendInteger(Int value);
    // Appends a deep copy of `list` as one nested value.
    void appendList(const ValueList& list);
    void appendList(ValueList&& list);

    // Defined below Value: clang instantiates vector members where they are
    // used, and Value is not complete inside this class.
    size_t size() const;
    bool empty() const;
    void reserve(size_t count);
    const Value& operator[](size_t index) const;
    const std::vector<Value>& values() const { return values_; }

    [[nodiscard]] const std::string* text(size_t index) const;
    [[nodiscard]] const std::string* binary(size_t index) const;
    [[nodiscard]] const ValueList* list(size_t index) const;
    // Reads a binary value whose length is exactly sizeof(Int).
    template <class Int>
    [[nodiscard]] bool readInteger(size_t index, Int& out) const;

    bool operator==(const ValueList& other) const;

    // Internal: used by the decoder to grow lists in place.
    Value& appendValue(ValueKind kind);

private:
    std::vector<Value> values_;
};

// One value. Text and binary values keep their bytes in `bytes`; a nested
// list keeps its values in `list`.
struct Value {
    ValueKind kind = ValueKind::Text;
    std::string bytes;
    ValueList list;

    bool operator==(const Value&) const = default;
};

struct ServiceMessage {
    uint8_t type = 0;
    uint8_t flags = 0;  // bits 4-0 priority, bit 5 replace flag
    uint8_t source = kModulePlayer;
    uint8_t destination = 0;
    ValueList body;

    bool operator==(const ServiceMessage&) const = default;
};

struct RawMessage {
    uint8_t kind = 0;
    uint8_t flags = 0;
    uint16_t sender = 0;
    Bytes payload;

    bool operator==(const RawMessage&) const = default;
};

using Message = std::variant<ServiceMessage, RawMessage>;

// Encodes a frame: header, then the scrambled body (structured) or the
// payload as is (raw). Only the replace flag of `flags` goes on the wire.
Bytes encode(const ServiceMessage& message);
Bytes encode(const RawMessage& message);
Bytes encode(const Message& message);
// Appends the frame to `out` instead of returning a new buffer.
void encodeTo(const ServiceMessage& message, Bytes& out);
void encodeTo(const RawMessage& message, Bytes& out);

// Decodes one whole frame (exactly the size its header announces). On failure
// writes "Erreur decodage message\n" to the diagnostics stream.
[[nodiscard]] std::optional<Message> decode(std::span<const uint8_t> frame);

// A frame whose header and body have been checked, with the body unscrambled
// but not yet turned into values. Receive queues hold frames this way: a
// burst then costs little memory, and each message is built while it is used.
struct CheckedFrame {
    Format format = Format::Structured;
    uint8_t flags = 0;         // bits 0-5 of byte 3
    uint8_t typeOrKind = 0;    // byte 4
    uint8_t modules = 0;       // structured: byte 5 (source << 4 | destination)
    uint16_t sender = 0;       // raw: bytes 5-6
    Bytes body;                // structured: the unscrambled body; raw: the payload
};

// decode() in two steps: every check and its diagnostic happen in
// checkFrame(); toMessage() cannot fail.
[[nodiscard]] std::optional<CheckedFrame> checkFrame(std::span<const uint8_t> frame);
Message toMessage(CheckedFrame&& frame);

// The size a partial frame announces (needs at least 3 bytes).
inline size_t announcedSize(const uint8_t* bytes) {
    return (size_t{bytes[0]} << 16) | (size_t{bytes[1]} << 8) | bytes[2];
}

// Checks the size announced by the first bytes of a frame: fewer than 3 bytes
// pass (nothing known yet); otherwise the size must lie in 6 .. 3,000,000.
// A failure writes its reason to the diagnostics stream.
[[nodiscard]] bool checkFrameSize(std::span<const uint8_t> firstBytes);

// The body encoding without header and without scrambling, and its parser.
void encodeBody(const ValueList& body, Bytes& out);
[[nodiscard]] std::optional<ValueList> parseBody(std::span<const uint8_t> body);

// What the calling thread's body parser keeps between two bodies: nothing in
// use, and a bounded allocation, whatever the bodies were.
struct ParserScratch {
    size_t values = 0;     // values still on the stack
    size_t openLists = 0;  // lists still open
    size_t bytesHeld = 0;  // capacity kept for the next body
};
ParserScratch parserScratch();

// The body scrambling step and its inverse, in place.
void scrambleBody(uint8_t* body, size_t size);
void unscrambleBody(uint8_t* body, size_t size);

// Diagnostic text of a message, one line; writes it to the stream.
std::string formatMessage(const Message& message);
void dumpMessage(const Message& message);
// The indented tree form of a body.
std::string formatBodyTree(const ValueList& body, int indent = 0);

inline size_t ValueList::size() const { return values_.size(); }
inline bool ValueList::empty() const { return values_.empty(); }
inline void ValueList::reserve(size_t count) { values_.reserve(count); }
inline const Value& ValueList::operator[](size_t index) const { return values_[index]; }
inline bool ValueList::operator==(const ValueList& other) const { return values_ == other.values_; }

// --- template definitions ---

template <class Int>
void ValueList::appendInteger(Int value) {
    static_assert(std::is_integral_v<Int> && (sizeof(Int) == 1 || sizeof(Int) == 2 || sizeof(Int) == 4));
    uint8_t image[sizeof(Int)];
    for (size_t i = 0; i < sizeof(Int); ++i) image[i] = uint8_t(uint64_t(value) >> (8 * i));
    appendBinary(image, sizeof(Int));
}

template <class Int>
bool ValueList::readInteger(size_t index, Int& out) const {
    static_assert(std::is_integral_v<Int>);
    const std::string* bytes = binary(index);
    if (!bytes || bytes->size() != sizeof(Int)) return false;
    std::make_unsigned_t<Int> value = 0;
    for (size_t i = 0; i < sizeof(Int); ++i)
        value |= std::make_unsigned_t<Int>(uint8_t((*bytes)[i])) << (8 * i);
    out = Int(value);
    return true;
}

}  // namespace tessary::protocol
