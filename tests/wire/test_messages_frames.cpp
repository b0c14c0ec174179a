// Protocol messages and the frames that carry them over a byte stream.

#include "framework/wire/codec.h"
#include "wire_test_data.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>

#include <gtest/gtest.h>

using namespace wire;
using wiretest::hex;

namespace {

Message roundTrip(const Message& m) { return decodeMessage(encodeMessage(m)); }

QByteArray header(quint32 length)
{
    QByteArray h(4, '\0');
    h[0] = char(length >> 24);
    h[1] = char(length >> 16);
    h[2] = char(length >> 8);
    h[3] = char(length);
    return h;
}

}  // namespace

TEST(Messages, EveryKindRoundTrips)
{
    ChangeSet delta;
    delta.fields = wiretest::deliveryPacket(0).fields;
    delta.changes.push_back({ChangeKind::Insert, {}, wiretest::deliveryPacket(1).rows[0]});

    const Message cases[] = {
        OpenRequest{QStringLiteral("ATE02700.rdmManuDelValor"), 1},
        OpenAccepted{},
        CallRequest{1,
                    QStringLiteral("GetDelivery"),
                    {Value(QStringLiteral("0001")), Value(QStringLiteral("TAM")), Value(makeDateTime(2024, 1, 1)),
                     Value(makeDateTime(2024, 1, 31)), Value(delta), Value(Array{})}},
        CallRequest{9223372036854775807LL, QStringLiteral("SetCancelDel"), {}},
        CallReply{1, Value(wiretest::deliveryPacket(5)), {Value(QStringLiteral("0001")), Value()}},
        CallReply{2, Value(), {}},
        ErrorReply{7, QStringLiteral("#EVoo_valta   ABC*")},
        ErrorReply{std::nullopt, QStringLiteral("Servidor desconhecido: ¿X")},
    };
    for (const Message& m : cases) {
        SCOPED_TRACE(m.index());
        const Message back = roundTrip(m);
        EXPECT_EQ(back, m);
    }
}

TEST(Messages, KeysAsTheProtocolWritesThem)
{
    const QCborMap open = QCborValue::fromCbor(encodeMessage(OpenRequest{QStringLiteral("S"), 1})).toMap();
    EXPECT_EQ(open.value(QStringLiteral("op")).toString(), QStringLiteral("open"));
    EXPECT_EQ(open.value(QStringLiteral("server")).toString(), QStringLiteral("S"));
    EXPECT_EQ(open.value(QStringLiteral("version")).toInteger(), 1);
    EXPECT_EQ(encodeMessage(OpenAccepted{}), hex("a1 62 6f 6b f5"));

    const QCborMap call = QCborValue::fromCbor(encodeMessage(CallRequest{3, QStringLiteral("M"), {Value(1)}})).toMap();
    EXPECT_EQ(call.size(), 4);
    EXPECT_EQ(call.value(QStringLiteral("op")).toString(), QStringLiteral("call"));
    EXPECT_EQ(call.value(QStringLiteral("args")).toArray().size(), 1);

    const QCborMap refused =
        QCborValue::fromCbor(encodeMessage(ErrorReply{std::nullopt, QStringLiteral("no")})).toMap();
    EXPECT_FALSE(refused.contains(QStringLiteral("id")));
    EXPECT_EQ(refused.value(QStringLiteral("error")).toMap().value(QStringLiteral("message")).toString(),
              QStringLiteral("no"));
}

TEST(Messages, KeyOrderDoesNotMatterAndUnknownKeysAreIgnored)
{
    QCborMap m;
    m.insert(QStringLiteral("args"), QCborArray{1, QStringLiteral("x")});
    m.insert(QStringLiteral("trace"), QCborArray{QCborMap{{QStringLiteral("deep"), QCborArray{1, 2}}}, 2.5});
    m.insert(QStringLiteral("method"), QStringLiteral("GetServicoDel"));
    m.insert(QStringLiteral("id"), 42);
    m.insert(QStringLiteral("op"), QStringLiteral("call"));
    m.insert(QStringLiteral("version"), 1);  // known key, not part of a call
    const CallRequest call = std::get<CallRequest>(decodeMessage(m.toCborValue().toCbor()));
    EXPECT_EQ(call.id, 42);
    EXPECT_EQ(call.method, QStringLiteral("GetServicoDel"));
    EXPECT_EQ(call.args, (Array{Value(1), Value(QStringLiteral("x"))}));

    QCborMap err;
    err.insert(QStringLiteral("error"),
               QCborMap{{QStringLiteral("code"), 5}, {QStringLiteral("message"), QStringLiteral("Numeracao")}});
    err.insert(QStringLiteral("id"), -4);
    const ErrorReply e = std::get<ErrorReply>(decodeMessage(err.toCborValue().toCbor()));
    EXPECT_EQ(e.id, -4);
    EXPECT_EQ(e.message, QStringLiteral("Numeracao"));

    // An ignored key may hold what values never do, but it must still be well-formed.
    QCborMap other = m;
    other.insert(QStringLiteral("blob"), QCborValue(QByteArray("xyz")));
    other.insert(QStringLiteral("when"), QCborValue(QCborKnownTags::UnixTime_t, 1700000000));
    other.insert(QStringLiteral("nothing"), QCborValue(QCborValue::Undefined));
    EXPECT_EQ(std::get<CallRequest>(decodeMessage(other.toCborValue().toCbor())), call);
    const QByteArray ok = hex("a2 62 6f 6b f5 61 78");
    EXPECT_NO_THROW(decodeMessage(ok + hex("c1 c2 f8 20")));
    EXPECT_THROW(decodeMessage(ok + hex("9f 01 ff")), WireError);                     // indefinite length
    EXPECT_THROW(decodeMessage(ok + hex("5a 00 00 01 00 00")), WireError);            // longer than the input
    EXPECT_THROW(decodeMessage(ok + hex("f8 10")), WireError);                        // malformed simple value
    EXPECT_THROW(decodeMessage(ok + QByteArray(64, '\x81') + hex("00")), WireError);  // too deep
    EXPECT_THROW(decodeMessage(ok + QByteArray(64, '\xc1') + hex("00")), WireError);  // tag chain too deep
}

