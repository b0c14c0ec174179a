// Consiste::CheckResultServ: what passes as a result to load, and how a result that is not
// one reaches the operator.

#include "framework/units/core/check_result.h"

#include <gtest/gtest.h>

namespace {

wire::DataPacket onePacket(const QString& value)
{
    wire::DataPacket p;
    p.fields = {{QStringLiteral("CDERRO"), wire::FieldType::String, 20}};
    p.rows = {{wire::Value(value)}};
    return p;
}

QString serverErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EServerError& e) {
        return e.Message();
    }
    return QStringLiteral("<nothing raised>");
}

TEST(CheckResultServ, PacketsPassAndAnythingElseIsTheServersFailure)
{
    EXPECT_EQ(Consiste::CheckResultServ(wire::Value(onePacket("A")), true, 0), onePacket("A"));
    wire::Value held(onePacket("B"));
    EXPECT_EQ(Consiste::CheckResultServ(std::move(held), true, 0), onePacket("B"));
    // Success without data (the numbering answers true): nothing to load.
    EXPECT_EQ(Consiste::CheckResultServ(wire::Value(true), true, 0), wire::DataPacket{});

    // A text result is the server's own failure text, unchanged.
    EXPECT_EQ(serverErrorOf([] { Consiste::CheckResultServ(wire::Value(QStringLiteral("Numeracao")), true, 0); }),
              QStringLiteral("Numeracao"));
    const wire::Value unusable[] = {wire::Value(), wire::Value(false), wire::Value(3), wire::Value(wire::Array{}),
                                    wire::Value(wire::makeDateTime(2026, 1, 1))};
    for (const wire::Value& v : unusable) {
        SCOPED_TRACE(v.debugString().toStdString());
        EXPECT_TRUE(serverErrorOf([&] {
                        Consiste::CheckResultServ(v, true, 0);
                    }).startsWith(QStringLiteral("O servidor de aplicação retornou ")));
        // Not raising: nothing to load.
        EXPECT_EQ(Consiste::CheckResultServ(v, false, 0), wire::DataPacket{});
    }
    EXPECT_THROW(Consiste::CheckResultServ(wire::Value(onePacket("A")), true, 7), Exception);
}

TEST(CheckResultServ, APacketListMustHoldExactlyThePacketsAsked)
{
    const wire::Value three(wire::Array{onePacket("E"), onePacket("D"), onePacket("S")});
    const auto packets = Consiste::CheckResultServPackets(three, 3, true, 0);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[1], onePacket("D"));

    EXPECT_EQ(serverErrorOf([&] { Consiste::CheckResultServPackets(three, 2, true, 0); }),
              QStringLiteral(
                  "O servidor de aplicação retornou 3 valores quando se esperava uma lista de 2 pacotes de dados."));
    const wire::Value mixed(wire::Array{onePacket("E"), wire::Value(true), onePacket("S")});
    EXPECT_FALSE(
        serverErrorOf([&] { Consiste::CheckResultServPackets(mixed, 3, true, 0); }).startsWith(QLatin1Char('<')));
    EXPECT_EQ(
        serverErrorOf([] { Consiste::CheckResultServPackets(wire::Value(QStringLiteral("falhou")), 3, true, 0); }),
        QStringLiteral("falhou"));
    EXPECT_EQ(Consiste::CheckResultServPackets(mixed, 3, false, 0), std::vector<wire::DataPacket>(3));
}

}  // namespace
