#include "protocol/codec.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/diag.h"

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

struct Named {
    uint8_t code;
    const char* name;
};

constexpr Named kTypeNames[] = {
    {1, "NEWUSERREQUEST"},   {4, "CONNECTIONREQUEST"},  {6, "PLAYERNEW"},
    {10, "DISCONNECTION"},   {11, "PLAYERREMOVED"},     {13, "NEWS"},
    {14, "SEARCHPLAYER"},    {15, "REMOVEACCOUNT"},     {18, "SERVERSLIST"},
    {20, "SESSIONLIST"},     {22, "PLAYERLIST"},        {23, "GETSESSIONINFO"},
    {25, "GETPLAYERINFO"},   {26, "PLAYERINFO"},        {27, "CHATALL"},
    {28, "CHATLIST"},        {29, "CHATSESSION"},       {31, "CHAT"},
    {33, "CREATESESSION"},   {36, "SESSIONNEW"},        {37, "JOINSESSION"},
    {40, "JOINNEW"},         {41, "LEAVESESSION"},      {42, "JOINLEAVE"},
    {43, "SESSIONREMOVE"},   {47, "TSSUCCESS"},         {48, "TSFAIL"},
    {49, "BEGINGAME"},       {54, "UPDATEPLAYERINFO"},  {57, "MASTERCHANGED"},
    {60, "UPDATESESSIONSTATE"}, {61, "URGENTMESSAGE"},  {63, "NEWWAITMODULE"},
    {64, "KILLMODULE"},      {67, "STILLALIVE"},        {78, "ROUTEURLIST"},
    {82, "PLAYERKICK"},      {83, "PLAYERMUTE"},        {84, "ALLOWGAME"},
    {85, "FORBIDGAME"},      {86, "GAMELIST"},          {87, "UPDATEADVERTISMEMENTS"},
    {88, "UPDATENEWS"},      {89, "VERSIONLIST"},       {90, "PING"},
    {91, "UPDATEVERSIONS"},  {92, "DESTROYSESSION"},    {93, "UPDATEDISTANTROUTERS"},
    {170, "STAT_PLAYER"},    {171, "STAT_GAME"},        {200, "ADVERTISEMENT"},
    {201, "MODIFYUSER"},     {202, "STARTGAME"},        {204, "CHANGEVERSION"},
    {205, "PAGER"},          {206, "LOGIN"},            {207, "PHOTO"},
    {208, "LOGINARENA"},     {220, "SQLCREATE"},        {221, "SQLSELECT"},
    {222, "SQLDELETE"},      {223, "SQLSET"},
};

constexpr Named kModuleNames[] = {
    {1, "R"}, {2, "S"}, {3, "W"}, {4, "P"}, {5, "AP"}, {6, "B"}, {7, "LP"}, {9, "G"}, {10, "A"},
};

constexpr Named kRawKindNames[] = {
    {1, "SENDTOOTHERPLAYERS"}, {2, "SENDTOPLAYERGROUP"}, {3, "SENDTOPLAYER"},
    {4, "SENDTOSERVER"},       {5, "SENDTOALLPLAYERS"},
};

constexpr Named kEventNames[] = {
    {239, "EVENT_PLAYERINFOS"}, {240, "EVENT_SERVERTIME"}, {241, "EVENT_NEWMASTER"},
    {242, "EVENT_PLAYERLEFT"},  {243, "EVENT_NEWPLAYER"},  {249, "EVENT_OWNID"},
    {250, "EVENT_REGISTER"},
};

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

// ---- scrambling ----

// The XOR key of byte i is (i + 137) & 0xFF: it repeats every 256 bytes, so one
// precomputed period lets the compiler vectorise the step.
struct XorKey {
    std::array<uint8_t, 256> bytes{};
    constexpr XorKey() {
        for (size_t i = 0; i < 256; ++i) bytes[i] = uint8_t(i + 137);
    }
};
constexpr XorKey kXorKey;

void xorStep(uint8_t* body, size_t size) {
    size_t i = 0;
    for (; i + 256 <= size; i += 256)
        for (size_t k = 0; k < 256; ++k) body[i + k] ^= kXorKey.bytes[k];
    for (size_t k = 0; i + k < size; ++k) body[i + k] ^= kXorKey.bytes[k];
}

size_t ceilSqrt(size_t n) {
    size_t s = size_t(std::sqrt(double(n)));
    while (s * s < n) ++s;
    while (s > 0 && (s - 1) * (s - 1) >= n) --s;
    return s;
}

// Position in the anti-diagonal walk of cell (r, c) in an s x s grid. The walk
// visits diagonal d = r + c from its largest row upwards.
struct Walk {
    size_t s;
    size_t before(size_t d) const {
        if (d < s) return d * (d + 1) / 2;
        size_t m = 2 * s - 1 - d;
        return s * s - m * (m + 1) / 2;
    }
    size_t index(size_t r, size_t c) const {
        size_t d = r + c;
        return before(d) + std::min(d, s - 1) - r;
    }
};

