// Fuzzes the frame reader and the message decoder. The whole input is tried as one message
// body; then, after its first byte, as a byte stream fed to a FrameReader in pieces whose size
// that first byte chooses, every frame taken being decoded as a message.

#include "fuzz_round_trip.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

void tryMessage(QByteArrayView body)
{
    std::optional<wire::Message> message;
    try {
        message = wire::decodeMessage(body, wirefuzz::limits());
    } catch (const wire::WireError&) {
        return;
    }
    wirefuzz::checkRoundTrip(
        *message, [](const wire::Message& m) { return wire::encodeMessage(m); },
        [](const QByteArray& b) { return wire::decodeMessage(b, wirefuzz::limits()); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    tryMessage(input);
    if (input.isEmpty()) return 0;

    const qsizetype piece = 1 + data[0] % 64;
    wire::FrameReader reader(wirefuzz::limits());
    try {
        for (qsizetype at = 1; at < input.size(); at += piece) {
            reader.append(input.sliced(at, std::min(piece, input.size() - at)));
            while (const auto frame = reader.takeFrame()) tryMessage(*frame);
        }
    } catch (const wire::WireError&) {
        // an oversize frame: the connection would close here
    }
    return 0;
}
