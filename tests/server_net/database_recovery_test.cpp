// The database goes away under a running server (PostgreSQL restarted, sessions killed): the
// call that finds out fails with the database's text, and every worker reconnects by itself.

#include "tests/server_net/raw_client.h"
#include "tests/support/server_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using testsupport::ServerProcess;
using testsupport::TestDatabase;

namespace {

wire::CallRequest paramComis(qint64 id) { return {id, QStringLiteral("GetParamComis"), {QString("0001")}}; }

// Every client sends a call before any answer is read, so the calls spread over the workers.
int failuresOfSimultaneousCalls(std::vector<std::unique_ptr<RawClient>>& clients, qint64 id)
{
    for (auto& c : clients) c->send(paramComis(id));
    int failures = 0;
    for (auto& c : clients) {
        const auto answer = c->receive();
        if (!answer || !std::holds_alternative<wire::CallReply>(*answer)) ++failures;
    }
    return failures;
}

TEST(DatabaseRecovery, WorkersReconnectAfterTheDatabaseDroppedThem)
{
    const auto db = TestDatabase::postgresql();
    if (!db) GTEST_SKIP() << "ATE_TEST_PG_URL not set";
    testsupport::initDatabase(db->url(), {});
    ServerProcess server(db->url(), {QStringLiteral("--threads"), QStringLiteral("4")});

    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 6; ++i) {
        clients.push_back(std::make_unique<RawClient>(server.port()));
        ASSERT_TRUE(clients.back()->open());
    }
    ASSERT_EQ(failuresOfSimultaneousCalls(clients, 1), 0);

    {
        testsupport::DirectConnection direct(*db);
        const QVariantList killed = direct.column(QStringLiteral(
            "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = current_database() AND pid <> "
            "pg_backend_pid()"));
        ASSERT_GE(killed.size(), 4);
    }

    // One call finds out and says so in the database's words; the next one is served.
    const wire::Message first = clients[0]->call(2, QStringLiteral("GetParamComis"), {QString("0001")});
    if (const auto* error = std::get_if<wire::ErrorReply>(&first)) {
        EXPECT_EQ(error->id, 2);
        EXPECT_FALSE(error->message.isEmpty());
    }
    EXPECT_TRUE(std::holds_alternative<wire::CallReply>(
        clients[0]->call(3, QStringLiteral("GetParamComis"), {QString("0001")})));

    // Every other worker checks its own connection before its next call: no more failures.
    for (qint64 round = 4; round < 8; ++round)
        EXPECT_EQ(failuresOfSimultaneousCalls(clients, round), 0) << "round " << round;
    EXPECT_EQ(server.stop(), 0);
}

}  // namespace
