// Prepared statements kept per connection: a text is prepared once and answers for the
// values bound on each use, nested uses of one text do not disturb each other, nothing bound
// by one user reaches the next, a statement given back holds no read of the data, and the
// cache stays within its size.

#include "server/statement_cache.h"
#include "server/sql.h"
#include "tests/server_core/server_core_fixture.h"

namespace servercore_test {
namespace {

using StatementCacheTest = ServerCoreTest;

const QString kNameOf = QStringLiteral("SELECT SGCIA FROM COMPANHIA WHERE CDCIA = :C");

QString nameOf(server::Database& db, const QString& airline)
{
    server::Sql q(db, kNameOf);
    q.bind(QStringLiteral(":C"), airline);
    q.exec();
    return q.next() ? q.value(0).toString() : QStringLiteral("<none>");
}

TEST_P(StatementCacheTest, ATextIsPreparedOnceAndAnswersForTheValuesOfEachUse)
{
    const auto before = db().statements().prepared();
    EXPECT_EQ(nameOf(db(), QStringLiteral("0001")), QStringLiteral("ATE"));
    EXPECT_EQ(nameOf(db(), QStringLiteral("0002")), QStringLiteral("OUTRA"));
    EXPECT_EQ(nameOf(db(), QStringLiteral("9999")), QStringLiteral("<none>"));
    EXPECT_EQ(nameOf(db(), QStringLiteral("0001")), QStringLiteral("ATE"));
    EXPECT_EQ(db().statements().prepared(), before + 1);

    // A method's statements too: the second call prepares nothing.
    call(QStringLiteral("GetParamComis"), {QStringLiteral("0001")});
    const auto afterFirst = db().statements().prepared();
    const wire::DataPacket p = call(QStringLiteral("GetParamComis"), {QStringLiteral("0002")}).packet();
    EXPECT_EQ(db().statements().prepared(), afterFirst);
    ASSERT_EQ(p.rows.size(), 1u);
    EXPECT_EQ(text(p, 0, "IDUTDELVALO"), QStringLiteral("N"));

    // A text the database refuses is a failure with its words, every time, and is not kept.
    const auto size = db().statements().size();
    for (int i = 0; i < 2; ++i) {
        server::Sql bad(db(), QStringLiteral("SELECT NADA FROM TABELA_QUE_NAO_EXISTE WHERE X = :X"));
        EXPECT_THROW(bad.bind(QStringLiteral(":X"), 1), server::ServerFailure);
    }
    EXPECT_EQ(db().statements().size(), size);
}

TEST_P(StatementCacheTest, NestedUsesOfOneTextEachGetTheirOwnStatement)
{
    const QString list = QStringLiteral("SELECT CDCIA, SGCIA FROM COMPANHIA WHERE CDCIA >= :C ORDER BY CDCIA");
    server::Sql outer(db(), list);
    outer.bind(QStringLiteral(":C"), QStringLiteral("0001"));
    outer.exec();
    QStringList seen;
    while (outer.next()) {
        const QString code = outer.value(0).toString();
        server::Sql inner(db(), list);
        inner.bind(QStringLiteral(":C"), code);
        inner.exec();
        ASSERT_TRUE(inner.next());
        EXPECT_EQ(inner.value(0).toString(), code);
        seen << code + QLatin1Char('=') + outer.value(1).toString();
    }
    EXPECT_EQ(seen, (QStringList{QStringLiteral("0001=ATE"), QStringLiteral("0002=OUTRA")}));
}

TEST_P(StatementCacheTest, NothingBoundByOneUserReachesTheNext)
{
    const QString both = QStringLiteral(
        "SELECT COALESCE(CAST(:A AS VARCHAR(10)), 'nada'), CAST(:B AS VARCHAR(10)) "
        "FROM PARAMGERAL");
    {
        server::Sql q(db(), both);
        q.bind(QStringLiteral(":A"), QStringLiteral("primeiro"));
        q.bind(QStringLiteral(":B"), QStringLiteral("b1"));
        q.exec();
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("primeiro"));
    }
    server::Sql q(db(), both);
    q.bind(QStringLiteral(":B"), QStringLiteral("b2"));
    q.exec();
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("nada"));
    EXPECT_EQ(q.value(1).toString(), QStringLiteral("b2"));
}

TEST_P(StatementCacheTest, AStatementGivenBackHoldsNoReadOfTheData)
{
    {
        // Read one row of two and stop: the statement goes back to the cache mid-result.
        server::Sql q(db(), QStringLiteral("SELECT SGCIA FROM COMPANHIA WHERE CDCIA >= :C ORDER BY CDCIA"));
        q.bind(QStringLiteral(":C"), QStringLiteral("0001"));
        q.exec();
        ASSERT_TRUE(q.next());
    }
    // Another operator renames the airline, and this connection sees it at once (a statement
    // left mid-result would keep it reading the data as it was).
    const auto other = openConnection(QStringLiteral("statement-cache-other"));
    server::Sql rename(*other, QStringLiteral("UPDATE COMPANHIA SET SGCIA = :N WHERE CDCIA = :C"));
    rename.bind(QStringLiteral(":N"), QStringLiteral("NOVA")).bind(QStringLiteral(":C"), QStringLiteral("0001"));
    rename.exec();
    EXPECT_EQ(nameOf(db(), QStringLiteral("0001")), QStringLiteral("NOVA"));
}

TEST_P(StatementCacheTest, StaysWithinItsSizeDroppingTheLeastRecentlyUsed)
{
    server::StatementCache cache(db().sql(), db().engine() == server::DatabaseUrl::Engine::SQLite, 2);
    const QString texts[] = {
        QStringLiteral("SELECT SGCIA FROM COMPANHIA WHERE CDCIA = :C"),
        QStringLiteral("SELECT LOWER(SGCIA) FROM COMPANHIA WHERE CDCIA = :C"),
        QStringLiteral("SELECT CDCIA FROM COMPANHIA WHERE CDCIA = :C"),
    };
    const auto run = [&](const QString& text) {
        QSqlError failure;
        server::StatementCache::Lease lease = cache.take(text, failure);
        EXPECT_TRUE(lease) << failure.text().toStdString();
        if (!lease) return QString();
        lease.bind(QStringLiteral(":C"), QStringLiteral("0001"));
        EXPECT_TRUE(lease.query().exec());
        return lease.query().next() ? lease.query().value(0).toString() : QString();
    };
    EXPECT_EQ(run(texts[0]), QStringLiteral("ATE"));
    EXPECT_EQ(run(texts[1]), QStringLiteral("ate"));
    EXPECT_EQ(run(texts[0]), QStringLiteral("ATE"));  // now the most recent
    EXPECT_EQ(cache.prepared(), 2u);
    EXPECT_EQ(run(texts[2]), QStringLiteral("0001"));  // replaces texts[1]
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(run(texts[0]), QStringLiteral("ATE"));
    EXPECT_EQ(cache.prepared(), 3u);
    EXPECT_EQ(run(texts[1]), QStringLiteral("ate"));
    EXPECT_EQ(cache.prepared(), 4u);

    // Every statement on loan: one more is lent all the same, and not kept.
    QSqlError failure;
    auto a = cache.take(texts[0], failure);
    auto b = cache.take(texts[1], failure);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(run(texts[2]), QStringLiteral("0001"));
    EXPECT_EQ(cache.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Engines, StatementCacheTest,
                         ::testing::Values(TestDatabase::Engine::SQLite, TestDatabase::Engine::PostgreSQL),
                         engineParamName);

}  // namespace
}  // namespace servercore_test
