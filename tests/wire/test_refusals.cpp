// Hostile and malformed input: every refusal is a WireError (never a crash, a bad_alloc or a
// read past the input) and says what was wrong.

#include "framework/wire/codec.h"
#include "wire_test_data.h"

#include <gtest/gtest.h>

#include <string>

using namespace wire;
using wiretest::hex;

namespace {

// The refusal's text, or "(accepted)".
std::string refusal(const QByteArray& bytes, const Limits& limits = {})
{
    try {
        decodeValue(bytes, limits);
    } catch (const WireError& e) {
        return e.what();
    }
    return "(accepted)";
}

void expectRefused(const char* spacedHex, const char* mentions)
{
    const std::string why = refusal(hex(spacedHex));
    EXPECT_NE(why.find(mentions), std::string::npos) << spacedHex << " -> " << why;
}

QByteArray nestedArrays(int levels) { return QByteArray(levels, '\x81') + QByteArray(1, '\x00'); }

}  // namespace

TEST(Refusals, TruncationAtEveryByteOfAValidMessage)
{
    CallReply reply;
    reply.id = 77;
    reply.result = Value(wiretest::deliveryPacket(4));
    ChangeSet c;
    c.fields = wiretest::deliveryPacket(0).fields;
    c.changes.push_back({ChangeKind::Update, wiretest::deliveryPacket(1).rows[0], wiretest::deliveryPacket(1).rows[0]});
    reply.args = {Value(QStringLiteral("0001")), Value(-3), Value(2.5), Value(c), Value(Array{Value(), Value(true)})};
    const QByteArray body = encodeMessage(reply);
    ASSERT_EQ(std::get<CallReply>(decodeMessage(body)), reply);
    for (qsizetype n = 0; n < body.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_THROW(decodeMessage(body.left(n)), WireError);
    }
    const QByteArray value = encodeValue(reply.result);
    for (qsizetype n = 0; n < value.size(); ++n) EXPECT_THROW(decodeValue(value.left(n)), WireError) << n;
}

TEST(Refusals, TrailingBytes)
{
    expectRefused("01 02", "1 bytes after the end");
    expectRefused("80 00", "after the end");
    EXPECT_THROW(decodeMessage(encodeMessage(OpenAccepted{}) + QByteArray(1, '\0')), WireError);
}

TEST(Refusals, NestingIsBoundedByTheDepthLimit)
{
    EXPECT_EQ(refusal(nestedArrays(64)), "(accepted)");
    EXPECT_NE(refusal(nestedArrays(65)).find("nesting deeper than 64"), std::string::npos);
    EXPECT_NE(refusal(nestedArrays(100000)).find("nesting"), std::string::npos);  // no stack overflow
    Limits shallow;
    shallow.maxDepth = 3;
    EXPECT_EQ(refusal(nestedArrays(3), shallow), "(accepted)");
    EXPECT_NE(refusal(nestedArrays(4), shallow), "(accepted)");

    // A message map is itself a level: args at level 2, so 62 more arrays fit inside it.
    auto callWithNesting = [](int levels) {
        Value v(qint64{1});
        for (int i = 0; i < levels; ++i) v = Value(Array{v});
        return encodeMessage(CallRequest{1, QStringLiteral("M"), Array{v}});
    };
    EXPECT_NO_THROW(decodeMessage(callWithNesting(62)));
    EXPECT_THROW(decodeMessage(callWithNesting(63)), WireError);
}

TEST(Refusals, DeclaredLengthsBeyondTheInput)
{
    // Each declares far more than the few bytes that follow; none may allocate for it.
    expectRefused("7b 7f ff ff ff ff ff ff ff 61", "declares more than");
    expectRefused("7b ff ff ff ff ff ff ff ff", "declares more than");
    expectRefused("9b 7f ff ff ff ff ff ff ff 00", "declares more than");
    expectRefused("9a ff ff ff ff 00 00", "declares more than");
    expectRefused("bb 7f ff ff ff ff ff ff ff 61 61 00", "declares more than");
    expectRefused("82 00", "declares more than");
    expectRefused("a2 61 61 00", "declares more than");
    expectRefused("82 81 00", "ends where a data item was expected");  // passes the count bound, still short
    expectRefused("19 01", "inside the head");
    expectRefused("fb 3f f0 00", "inside the head");
    // A packet announcing a million rows with two bytes of them.
    expectRefused("a2 66 66 69 65 6c 64 73 80 64 72 6f 77 73 9a 00 0f 42 40 80 80", "declares more than");
    // Rows of three values take at least four bytes each.
    const QByteArray packet = encodeValue(Value(wiretest::deliveryPacket(0)));
    EXPECT_NE(refusal(packet.left(packet.size() - 1) + hex("9a 00 00 00 05") + QByteArray(10, '\xf6'))
                  .find("declares more than"),
              std::string::npos);
}

