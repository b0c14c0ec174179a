// Fuzzes the value decoder: plain values, arrays, data packets and change sets.

#include "fuzz_round_trip.h"

#include <cstddef>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::optional<wire::Value> value;
    try {
        value = wire::decodeValue(QByteArrayView(data, static_cast<qsizetype>(size)), wirefuzz::limits());
    } catch (const wire::WireError&) {
        return 0;
    }
    wirefuzz::checkRoundTrip(
        *value, [](const wire::Value& v) { return wire::encodeValue(v); },
        [](const QByteArray& b) { return wire::decodeValue(b, wirefuzz::limits()); });
    return 0;
}
