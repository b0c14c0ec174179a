// Plain values: exact bytes where the protocol fixes them, round trips, and agreement with an
// independent CBOR implementation (QCborValue) in both directions.

#include "framework/wire/codec.h"
#include "wire_test_data.h"

#include <QCborArray>
#include <QCborValue>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace wire;
using wiretest::hex;

namespace {

Value roundTrip(const Value& v) { return decodeValue(encodeValue(v)); }

}  // namespace

TEST(ValueCodec, IntegersUseTheShortestHeadAndRoundTrip)
{
    struct Case {
        qint64 value;
        const char* bytes;
    };
    const Case cases[] = {
        {0, "00"},
        {23, "17"},
        {24, "18 18"},
        {255, "18 ff"},
        {256, "19 01 00"},
        {65535, "19 ff ff"},
        {65536, "1a 00 01 00 00"},
        {4294967295LL, "1a ff ff ff ff"},
        {4294967296LL, "1b 00 00 00 01 00 00 00 00"},
        {std::numeric_limits<qint64>::max(), "1b 7f ff ff ff ff ff ff ff"},
        {-1, "20"},
        {-24, "37"},
        {-25, "38 18"},
        {-256, "38 ff"},
        {-257, "39 01 00"},
        {std::numeric_limits<qint64>::min(), "3b 7f ff ff ff ff ff ff ff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(encodeValue(Value(c.value)).toHex(' '), hex(c.bytes).toHex(' '));
        const Value back = decodeValue(hex(c.bytes));
        ASSERT_EQ(back.kind(), Value::Kind::Integer);
        EXPECT_EQ(back.toInteger(), c.value);
    }
}

TEST(ValueCodec, DoublesAreAlwaysFloat64AndKeepEveryBit)
{
    EXPECT_EQ(encodeValue(Value(1.0)), hex("fb 3f f0 00 00 00 00 00 00"));
    EXPECT_EQ(encodeValue(Value(-4.1)), hex("fb c0 10 66 66 66 66 66 66"));

    const double cases[] = {0.0,
                            -0.0,
                            1.5,
                            1234.57,
                            1e300,
                            5e-324,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};
    for (double d : cases) {
        SCOPED_TRACE(d);
        const Value back = roundTrip(Value(d));
        ASSERT_EQ(back.kind(), Value::Kind::Double);
        EXPECT_EQ(back.toDouble(), d);
        EXPECT_EQ(std::signbit(back.toDouble()), std::signbit(d));
    }
    const Value nan = roundTrip(Value(std::numeric_limits<double>::quiet_NaN()));
    ASSERT_EQ(nan.kind(), Value::Kind::Double);
    EXPECT_TRUE(std::isnan(nan.toDouble()));
}

TEST(ValueCodec, HalfAndSinglePrecisionAreReadAsDoubles)
{
    // Examples of RFC 8949, appendix A.
    EXPECT_EQ(decodeValue(hex("f9 3c 00")).toDouble(), 1.0);
    EXPECT_EQ(decodeValue(hex("f9 3e 00")).toDouble(), 1.5);
    EXPECT_EQ(decodeValue(hex("f9 7b ff")).toDouble(), 65504.0);
    EXPECT_EQ(decodeValue(hex("f9 00 01")).toDouble(), 5.960464477539063e-8);
    EXPECT_EQ(decodeValue(hex("f9 04 00")).toDouble(), 0.00006103515625);
    EXPECT_EQ(decodeValue(hex("f9 c4 00")).toDouble(), -4.0);
    EXPECT_TRUE(std::signbit(decodeValue(hex("f9 80 00")).toDouble()));
    EXPECT_EQ(decodeValue(hex("f9 7c 00")).toDouble(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(decodeValue(hex("f9 fc 00")).toDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(decodeValue(hex("f9 7e 00")).toDouble()));
    EXPECT_EQ(decodeValue(hex("fa 47 c3 50 00")).toDouble(), 100000.0);
    EXPECT_EQ(decodeValue(hex("fa 7f 7f ff ff")).toDouble(), 3.4028234663852886e+38);
    EXPECT_EQ(decodeValue(hex("fa ff 80 00 00")).toDouble(), -std::numeric_limits<double>::infinity());
}

TEST(ValueCodec, TextRoundTripsAsUtf8)
{
    const QString cases[] = {
        QString(),
        QStringLiteral("0001"),
        QStringLiteral("Emissão de Guia Valorizado"),
        QStringLiteral("¿EVoo_valta"),
        QStringLiteral("näo há índce"),
        QString::fromUtf8("\xEF\xBB\xBF"
                          "BOM kept"),                                    // a leading U+FEFF is text, not a marker
        QString::fromUtf8("pair \xF0\x9F\x8D\xB1 and \xF4\x8F\xBF\xBF"),  // beyond the BMP, up to U+10FFFF
        QString(QChar(0)) + QStringLiteral("after NUL"),
        QString(300, QChar(u'x')),
    };
    for (const QString& s : cases) {
        SCOPED_TRACE(s.toStdString());
        const QByteArray bytes = encodeValue(Value(s));
        // The payload is exactly the text's UTF-8.
        EXPECT_TRUE(bytes.endsWith(s.toUtf8()));
        const Value back = decodeValue(bytes);
        ASSERT_EQ(back.kind(), Value::Kind::Text);
        EXPECT_EQ(back.text(), s);
    }
    EXPECT_EQ(encodeValue(Value(QStringLiteral("a"))), hex("61 61"));
    EXPECT_EQ(encodeValue(Value(QStringLiteral("ü"))), hex("62 c3 bc"));
    EXPECT_EQ(encodeValue(Value(QString(24, QChar(u'z')))).left(2), hex("78 18"));
}

TEST(ValueCodec, LoneSurrogateIsSentAsReplacementCharacter)
{
    const QString broken = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b");
    const Value back = roundTrip(Value(broken));
    EXPECT_EQ(back.text(), QStringLiteral("a\uFFFDb"));
}

TEST(ValueCodec, DateTimesTravelAsTagZeroText)
{
    const QDateTime dt = makeDateTime(2024, 2, 29, 13, 45, 7, 89);
    EXPECT_EQ(encodeValue(Value(dt)), QByteArray("\xC0\x78\x18"
                                                 "2024-02-29T13:45:07.089Z",
                                                 27));

    const QDateTime cases[] = {makeDateTime(1, 1, 1), makeDateTime(9999, 12, 31, 23, 59, 59, 999),
                               makeDateTime(1969, 12, 31, 23, 59, 59, 1), makeDateTime(2000, 2, 29, 0, 0, 0, 0)};
    for (const QDateTime& c : cases) {
        SCOPED_TRACE(c.toString(Qt::ISODateWithMs).toStdString());
        const Value back = roundTrip(Value(c));
        ASSERT_EQ(back.kind(), Value::Kind::DateTime);
        EXPECT_EQ(back.dateTime(), c);
        EXPECT_EQ(back.dateTime().timeSpec(), Qt::UTC);
    }

    // A local-time reading keeps its wall clock: no time-zone arithmetic.
    const QDateTime local(QDate(2024, 6, 1), QTime(8, 30), Qt::LocalTime);
    EXPECT_EQ(roundTrip(Value(local)).dateTime(), makeDateTime(2024, 6, 1, 8, 30));

    // Without milliseconds on the way in.
    EXPECT_EQ(decodeValue(QByteArray("\xC0\x74"
                                     "2023-11-05T06:07:08Z",
                                     22))
                  .dateTime(),
              makeDateTime(2023, 11, 5, 6, 7, 8));
}

TEST(ValueCodec, DateTimeOutsideFourDigitYearsIsNotEncoded)
{
    EXPECT_THROW(encodeValue(Value(makeDateTime(10000, 1, 1))), WireError);
    EXPECT_THROW(encodeValue(Value(makeDateTime(-5, 1, 1))), WireError);
    QByteArray out("keep");
    EXPECT_THROW(encodeValue(out, Value(Array{Value(1), Value(makeDateTime(12000, 1, 1))})), WireError);
    EXPECT_EQ(out, QByteArray("keep"));  // nothing half-written
}

TEST(ValueCodec, ArraysNestAndMixKinds)
{
    const Array inner{Value(),
                      Value(true),
                      Value(false),
                      Value(-7),
                      Value(2.5),
                      Value(QStringLiteral("x")),
                      Value(makeDateTime(2024, 1, 2, 3, 4, 5, 6))};
    const Array cases[] = {
        Array{},
        Array{Value(Array{})},
        inner,
        Array{Value(inner), Value(Array{Value(Array{Value(inner)})}), Value(wiretest::deliveryPacket(3))},
    };
    for (const Array& a : cases) {
        const Value back = roundTrip(Value(a));
        ASSERT_EQ(back.kind(), Value::Kind::Array);
        EXPECT_EQ(back, Value(a)) << back.debugString().toStdString();
    }
    EXPECT_EQ(encodeValue(Value(Array{})), hex("80"));
    EXPECT_EQ(encodeValue(Value(Array{Value(1), Value(Array{Value(2), Value(3)})})), hex("82 01 82 02 03"));
}

TEST(ValueCodec, AgreesWithQtCborInBothDirections)
{
    // Qt's writer picks half and single precision when lossless, and its own key order.
    QCborArray qt;
    qt.append(QCborValue(1.5));
    qt.append(QCborValue(100000.0));
    qt.append(QCborValue(3.1));
    qt.append(QCborValue(-1234567890123LL));
    qt.append(QCborValue(QStringLiteral("Vôo ¿")));
    qt.append(QCborValue(QCborKnownTags::DateTimeString, QStringLiteral("2024-05-06T07:08:09.010Z")));
    qt.append(QCborValue(QCborValue::Null));
    qt.append(QCborArray{QCborValue(true)});
    const Value ours = decodeValue(qt.toCborValue().toCbor());
    const Array expected{Value(1.5),
                         Value(100000.0),
                         Value(3.1),
                         Value(qint64{-1234567890123LL}),
                         Value(QStringLiteral("Vôo ¿")),
                         Value(makeDateTime(2024, 5, 6, 7, 8, 9, 10)),
                         Value(),
                         Value(Array{Value(true)})};
    EXPECT_EQ(ours, Value(expected)) << ours.debugString().toStdString();

    QCborParserError error;
    const QCborValue parsed = QCborValue::fromCbor(encodeValue(Value(expected)), &error);
    ASSERT_EQ(error.error, QCborError::NoError);
    const QCborArray a = parsed.toArray();
    ASSERT_EQ(a.size(), 8);
    EXPECT_EQ(a[0].toDouble(), 1.5);
    EXPECT_EQ(a[3].toInteger(), -1234567890123LL);
    EXPECT_EQ(a[4].toString(), QStringLiteral("Vôo ¿"));
    EXPECT_EQ(a[5].toDateTime(), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9, 10), Qt::UTC));
    EXPECT_TRUE(a[6].isNull());
    EXPECT_TRUE(a[7].toArray()[0].toBool());
}