TEST(Refusals, InputOverTheLimit)
{
    Limits small;
    small.maxFrameBytes = 8;
    EXPECT_EQ(refusal(hex("67 61 62 63 64 65 66 67"), small), "(accepted)");
    EXPECT_NE(refusal(hex("68 61 62 63 64 65 66 67 68"), small).find("exceed the limit of 8"), std::string::npos);
    EXPECT_THROW(decodeMessage(encodeMessage(CallRequest{1, QStringLiteral("GetDelivery"), {}}), small), WireError);
}

TEST(Refusals, InvalidUtf8InTextsAndKeys)
{
    const char* cases[] = {
        "62 c0 80",        // overlong NUL
        "62 c1 bf",        // overlong two-byte
        "63 e0 80 80",     // overlong three-byte
        "63 e0 9f bf",     // overlong three-byte, upper edge
        "63 ed a0 80",     // UTF-16 surrogate D800
        "63 ed bf bf",     // UTF-16 surrogate DFFF
        "64 f0 80 80 80",  // overlong four-byte
        "64 f4 90 80 80",  // above U+10FFFF
        "64 f5 80 80 80",  // lead byte that cannot start anything
        "61 80",           // stray continuation
        "61 ff",
        "62 e2 82",                          // cut three-byte sequence
        "63 41 c3 41",                       // lead byte followed by ASCII
        "6a 41 41 41 41 41 41 41 41 c3 28",  // after an ASCII run
    };
    for (const char* c : cases) expectRefused(c, "invalid UTF-8 in a text");
    // The same inside a map key (of a message and of a packet).
    EXPECT_NE(std::string(refusal(hex("a1 62 c0 80 00"))).find("invalid UTF-8 in a map key"), std::string::npos);
    EXPECT_THROW(decodeMessage(hex("a1 63 ed a0 80 00")), WireError);
    // Well-formed edges pass.
    EXPECT_EQ(decodeValue(hex("63 ef bf bf")).text(), QString(QChar(0xFFFF)));
    EXPECT_EQ(decodeValue(hex("63 ee 80 80")).text(), QString(QChar(0xE000)));
    EXPECT_EQ(decodeValue(hex("64 f0 90 80 80")).text().size(), 2);
}

TEST(Refusals, ItemsOutsideTheProtocol)
{
    expectRefused("c1 1a 51 4b 67 b0", "unknown tag 1");
    expectRefused("c2 41 01", "unknown tag 2");
    expectRefused("d9 d9 f7 01", "unknown tag 55799");
    expectRefused("c0 01", "a date-time must be a text");
    expectRefused("41 00", "byte strings are not used");
    expectRefused("9f 01 ff", "indefinite-length");
    expectRefused("7f 61 61 ff", "indefinite-length");
    expectRefused("bf ff", "indefinite-length");
    expectRefused("5f ff", "indefinite-length");
    expectRefused("1f", "malformed");
    expectRefused("ff", "break");
    expectRefused("1c", "reserved");
    expectRefused("7d", "reserved");
    expectRefused("f7", "undefined is not used");
    expectRefused("e0", "simple value 0");
    expectRefused("f3", "simple value 19");
    expectRefused("f8 20", "simple value 32");
    expectRefused("f8 ff", "simple value 255");
    expectRefused("f8 18", "simple value 24");
    expectRefused("1b 80 00 00 00 00 00 00 00", "out of the 64-bit");
    expectRefused("3b 80 00 00 00 00 00 00 00", "out of the 64-bit");
    expectRefused("a1 01 02", "map key must be a text");
    expectRefused("a1 80 02", "map key must be a text");
}

