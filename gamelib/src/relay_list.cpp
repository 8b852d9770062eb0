#include "relay_list.h"

#include <algorithm>
#include <utility>

#include "library_messages.h"

namespace tessary::gamelib {

namespace {

bool sameSlot(const protocol::RawMessage& a, const protocol::RawMessage& b) {
    return a.sender == b.sender && a.kind == b.kind && !a.payload.empty() && !b.payload.empty() &&
           a.payload[0] == b.payload[0];
}

}  // namespace

void RelayList::insert(protocol::RawMessage message) {
    auto old = std::find_if(waiting_.begin(), waiting_.end(),
                            [&](const protocol::RawMessage& w) { return sameSlot(w, message); });
    if (old != waiting_.end()) waiting_.erase(old);
    waiting_.push_back(std::move(message));
}

std::optional<RelayList::Outgoing> RelayList::takeDue(LocalMs now) {
    if (waiting_.empty()) return std::nullopt;
    if (msBetween(lastRelay_, now) <= roundTrips_.intervalTenths() / 10) return std::nullopt;

    Outgoing out;
    // The server's stamp is echoed moved on by the time it waited here, so
    // the server measures only the network.
    if (peerStamp_ != 0) out.echoStamp = peerStamp_ + uint32_t(msBetween(peerStampArrival_, now));
    peerStamp_ = 0;
    peerStampArrival_ = 0;
    lastRelay_ = now;

    out.message = std::move(waiting_.front());
    waiting_.pop_front();
    out.message.flags = uint8_t((out.message.flags & protocol::kReplaceFlag) | kRelayedPriority);
    return out;
}

void RelayList::datagramReceived(uint32_t peerStamp, uint32_t echoStamp, LocalMs now) {
    peerStamp_ = peerStamp;
    peerStampArrival_ = now;
    if (echoStamp != 0) roundTrips_.addRoundTrip(now, msBetween(LocalMs(echoStamp), now));
}

}  // namespace tessary::gamelib
