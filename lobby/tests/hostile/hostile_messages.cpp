#include "hostile_messages.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "lobby/dispatch_table.h"

namespace tessary::lobby::testing {

namespace {

using protocol::Value;
using protocol::ValueKind;
using protocol::ValueList;

constexpr size_t kHugeCount = 100'000;
constexpr size_t kBodyBudget = 2'500'000;  // below the 3 MB frame limit
constexpr size_t kHugeText = 2'000'000;

// A body written as a chain of calls.
struct Body {
    ValueList list;
    Body& text(std::string_view value) { return list.appendText(value), *this; }
    Body& i32(int32_t value) { return list.appendInteger(value), *this; }
    Body& i8(uint8_t value) { return list.appendInteger(value), *this; }
    Body& bytes(std::string_view value) { return list.appendBinary(value.data(), value.size()), *this; }
    Body& sub(const Body& body) { return list.appendList(body.list), *this; }
};

struct Shape {
    bool answer = false;   // TSSUCCESS/TSFAIL of this request code; `body` is the success's data
    bool hasData = false;  // a success carries `body` as its list
    ValueList body;
};

Body session(const std::string& name) {
    return std::move(Body{}
                         .text(name).i32(1).i32(2).i32(3).i32(4).text("0 45 Arena Duel 1").i32(6).text("POKER")
                         .sub(Body{}.text("ann").text("bob"))
                         .sub(Body{}.text("cy")));
}

Body card() {
    return std::move(Body{}
                         .text("nick").text("first").text("last").text("mail").text("town").text("FR").i8(3)
                         .i32(1975)
                         .sub(Body{}.sub(Body{}.text("POKER").text("12")).sub(Body{}.text("SLIME").text("3"))));
}

// The shapes the library's readers expect, one per poll result.
std::map<int32_t, Shape> knownShapes() {
    auto message = [](const Body& body) { return Shape{false, false, body.list}; };
    auto answer = [](const Body& data) { return Shape{true, true, data.list}; };
    // An answer without data: its failure's text stands in for the shape.
    const Shape bareAnswer{true, false, Body{}.text("refused").list};
    const Body chat = std::move(Body{}.text("ann").text("hello there").i32(1).i32(2));
    return {
        {1, bareAnswer},
        {4, answer(Body{}.text("127.0.0.1").i32(1))},
        {6, message(Body{}.text("ann").i32(5))},
        {11, message(Body{}.text("ann"))},
        {13, message(Body{}.text("first news").text("second news"))},
        {14, answer(Body{}.text("Arena").text("bob"))},
        {18, message(Body{}.sub(Body{}.text("Den").i32(3).text("127.0.0.1").i32(-1)))},
        {20, message(Body{}.sub(session("one")).sub(session("two")))},
        {22, message(Body{}.sub(Body{}.text("ann").i32(1)).sub(Body{}.text("bob").i32(2)))},
        {24, answer(Body{}.text("one").text("0 45 Arena Duel 1"))},
        {25, answer(card())},
        {26, message(card())},
        {27, message(chat)},
        {28, message(chat)},
        {29, message(chat)},
        {33, bareAnswer},
        {36, message(Body{}.text("three").i32(1).i32(2).text("0 45 Arena Duel 1").i32(3).text("POKER"))},
        {37, bareAnswer},
        {40, message(Body{}.text("one").text("bob").i8(7))},
        {42, message(Body{}.text("one").text("bob"))},
        {43, message(Body{}.text("two"))},
        {49, bareAnswer},
        {54, message(Body{}.text("ann").i32(-3))},
        {57, message(Body{}.text("one").text("bob"))},
        {60, message(Body{}.text("one").i32(2))},
        {61, message(Body{}.text("The service stops in five minutes."))},
        {78, message(Body{}.sub(Body{}.text("Home").text("127.0.0.1").i32(1)))},
        {200, message(Body{}.text("127.0.0.1").text("user").text("password").sub(
                  Body{}.sub(Body{}.i32(30).text("a.jpg").text("http://a.invalid/").text("ad a"))))},
        {201, bareAnswer},
        {202, message(Body{}.text("127.0.0.1").i32(1))},
        {204, message(Body{}.i32(1).text("127.0.0.1").text("update.exe").i32(123456))},
        {205, message(Body{}.text("ann").text("a page"))},
        {206, bareAnswer},
        {207, message(Body{}.text("ann").bytes(std::string("\xFF\xD8\xFF\xE0 not really a photo", 24)))},
        {208, bareAnswer},
    };
}

// Answers whose success or failure moves the lobby to another window or link.
const std::set<int32_t> kFlowChanging = {1, 4, 201, 206, 208};

// --- rewriting bodies ---------------------------------------------------------

void appendValue(ValueList& out, const Value& value) {
    switch (value.kind) {
        case ValueKind::Text: out.appendText(value.bytes); break;
        case ValueKind::Binary: out.appendBinary(value.bytes.data(), value.bytes.size()); break;
        case ValueKind::List: out.appendList(value.list); break;
    }
}

// Each leaf value through `change` (nothing: kept), lists rebuilt around them.
ValueList mapLeaves(const ValueList& body, const std::function<std::optional<Value>(const Value&)>& change) {
    ValueList out;
    for (const Value& value : body.values()) {
        if (value.kind == ValueKind::List) {
            out.appendList(mapLeaves(value.list, change));
            continue;
        }
        const auto changed = change(value);
        appendValue(out, changed ? *changed : value);
    }
    return out;
}

Value textValue(std::string text) { return Value{ValueKind::Text, std::move(text), {}}; }
Value binaryValue(std::string bytes) { return Value{ValueKind::Binary, std::move(bytes), {}}; }

std::string le32(int32_t value) {
    std::string image(4, '\0');
    for (int i = 0; i < 4; ++i) image[size_t(i)] = char(uint32_t(value) >> (8 * i));
    return image;
}

size_t encodedSize(const ValueList& body) {
    protocol::Bytes out;
    protocol::encodeBody(body, out);
    return out.size();
}

// `body` with its first list value (at any depth, depth-first) grown to as
// many copies of its first entry as fit, up to 100,000; nothing without a list.
std::optional<ValueList> withHugeList(const ValueList& body) {
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i].kind != ValueKind::List) continue;
        const ValueList& list = body[i].list;
        ValueList grown;
        if (list.empty()) {
            for (size_t n = 0; n < kHugeCount; ++n) grown.appendInteger(uint8_t(n));
        } else {
            ValueList one;
            appendValue(one, list[0]);
            const size_t each = std::max<size_t>(1, encodedSize(one) - 2);
            const size_t count = std::min(kHugeCount, kBodyBudget / each);
            grown.reserve(count);
            for (size_t n = 0; n < count; ++n) appendValue(grown, list[0]);
        }
        ValueList out;
        for (size_t j = 0; j < body.size(); ++j) {
            if (j == i) {
                out.appendList(std::move(grown));
            } else {
                appendValue(out, body[j]);
            }
        }
        return out;
    }
    return std::nullopt;
}

