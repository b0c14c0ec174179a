// The lists the methods answer with: read straight from SQLite's statements, they must be
// exactly the packets the Qt layer gives (every kind of column into every kind of field,
// nulls, bad texts, missing columns), the statements must be prepared once and must hold no
// read of the data once the list is made.

#include "server/packet_query.h"
#include "server/packet_builder.h"
#include "server/sql.h"
#include "server/sqlite_statements.h"
#include "tests/server_core/server_core_fixture.h"

namespace servercore_test {
namespace {

using PacketQueryTest = ServerCoreTest;

wire::DataPacket viaQt(server::Database& db, const QString& text, const std::vector<wire::FieldDef>& fields,
                       const std::vector<std::pair<QString, QVariant>>& binds)
{
    server::Sql q(db, text);
    for (const auto& [name, value] : binds) q.bind(name, value);
    q.exec();
    return server::packetFromQuery(fields, q);
}

wire::DataPacket direct(server::Database& db, const QString& text, const std::vector<wire::FieldDef>& fields,
                        const std::vector<std::pair<QString, QVariant>>& binds)
{
    server::PacketQuery q(db, text);
    for (const auto& [name, value] : binds) q.bind(name, value);
    return q.packet(fields);
}

wire::FieldDef field(const char* name, wire::FieldType type) { return {QString::fromLatin1(name), type, 0}; }

TEST_P(PacketQueryTest, GivesExactlyThePacketsOfTheQtLayer)
{
    using T = wire::FieldType;
    // Every kind of value SQLite may hold, read into every kind of field.
    const QString values = QStringLiteral(
        "SELECT 'texto ção', 42, 12.5, NULL, '2026-11-05 10:20:30.123', '2026-13-01', '12.5', 'abc', "
        "CAST(:A AS VARCHAR(20)), CAST(:B AS INTEGER), :C, 0.1 + 0.2, 123456789012345 FROM PARAMGERAL");
    const std::vector<std::pair<QString, QVariant>> binds = {
        {QStringLiteral(":A"), QStringLiteral("ligado")},
        {QStringLiteral(":B"), qlonglong(7)},
        {QStringLiteral(":C"), QVariant(QMetaType(QMetaType::QString))},
        {QStringLiteral(":NADA"), 1},  // a name the text does not hold is ignored
    };
    for (const T type : {T::String, T::Float, T::Integer, T::DateTime}) {
        SCOPED_TRACE(wire::fieldTypeName(type).toStdString());
        std::vector<wire::FieldDef> fields;
        for (int i = 0; i < 13; ++i) fields.push_back({QStringLiteral("C%1").arg(i), type, 0});
        fields.push_back(field("SEM_COLUNA", type));  // more fields than columns: null
        const wire::DataPacket expected = viaQt(db(), values, fields, binds);
        const wire::DataPacket got = direct(db(), values, fields, binds);
        ASSERT_EQ(got.rows.size(), 1u);
        EXPECT_EQ(got, expected);
        for (std::size_t i = 0; i < got.rows[0].size(); ++i)
            EXPECT_EQ(got.rows[0][i], expected.rows[0][i])
                << "column " << i << ": " << got.rows[0][i].debugString().toStdString() << " / "
                << expected.rows[0][i].debugString().toStdString();
    }

    // The methods' own lists, row by row.
    const QString deliveries = QStringLiteral(
        "SELECT 'N', D.CDFILIAL, D.NRDELIVERY, D.DTHRPLAVOOPV, D.VRTOTDELIV, D.NRDELIVERYFA FROM DELIVERY D "
        "WHERE D.CDFILIAL = :F ORDER BY D.NRDELIVERY");
    const std::vector<wire::FieldDef> layout = {field("IDMARCADO", T::String), field("CDFILIAL", T::String),
                                                field("NRDELIVERY", T::Float), field("DTHRPLAVOOPV", T::DateTime),
                                                field("VRTOTDELIV", T::Float), field("NRDELIVERYFA", T::String)};
    const std::vector<std::pair<QString, QVariant>> branch = {{QStringLiteral(":F"), QStringLiteral("0001")}};
    const wire::DataPacket list = direct(db(), deliveries, layout, branch);
    EXPECT_EQ(list.rows.size(), 5u);
    EXPECT_EQ(list, viaQt(db(), deliveries, layout, branch));
    EXPECT_EQ(cell(list, 1, "NRDELIVERYFA"), wire::Value(QStringLiteral("77")));
    EXPECT_EQ(cell(list, 0, "DTHRPLAVOOPV"), wire::Value(at(10, 10)));
}

TEST_P(PacketQueryTest, StatementsArePreparedOnceAndHoldNoReadOfTheData)
{
    server::SqliteStatements* statements = db().sqliteStatements();
    if (testDatabase().engine() == TestDatabase::Engine::PostgreSQL) {
        EXPECT_EQ(statements, nullptr);  // PostgreSQL reads through Sql
        return;
    }
    ASSERT_NE(statements, nullptr);
    const QString text = QStringLiteral("SELECT SGCIA FROM COMPANHIA WHERE CDCIA >= :C ORDER BY CDCIA");
    const std::vector<wire::FieldDef> fields = {{QStringLiteral("SGCIA"), wire::FieldType::String, 5}};
    const auto before = statements->prepared();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(direct(db(), text, fields, {{QStringLiteral(":C"), QStringLiteral("0001")}}).rows.size(), 2u);
    EXPECT_EQ(direct(db(), text, fields, {{QStringLiteral(":C"), QStringLiteral("0002")}}).rows.size(), 1u);
    EXPECT_EQ(statements->prepared(), before + 1);

    // Another operator changes the data: this connection's next list sees it.
    const auto other = openConnection(QStringLiteral("packet-query-other"));
    server::Sql rename(*other, QStringLiteral("UPDATE COMPANHIA SET SGCIA = :S WHERE CDCIA = :C"));
    rename.bind(QStringLiteral(":S"), QStringLiteral("NOVA")).bind(QStringLiteral(":C"), QStringLiteral("0002"));
    rename.exec();
    const wire::DataPacket after = direct(db(), text, fields, {{QStringLiteral(":C"), QStringLiteral("0002")}});
    ASSERT_EQ(after.rows.size(), 1u);
    EXPECT_EQ(after.rows[0][0], wire::Value(QStringLiteral("NOVA")));

    // A text SQLite refuses is a failure with its words, and is not kept.
    const auto size = statements->size();
    EXPECT_THROW(direct(db(), QStringLiteral("SELECT NADA FROM TABELA_QUE_NAO_EXISTE"), fields, {}),
                 server::ServerFailure);
    EXPECT_EQ(statements->size(), size);
}

INSTANTIATE_TEST_SUITE_P(Engines, PacketQueryTest,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
