#pragma once
// CBOR (RFC 8949) encoding of wire values and protocol messages, and the length-prefixed
// frames that carry them over TCP. Decoding treats its input as hostile: it never reads past
// the input, never allocates more than the input can justify, and refuses anything outside
// the protocol with a WireError whose message names the problem.
//
// Choices the protocol leaves open:
// - Indefinite-length items are refused (our encoder never writes them, and a definite count
//   can be checked against the bytes left before anything is reserved). Integers in a longer
//   head than needed are accepted; the encoder always writes the shortest.
// - Only tag 0 (date-time text) is known; any other tag, byte strings, undefined and the
//   other simple values are refused in values.
// - Message keys the protocol does not know are skipped whatever they hold, as long as they
//   are well-formed; inside packets and change sets every key is known or refused.
// - Cell typing in packets and change sets: see value_decoder.h. The encoder applies the
//   same rules, so what it writes the decoder accepts.
// - Memory: a decoded tree takes a bounded multiple of its input (at worst some tens of
//   bytes per input byte for tiny nested items); the frame limit bounds the input.

#include "framework/core/exceptions.h"
#include "framework/wire/value.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <variant>

namespace wire {

class WireError : public Exception {
public:
    using Exception::Exception;
};

// A message that would take more memory once decoded than its reader allows.
class WireMemoryError : public WireError {
public:
    using WireError::WireError;
};

struct Limits {
    qsizetype maxFrameBytes = 16 * 1024 * 1024;  // body of one frame
    int maxDepth = 64;                           // nesting of arrays and maps
    // Memory the decoded message may take (values, texts, rows, as allocated); 0: no limit.
    // Counted as the decoder allocates, so a message is refused before it takes more.
    qsizetype maxDecodedBytes = 0;
};

// One CBOR data item for a value.
QByteArray encodeValue(const Value& value);
void encodeValue(QByteArray& out, const Value& value);
// Exactly one data item, nothing after it.
Value decodeValue(QByteArrayView bytes, const Limits& limits = {});

// Protocol messages (the body of a frame).
struct OpenRequest {  // {"op":"open","server":NAME,"version":1[,"client":NAME,"key":KEY]}
    QString server;
    qint64 version = 1;
    std::optional<QString> client = std::nullopt;  // the workstation, when the server requires credentials
    std::optional<QString> key = std::nullopt;
    friend bool operator==(const OpenRequest&, const OpenRequest&) = default;
};
struct OpenAccepted {  // {"ok":true}
    friend bool operator==(const OpenAccepted&, const OpenAccepted&) = default;
};
struct CallRequest {  // {"id":N,"op":"call","method":NAME,"args":[...]}
    qint64 id = 0;
    QString method;
    Array args;
    friend bool operator==(const CallRequest&, const CallRequest&) = default;
};
struct CallReply {  // {"id":N,"result":VALUE,"args":[...]}
    qint64 id = 0;
    Value result;
    Array args;
    friend bool operator==(const CallReply&, const CallReply&) = default;
};
struct ErrorReply {  // {"id":N,"error":{"message":TEXT}}; no id when the open is refused
    std::optional<qint64> id;
    QString message;
    friend bool operator==(const ErrorReply&, const ErrorReply&) = default;
};
using Message = std::variant<OpenRequest, OpenAccepted, CallRequest, CallReply, ErrorReply>;

QByteArray encodeMessage(const Message& message);
Message decodeMessage(QByteArrayView body, const Limits& limits = {});
// The same, also telling the memory the decoded message takes (as maxDecodedBytes counts it).
Message decodeMessage(QByteArrayView body, const Limits& limits, qsizetype& decodedBytes);

// A frame: 4-byte big-endian body length, then the body.
QByteArray encodeFrame(const Message& message);
QByteArray frameBody(const QByteArray& body);

// Cuts a byte stream into frame bodies. append() as bytes arrive, then takeFrame() until it
// returns nothing. A length over the limit throws WireError as soon as the header is read.
class FrameReader {
public:
    explicit FrameReader(Limits limits = {}) : limits_(limits) {}

    void append(QByteArrayView bytes);
    std::optional<QByteArray> takeFrame();

    // True while bytes not yet taken as frames are held (a partial frame, or whole ones).
    bool midFrame() const { return buffered() > 0; }
    qsizetype buffered() const { return buffer_.size() - start_; }
    // True when takeFrame() would give a frame.
    bool hasFrame() const;
    // Memory the buffer takes now, and would take after appending `more` bytes. The buffer
    // grows geometrically but never past the end of the frame being received, so a frame
    // sent slowly costs its own size at most.
    qsizetype capacity() const { return buffer_.capacity(); }
    qsizetype capacityAfter(qsizetype more) const;

private:
    void checkHeader() const;
    qsizetype grownCapacity(qsizetype needed, qsizetype start) const;

    Limits limits_;
    QByteArray buffer_;
    qsizetype start_ = 0;  // bytes of buffer_ already taken; dropped lazily
};

}  // namespace wire