// The well-shaped body and every way of breaking it.
std::vector<std::pair<std::string, ValueList>> variants(const ValueList& shape) {
    std::vector<std::pair<std::string, ValueList>> out;
    out.emplace_back("well-shaped", shape);
    out.emplace_back("empty", ValueList{});
    for (size_t kept = 1; kept < shape.size(); ++kept) {
        ValueList prefix;
        for (size_t i = 0; i < kept; ++i) appendValue(prefix, shape[i]);
        out.emplace_back("first " + std::to_string(kept) + " values only", std::move(prefix));
    }
    out.emplace_back("kinds swapped", mapLeaves(shape, [](const Value& v) -> std::optional<Value> {
                         return v.kind == ValueKind::Text ? binaryValue(le32(7)) : textValue("7");
                     }));
    for (const size_t width : {size_t{0}, size_t{1}, size_t{3}, size_t{8}}) {
        out.emplace_back("numbers of " + std::to_string(width) + " bytes",
                         mapLeaves(shape, [width](const Value& v) -> std::optional<Value> {
                             if (v.kind != ValueKind::Binary) return std::nullopt;
                             return binaryValue(std::string(width, '\xFF'));
                         }));
    }
    for (const int32_t extreme : {INT32_MIN, -1, INT32_MAX}) {
        out.emplace_back("numbers " + std::to_string(extreme),
                         mapLeaves(shape, [extreme](const Value& v) -> std::optional<Value> {
                             if (v.kind != ValueKind::Binary || v.bytes.size() != 4) return std::nullopt;
                             return binaryValue(le32(extreme));
                         }));
    }
    for (size_t t = 0; t < hostileTexts().size(); ++t) {
        const std::string& text = hostileTexts()[t];
        out.emplace_back("texts #" + std::to_string(t), mapLeaves(shape, [&text](const Value& v) -> std::optional<Value> {
                             if (v.kind != ValueKind::Text) return std::nullopt;
                             return textValue(text);
                         }));
    }
    // One 2 MB text (the first) and one 2 MB binary (the first).
    for (const ValueKind kind : {ValueKind::Text, ValueKind::Binary}) {
        bool done = false;
        ValueList huge = mapLeaves(shape, [&](const Value& v) -> std::optional<Value> {
            if (done || v.kind != kind) return std::nullopt;
            done = true;
            return Value{kind, std::string(kHugeText, kind == ValueKind::Text ? 'W' : '\x01'), {}};
        });
        if (done) out.emplace_back(kind == ValueKind::Text ? "a 2 MB text" : "a 2 MB binary", std::move(huge));
    }
    if (auto grown = withHugeList(shape)) {
        out.emplace_back("a list of up to 100,000 entries", std::move(*grown));
    } else {
        ValueList extra = shape;
        for (size_t n = 0; n < kHugeCount; ++n) extra.appendText("x");
        out.emplace_back("100,000 values more", std::move(extra));
    }
    return out;
}

