#include "protocol/codec.h"

#include <algorithm>

#include "platform/diag.h"
#include "scramble.h"

namespace tessary::protocol {

using platform::diag;

namespace {

constexpr uint8_t kTextMarker = 0x73;    // 's'
constexpr uint8_t kBinaryMarker = 0x62;  // 'b'
constexpr uint8_t kListOpen = 0x5B;      // '['
constexpr uint8_t kListClose = 0x5D;     // ']'

// Lists nest without limit on the wire, but destroying or copying a value
// nested millions deep would exhaust the stack; no real body nests deeper.
constexpr size_t kMaxNesting = 1000;

// A work buffer is kept for the next call up to the largest message; only a
// body scrambled outside any frame can make it larger.
constexpr size_t kLargeWorkBuffer = kMaxMessageSize;

struct Named {
    uint8_t code;
    const char* name;
};

constexpr Named kModuleNames[] = {
    {1, "R"}, {2, "S"}, {3, "W"}, {4, "P"}, {5, "AP"}, {6, "B"}, {7, "LP"}, {9, "G"}, {10, "A"},
};

constexpr Named kRawKindNames[] = {
    {1, "SENDTOOTHERPLAYERS"}, {2, "SENDTOPLAYERGROUP"}, {3, "SENDTOPLAYER"},
    {4, "SENDTOSERVER"},       {5, "SENDTOALLPLAYERS"},
};

#define TESSARY_EVENT_NAME(code, constant, name) {code, #name},
#define TESSARY_NOT_AN_EVENT(code, constant)
constexpr Named kEventNames[] = {TESSARY_LIBRARY_MESSAGES(TESSARY_NOT_AN_EVENT, TESSARY_EVENT_NAME)};
#undef TESSARY_NOT_AN_EVENT
#undef TESSARY_EVENT_NAME

template <size_t N>
const char* lookup(const Named (&table)[N], uint8_t code) {
    for (const Named& entry : table)
        if (entry.code == code) return entry.name;
    return nullptr;
}

template <size_t N>
std::string nameOr(const Named (&table)[N], uint8_t code, const char* fallback) {
    if (const char* name = lookup(table, code)) return name;
    return fallback ? std::string(fallback) : std::to_string(code);
}

// Work buffers reused by every call on a thread: scrambling runs out of
// place, and a received body is unscrambled into one before it is parsed.
Bytes& workBuffer() {
    thread_local Bytes buffer;
    return buffer;
}

// Leaves the buffer for the next call, unless a huge body made it large.
void releaseIfLarge(Bytes& buffer) {
    if (buffer.capacity() > kLargeWorkBuffer) Bytes().swap(buffer);
}

// ---- body encoding ----

void putBigEndian32(Bytes& out, uint32_t value) {
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

size_t encodedSize(const ValueList& list) {
    size_t total = 0;
    for (const Value& v : list.values()) {
        switch (v.kind) {
            case ValueKind::Text: total += 2 + v.bytes.size(); break;
            case ValueKind::Binary: total += 5 + v.bytes.size(); break;
            case ValueKind::List: total += 2 + encodedSize(v.list); break;
        }
    }
    return total;
}

void encodeValues(const ValueList& list, Bytes& out) {
    for (const Value& v : list.values()) {
        switch (v.kind) {
            case ValueKind::Text:
                out.push_back(kTextMarker);
                out.insert(out.end(), v.bytes.begin(), v.bytes.end());
                out.push_back(0);
                break;
            case ValueKind::Binary:
                out.push_back(kBinaryMarker);
                putBigEndian32(out, uint32_t(v.bytes.size()));
                out.insert(out.end(), v.bytes.begin(), v.bytes.end());
                break;
            case ValueKind::List:
                out.push_back(kListOpen);
                encodeValues(v.list, out);
                out.push_back(kListClose);
                break;
        }
    }
}

void putSize(uint8_t* header, size_t size) {
    header[0] = uint8_t(size >> 16);
    header[1] = uint8_t(size >> 8);
    header[2] = uint8_t(size);
}

// ---- dump ----

void formatCompact(const ValueList& list, std::string& out) {
    out += '[';
    for (const Value& v : list.values()) {
        switch (v.kind) {
            case ValueKind::Text:
                out += '"';
                out += v.bytes;
                out += "\" ";
                break;
            case ValueKind::Binary:
                if (v.bytes.size() == 1) {
                    out += " b" + std::to_string(int8_t(v.bytes[0])) + " ";
                } else if (v.bytes.size() == 2) {
                    int16_t x;
                    std::memcpy(&x, v.bytes.data(), 2);
                    out += " b" + std::to_string(x) + " ";
                } else if (v.bytes.size() == 4) {
                    int32_t x;
                    std::memcpy(&x, v.bytes.data(), 4);
                    out += " b" + std::to_string(x) + " ";
                } else {
                    out += "... " + std::to_string(v.bytes.size()) + " ...";
                }
                break;
            case ValueKind::List: formatCompact(v.list, out); break;
        }
    }
    out += ']';
}

}  // namespace

// ---- names ----

std::string messageTypeName(uint8_t type) {
    if (const MessageTypeInfo* info = findMessageType(type)) return info->name;
    return std::to_string(type);
}
std::string moduleName(uint8_t module) { return nameOr(kModuleNames, module, "?"); }
std::string rawKindName(uint8_t kind) { return nameOr(kRawKindNames, kind, nullptr); }
std::string gameEventName(uint8_t event) { return nameOr(kEventNames, event, nullptr); }

// ---- ValueList ----

Value& ValueList::appendValue(ValueKind kind) {
    Value& v = values_.emplace_back();
    v.kind = kind;
    return v;
}

void ValueList::appendText(std::string_view text) {
    appendValue(ValueKind::Text).bytes.assign(text.substr(0, text.find('\0')));
}

void ValueList::appendBinary(std::span<const uint8_t> bytes) {
    appendValue(ValueKind::Binary).bytes.assign(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void ValueList::appendBinary(const void* data, size_t size) {
    appendValue(ValueKind::Binary).bytes.assign(static_cast<const char*>(data), size);
}

void ValueList::appendList(const ValueList& list) { appendValue(ValueKind::List).list = list; }
void ValueList::appendList(ValueList&& list) { appendValue(ValueKind::List).list = std::move(list); }

const std::string* ValueList::text(size_t index) const {
    if (index >= values_.size() || values_[index].kind != ValueKind::Text) return nullptr;
    return &values_[index].bytes;
}

const std::string* ValueList::binary(size_t index) const {
    if (index >= values_.size() || values_[index].kind != ValueKind::Binary) return nullptr;
    return &values_[index].bytes;
}

const ValueList* ValueList::list(size_t index) const {
    if (index >= values_.size() || values_[index].kind != ValueKind::List) return nullptr;
    return &values_[index].list;
}

// ---- scrambling ----

void scrambleBody(uint8_t* body, size_t size) {
    Bytes& work = workBuffer();
    work.assign(body, body + size);
    detail::scrambleInto(work.data(), body, size);
    releaseIfLarge(work);
}

void unscrambleBody(uint8_t* body, size_t size) {
    Bytes& work = workBuffer();
    work.assign(body, body + size);
    detail::unscrambleInto(work.data(), body, size);
    releaseIfLarge(work);
}

// ---- encoding ----

void encodeBody(const ValueList& body, Bytes& out) {
    out.reserve(out.size() + encodedSize(body));
    encodeValues(body, out);
}

void encodeTo(const ServiceMessage& message, Bytes& out) {
    // The body is encoded into the work buffer and scrambled from there into
    // place after the header.
    Bytes& body = workBuffer();
    body.clear();
    encodeBody(message.body, body);
    const size_t start = out.size();
    const size_t size = kHeaderSize + body.size();
    out.resize(start + size);
    uint8_t* header = out.data() + start;
    detail::scrambleInto(body.data(), header + kHeaderSize, body.size());
    releaseIfLarge(body);
    putSize(header, size);
    header[3] = uint8_t((uint8_t(Format::Structured) << 6) | (message.flags & kReplaceFlag));
    header[4] = message.type;
    header[5] = uint8_t((message.source << 4) | (message.destination & 0x0F));
}

void encodeTo(const RawMessage& message, Bytes& out) {
    const size_t start = out.size();
    const size_t size = kRawHeaderSize + message.payload.size();
    out.resize(start + kRawHeaderSize);
    uint8_t* header = out.data() + start;
    putSize(header, size);
    header[3] = uint8_t((uint8_t(Format::Raw) << 6) | (message.flags & kReplaceFlag));
    header[4] = message.kind;
    // The sender goes in the sending machine's order, which is little-endian here.
    header[5] = uint8_t(message.sender);
    header[6] = uint8_t(message.sender >> 8);
    out.insert(out.end(), message.payload.begin(), message.payload.end());
}

Bytes encode(const ServiceMessage& message) {
    Bytes out;
    encodeTo(message, out);
    return out;
}

Bytes encode(const RawMessage& message) {
    Bytes out;
    encodeTo(message, out);
    return out;
}

Bytes encode(const Message& message) {
    return std::visit([](const auto& m) { return encode(m); }, message);
}

// ---- decoding ----

namespace {

// The parser keeps the values of every open list on one stack and gives each
// list its values in one exactly sized allocation when it closes. Run with
// kBuild false it only checks, allocating nothing.
template <bool kBuild>
class BodyParser {
public:
    explicit BodyParser(std::span<const uint8_t> body) : body_(body) {}

    // Checks the body; true when it parses.
    bool check() {
        static_assert(!kBuild);
        return parseValues();
    }

    std::optional<ValueList> build() {
        static_assert(kBuild);
        Stack& stack = stackStorage();
        stack.clear();
        std::optional<ValueList> result;
        if (parseValues()) result = takeValues(0);
        // A refused body leaves its open lists behind: they must not pile up
        // from one frame to the next.
        stack.clear();
        return result;
    }

    static ParserScratch scratch() {
        const Stack& stack = stackStorage();
        return {stack.values.size(), stack.openAt.size(),
                stack.values.capacity() * sizeof(Value) + stack.openAt.capacity() * sizeof(size_t)};
    }

private:
    struct Stack {
        std::vector<Value> values;   // values of the open lists, innermost last
        std::vector<size_t> openAt;  // where each open list's values begin

        // Empties both; a stack grown by one large body is given back.
        void clear() {
            values.clear();
            openAt.clear();
            if (values.capacity() > kLargeStack) std::vector<Value>().swap(values);
            if (openAt.capacity() > kLargeStack) std::vector<size_t>().swap(openAt);
        }
    };
    static constexpr size_t kLargeStack = 4096;

    static Stack& stackStorage() {
        thread_local Stack stack;
        return stack;
    }

    bool parseValues() {
        const size_t end = body_.size();
        while (pos_ < end) {
            switch (body_[pos_++]) {
                case kTextMarker: {
                    const uint8_t* start = body_.data() + pos_;
                    const void* nul = std::memchr(start, 0, end - pos_);
                    if (!nul) return false;
                    const size_t length = size_t(static_cast<const uint8_t*>(nul) - start);
                    if constexpr (kBuild)
                        push(ValueKind::Text)
                            .bytes.assign(reinterpret_cast<const char*>(start), length);
                    pos_ += length + 1;
                    break;
                }
                case kBinaryMarker: {
                    if (end - pos_ < 4) return false;
                    const size_t length = (size_t{body_[pos_]} << 24) |
                                          (size_t{body_[pos_ + 1]} << 16) |
                                          (size_t{body_[pos_ + 2]} << 8) | body_[pos_ + 3];
                    pos_ += 4;
                    if (length > end - pos_) return false;
                    if constexpr (kBuild)
                        push(ValueKind::Binary)
                            .bytes.assign(reinterpret_cast<const char*>(body_.data() + pos_),
                                          length);
                    pos_ += length;
                    break;
                }
                case kListOpen:
                    if (depth_ == kMaxNesting) return false;
                    ++depth_;
                    if constexpr (kBuild)
                        stackStorage().openAt.push_back(stackStorage().values.size());
                    break;
                case kListClose:
                    if (depth_ == 0) return false;  // no list to close at the top level
                    --depth_;
                    if constexpr (kBuild) closeList();
                    break;
                default:
                    return false;
            }
        }
        return depth_ == 0;  // else a list was never closed
    }

    static Value& push(ValueKind kind) {
        Value& value = stackStorage().values.emplace_back();
        value.kind = kind;
        return value;
    }

    static void closeList() {
        std::vector<size_t>& openAt = stackStorage().openAt;
        const size_t first = openAt.back();
        openAt.pop_back();
        ValueList list = takeValues(first);
        push(ValueKind::List).list = std::move(list);
    }

    // Moves the values from `first` on out of the stack into a new list.
    static ValueList takeValues(size_t first) {
        std::vector<Value>& values = stackStorage().values;
        ValueList list;
        list.reserve(values.size() - first);
        for (size_t i = first; i < values.size(); ++i)
            list.appendValue(values[i].kind) = std::move(values[i]);
        values.resize(first);
        return list;
    }

    std::span<const uint8_t> body_;
    size_t pos_ = 0;
    size_t depth_ = 0;
};

std::nullopt_t decodeFailure() {
    diag("Erreur decodage message\n");
    return std::nullopt;
}

// The header checks shared by decode() and checkFrame(): false for a frame
// that is not exactly its announced size or has an unknown or truncated format.
bool headerIsSound(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderSize || announcedSize(frame.data()) != frame.size()) return false;
    const uint8_t format = frame[3] >> 6;
    if (format == uint8_t(Format::Structured)) return true;
    return format == uint8_t(Format::Raw) && frame.size() >= kRawHeaderSize;
}

ServiceMessage serviceHeader(uint8_t flags, uint8_t type, uint8_t modules) {
    ServiceMessage message;
    message.flags = flags;
    message.type = type;
    message.source = modules >> 4;
    message.destination = modules & 0x0F;
    return message;
}

}  // namespace

std::optional<ValueList> parseBody(std::span<const uint8_t> body) {
    return BodyParser<true>(body).build();
}

ParserScratch parserScratch() { return BodyParser<true>::scratch(); }

std::optional<Message> decode(std::span<const uint8_t> frame) {
    if (!headerIsSound(frame)) return decodeFailure();
    const uint8_t flags = frame[3] & kFlagMask;
    if (Format(frame[3] >> 6) == Format::Raw) {
        RawMessage message;
        message.flags = flags;
        message.kind = frame[4];
        message.sender = uint16_t(frame[5] | (frame[6] << 8));
        message.payload.assign(frame.begin() + kRawHeaderSize, frame.end());
        return Message{std::move(message)};
    }
    ServiceMessage message = serviceHeader(flags, frame[4], frame[5]);
    const size_t size = frame.size() - kHeaderSize;
    Bytes& body = workBuffer();
    body.resize(size);
    detail::unscrambleInto(frame.data() + kHeaderSize, body.data(), size);
    auto parsed = parseBody(body);
    releaseIfLarge(body);
    if (!parsed) return decodeFailure();
    message.body = std::move(*parsed);
    return Message{std::move(message)};
}

std::optional<CheckedFrame> checkFrame(std::span<const uint8_t> frame) {
    if (!headerIsSound(frame)) return decodeFailure();
    CheckedFrame checked;
    checked.format = Format(frame[3] >> 6);
    checked.flags = frame[3] & kFlagMask;
    checked.typeOrKind = frame[4];
    if (checked.format == Format::Raw) {
        checked.sender = uint16_t(frame[5] | (frame[6] << 8));
        checked.body.assign(frame.begin() + kRawHeaderSize, frame.end());
        return checked;
    }
    checked.modules = frame[5];
    checked.body.resize(frame.size() - kHeaderSize);
    detail::unscrambleInto(frame.data() + kHeaderSize, checked.body.data(), checked.body.size());
    if (!BodyParser<false>(checked.body).check()) return decodeFailure();
    return checked;
}

Message toMessage(CheckedFrame&& frame) {
    if (frame.format == Format::Raw) {
        RawMessage message;
        message.flags = frame.flags;
        message.kind = frame.typeOrKind;
        message.sender = frame.sender;
        message.payload = std::move(frame.body);
        return message;
    }
    ServiceMessage message = serviceHeader(frame.flags, frame.typeOrKind, frame.modules);
    // The body was checked when the frame was, so it builds.
    message.body = std::move(*BodyParser<true>(frame.body).build());
    return message;
}

bool checkFrameSize(std::span<const uint8_t> firstBytes) {
    if (firstBytes.size() < 3) return true;
    const size_t size = announcedSize(firstBytes.data());
    if (size > kMaxMessageSize) {
        diag("On a lSize>MAXMESSAGESIZE\n");
        return false;
    }
    if (size < kHeaderSize) {
        diag("On a lSize<TSHEADERSIZE\n");
        return false;
    }
    return true;
}

// ---- dump ----

std::string formatMessage(const Message& message) {
    std::string out;
    if (const auto* m = std::get_if<ServiceMessage>(&message)) {
        // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict)
        // on "literal" + std::string.
        out += '[';
        out += moduleName(m->source);
        out += "->";
        out += moduleName(m->destination);
        out += "]  ";
        out += messageTypeName(m->type);
        out += ":   ";
        formatCompact(m->body, out);
    } else {
        const auto& raw = std::get<RawMessage>(message);
        out = rawKindName(raw.kind) + ":";
        if (!raw.payload.empty()) out += gameEventName(raw.payload[0]);
        out += ":     Sender=" + std::to_string(raw.sender) + "  Message=";
        for (uint8_t byte : raw.payload) out += std::to_string(byte) + "-";
    }
    out += '\n';
    return out;
}

void dumpMessage(const Message& message) { diag(formatMessage(message)); }

std::string formatBodyTree(const ValueList& body, int indent) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    const std::string pad(size_t(std::max(indent, 0)), ' ');
    std::string out = pad + "[\n";
    for (const Value& v : body.values()) {
        switch (v.kind) {
            case ValueKind::Text: out += pad + "  String->{" + v.bytes + "}\n"; break;
            case ValueKind::Binary:
                out += pad + "  Binary->{";
                for (char c : v.bytes) {
                    const uint8_t byte = uint8_t(c);
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xF];
                    out += ' ';
                }
                out += "}\n";
                break;
            case ValueKind::List: out += formatBodyTree(v.list, indent + 2); break;
        }
    }
    out += pad + "]\n";
    return out;
}

}  // namespace tessary::protocol