TEST(Frames, HeaderIsTheBigEndianBodyLength)
{
    const CallRequest call{5, QStringLiteral("CalculaPreco"), {Value(QString(300, QChar(u'a')))}};
    const QByteArray body = encodeMessage(call);
    const QByteArray frame = encodeFrame(call);
    EXPECT_EQ(frame, header(quint32(body.size())) + body);
    EXPECT_EQ(frameBody(body), frame);
    EXPECT_EQ(frameBody(QByteArray()), header(0));
}

TEST(Frames, ReaderCutsAStreamFedByteByByte)
{
    const Message messages[] = {OpenRequest{QStringLiteral("ATE02700.rdmManuDelValor"), 1},
                                CallReply{1, Value(wiretest::deliveryPacket(3)), {}},
                                ErrorReply{2, QStringLiteral("Numeracao")}};
    QByteArray stream;
    std::vector<qsizetype> ends;
    for (const Message& m : messages) {
        stream += encodeFrame(m);
        ends.push_back(stream.size());
    }
    stream += frameBody(QByteArray());  // an empty body is still a frame
    ends.push_back(stream.size());

    FrameReader reader;
    std::vector<QByteArray> taken;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        reader.append(stream.mid(i, 1));
        const auto frame = reader.takeFrame();
        const bool atEnd = std::find(ends.begin(), ends.end(), i + 1) != ends.end();
        ASSERT_EQ(frame.has_value(), atEnd) << "byte " << i;
        if (frame) {
            taken.push_back(*frame);
            EXPECT_FALSE(reader.midFrame());
        } else {
            EXPECT_TRUE(reader.midFrame());
        }
    }
    ASSERT_EQ(taken.size(), 4u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(decodeMessage(taken[i]), messages[i]);
    EXPECT_TRUE(taken[3].isEmpty());
}

TEST(Frames, ReaderTakesSeveralFramesFromOneChunk)
{
    QByteArray stream;
    for (int i = 0; i < 500; ++i) stream += encodeFrame(CallRequest{i, QStringLiteral("M"), {Value(i)}});
    const QByteArray tail = encodeFrame(CallRequest{500, QStringLiteral("M"), {}});
    stream += tail.left(7);

    FrameReader reader;
    reader.append(stream);
    for (int i = 0; i < 500; ++i) {
        const auto frame = reader.takeFrame();
        ASSERT_TRUE(frame);
        EXPECT_EQ(std::get<CallRequest>(decodeMessage(*frame)).id, i);
    }
    EXPECT_FALSE(reader.takeFrame());
    EXPECT_EQ(reader.buffered(), 7);
    reader.append(tail.mid(7));
    const auto last = reader.takeFrame();
    ASSERT_TRUE(last);
    EXPECT_EQ(std::get<CallRequest>(decodeMessage(*last)).id, 500);
    EXPECT_EQ(reader.buffered(), 0);
    EXPECT_FALSE(reader.takeFrame());
}

TEST(Frames, OversizeLengthIsRefusedAsSoonAsTheHeaderArrives)
{
    Limits limits;
    limits.maxFrameBytes = 100;

    FrameReader exact(limits);
    exact.append(header(100) + QByteArray(100, '\xf6'));
    const auto frame = exact.takeFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->size(), 100);

    FrameReader reader(limits);
    const QByteArray h = header(101);
    reader.append(h.left(3));
    EXPECT_FALSE(reader.takeFrame());
    EXPECT_THROW(reader.append(h.mid(3)), WireError);
    EXPECT_THROW(reader.takeFrame(), WireError);  // and stays refused

    // The default limit refuses a 4 GiB claim without waiting for any of it.
    FrameReader defaults;
    EXPECT_THROW(defaults.append(header(0xFFFFFFFFu)), WireError);

    // An oversize frame behind a good one is refused once the reader reaches it.
    FrameReader later(limits);
    const QByteArray good = frameBody(hex("f6"));
    later.append(good + header(5000));
    EXPECT_EQ(later.takeFrame(), hex("f6"));
    EXPECT_THROW(later.takeFrame(), WireError);
}
