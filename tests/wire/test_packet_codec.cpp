// Data packets and change sets: round trips, the typing rules of their cells, and the checks
// of their fields, rows and changes in both directions. Malformed packets are built with Qt's
// own CBOR classes so they are independent of the codec under test.

#include "framework/wire/codec.h"
#include "wire_test_data.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborStreamWriter>
#include <QCborValue>

#include <gtest/gtest.h>

#include <limits>

using namespace wire;

namespace {

QCborArray field(const QString& name, const QString& type, qint64 size = 0) { return QCborArray{name, type, size}; }

QCborArray twoFields()
{
    return QCborArray{field(QStringLiteral("CODE"), QStringLiteral("string"), 4),
                      field(QStringLiteral("QT"), QStringLiteral("integer"))};
}

QByteArray packetBytes(const QCborArray& fields, const QCborArray& rows)
{
    QCborMap m;
    m.insert(QStringLiteral("fields"), fields);
    m.insert(QStringLiteral("rows"), rows);
    return m.toCborValue().toCbor();
}

QByteArray changeSetBytes(const QCborArray& fields, const QCborArray& changes)
{
    QCborMap m;
    m.insert(QStringLiteral("fields"), fields);
    m.insert(QStringLiteral("changes"), changes);
    return m.toCborValue().toCbor();
}

QCborValue cborDateTime(const char* text)
{
    return QCborValue(QCborKnownTags::DateTimeString, QString::fromLatin1(text));
}

// The refusal's text, or a note that nothing was refused.
std::string refusal(const QByteArray& bytes)
{
    try {
        decodeValue(bytes);
    } catch (const WireError& e) {
        return e.what();
    }
    return "(accepted)";
}

std::string encodeRefusal(const Value& v)
{
    try {
        encodeValue(v);
    } catch (const WireError& e) {
        return e.what();
    }
    return "(accepted)";
}

}  // namespace

TEST(PacketCodec, DeliveryPacketRoundTripsWithNullsInEveryType)
{
    DataPacket p = wiretest::deliveryPacket(50);
    p.rows[3] = Row(p.fields.size());  // a row of nulls only
    const Value back = decodeValue(encodeValue(Value(p)));
    ASSERT_EQ(back.kind(), Value::Kind::Packet);
    EXPECT_EQ(back.packet(), p);
    EXPECT_EQ(back.packet().fieldIndex(u"DTHRPLANVOO"), 3);

    const DataPacket empty;
    EXPECT_EQ(decodeValue(encodeValue(Value(empty))).packet(), empty);
    DataPacket noRows;
    noRows.fields = p.fields;
    EXPECT_EQ(decodeValue(encodeValue(Value(noRows))).packet(), noRows);
}

TEST(PacketCodec, RowsBeforeFieldsAreReadOnceTheFieldsAreKnown)
{
    QCborMap m;
    m.insert(QStringLiteral("rows"),
             QCborArray{QCborArray{QStringLiteral("0001"), 3}, QCborArray{QCborValue(QCborValue::Null), 4}});
    m.insert(QStringLiteral("fields"), twoFields());
    const DataPacket p = decodeValue(m.toCborValue().toCbor()).packet();
    ASSERT_EQ(p.rows.size(), 2u);
    EXPECT_EQ(p.rows[0][0].text(), QStringLiteral("0001"));
    EXPECT_EQ(p.rows[1][1].toInteger(), 4);
    EXPECT_TRUE(p.rows[1][0].isNull());

    // The deferred rows are still checked against the fields.
    QCborMap bad;
    bad.insert(QStringLiteral("rows"), QCborArray{QCborArray{QStringLiteral("0001"), QStringLiteral("3")}});
    bad.insert(QStringLiteral("fields"), twoFields());
    EXPECT_NE(refusal(bad.toCborValue().toCbor()).find("\"QT\""), std::string::npos);
}

