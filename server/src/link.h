// What a role sees of one client connection, and what it is told about it.
// Roles never touch sockets: a test or the fuzzer can stand in for the
// network by implementing ClientLink.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "protocol/codec.h"

namespace tessary::server {

using SharedFrame = std::shared_ptr<const protocol::Bytes>;

inline SharedFrame encodeShared(const protocol::ServiceMessage& message) {
    return std::make_shared<const protocol::Bytes>(protocol::encode(message));
}
inline SharedFrame encodeShared(const protocol::RawMessage& message) {
    return std::make_shared<const protocol::Bytes>(protocol::encode(message));
}

class ClientLink {
public:
    ClientLink(uint64_t id, std::string address, uint16_t port)
        : id_(id), address_(std::move(address)), port_(port) {}
    virtual ~ClientLink() = default;

    // Queues an encoded frame; a closed link drops it. One frame may be
    // shared by many links (a chat line goes out encoded once).
    virtual void send(SharedFrame frame) = 0;
    void send(const protocol::ServiceMessage& message) { send(encodeShared(message)); }
    void send(const protocol::RawMessage& message) { send(encodeShared(message)); }

    // Closes the link; a non-empty reason is logged as a refusal. The role
    // is told by linkClosed later, never from inside this call.
    virtual void close(std::string_view reason) = 0;
    // Stops taking requests and closes once everything queued so far has
    // been written (a kicked player still reads why); later sends are dropped.
    virtual void closeAfterSending(std::string_view reason) = 0;
    virtual bool isOpen() const = 0;

    // Stops handing out messages until resume(); used while a request
    // waits for slow work, so that later requests keep their order.
    virtual void pause() = 0;
    virtual void resume() = 0;

    uint64_t id() const { return id_; }
    const std::string& address() const { return address_; }  // peer IP, dotted
    uint16_t port() const { return port_; }
    std::string describe() const { return address_ + ":" + std::to_string(port_) + " #" + std::to_string(id_); }

private:
    uint64_t id_;
    std::string address_;
    uint16_t port_;
};

using LinkPtr = std::shared_ptr<ClientLink>;

class LinkHandler {
public:
    virtual ~LinkHandler() = default;
    virtual void linkOpened(const LinkPtr& link) = 0;
    // Every message has passed the size check and the codec.
    virtual void messageReceived(const LinkPtr& link, protocol::Message& message) = 0;
    virtual void linkClosed(const LinkPtr& link) = 0;
};

}  // namespace tessary::server
