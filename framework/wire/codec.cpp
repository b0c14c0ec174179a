#include "framework/wire/codec.h"

#include "framework/wire/cbor_reader.h"
#include "framework/wire/cbor_writer.h"
#include "framework/wire/value_decoder.h"

#include <limits>

namespace wire {

using namespace detail;
using namespace std::string_view_literals;

// ---- values

void encodeValue(QByteArray& out, const Value& value)
{
    // A refused value leaves `out` as it was.
    const qsizetype before = out.size();
    try {
        CborWriter(out).value(value);
    } catch (...) {
        out.truncate(before);
        throw;
    }
}

QByteArray encodeValue(const Value& value)
{
    QByteArray out;
    encodeValue(out, value);
    return out;
}

Value decodeValue(QByteArrayView bytes, const Limits& limits)
{
    CborReader reader(bytes, limits);
    Value value = readValue(reader);
    reader.expectEnd();
    return value;
}

// ---- messages

namespace {

struct MessageWriter {
    CborWriter& w;

    void operator()(const OpenRequest& m) const
    {
        w.head(kMap, 3 + (m.client ? 1 : 0) + (m.key ? 1 : 0));
        w.ascii("op");
        w.ascii("open");
        w.ascii("server");
        w.text(m.server);
        w.ascii("version");
        w.integer(m.version);
        if (m.client) {
            w.ascii("client");
            w.text(*m.client);
        }
        if (m.key) {
            w.ascii("key");
            w.text(*m.key);
        }
    }
    void operator()(const OpenAccepted&) const
    {
        w.head(kMap, 1);
        w.ascii("ok");
        w.boolean(true);
    }
    void operator()(const CallRequest& m) const
    {
        w.head(kMap, 4);
        w.ascii("id");
        w.integer(m.id);
        w.ascii("op");
        w.ascii("call");
        w.ascii("method");
        w.text(m.method);
        args(m.args);
    }
    void operator()(const CallReply& m) const
    {
        w.head(kMap, 3);
        w.ascii("id");
        w.integer(m.id);
        w.ascii("result");
        w.value(m.result);
        args(m.args);
    }
    void operator()(const ErrorReply& m) const
    {
        w.head(kMap, m.id ? 2 : 1);
        if (m.id) {
            w.ascii("id");
            w.integer(*m.id);
        }
        w.ascii("error");
        w.head(kMap, 1);
        w.ascii("message");
        w.text(m.message);
    }
    void args(const Array& items) const
    {
        w.ascii("args");
        w.head(kArray, items.size());
        for (const Value& item : items) w.value(item);
    }
};

// The keys of a message as they were read; which message it is is decided once all are in.
struct MessageKeys {
    std::optional<QString> op;
    std::optional<QString> server;
    std::optional<qint64> version;
    std::optional<QString> client;
    std::optional<QString> key;
    std::optional<qint64> id;
    std::optional<QString> method;
    std::optional<Array> args;
    std::optional<Value> result;
    std::optional<QString> errorMessage;
    std::optional<bool> ok;
};

QString readErrorObject(CborReader& reader)
{
    const Head h = reader.head();
    if (h.major != kMap) reader.wrongItem(h, "a map", "key \"error\"");
    const qsizetype count = reader.enterMap(h);
    KeySet keys;
    std::optional<QString> message;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype keyAt = reader.offset();
        const std::string_view key = reader.key();
        if (!keys.insert(key))
            reader.fail(keyAt, QStringLiteral("duplicate map key \"%1\"")
                                   .arg(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()))));
        if (key == "message"sv)
            message = reader.text(reader.head(), "key \"message\"");
        else
            reader.skip();  // other keys are ignored
    }
    reader.leave();
    if (!message) reader.fail(h.offset, QStringLiteral("key \"error\" lacks key \"message\""));
    return *message;
}

MessageKeys readMessageKeys(CborReader& reader, const Head& h)
{
    MessageKeys m;
    const qsizetype count = reader.enterMap(h);
    KeySet keys;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype keyAt = reader.offset();
        const std::string_view key = reader.key();
        if (!keys.insert(key))
            reader.fail(keyAt, QStringLiteral("duplicate map key \"%1\"")
                                   .arg(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()))));
        if (key == "op"sv)
            m.op = reader.text(reader.head(), "key \"op\"");
        else if (key == "server"sv)
            m.server = reader.text(reader.head(), "key \"server\"");
        else if (key == "version"sv)
            m.version = reader.integer(reader.head(), "key \"version\"");
        else if (key == "client"sv)
            m.client = reader.text(reader.head(), "key \"client\"");
        else if (key == "key"sv)
            m.key = reader.text(reader.head(), "key \"key\"");
        else if (key == "id"sv)
            m.id = reader.integer(reader.head(), "key \"id\"");
        else if (key == "method"sv)
            m.method = reader.text(reader.head(), "key \"method\"");
        else if (key == "args"sv)
            m.args = readArray(reader, reader.head(), "key \"args\"");
        else if (key == "result"sv)
            m.result = readValue(reader);
        else if (key == "error"sv)
            m.errorMessage = readErrorObject(reader);
        else if (key == "ok"sv)
            m.ok = reader.boolean(reader.head(), "key \"ok\"");
        else
            reader.skip();  // unknown keys are ignored, whatever they hold
    }
    reader.leave();
    return m;
}

