#pragma once
// The property both wire fuzzers check on every input that decodes: what the decoder accepts
// the encoder writes without complaint, and writing, reading and writing again gives the same
// value and the same bytes. A breach aborts, which libFuzzer reports as a crash.

#include "framework/wire/codec.h"

#include <cstdlib>

namespace wirefuzz {

inline wire::Limits limits()
{
    wire::Limits l;
    l.maxFrameBytes = 1 << 20;
    return l;
}

template <typename T, typename Encode, typename Decode>
void checkRoundTrip(const T& decoded, Encode encode, Decode decode)
{
    QByteArray once;
    try {
        once = encode(decoded);
    } catch (const wire::WireError&) {
        std::abort();  // accepted on the way in, refused on the way out
    }
    const T again = decode(once);  // a refusal here escapes and is reported
    if (!(again == decoded)) std::abort();
    if (encode(again) != once) std::abort();
}

}  // namespace wirefuzz
