#include "datagram.h"

#include "library_messages.h"

namespace tessary::gamelib {

protocol::Bytes encodeDatagram(const Datagram& datagram) {
    protocol::RawMessage wire = datagram.message;
    wire.flags |= protocol::kReplaceFlag;
    wire.payload.clear();
    wire.payload.reserve(kStampBytes + datagram.message.payload.size());
    appendLe32(wire.payload, datagram.stamp);
    appendLe32(wire.payload, datagram.echoStamp);
    wire.payload.insert(wire.payload.end(), datagram.message.payload.begin(), datagram.message.payload.end());
    return protocol::encode(wire);
}

std::optional<Datagram> decodeDatagram(std::span<const uint8_t> bytes) {
    if (bytes.size() < kDatagramHeaderSize) return std::nullopt;
    if ((bytes[3] >> 6) != uint8_t(protocol::Format::Raw)) return std::nullopt;
    const size_t announced = protocol::announcedSize(bytes.data());
    if (announced < kDatagramHeaderSize || announced > bytes.size()) return std::nullopt;

    auto decoded = protocol::decode(bytes.first(announced));
    if (!decoded) return std::nullopt;
    auto* raw = std::get_if<protocol::RawMessage>(&*decoded);
    if (!raw) return std::nullopt;

    Datagram out;
    out.stamp = readLe32(raw->payload.data());
    out.echoStamp = readLe32(raw->payload.data() + 4);
    raw->payload.erase(raw->payload.begin(), raw->payload.begin() + kStampBytes);
    out.message = std::move(*raw);
    return out;
}

}  // namespace tessary::gamelib