TEST(PacketCodec, CellsMustMatchTheirFieldType)
{
    const QCborArray all{
        field(QStringLiteral("S"), QStringLiteral("string"), 10), field(QStringLiteral("F"), QStringLiteral("float")),
        field(QStringLiteral("D"), QStringLiteral("datetime")), field(QStringLiteral("I"), QStringLiteral("integer"))};
    const QCborValue good[] = {QStringLiteral("x"), 1.25, cborDateTime("2024-01-01T00:00:00.000Z"), 7};
    auto row = [&](int column, const QCborValue& v) {
        QCborArray r{good[0], good[1], good[2], good[3]};
        r[column] = v;
        return packetBytes(all, QCborArray{r});
    };
    ASSERT_EQ(refusal(packetBytes(all, QCborArray{QCborArray{good[0], good[1], good[2], good[3]}})), "(accepted)");

    // An integer in a float field is a double.
    const Value widened = decodeValue(row(1, 12));
    EXPECT_EQ(widened.packet().rows[0][1].kind(), Value::Kind::Double);
    EXPECT_EQ(widened.packet().rows[0][1].toDouble(), 12.0);
    // Qt writes 1.5 as a half-precision float; a float field takes it.
    EXPECT_EQ(decodeValue(row(1, 1.5)).packet().rows[0][1].toDouble(), 1.5);

    struct Bad {
        int column;
        QCborValue value;
        const char* field;
    };
    const Bad bad[] = {
        {0, 5, "\"S\""},                                         // number in a string field
        {0, cborDateTime("2024-01-01T00:00:00Z"), "\"S\""},      // date-time in a string field
        {1, QStringLiteral("1.5"), "\"F\""},                     // text in a float field
        {1, std::numeric_limits<double>::quiet_NaN(), "\"F\""},  // no column stores NaN
        {1, std::numeric_limits<double>::infinity(), "\"F\""},
        {2, QStringLiteral("2024-01-01T00:00:00Z"), "\"D\""},  // untagged date text
        {2, 0, "\"D\""},
        {3, 7.0, "\"I\""},  // even an integral double
        {3, 7.5, "\"I\""},
        {3, true, "\"I\""},
        {3, QCborArray{}, "\"I\""},
    };
    for (const Bad& b : bad) {
        const std::string why = refusal(row(b.column, b.value));
        SCOPED_TRACE(why);
        EXPECT_NE(why.find(b.field), std::string::npos);
        EXPECT_NE(why.find("row 1"), std::string::npos);
    }
}

TEST(PacketCodec, FieldDefinitionsAreChecked)
{
    const QCborArray noRows;
    EXPECT_EQ(
        refusal(packetBytes(QCborArray{field(QStringLiteral("A"), QStringLiteral("string"), 2147483647)}, noRows)),
        "(accepted)");
    const QCborArray bad[] = {
        QCborArray{field(QString(), QStringLiteral("string"))},
        QCborArray{field(QStringLiteral("A"), QStringLiteral("text"))},
        QCborArray{field(QStringLiteral("A"), QStringLiteral("String"))},
        QCborArray{field(QStringLiteral("A"), QStringLiteral("string"), -1)},
        QCborArray{field(QStringLiteral("A"), QStringLiteral("string"), 2147483648LL)},
        QCborArray{QCborArray{QStringLiteral("A"), QStringLiteral("string"), 1.0}},
        QCborArray{QCborArray{QStringLiteral("A"), QStringLiteral("string")}},
        QCborArray{QCborArray{QStringLiteral("A"), QStringLiteral("string"), 0, 0}},
        QCborArray{QStringLiteral("A")},
        QCborArray{field(QStringLiteral("A"), QStringLiteral("string")),
                   field(QStringLiteral("B"), QStringLiteral("float")),
                   field(QStringLiteral("A"), QStringLiteral("integer"))},
    };
    for (const QCborArray& fields : bad) {
        SCOPED_TRACE(QCborValue(fields).toDiagnosticNotation().toStdString());
        EXPECT_NE(refusal(packetBytes(fields, noRows)), "(accepted)");
    }
    EXPECT_NE(refusal(packetBytes(bad[9], noRows)).find("\"A\" appears twice"), std::string::npos);

    // Many fields: the duplicate check must not depend on them being few.
    QCborArray many;
    for (int i = 0; i < 500; ++i) many.append(field(QStringLiteral("F%1").arg(i), QStringLiteral("integer")));
    EXPECT_EQ(refusal(packetBytes(many, noRows)), "(accepted)");
    many.append(field(QStringLiteral("F250"), QStringLiteral("float")));
    EXPECT_NE(refusal(packetBytes(many, noRows)).find("\"F250\""), std::string::npos);
}

