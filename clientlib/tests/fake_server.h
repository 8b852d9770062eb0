// A fake Router or Arena on loopback for the export tests: it sends messages
// to the library and reads back the exact frames the library sent. Also a
// small notation for body bytes written by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "TSClient.h"
#include "protocol/codec.h"
#include "test_support.h"

namespace tessary::clientlib::testing {

using protocol::Bytes;
using protocol::ValueList;

// --- body bytes by hand, unscrambled ---

// (Built byte by byte: GCC 12 warns wrongly about inserting ranges here.)
inline void append(Bytes& out, const Bytes& bytes) {
    for (uint8_t byte : bytes) out.push_back(byte);
}
inline Bytes T(const std::string& text) {
    Bytes out;
    out.push_back('s');
    for (char c : text) out.push_back(uint8_t(c));
    out.push_back(0);
    return out;
}
inline Bytes BIN(const Bytes& bytes) {
    Bytes out;
    out.push_back('b');
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(bytes.size() >> shift));
    append(out, bytes);
    return out;
}
inline Bytes B8(uint8_t value) { return BIN(Bytes(1, value)); }
inline Bytes B32(int32_t value) {
    Bytes image;
    for (int shift = 0; shift < 32; shift += 8) image.push_back(uint8_t(uint32_t(value) >> shift));
    return BIN(image);
}
inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& part : parts) append(out, part);
    return out;
}
inline Bytes L(std::initializer_list<Bytes> parts) {
    Bytes out;
    out.push_back('[');
    append(out, cat(parts));
    out.push_back(']');
    return out;
}

// --- building messages the servers send ---

struct Values {
    ValueList list;
    Values& text(const std::string& value) {
        list.appendText(value);
        return *this;
    }
    Values& i32(int32_t value) {
        list.appendInteger(value);
        return *this;
    }
    Values& i8(uint8_t value) {
        list.appendInteger(value);
        return *this;
    }
    Values& binary(const std::string& bytes) {
        list.appendBinary(bytes.data(), bytes.size());
        return *this;
    }
    Values& sub(const Values& values) {
        list.appendList(values.list);
        return *this;
    }
};

// A frame the library sent: its six header bytes and its body, unscrambled.
struct SentFrame {
    Bytes header;
    Bytes body;
    uint8_t type() const { return header[4]; }
    uint8_t source() const { return header[5] >> 4; }
    uint8_t destination() const { return header[5] & 0x0F; }
};

// Connects the library to a fresh loopback server (as a Router, keep-alive
// destination 1, unless told otherwise) and disconnects at the end.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { connect(protocol::kModuleRouter); }
    void TearDown() override { TS_DisconnectFromHost(); }

    void connect(uint8_t keepAliveDestination) {
        server_.emplace();
        ASSERT_EQ(TS_ConnectToHost("127.0.0.1", server_->port(), keepAliveDestination), 1);
        ASSERT_TRUE(server_->accept());
    }

    // Sends `message` and polls until the library hands it out; the poll's result.
    int32_t deliver(const protocol::ServiceMessage& message) {
        if (!server_->sendMessage(message)) return -100;
        int32_t result = 0;
        protocol::testing::pollUntil([&] { result = TS_GetMessageType(); }, [&] { return result != 0; });
        return result;
    }
    int32_t deliver(uint8_t type, const Values& body, uint8_t source = protocol::kModuleRouter) {
        return deliver(protocol::testing::serviceMessage(type, source, protocol::kModulePlayer, body.list));
    }

    // One poll transmits what was queued; the next frame that arrives.
    std::optional<SentFrame> transmitted(int timeoutMs = 2000) {
        TS_GetMessageType();
        Bytes header = server_->receive(6, timeoutMs);
        if (header.size() != 6) return std::nullopt;
        const size_t size = protocol::announcedSize(header.data());
        Bytes body = server_->receive(size - 6, timeoutMs);
        if (body.size() != size - 6) return std::nullopt;
        protocol::unscrambleBody(body.data(), body.size());
        return SentFrame{header, body};
    }

    std::optional<protocol::testing::FramePeer> server_;
};

}  // namespace tessary::clientlib::testing
