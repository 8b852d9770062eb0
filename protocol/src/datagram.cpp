#include "protocol/datagram.h"

#include "protocol/little_endian.h"

namespace tessary::protocol {

Bytes encodeDatagram(const Datagram& datagram) {
    RawMessage wire = datagram.message;
    wire.flags |= kReplaceFlag;
    wire.payload.clear();
    wire.payload.reserve(kStampBytes + datagram.message.payload.size());
    appendLe32(wire.payload, datagram.stamp);
    appendLe32(wire.payload, datagram.echoStamp);
    wire.payload.insert(wire.payload.end(), datagram.message.payload.begin(), datagram.message.payload.end());
    return encode(wire);
}

std::optional<Datagram> decodeDatagram(std::span<const uint8_t> bytes) {
    if (bytes.size() < kDatagramHeaderSize) return std::nullopt;
    if ((bytes[3] >> 6) != uint8_t(Format::Raw)) return std::nullopt;
    const size_t announced = announcedSize(bytes.data());
    if (announced < kDatagramHeaderSize || announced > bytes.size()) return std::nullopt;

    auto decoded = decode(bytes.first(announced));
    if (!decoded) return std::nullopt;
    auto* raw = std::get_if<RawMessage>(&*decoded);
    if (!raw) return std::nullopt;

    Datagram out;
    out.stamp = readLe32(raw->payload.data());
    out.echoStamp = readLe32(raw->payload.data() + 4);
    raw->payload.erase(raw->payload.begin(), raw->payload.begin() + kStampBytes);
    out.message = std::move(*raw);
    return out;
}

}  // namespace tessary::protocol