TEST(PacketCodec, EveryRowHasOneValuePerField)
{
    const std::string shortRow = refusal(
        packetBytes(twoFields(), QCborArray{QCborArray{QStringLiteral("a"), 1}, QCborArray{QStringLiteral("b")}}));
    EXPECT_NE(shortRow.find("row 2 has 1 values for 2 fields"), std::string::npos) << shortRow;
    EXPECT_NE(refusal(packetBytes(twoFields(), QCborArray{QCborArray{QStringLiteral("a"), 1, 2}})), "(accepted)");
    EXPECT_NE(refusal(packetBytes(twoFields(), QCborArray{QStringLiteral("a")})), "(accepted)");
    EXPECT_NE(refusal(packetBytes(QCborArray{}, QCborArray{QCborArray{1}})), "(accepted)");
    EXPECT_EQ(refusal(packetBytes(QCborArray{}, QCborArray{QCborArray{}, QCborArray{}})), "(accepted)");
}

TEST(PacketCodec, MapsMustBePacketsOrChangeSets)
{
    const auto mapOf = [](std::initializer_list<std::pair<const char*, QCborValue>> entries) {
        QCborMap m;
        for (const auto& [k, v] : entries) m.insert(QString::fromLatin1(k), v);
        return m.toCborValue().toCbor();
    };
    EXPECT_NE(refusal(mapOf({})), "(accepted)");
    EXPECT_NE(refusal(mapOf({{"fields", twoFields()}})), "(accepted)");
    EXPECT_NE(refusal(mapOf({{"rows", QCborArray{}}})).find("\"fields\""), std::string::npos);
    EXPECT_NE(refusal(mapOf({{"fields", twoFields()}, {"rows", QCborArray{}}, {"changes", QCborArray{}}})),
              "(accepted)");
    EXPECT_NE(refusal(mapOf({{"fields", twoFields()}, {"rows", QCborArray{}}, {"extra", 1}})).find("\"extra\""),
              std::string::npos);
    EXPECT_NE(refusal(mapOf({{"a", 1}})), "(accepted)");

    // The same key twice, written by hand since QCborMap would keep one.
    QByteArray twice;
    QCborStreamWriter w(&twice);
    w.startMap(3);
    w.append(QLatin1String("fields"));
    QCborValue(QCborArray{}).toCbor(w);
    w.append(QLatin1String("rows"));
    w.startArray(0);
    w.endArray();
    w.append(QLatin1String("rows"));
    w.startArray(0);
    w.endArray();
    w.endMap();
    EXPECT_NE(refusal(twice).find("duplicate"), std::string::npos);
}

TEST(PacketCodec, ChangeSetsOfEveryOpRoundTrip)
{
    ChangeSet c;
    c.fields = wiretest::deliveryPacket(0).fields;
    const DataPacket rows = wiretest::deliveryPacket(3);
    c.changes.push_back({ChangeKind::Insert, {}, rows.rows[0]});
    c.changes.push_back({ChangeKind::Update, rows.rows[1], rows.rows[2]});
    c.changes.push_back({ChangeKind::Delete, rows.rows[2], {}});
    const Value back = decodeValue(encodeValue(Value(c)));
    ASSERT_EQ(back.kind(), Value::Kind::ChangeSet);
    EXPECT_EQ(back.changeSet(), c);
    EXPECT_EQ(decodeValue(encodeValue(Value(ChangeSet{c.fields, {}}))).changeSet().changes.size(), 0u);

    // Qt's parser reads the same structure.
    const QCborMap qt = QCborValue::fromCbor(encodeValue(Value(c))).toMap();
    EXPECT_EQ(qt[QStringLiteral("changes")][1][QStringLiteral("op")].toString(), QStringLiteral("update"));
    EXPECT_EQ(qt[QStringLiteral("changes")][2][QStringLiteral("old")][1].toInteger(), 100002);
}