TEST(Refusals, MalformedDateTimes)
{
    const char* cases[] = {
        "2024-02-30T00:00:00.000Z",  // no such day
        "2023-02-29T00:00:00.000Z",  // not a leap year
        "2024-13-01T00:00:00.000Z",
        "2024-00-01T00:00:00.000Z",
        "0000-01-01T00:00:00.000Z",  // there is no year 0
        "2024-01-01T24:00:00.000Z",
        "2024-01-01T23:60:00.000Z",
        "2024-01-01T23:59:60.000Z",  // no leap seconds
        "2024-01-01T00:00:00.000",   // no zone marker
        "2024-01-01T00:00:00+01:00",
        "2024-01-01T00:00:00.00Z",  // milliseconds have three digits
        "2024-01-01T00:00:00.0000Z",
        "2024-01-01 00:00:00.000Z",
        "2024/01/01T00:00:00.000Z",
        "2024-1-01T00:00:00.0000Z",
        "+024-01-01T00:00:00.000Z",
        "2024-01-01T0a:00:00.000Z",
        "2024-01-01T00:00:00,000Z",
        "2024-01-01",
        "",
    };
    for (const char* text : cases) {
        const QByteArray t(text);
        QByteArray bytes = hex("c0");
        if (t.size() < 24) {
            bytes += char(0x60 + t.size());
        } else {
            bytes += char(0x78);
            bytes += char(t.size());
        }
        bytes += t;
        const std::string why = refusal(bytes);
        EXPECT_NE(why.find("malformed date-time"), std::string::npos) << text << " -> " << why;
    }
    // A date-time whose text is not even UTF-8 is still refused cleanly.
    expectRefused("c0 74 ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff", "malformed date-time");
}

TEST(Refusals, MessagesNameTheMissingOrMistypedKey)
{
    struct Case {
        const char* diag;
        QByteArray bytes;
        const char* mentions;
    };
    auto map = [](std::initializer_list<std::pair<QByteArray, QByteArray>> entries) {
        QByteArray out(1, char(0xA0 + entries.size()));
        for (const auto& [k, v] : entries) out += char(0x60 + k.size()) + k + v;
        return out;
    };
    const QByteArray call = QByteArray(
        "\x64"
        "call");
    const QByteArray method = QByteArray(
        "\x64"
        "Ping");
    const Case cases[] = {
        {"call without method", map({{"id", hex("01")}, {"op", call}, {"args", hex("80")}}), "\"method\""},
        {"call without id", map({{"op", call}, {"method", method}, {"args", hex("80")}}), "\"id\""},
        {"call without args", map({{"id", hex("01")}, {"op", call}, {"method", method}}), "\"args\""},
        {"id as text", map({{"id", hex("61 31")}, {"op", call}, {"method", method}, {"args", hex("80")}}), "\"id\""},
        {"args as map", map({{"id", hex("01")}, {"op", call}, {"method", method}, {"args", hex("a0")}}), "\"args\""},
        {"method as int", map({{"id", hex("01")}, {"op", call}, {"method", hex("01")}, {"args", hex("80")}}),
         "\"method\""},
        {"open without server",
         map({{"op", QByteArray("\x64"
                                "open")},
              {"version", hex("01")}}),
         "\"server\""},
        {"open version text",
         map({{"op", QByteArray("\x64"
                                "open")},
              {"server", method},
              {"version", hex("61 31")}}),
         "\"version\""},
        {"unknown op",
         map({{"op", QByteArray("\x64"
                                "quit")}}),
         "unknown op \"quit\""},
        {"op not text", map({{"op", hex("01")}}), "\"op\""},
        {"reply without args", map({{"id", hex("01")}, {"result", hex("f6")}}), "\"args\""},
        {"reply without id", map({{"result", hex("f6")}, {"args", hex("80")}}), "\"id\""},
        {"error not a map", map({{"error", hex("61 78")}}), "\"error\""},
        {"error without message", map({{"error", hex("a0")}}), "\"message\""},
        {"message not text", map({{"error", map({{"message", hex("01")}})}}), "\"message\""},
        {"result and error",
         map({{"id", hex("01")}, {"result", hex("f6")}, {"args", hex("80")}, {"error", map({{"message", hex("60")}})}}),
         "both"},
        {"ok false", map({{"ok", hex("f4")}}), "\"ok\""},
        {"ok not bool", map({{"ok", hex("01")}}), "\"ok\""},
        {"nothing known", map({{"hello", hex("01")}}), "not a protocol message"},
        {"not a map", hex("80"), "must be a map"},
        {"duplicate id", map({{"id", hex("01")}, {"id", hex("02")}, {"result", hex("f6")}, {"args", hex("80")}}),
         "duplicate map key \"id\""},
        {"duplicate unknown", map({{"x", hex("01")}, {"x", hex("01")}, {"ok", hex("f5")}}), "duplicate map key \"x\""},
        {"duplicate in error", map({{"error", map({{"message", hex("60")}, {"message", hex("60")}})}}), "duplicate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.diag);
        try {
            decodeMessage(c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const WireError& e) {
            EXPECT_NE(std::string(e.what()).find(c.mentions), std::string::npos) << e.what();
        }
    }
}