protocol::ServiceMessage makeMessage(uint8_t type, uint8_t source, ValueList body) {
    protocol::ServiceMessage message;
    message.type = type;
    message.source = source;
    message.destination = protocol::kModulePlayer;
    message.body = std::move(body);
    return message;
}

ValueList answerBody(int32_t code, const ValueList* data) {
    ValueList body;
    body.appendInteger(uint8_t(code));
    if (data != nullptr) body.appendList(*data);
    return body;
}

}  // namespace

const std::vector<std::string>& hostileTexts() {
    static const std::vector<std::string> texts = {
        "",
        std::string("\x01\x02\x07\x08\x1b[2J\x1b[31mred\r\n\tsecond line\x7f\x00", 26),
        "../../../../etc/passwd",
        "C:\\Windows\\system32\\..\\x;rm -rf /|nul:*?<>\"",
        "%s%s%s%n%x%p{0}${HOME}",
        std::string(5000, 'M'),  // one long line without a blank
        "\xC3\xA9\xFF\xFE\x81\x8D\x8F\x90\x9D high bytes",
        std::string(3000, '\n'),
        "[SECTION]\nKEY=value\n;",
    };
    return texts;
}

std::vector<int32_t> lobbyMessageTypes() {
    std::vector<int32_t> types;
    for (const auto& entry : kMessageTypes) {
        if (entry.type > 0 && entry.type <= 255) types.push_back(entry.type);
    }
    return types;
}

HostileSet hostileMessages(const std::vector<int32_t>& types, uint8_t source) {
    const auto shapes = knownShapes();
    HostileSet set;
    for (const int32_t type : types) {
        const auto known = shapes.find(type);
        // An unknown type: texts and numbers, as message and as answer.
        const Shape shape = known != shapes.end()
                                ? known->second
                                : Shape{false, false, Body{}.text("a").i32(1).text("b").i32(2).sub(Body{}.text("c")).list};
        const bool bothForms = known == shapes.end();
        auto& into = kFlowChanging.count(type) != 0 ? set.flowChanging : set.content;
        const std::string name = "type " + std::to_string(type) + ": ";
        for (auto& [label, body] : variants(shape.body)) {
            if (!shape.answer || bothForms) {
                into.push_back({makeMessage(uint8_t(type), source, body), name + label});
            }
            if (shape.answer || bothForms) {
                const bool data = shape.hasData || label != "well-shaped";
                into.push_back({makeMessage(protocol::TSSUCCESS, source, answerBody(type, data ? &body : nullptr)),
                                name + "success, " + label});
                into.push_back({makeMessage(protocol::TSFAIL, source, answerBody(type, &body)),
                                name + "failure, " + label});
            }
        }
        if (shape.answer || bothForms) {
            into.push_back({makeMessage(protocol::TSFAIL, source, answerBody(type, nullptr)), name + "failure without text"});
            ValueList huge;
            huge.appendText(std::string(kHugeText, 'F'));
            into.push_back({makeMessage(protocol::TSFAIL, source, answerBody(type, &huge)), name + "failure, 2 MB text"});
        }
    }
    return set;
}

std::vector<protocol::ServiceMessage> chatFlood(int count, uint8_t source) {
    std::vector<protocol::ServiceMessage> flood;
    flood.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        flood.push_back(makeMessage(protocol::CHATALL, source,
                                    Body{}
                                        .text(i % 7 == 0 ? std::string("\x1b[5mflood\r\n") : "flooder" + std::to_string(i % 50))
                                        .text(std::string(200, char('a' + i % 26)) + "\x07\t" + std::to_string(i))
                                        .i32(i % 16)
                                        .i32(0)
                                        .list));
    }
    return flood;
}

}  // namespace tessary::lobby::testing