template <typename T>
T required(const CborReader& reader, const Head& h, std::optional<T>& slot, const char* message, const char* key)
{
    if (!slot)
        reader.fail(h.offset, QStringLiteral("%1 lacks key \"%2\"").arg(QLatin1String(message), QLatin1String(key)));
    return std::move(*slot);
}

Message toMessage(const CborReader& reader, const Head& h, MessageKeys m)
{
    if (m.op) {
        if (*m.op == u"open") {
            OpenRequest open;
            open.server = required(reader, h, m.server, "an open request", "server");
            open.version = required(reader, h, m.version, "an open request", "version");
            open.client = std::move(m.client);
            open.key = std::move(m.key);
            return open;
        }
        if (*m.op == u"call") {
            CallRequest call;
            call.id = required(reader, h, m.id, "a call request", "id");
            call.method = required(reader, h, m.method, "a call request", "method");
            call.args = required(reader, h, m.args, "a call request", "args");
            return call;
        }
        reader.fail(h.offset, QStringLiteral("unknown op \"%1\"").arg(*m.op));
    }
    if (m.errorMessage) {
        if (m.result) reader.fail(h.offset, QStringLiteral("a reply cannot carry both \"result\" and \"error\""));
        return ErrorReply{m.id, std::move(*m.errorMessage)};
    }
    if (m.result) {
        CallReply reply;
        reply.id = required(reader, h, m.id, "a call reply", "id");
        reply.result = std::move(*m.result);
        reply.args = required(reader, h, m.args, "a call reply", "args");
        return reply;
    }
    if (m.ok) {
        if (!*m.ok) reader.fail(h.offset, QStringLiteral("key \"ok\" is false without key \"error\""));
        return OpenAccepted{};
    }
    reader.fail(h.offset, QStringLiteral("not a protocol message (no key \"op\", \"result\", \"error\" or \"ok\")"));
}

}  // namespace

QByteArray encodeMessage(const Message& message)
{
    QByteArray out;
    CborWriter writer(out);
    std::visit(MessageWriter{writer}, message);
    return out;
}

Message decodeMessage(QByteArrayView body, const Limits& limits, qsizetype& decodedBytes)
{
    CborReader reader(body, limits);
    const Head h = reader.head();
    if (h.major != kMap)
        reader.fail(h.offset, QStringLiteral("a message must be a map, found %1").arg(CborReader::describe(h)));
    MessageKeys keys = readMessageKeys(reader, h);
    reader.expectEnd();
    decodedBytes = reader.decodedBytes();
    return toMessage(reader, h, std::move(keys));
}

Message decodeMessage(QByteArrayView body, const Limits& limits)
{
    qsizetype decodedBytes = 0;
    return decodeMessage(body, limits, decodedBytes);
}

// ---- frames

namespace {

constexpr qsizetype kHeaderBytes = 4;

void putLength(char* at, qsizetype length)
{
    if (length > static_cast<qsizetype>(std::numeric_limits<quint32>::max()))
        throw WireError(QStringLiteral("Cannot encode for the wire: a frame of %1 bytes is too long.").arg(length));
    const auto n = static_cast<quint32>(length);
    at[0] = static_cast<char>(n >> 24);
    at[1] = static_cast<char>(n >> 16);
    at[2] = static_cast<char>(n >> 8);
    at[3] = static_cast<char>(n);
}

}  // namespace

QByteArray encodeFrame(const Message& message)
{
    // The body is written after room for its length, which is filled in at the end.
    QByteArray frame(kHeaderBytes, '\0');
    CborWriter writer(frame);
    std::visit(MessageWriter{writer}, message);
    putLength(frame.data(), frame.size() - kHeaderBytes);
    return frame;
}

QByteArray frameBody(const QByteArray& body)
{
    QByteArray frame(kHeaderBytes + body.size(), Qt::Uninitialized);
    putLength(frame.data(), body.size());
    std::copy(body.begin(), body.end(), frame.begin() + kHeaderBytes);
    return frame;
}

}  // namespace wire
