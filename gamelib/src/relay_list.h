// Game messages waiting for the paced relay path. Only the newest message of
// each (sender, type, kind) waits; one leaves per step, no sooner than the
// relay interval after the previous one. The list also keeps the datagram
// stamps needed to measure round trips with the server.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "local_time.h"
#include "protocol/codec.h"
#include "round_trip_estimator.h"

namespace tessary::gamelib {

class RelayList {
public:
    // A message ready to leave: priority already raised to the relayed one,
    // and the echo stamp to carry if it leaves as a datagram.
    struct Outgoing {
        protocol::RawMessage message;
        uint32_t echoStamp = 0;
    };

    // Queues `message` (whose payload starts with its type byte), replacing
    // the first waiting message of the same sender, type and kind.
    void insert(protocol::RawMessage message);

    // The relay step: the head message when it may leave at `now`, else
    // nothing. The message is removed from the list either way it goes.
    [[nodiscard]] std::optional<Outgoing> takeDue(LocalMs now);

    // A datagram arrived at `now` carrying the server's `peerStamp` and the
    // `echoStamp` of one of ours (0: none).
    void datagramReceived(uint32_t peerStamp, uint32_t echoStamp, LocalMs now);

    // Forgets the waiting messages and everything measured.
    void reset() { *this = RelayList{}; }

    size_t size() const { return waiting_.size(); }
    const std::deque<protocol::RawMessage>& waiting() const { return waiting_; }
    const RoundTripEstimator& roundTrips() const { return roundTrips_; }

private:
    std::deque<protocol::RawMessage> waiting_;
    LocalMs lastRelay_ = 0;
    uint32_t peerStamp_ = 0;
    LocalMs peerStampArrival_ = 0;
    RoundTripEstimator roundTrips_;
};

}  // namespace tessary::gamelib