// Calls visit(walkIndex) for every cell in row-major order whose walk index is
// below n, i.e. for every occupied cell in the order the scrambled bytes lie.
template <class Visit>
void forEachOccupiedRowMajor(size_t n, Visit&& visit) {
    const size_t s = ceilSqrt(n);
    const Walk walk{s};
    for (size_t r = 0; r < s; ++r) {
        for (size_t c = 0; c < s; ++c) {
            size_t w = walk.index(r, c);
            if (w < n) visit(w);
        }
    }
}

std::vector<uint8_t>& scratch() {
    thread_local std::vector<uint8_t> buffer;
    return buffer;
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

std::string messageTypeName(uint8_t type) { return nameOr(kTypeNames, type, nullptr); }
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
    if (size == 0) return;
    xorStep(body, size);
    auto& tmp = scratch();
    tmp.resize(size);
    size_t k = 0;
    forEachOccupiedRowMajor(size, [&](size_t w) { tmp[k++] = body[w]; });
    std::memcpy(body, tmp.data(), size);
}

void unscrambleBody(uint8_t* body, size_t size) {
    if (size == 0) return;
    auto& tmp = scratch();
    tmp.resize(size);
    size_t k = 0;
    forEachOccupiedRowMajor(size, [&](size_t w) { tmp[w] = body[k++]; });
    std::memcpy(body, tmp.data(), size);
    xorStep(body, size);
}

// ---- encoding ----

void encodeBody(const ValueList& body, Bytes& out) {
    out.reserve(out.size() + encodedSize(body));
    encodeValues(body, out);
}

void encodeTo(const ServiceMessage& message, Bytes& out) {
    const size_t start = out.size();
    out.resize(start + kHeaderSize);
    encodeBody(message.body, out);
    const size_t size = out.size() - start;
    uint8_t* header = out.data() + start;
    putSize(header, size);
    header[3] = uint8_t((uint8_t(Format::Structured) << 6) | (message.flags & kReplaceFlag));
    header[4] = message.type;
    header[5] = uint8_t((message.source << 4) | (message.destination & 0x0F));
    scrambleBody(header + kHeaderSize, size - kHeaderSize);
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

std::optional<ValueList> parseBody(std::span<const uint8_t> body) {
    ValueList root;
    // Open lists from the root down; a nested list's storage does not move
    // while it is open because its parent only grows after it closes.
    std::vector<ValueList*> open{&root};
    size_t pos = 0;
    const size_t end = body.size();
    while (pos < end) {
        const uint8_t marker = body[pos++];
        ValueList& current = *open.back();
        switch (marker) {
            case kTextMarker: {
                const uint8_t* start = body.data() + pos;
                const void* nul = std::memchr(start, 0, end - pos);
                if (!nul) return std::nullopt;
                const size_t length = static_cast<const uint8_t*>(nul) - start;
                current.appendValue(ValueKind::Text).bytes.assign(reinterpret_cast<const char*>(start), length);
                pos += length + 1;
                break;
            }
            case kBinaryMarker: {
                if (end - pos < 4) return std::nullopt;
                const size_t length = (size_t{body[pos]} << 24) | (size_t{body[pos + 1]} << 16) |
                                      (size_t{body[pos + 2]} << 8) | body[pos + 3];
                pos += 4;
                if (length > end - pos) return std::nullopt;
                current.appendValue(ValueKind::Binary)
                    .bytes.assign(reinterpret_cast<const char*>(body.data() + pos), length);
                pos += length;
                break;
            }
            case kListOpen:
                if (open.size() > kMaxNesting) return std::nullopt;
                open.push_back(&current.appendValue(ValueKind::List).list);
                break;
            case kListClose:
                if (open.size() == 1) return std::nullopt;  // no list to close at the top level
                open.pop_back();
                break;
            default: return std::nullopt;
        }
    }
    if (open.size() != 1) return std::nullopt;  // a list was never closed
    return root;
}

std::optional<Message> decode(std::span<const uint8_t> frame) {
    auto fail = [] {
        diag("Erreur decodage message\n");
        return std::optional<Message>{};
    };
    if (frame.size() < kHeaderSize || announcedSize(frame.data()) != frame.size()) return fail();
    const uint8_t format = frame[3] >> 6;
    const uint8_t flags = frame[3] & kFlagMask;
    if (format == uint8_t(Format::Structured)) {
        ServiceMessage message;
        message.flags = flags;
        message.type = frame[4];
        message.source = frame[5] >> 4;
        message.destination = frame[5] & 0x0F;
        Bytes body(frame.begin() + kHeaderSize, frame.end());
        unscrambleBody(body.data(), body.size());
        auto parsed = parseBody(body);
        if (!parsed) return fail();
        message.body = std::move(*parsed);
        return Message{std::move(message)};
    }
    if (format == uint8_t(Format::Raw)) {
        if (frame.size() < kRawHeaderSize) return fail();
        RawMessage message;
        message.flags = flags;
        message.kind = frame[4];
        message.sender = uint16_t(frame[5] | (frame[6] << 8));
        message.payload.assign(frame.begin() + kRawHeaderSize, frame.end());
        return Message{std::move(message)};
    }
    return fail();
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
        out = "[" + moduleName(m->source) + "->" + moduleName(m->destination) + "]  " +
              messageTypeName(m->type) + ":   ";
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