TEST(PacketCodec, ChangesCarryExactlyTheRowsTheirOpNeeds)
{
    const QCborArray row{QStringLiteral("a"), 1};
    const auto change = [](std::initializer_list<std::pair<const char*, QCborValue>> entries) {
        QCborMap m;
        for (const auto& [k, v] : entries) m.insert(QString::fromLatin1(k), v);
        return m;
    };
    EXPECT_EQ(
        refusal(changeSetBytes(twoFields(), QCborArray{change({{"new", row}, {"op", QStringLiteral("insert")}})})),
        "(accepted)");
    const QCborMap bad[] = {
        change({{"op", QStringLiteral("insert")}}),
        change({{"op", QStringLiteral("insert")}, {"new", row}, {"old", row}}),
        change({{"op", QStringLiteral("update")}, {"new", row}}),
        change({{"op", QStringLiteral("update")}, {"old", row}}),
        change({{"op", QStringLiteral("delete")}, {"old", row}, {"new", row}}),
        change({{"op", QStringLiteral("delete")}}),
        change({{"op", QStringLiteral("merge")}, {"old", row}}),
        change({{"op", 1}, {"old", row}}),
        change({{"old", row}}),
        change({{"op", QStringLiteral("delete")}, {"old", row}, {"why", 1}}),
        change({{"op", QStringLiteral("delete")}, {"old", QCborArray{QStringLiteral("a")}}}),
        change({{"op", QStringLiteral("delete")}, {"old", QCborArray{1, 1}}}),
    };
    for (const QCborMap& m : bad) {
        SCOPED_TRACE(QCborValue(m).toDiagnosticNotation().toStdString());
        EXPECT_NE(refusal(changeSetBytes(twoFields(), QCborArray{m})), "(accepted)");
    }
    EXPECT_NE(refusal(changeSetBytes(twoFields(), QCborArray{QCborArray{}})), "(accepted)");
}

TEST(PacketCodec, EncoderRefusesWhatTheDecoderWould)
{
    DataPacket p;
    p.fields = {{QStringLiteral("QT"), FieldType::Integer, 0}, {QStringLiteral("VR"), FieldType::Float, 0}};

    // An integral double in an integer field goes out as an integer; an integer in a float
    // field as a double.
    p.rows = {{Value(3.0), Value(qint64{2})}};
    const DataPacket back = decodeValue(encodeValue(Value(p))).packet();
    EXPECT_EQ(back.rows[0][0].kind(), Value::Kind::Integer);
    EXPECT_EQ(back.rows[0][0].toInteger(), 3);
    EXPECT_EQ(back.rows[0][1].kind(), Value::Kind::Double);

    const Row bad[] = {
        {Value(3.5), Value(1.0)},
        {Value(1e19), Value(1.0)},
        {Value(1), Value(std::numeric_limits<double>::quiet_NaN())},
        {Value(1), Value(QStringLiteral("1.0"))},
        {Value(QStringLiteral("1")), Value(1.0)},
        {Value(1)},
        {Value(1), Value(1.0), Value(1.0)},
    };
    for (const Row& row : bad) {
        p.rows = {row};
        EXPECT_NE(encodeRefusal(Value(p)), "(accepted)");
    }

    DataPacket twin;
    twin.fields = {{QStringLiteral("A"), FieldType::String, 1}, {QStringLiteral("A"), FieldType::String, 1}};
    EXPECT_NE(encodeRefusal(Value(twin)), "(accepted)");
    DataPacket unnamed;
    unnamed.fields = {{QString(), FieldType::String, 1}};
    EXPECT_NE(encodeRefusal(Value(unnamed)), "(accepted)");

    ChangeSet c;
    c.fields = p.fields;
    c.changes.push_back({ChangeKind::Update, {Value(1), Value(1.0)}, {Value(1)}});
    EXPECT_NE(encodeRefusal(Value(c)).find("change 1"), std::string::npos);
}

TEST(PacketCodec, LargePacketRoundTrips)
{
    const DataPacket p = wiretest::deliveryPacket(20000);
    const QByteArray bytes = encodeValue(Value(p));
    Value back = decodeValue(bytes);
    EXPECT_EQ(back.packet(), p);
    const DataPacket taken = back.takePacket();
    EXPECT_EQ(taken.rows.size(), 20000u);
    EXPECT_EQ(taken.rows[19999][1].toInteger(), 119999);
}
