// The server's command line as QCommandLineParser reads it: both option forms, the client
// administration commands, and the combinations it refuses.

#include "server/net/command_line.h"

#include <gtest/gtest.h>

using namespace server::net;

namespace {

QString refusal(const QStringList& args)
{
    try {
        parseCommandLine(args);
    } catch (const UsageError& e) {
        return e.Message();
    }
    return QStringLiteral("<accepted>");
}

TEST(ServerCommandLineOptions, SecurityOptionsInBothFormsAndTheClientCommands)
{
    const Command serve =
        parseCommandLine({QStringLiteral("serve"), QStringLiteral("--db"), QStringLiteral("sqlite:/tmp/a.db"),
                          QStringLiteral("--tls-cert=/c.pem"), QStringLiteral("--tls-key"), QStringLiteral("/k.pem"),
                          QStringLiteral("--trusted-network")});
    const ServeOptions& o = std::get<ServeCommand>(serve).options;
    ASSERT_TRUE(o.tls.has_value());
    EXPECT_EQ(o.tls->certificate, QStringLiteral("/c.pem"));
    EXPECT_EQ(o.tls->privateKey, QStringLiteral("/k.pem"));
    EXPECT_TRUE(o.trustedNetwork);
    const ServeOptions plain =
        std::get<ServeCommand>(parseCommandLine({QStringLiteral("serve"), QStringLiteral("--db=sqlite:/tmp/a.db")}))
            .options;
    EXPECT_FALSE(plain.tls.has_value());
    EXPECT_FALSE(plain.trustedNetwork);

    const auto client = [](QStringList args) {
        args.prepend(QStringLiteral("client"));
        return std::get<ClientCommand>(parseCommandLine(args));
    };
    const ClientCommand add =
        client({QStringLiteral("add"), QStringLiteral("CAIXA01"), QStringLiteral("--branches=1, 0002,1"),
                QStringLiteral("--db"), QStringLiteral("sqlite:/tmp/a.db")});
    EXPECT_EQ(add.action, ClientCommand::Action::Add);
    EXPECT_EQ(add.name, QStringLiteral("CAIXA01"));
    EXPECT_EQ(add.branches.codes, (QStringList{QStringLiteral("0001"), QStringLiteral("0002")}));
    EXPECT_FALSE(add.branches.all);
    const ClientCommand all = client({QStringLiteral("branches"), QStringLiteral("CAIXA01"), QStringLiteral("*"),
                                      QStringLiteral("--db=sqlite:/tmp/a.db")});
    EXPECT_EQ(all.action, ClientCommand::Action::Branches);
    EXPECT_TRUE(all.branches.all);
    EXPECT_EQ(client({QStringLiteral("list"), QStringLiteral("--db=sqlite:/tmp/a.db")}).action,
              ClientCommand::Action::List);
    EXPECT_EQ(client({QStringLiteral("revoke"), QStringLiteral("X"), QStringLiteral("--db=sqlite:/tmp/a.db")}).name,
              QStringLiteral("X"));

    EXPECT_TRUE(std::holds_alternative<VersionCommand>(parseCommandLine({QStringLiteral("--version")})));
    EXPECT_TRUE(std::holds_alternative<HelpCommand>(parseCommandLine({QStringLiteral("--help")})));
}

TEST(ServerCommandLineOptions, WrongCombinationsAreRefusedInPortuguese)
{
    const QString db = QStringLiteral("--db=sqlite:/tmp/a.db");
    EXPECT_EQ(refusal({QStringLiteral("serve"), db, QStringLiteral("--branches=1")}),
              QStringLiteral("Opção desconhecida para serve: \"--branches\"."));
    EXPECT_EQ(refusal({QStringLiteral("serve"), db, QStringLiteral("extra")}),
              QStringLiteral("Argumento inesperado para serve: \"extra\"."));
    EXPECT_TRUE(
        refusal({QStringLiteral("serve"), db, QStringLiteral("--tls-key=/k.pem")}).contains(QStringLiteral("juntos")));
    EXPECT_EQ(refusal({QStringLiteral("client"), QStringLiteral("list"), db, QStringLiteral("--branches=1")}),
              QStringLiteral("Opção desconhecida para client list: \"--branches\"."));
    EXPECT_TRUE(refusal({QStringLiteral("client"), QStringLiteral("add"), QStringLiteral("A"),
                         QStringLiteral("--branches"), QStringLiteral("12345"), db})
                    .contains(QStringLiteral("código de filial inválido")));
    EXPECT_EQ(refusal({QStringLiteral("client"), QStringLiteral("revoke"), QStringLiteral("A")}),
              QStringLiteral("O comando client revoke exige --db URL."));
    EXPECT_EQ(refusal({QStringLiteral("client")}),
              QStringLiteral("Informe a ação de client: add, list, revoke ou branches."));
    EXPECT_EQ(refusal({QStringLiteral("init"), QStringLiteral("--db")}),
              QStringLiteral("A opção --db exige um valor."));
}

}  // namespace
